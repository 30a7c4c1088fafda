#include "com/errors.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "com/interfaces.h"
#include "com/text.h"

namespace vandrel::com {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kSource[] = L"Vandrel.Vandrel";

std::wstring Widen(const char* text) {
  std::wstring out;
  for (; *text != '\0'; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  return out;
}

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

}  // namespace

HRESULT HresultFor(std::int32_t number) {
  if (number < 0) return static_cast<HRESULT>(number);
  // A bare run-time error number becomes the control-facility failure code
  // that carries it (53 becomes 0x800A0035); nothing reports success.
  if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return E_FAIL;
}

void SetErrorInfoText(REFIID iid, const std::wstring& source, const std::wstring& description) {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(&create))) return;
  create->SetGUID(iid);
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  if (!source.empty()) create->SetSource(const_cast<LPOLESTR>(source.c_str()));
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

HRESULT ReportError(REFIID iid, const vandrel::Error& error) {
  const HRESULT hr = HresultFor(error.Number());
  // The refusal of a second instance carries its text and no source.
  SetErrorInfoText(iid, hr == kVandrelAlreadyInstance ? std::wstring() : kSource, error.Description());
  return hr;
}

HRESULT ReportException(REFIID iid, const std::exception& error) {
  SetErrorInfoText(iid, kSource, L"Unexpected failure inside Vandrel: " + Widen(error.what()));
  return E_UNEXPECTED;
}

HRESULT ReportOutOfMemory(REFIID iid) {
  SetErrorInfoText(iid, kSource, L"Vandrel ran out of memory.");
  return E_OUTOFMEMORY;
}

HRESULT ReportUnknownException(REFIID iid) {
  SetErrorInfoText(iid, kSource, L"Unexpected failure inside Vandrel.");
  return E_UNEXPECTED;
}

std::wstring FailureDescription(IUnknown* object, REFIID iid, HRESULT hr) {
  // Always take the thread's error object, so a stale one never lingers.
  ComPtr<IErrorInfo> info;
  const bool haveInfo = GetErrorInfo(0, &info) == S_OK && info;
  ComPtr<ISupportErrorInfo> supports;
  if (haveInfo && object != nullptr && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&supports))) &&
      supports->InterfaceSupportsErrorInfo(iid) == S_OK) {
    Bstr description;
    if (SUCCEEDED(info->GetDescription(description.Receive())) && !description.Text().empty()) {
      return description.Text();
    }
  }
  std::wstring text = SystemText(hr);
  return text.empty() ? L"No description." : text;
}

}  // namespace vandrel::com
