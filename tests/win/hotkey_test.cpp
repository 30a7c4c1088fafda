// The window hook and the hotkey against real Windows (Wine): a window of
// Winamp's class in this process, a real Windows key + letter press.
#include <windows.h>

#include <gtest/gtest.h>

#include "hotkey/hook.h"
#include "platform/win32/win32_services.h"

namespace vandrel {
namespace {

struct Seen {
  std::vector<std::pair<UINT, WPARAM>> messages;
} g_seen;

LRESULT CALLBACK WinampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY || message == WM_APP) g_seen.messages.push_back({message, wParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

struct CountingTarget : hotkey::Target {
  int hits = 0;
  void OnHotKey() override { ++hits; }
};

class HotkeyWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WinampProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Winamp v1.x";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "Winamp v1.x", "Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOW);
    g_seen.messages.clear();
    hotkey::SetTarget(&target_);
  }
  void TearDown() override {
    hotkey::SetHotKey(Handle(), 0);
    hotkey::UnhookWinampWindow(Handle());
    hotkey::ForgetPrevWndProc();
    hotkey::SetTarget(nullptr);
    DestroyWindow(window_);
  }
  platform::WindowHandle Handle() const { return reinterpret_cast<platform::WindowHandle>(window_); }

  // Pumps this thread's messages until `done` or about five seconds.
  template <typename F>
  bool PumpUntil(F done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(10);
    }
    return done();
  }

  static void PressWinAnd(char letter) {
    INPUT in[4] = {};
    for (auto& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_LWIN;
    in[1].ki.wVk = static_cast<WORD>(letter);
    in[2].ki.wVk = static_cast<WORD>(letter);
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    in[3].ki.wVk = VK_LWIN;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
  }

  platform::Services services_{&platform::win32::Win32Windows(), &platform::win32::Win32Ui(), nullptr,
                               nullptr};
  platform::ScopedServices scoped_{services_};
  HWND window_ = nullptr;
  CountingTarget target_;
};

TEST_F(HotkeyWineTest, ARealWindowsKeyPressReachesThePluginAndIsSwallowed) {
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC));
  ASSERT_EQ(hotkey::HookWinampWindow(Handle()), 0);
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)), own);
  ASSERT_EQ(hotkey::SetHotKey(Handle(), 'Q'), 0);
  EXPECT_LT(hotkey::HotKeyId(), 0) << "atoms have the top bit of 16 set";

  PressWinAnd('Q');
  EXPECT_TRUE(PumpUntil([&] { return target_.hits == 1; }));
  for (auto& m : g_seen.messages) EXPECT_NE(m.first, static_cast<UINT>(WM_HOTKEY)) << "swallowed";

  // Every other message, a hotkey of another identifier included, goes on.
  SendMessageA(window_, WM_HOTKEY, 5, 0);
  SendMessageA(window_, WM_APP, 9, 0);
  ASSERT_EQ(g_seen.messages.size(), 2u);
  EXPECT_EQ(g_seen.messages[0], std::make_pair(static_cast<UINT>(WM_HOTKEY), static_cast<WPARAM>(5)));
  EXPECT_EQ(target_.hits, 1);

  ASSERT_EQ(hotkey::UnhookWinampWindow(Handle()), 0);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)), own);
}

TEST_F(HotkeyWineTest, AKeyHeldByAnotherWindowIsRefusedAndTheAtomIsKept) {
  HWND other = CreateWindowExA(0, "STATIC", "other", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, 'D'));
  ASSERT_EQ(hotkey::HookWinampWindow(Handle()), 0);
  EXPECT_EQ(hotkey::SetHotKey(Handle(), 'D'), -1);
  EXPECT_NE(hotkey::HotKeyId(), 0);
  EXPECT_EQ(hotkey::SetHotKey(Handle(), 'E'), 0) << "the same identifier serves the next letter";
  EXPECT_EQ(hotkey::SetHotKey(Handle(), 0), 0);
  EXPECT_EQ(hotkey::HotKeyId(), 0);
  EXPECT_EQ(GlobalFindAtomA("XOLTVbHotKeyAtom"), 0) << "the atom is deleted with the last hotkey";
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
}

}  // namespace
}  // namespace vandrel
