// DllRegisterServer and DllUnregisterServer: the class, its in-process server
// and its ProgID under HKEY_CLASSES_ROOT.
#include <olectl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "com/interfaces.h"
#include "com/module.h"

namespace vandrel::com {
namespace {

constexpr wchar_t kClassName[] = L"Vandrel";

const std::wstring& ClassKey() {
  static const std::wstring key = std::wstring(L"CLSID\\") + kVandrelClsidText;
  return key;
}

// Owns an open registry key.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool WriteValue(const std::wstring& keyName, const wchar_t* valueName, const std::wstring& value) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        bytes) == ERROR_SUCCESS;
}

std::wstring ReadDefaultValue(const std::wstring& keyName) {
  wchar_t buffer[128] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, keyName.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
      ERROR_SUCCESS) {
    return std::wstring();
  }
  return buffer;
}

// The module's full path, however long.
std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(ThisModule(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

// Deletes one key that has no sub-keys; a key already gone counts as deleted.
bool DeleteKey(const std::wstring& keyName) {
  const LONG result = RegDeleteKeyW(HKEY_CLASSES_ROOT, keyName.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

HRESULT Unregister() {
  bool ok = true;
  ok &= DeleteKey(ClassKey() + L"\\InprocServer32");
  ok &= DeleteKey(ClassKey() + L"\\ProgID");
  ok &= DeleteKey(ClassKey());
  // The ProgID is ours only while it names our class.
  const std::wstring progIdClsid = std::wstring(kVandrelProgId) + L"\\CLSID";
  if (ReadDefaultValue(progIdClsid) == kVandrelClsidText) {
    ok &= DeleteKey(progIdClsid);
    ok &= DeleteKey(kVandrelProgId);
  }
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT Register() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  const bool ok = WriteValue(ClassKey(), nullptr, kClassName) &&
                  WriteValue(ClassKey() + L"\\InprocServer32", nullptr, path) &&
                  WriteValue(ClassKey() + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                  WriteValue(ClassKey() + L"\\ProgID", nullptr, kVandrelProgId) &&
                  WriteValue(kVandrelProgId, nullptr, kClassName) &&
                  WriteValue(std::wstring(kVandrelProgId) + L"\\CLSID", nullptr, kVandrelClsidText);
  if (ok) return S_OK;
  Unregister();
  return SELFREG_E_CLASS;
}

}  // namespace
}  // namespace vandrel::com

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  try {
    return vandrel::com::Register();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  try {
    return vandrel::com::Unregister();
  } catch (...) {
    return E_UNEXPECTED;
  }
}
