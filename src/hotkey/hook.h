// The global hotkey and the hook on Winamp's main window through which the
// hotkey message reaches the plug-in.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vandrel::hotkey {

inline constexpr unsigned kWmHotKey = 0x0312;
// RegisterHotKey's modifier bits.
inline constexpr unsigned kModAlt = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModShift = 4;
inline constexpr unsigned kModWin = 8;
inline constexpr unsigned kModAll = kModAlt | kModControl | kModShift | kModWin;
// Added at every registration, never stored: one message per press, however
// long the keys are held.
inline constexpr unsigned kModNoRepeat = 0x4000;
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
// 0 when the hook is out of service, -1 when there was none. The saved
// procedure is put back only while the hook is still the window's procedure;
// when another subclass sits above it, the hook stays in the chain and only
// forwards, and the module stays loaded for the process's life.
int UnhookWinampWindow(platform::WindowHandle window);
// Code 0 drops the hotkey; another code makes `modifiers` + that key the
// hotkey. 0 on success, -1 on failure (`failure`, when given, receives the
// system's reason).
int SetHotKey(platform::WindowHandle window, unsigned virtualKey, unsigned modifiers = kModWin,
              platform::OpResult* failure = nullptr);

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);

std::int32_t HotKeyId();
platform::ProcAddress PrevWndProc();

// After Quit: forgets the saved procedure so a later instance can hook again
// (kept while the hook still forwards to it).
void ForgetPrevWndProc();

// While one exists, an action is running (or one of its boxes is up): the
// hotkey is swallowed instead of starting another.
class ActionScope {
 public:
  ActionScope();
  ~ActionScope();
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;
};

// "Win+K", "Ctrl+Alt+K": the modifiers in the order Ctrl, Alt, Shift, Win.
std::wstring ShortcutName(unsigned modifiers, wchar_t letter);

}  // namespace vandrel::hotkey
