// The window hook and the hotkey against real Windows (Wine): a window of
// Winamp's class in this process and a real Windows key + letter press.
#include <gtest/gtest.h>
#include <windows.h>

#include "hotkey/hook.h"
#include "platform/win32/win32_services.h"
#include "support/win/desktop.h"

namespace vandrel {
namespace {

std::vector<std::pair<UINT, WPARAM>> g_seen;  // what reached Winamp's own procedure

LRESULT CALLBACK WinampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY || message == WM_APP) g_seen.push_back({message, wParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

struct CountingTarget : hotkey::Target {
  int hits = 0;
  void OnHotKey() override { ++hits; }
};

TEST(HotkeyWine, ARealPressReachesThePluginAloneAndTheAtomGoesWithTheLastKey) {
  platform::Services services{&platform::win32::Win32Windows(), &platform::win32::Win32Ui(), nullptr,
                              nullptr};
  platform::ScopedServices scoped{services};
  WNDCLASSA wc{0,       WinampProc, 0,       0,       GetModuleHandleA(nullptr),
               nullptr, nullptr,    nullptr, nullptr, "Winamp v1.x"};
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "Winamp v1.x", "Winamp", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
  const auto handle = reinterpret_cast<platform::WindowHandle>(window);
  const LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);
  CountingTarget target;
  hotkey::SetTarget(&target);
  ASSERT_EQ(hotkey::HookWinampWindow(handle), 0);
  ASSERT_EQ(hotkey::SetHotKey(handle, 'Q'), 0);
  EXPECT_LT(hotkey::HotKeyId(), 0) << "the atom, taken as a signed 16-bit number";

  ASSERT_TRUE(testing::PressWinKey('Q'));
  for (int i = 0; i < 500 && target.hits == 0; ++i) {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    Sleep(10);
  }
  EXPECT_EQ(target.hits, 1);
  EXPECT_TRUE(g_seen.empty()) << "the plug-in's hotkey is not passed on";
  // Every other message, a hotkey of another identifier included, goes on.
  SendMessageA(window, WM_HOTKEY, 5, 0);
  SendMessageA(window, WM_APP, 9, 0);
  EXPECT_EQ(g_seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_HOTKEY, 5}, {WM_APP, 9}}));
  EXPECT_EQ(target.hits, 1);

  // A key that another window holds is refused; the identifier serves the next letter.
  HWND other = CreateWindowExA(0, "STATIC", "other", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, 'D'));
  EXPECT_EQ(hotkey::SetHotKey(handle, 'D'), -1);
  EXPECT_EQ(hotkey::SetHotKey(handle, 'E'), 0);
  EXPECT_EQ(hotkey::SetHotKey(handle, 0), 0);
  EXPECT_EQ(hotkey::HotKeyId(), 0);
  EXPECT_EQ(GlobalFindAtomA("XOLTVbHotKeyAtom"), 0) << "the atom is deleted with the last hotkey";
  DestroyWindow(other);

  ASSERT_EQ(hotkey::UnhookWinampWindow(handle), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), own);
  hotkey::ForgetPrevWndProc();
  hotkey::SetTarget(nullptr);
  DestroyWindow(window);
}

}  // namespace
}  // namespace vandrel
