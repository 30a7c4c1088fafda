#include "com/wrapper_adapter.h"

#include "com/errors.h"
#include "com/text.h"
#include "platform/error.h"

namespace vandrel::com {

void WrapperAdapter::Check(HRESULT hr) {
  if (FAILED(hr)) throw vandrel::Error(hr, FailureDescription(wrapper_.Get(), IID_IGenWrapper, hr));
}

std::wstring WrapperAdapter::PluginDescription() {
  Bstr text;
  Check(wrapper_->get_PluginDescription(text.Receive()));
  return text.Text();
}

void WrapperAdapter::SetPluginDescription(const std::wstring& text) {
  BSTR copy = ToBstr(text);
  const HRESULT hr = wrapper_->put_PluginDescription(copy);
  SysFreeString(copy);
  Check(hr);
}

platform::WindowHandle WrapperAdapter::WinAmpWindowHandle() {
  INT_PTR handle = 0;
  Check(wrapper_->get_WinAmpWindowHandle(&handle));
  return handle;
}

std::int32_t WrapperAdapter::WrapperVersion() {
  LONG version = 0;
  Check(wrapper_->get_WrapperVersion(&version));
  return version;
}

std::wstring WrapperAdapter::WrapperDescription() {
  Bstr text;
  Check(wrapper_->get_WrapperDescription(text.Receive()));
  return text.Text();
}

std::intptr_t WrapperAdapter::WrapperDllHandle() {
  INT_PTR handle = 0;
  Check(wrapper_->get_WrapperDllHandle(&handle));
  return handle;
}

}  // namespace vandrel::com
