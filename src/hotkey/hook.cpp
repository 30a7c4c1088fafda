#include "hotkey/hook.h"

namespace vandrel::hotkey {

namespace {

// Module-wide state. Winamp drives its plug-ins from the one thread that owns
// its main window, so one copy serves.
Target* g_target = nullptr;
std::int32_t g_hotKeyId = 0;
platform::ProcAddress g_prevWndProc = 0;

std::intptr_t Trampoline(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  return HookWndProc(window, message, wParam, lParam);
}

}  // namespace

void SetTarget(Target* target) { g_target = target; }
std::int32_t HotKeyId() { return g_hotKeyId; }
platform::ProcAddress PrevWndProc() { return g_prevWndProc; }
void ForgetPrevWndProc() { g_prevWndProc = 0; }

int HookWinampWindow(platform::WindowHandle window) {
  if (g_prevWndProc != 0) return -1;
  auto& windows = platform::Windows();
  g_prevWndProc = windows.GetWindowProc(window);
  windows.SetWindowProc(window, windows.HookProcAddress(&Trampoline));
  return 0;
}

int UnhookWinampWindow(platform::WindowHandle window) {
  if (g_prevWndProc == 0) return -1;
  platform::Windows().SetWindowProc(window, g_prevWndProc);
  return 0;
}

int SetHotKey(platform::WindowHandle window, unsigned virtualKey) {
  auto& windows = platform::Windows();
  if (g_hotKeyId != 0) {
    windows.UnregisterHotKey(window, g_hotKeyId);
    if (virtualKey == 0) {
      windows.GlobalDeleteAtom(static_cast<std::uint16_t>(g_hotKeyId));
      g_hotKeyId = 0;
      return 0;
    }
  } else {
    if (virtualKey == 0) return 0;
    // The atom taken as a signed 16-bit number, widened with its sign.
    g_hotKeyId = static_cast<std::int16_t>(windows.GlobalAddAtom(kHotKeyAtomName));
    if (g_hotKeyId == 0) return -1;
  }
  return windows.RegisterHotKey(window, g_hotKeyId, kModWin, virtualKey) ? 0 : -1;
}

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  if (message == kWmHotKey && g_hotKeyId != 0 &&
      static_cast<std::int32_t>(static_cast<std::intptr_t>(wParam)) == g_hotKeyId) {
    if (g_target != nullptr) g_target->OnHotKey();
    return 0;
  }
  return platform::Windows().CallWindowProc(g_prevWndProc, window, message, wParam, lParam);
}

}  // namespace vandrel::hotkey
