#include "gen_wrapper.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "version.h"

namespace vandrel::wrapper {
namespace {

HRESULT Fail(HRESULT hr, const wchar_t* description) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(IID_IGenWrapper);
    create->SetSource(const_cast<LPOLESTR>(L"Vandrel.GenWrapper"));
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_PPV_ARGS(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  return hr;
}

HRESULT CopyOut(const std::wstring& text, BSTR* value) {
  if (value == nullptr) return Fail(E_POINTER, L"A result pointer is missing.");
  *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (*value == nullptr) return Fail(E_OUTOFMEMORY, L"Out of memory.");
  return S_OK;
}

// The text in the ANSI code page, cut (at a whole character) to fit `size` bytes with its NUL.
std::string ToAnsi(const std::wstring& text, size_t size) {
  std::wstring shown = text.substr(0, text.find(L'\0'));
  for (;;) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0,
                                          nullptr, nullptr);
    if (bytes >= 0 && static_cast<size_t>(bytes) < size) {
      std::string out(static_cast<size_t>(bytes), '\0');
      WideCharToMultiByte(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), out.data(), bytes, nullptr,
                          nullptr);
      return out;
    }
    shown.pop_back();
  }
}

}  // namespace

LONG WrapperVersionNumber() { return (VANDREL_VERSION_MAJOR << 16) | VANDREL_VERSION_MINOR; }

std::wstring WrapperDescriptionText() {
  const std::string version = VANDREL_VERSION_TEXT;
  return L"Vandrel general-purpose plug-in wrapper " + std::wstring(version.begin(), version.end());
}

GenWrapper::GenWrapper(winampGeneralPurposePlugin& host, char* buffer, size_t bufferSize)
    : host_(host), buffer_(buffer), bufferSize_(bufferSize) {}

void GenWrapper::SetDescription(const std::wstring& text) {
  description_ = text;
  const std::string ansi = ToAnsi(text, bufferSize_);
  ansi.copy(buffer_, ansi.size());
  buffer_[ansi.size()] = '\0';
  host_.description = buffer_;
}

STDMETHODIMP GenWrapper::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGenWrapper)) {
    *object = static_cast<IGenWrapper*>(this);
  } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) GenWrapper::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) GenWrapper::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP GenWrapper::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IGenWrapper) ? S_OK : S_FALSE;
}

STDMETHODIMP GenWrapper::get_PluginDescription(BSTR* value) { return CopyOut(description_, value); }

STDMETHODIMP GenWrapper::put_PluginDescription(BSTR value) {
  try {
    SetDescription(value == nullptr ? std::wstring() : std::wstring(value, SysStringLen(value)));
    return S_OK;
  } catch (...) {
    return Fail(E_OUTOFMEMORY, L"Out of memory.");
  }
}

STDMETHODIMP GenWrapper::get_WinAmpWindowHandle(INT_PTR* value) {
  if (value == nullptr) return Fail(E_POINTER, L"A result pointer is missing.");
  *value = reinterpret_cast<INT_PTR>(host_.hwndParent);
  return S_OK;
}

STDMETHODIMP GenWrapper::get_WrapperVersion(LONG* value) {
  if (value == nullptr) return Fail(E_POINTER, L"A result pointer is missing.");
  *value = WrapperVersionNumber();
  return S_OK;
}

STDMETHODIMP GenWrapper::get_WrapperDescription(BSTR* value) {
  try {
    return CopyOut(WrapperDescriptionText(), value);
  } catch (...) {
    return Fail(E_OUTOFMEMORY, L"Out of memory.");
  }
}

STDMETHODIMP GenWrapper::get_WrapperDllHandle(INT_PTR* value) {
  if (value == nullptr) return Fail(E_POINTER, L"A result pointer is missing.");
  *value = reinterpret_cast<INT_PTR>(host_.hDllInstance);
  return S_OK;
}

}  // namespace vandrel::wrapper
