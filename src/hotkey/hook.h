// The global hotkey and the hook on Winamp's main window through which the
// hotkey message reaches the plug-in.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vandrel::hotkey {

inline constexpr unsigned kWmHotKey = 0x0312;
inline constexpr unsigned kModWin = 8;
inline constexpr wchar_t kHotKeyAtomName[] = L"XOLTVbHotKeyAtom";

// What the hook calls when the plug-in's hotkey arrives.
class Target {
 public:
  virtual ~Target() = default;
  virtual void OnHotKey() = 0;
};

// The hook's view of the plug-in instance slot.
void SetTarget(Target* target);

// 0 when it hooked the window, -1 when a hook was already in place.
int HookWinampWindow(platform::WindowHandle window);
// 0 when it restored the saved procedure, -1 when there was none.
int UnhookWinampWindow(platform::WindowHandle window);
// Code 0 drops the hotkey; another code makes Windows key + that key the hotkey.
// 0 on success, -1 on failure.
int SetHotKey(platform::WindowHandle window, unsigned virtualKey);

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);

std::int32_t HotKeyId();
platform::ProcAddress PrevWndProc();

// After Quit: forgets the saved procedure so a later instance can hook again.
void ForgetPrevWndProc();

}  // namespace vandrel::hotkey
