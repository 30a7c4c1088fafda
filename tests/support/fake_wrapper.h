// A wrapper object that keeps what it is given and can be told to fail.
#pragma once

#include <string>
#include <vector>

#include "core/wrapper.h"
#include "platform/error.h"
#include "support/fake_windows.h"

namespace vandrel::testing {

class FakeWrapper : public core::Wrapper {
 public:
  std::wstring description;
  std::vector<std::wstring> descriptions;  // every write, in order
  platform::WindowHandle window = FakeWindows::kWinamp;
  std::int32_t version = (2 << 16) | 5;
  std::wstring wrapperDescription = L"Test wrapper";
  std::intptr_t dllHandle = 0x10000000;
  int handleReads = 0;
  bool failDescriptionWrites = false;

  std::wstring PluginDescription() override { return description; }
  void SetPluginDescription(const std::wstring& text) override {
    if (failDescriptionWrites) throw Error(static_cast<std::int32_t>(0x80004005u), L"Unspecified error");
    description = text;
    descriptions.push_back(text);
  }
  platform::WindowHandle WinAmpWindowHandle() override {
    ++handleReads;
    return window;
  }
  std::int32_t WrapperVersion() override { return version; }
  std::wstring WrapperDescription() override { return wrapperDescription; }
  std::intptr_t WrapperDllHandle() override { return dllHandle; }
};

}  // namespace vandrel::testing
