#include "plugin_loader.h"

#include <oleauto.h>

#include <vector>

namespace vandrel::wrapper {
namespace {

using Microsoft::WRL::ComPtr;
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

std::wstring SystemText(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return text;
}

template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

Failure WithText(HRESULT hr, const std::wstring& text) {
  const std::wstring system = SystemText(hr);
  return Failure{hr, system.empty() ? text : text + L"\r\n" + system};
}

}  // namespace

std::wstring ModuleFolder(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

HMODULE PluginLibrary::Load(const std::wstring& path) {
  module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module_;
}

void PluginLibrary::Free(bool cleanlyDone) {
  if (module_ == nullptr) return;
  auto canUnloadNow = Export<CanUnloadNowFn>(module_, "DllCanUnloadNow");
  if (cleanlyDone || canUnloadNow == nullptr || canUnloadNow() == S_OK) FreeLibrary(module_);
  module_ = nullptr;
}

Failure CreatePlugin(HMODULE self, PluginLibrary& library, ComPtr<IZekWinAmpGenPlugin>& plugin) {
  const std::wstring path = ModuleFolder(self) + L"vandrel.dll";
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const HRESULT hr = CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&plugin));
    if (SUCCEEDED(hr)) return Failure{};
    return WithText(hr,
                    path + L" is missing, and the class Vandrel could not be created from its registration.");
  }
  HMODULE module = library.Load(path);
  if (module == nullptr) {
    return WithText(HRESULT_FROM_WIN32(GetLastError()), L"Could not load " + path + L".");
  }
  auto getClassObject = Export<GetClassObjectFn>(module, "DllGetClassObject");
  if (getClassObject == nullptr) {
    return WithText(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), path + L" has no DllGetClassObject.");
  }
  ComPtr<IClassFactory> factory;
  HRESULT hr = getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory));
  if (FAILED(hr)) return WithText(hr, path + L" does not offer the class Vandrel.");
  hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&plugin));
  if (FAILED(hr)) return WithText(hr, L"Could not create the Vandrel object from " + path + L".");
  return Failure{};
}

std::wstring FailureDescription(IUnknown* object, REFIID iid, HRESULT hr) {
  // Always take the thread's error object, so a stale one never lingers.
  IErrorInfo* info = nullptr;
  const bool haveInfo = GetErrorInfo(0, &info) == S_OK && info != nullptr;
  ComPtr<IErrorInfo> owned;
  owned.Attach(info);
  ComPtr<ISupportErrorInfo> supports;
  if (haveInfo && object != nullptr && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&supports))) &&
      supports->InterfaceSupportsErrorInfo(iid) == S_OK) {
    BSTR description = nullptr;
    if (SUCCEEDED(owned->GetDescription(&description)) && description != nullptr) {
      std::wstring text(description, SysStringLen(description));
      SysFreeString(description);
      if (!text.empty()) return text;
    }
  }
  const std::wstring text = SystemText(hr);
  return text.empty() ? L"No description." : text;
}

}  // namespace vandrel::wrapper
