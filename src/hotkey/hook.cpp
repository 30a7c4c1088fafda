#include "hotkey/hook.h"

namespace vandrel::hotkey {

namespace {

// Module-wide state. Winamp drives its plug-ins from the one thread that owns
// its main window, so one copy serves.
Target* g_target = nullptr;
std::int32_t g_hotKeyId = 0;
platform::ProcAddress g_prevWndProc = 0;
// Unhooked while another subclass sat above ours: still in the chain, passing
// every message on.
bool g_forwardOnly = false;
int g_actionDepth = 0;

std::intptr_t Trampoline(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  return HookWndProc(window, message, wParam, lParam);
}

}  // namespace

void SetTarget(Target* target) { g_target = target; }
std::int32_t HotKeyId() { return g_hotKeyId; }
platform::ProcAddress PrevWndProc() { return g_prevWndProc; }
void ForgetPrevWndProc() {
  if (!g_forwardOnly) g_prevWndProc = 0;
}

ActionScope::ActionScope() { ++g_actionDepth; }
ActionScope::~ActionScope() { --g_actionDepth; }

int HookWinampWindow(platform::WindowHandle window) {
  if (g_prevWndProc != 0) {
    if (!g_forwardOnly) return -1;
    // Still in the chain from an earlier instance: take up the work again.
    g_forwardOnly = false;
    return 0;
  }
  auto& windows = platform::Windows();
  g_prevWndProc = windows.GetWindowProc(window);
  windows.SetWindowProc(window, windows.HookProcAddress(&Trampoline));
  return 0;
}

int UnhookWinampWindow(platform::WindowHandle window) {
  if (g_prevWndProc == 0) return -1;
  auto& windows = platform::Windows();
  if (windows.GetWindowProc(window) == windows.HookProcAddress(&Trampoline)) {
    windows.SetWindowProc(window, g_prevWndProc);
    g_forwardOnly = false;
    return 0;
  }
  // Another plug-in subclassed after us and holds our procedure as its
  // "previous" one: putting ours back would cut it out, and it will call
  // into us later. Stay, forwarding, and never unload.
  g_forwardOnly = true;
  windows.KeepModuleLoaded();
  return 0;
}

int SetHotKey(platform::WindowHandle window, unsigned virtualKey, unsigned modifiers,
              platform::OpResult* failure) {
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
    if (g_hotKeyId == 0) {
      if (failure) *failure = {1, L"No global atom could be created for the hotkey."};
      return -1;
    }
  }
  platform::OpResult result =
      windows.RegisterHotKey(window, g_hotKeyId, modifiers | kModNoRepeat, virtualKey);
  if (failure) *failure = result;
  return result.ok() ? 0 : -1;
}

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  if (!g_forwardOnly && message == kWmHotKey && g_hotKeyId != 0 &&
      static_cast<std::int32_t>(static_cast<std::intptr_t>(wParam)) == g_hotKeyId) {
    if (g_target != nullptr && g_actionDepth == 0) {
      ActionScope acting;
      g_target->OnHotKey();
      // Presses that came in meanwhile (keys held through the keyboard's
      // repeat, where Windows does not drop the repeats) belong to this one.
      platform::Windows().DiscardQueuedHotKeys(window, g_hotKeyId);
    }
    return 0;
  }
  return platform::Windows().CallWindowProc(g_prevWndProc, window, message, wParam, lParam);
}

std::wstring ShortcutName(unsigned modifiers, wchar_t letter) {
  std::wstring name;
  if (modifiers & kModControl) name += L"Ctrl+";
  if (modifiers & kModAlt) name += L"Alt+";
  if (modifiers & kModShift) name += L"Shift+";
  if (modifiers & kModWin) name += L"Win+";
  return name + letter;
}

}  // namespace vandrel::hotkey
