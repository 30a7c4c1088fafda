// The wrapper object as the plug-in sees it. Every call may fail; a failure
// throws vandrel::Error carrying the wrapper's number and description.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vandrel::core {

class Wrapper {
 public:
  virtual ~Wrapper() = default;
  virtual std::wstring PluginDescription() = 0;
  virtual void SetPluginDescription(const std::wstring& text) = 0;
  virtual platform::WindowHandle WinAmpWindowHandle() = 0;
  virtual std::int32_t WrapperVersion() = 0;
  virtual std::wstring WrapperDescription() = 0;
  virtual std::intptr_t WrapperDllHandle() = 0;
};

}  // namespace vandrel::core
