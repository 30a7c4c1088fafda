// The window functions the hook relies on, against the real message queue
// (Wine).
#include "platform/win32/win32.h"  // <windows.h> without its A/W name macros

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32_services.h"

namespace vandrel {
namespace {

// The sweep for a held key's repeats takes that hotkey's messages only:
// another hotkey's press, queued between them, is still there afterwards.
TEST(WindowsWine, TheSweepForRepeatsKeepsOtherHotkeysPresses) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  for (WPARAM id : {5, 7, 5, 9, 5}) PostMessageW(window, WM_HOTKEY, id, 0);
  platform::win32::Win32Windows().DiscardQueuedHotKeys(reinterpret_cast<platform::WindowHandle>(window), 5);
  std::vector<WPARAM> left;
  MSG message;
  while (PeekMessageW(&message, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) left.push_back(message.wParam);
  EXPECT_EQ(left, (std::vector<WPARAM>{7, 9}));
  DestroyWindow(window);
}

}  // namespace
}  // namespace vandrel
