// The wrapper's IGenWrapper object as the plug-in's core sees it: every failed
// call throws vandrel::Error with the wrapper's number and description.
#pragma once

#include <wrl/client.h>

#include "com/interfaces.h"
#include "core/wrapper.h"
#include "platform/win32/win32.h"

namespace vandrel::com {

class WrapperAdapter final : public core::Wrapper {
 public:
  explicit WrapperAdapter(IGenWrapper* wrapper) : wrapper_(wrapper) {}

  std::wstring PluginDescription() override;
  void SetPluginDescription(const std::wstring& text) override;
  platform::WindowHandle WinAmpWindowHandle() override;
  std::int32_t WrapperVersion() override;
  std::wstring WrapperDescription() override;
  std::intptr_t WrapperDllHandle() override;

 private:
  void Check(HRESULT hr);

  Microsoft::WRL::ComPtr<IGenWrapper> wrapper_;
};

}  // namespace vandrel::com
