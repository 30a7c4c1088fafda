// The global hotkeys and the hook on Winamp's main window through which their
// messages reach the plug-in: the working shortcut, and one registration for
// each profile whose shortcut stays active beside it.
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

// What the hook calls when one of the plug-in's hotkeys arrives.
class Target {
 public:
  virtual ~Target() = default;
  // The working shortcut.
  virtual void OnHotKey() = 0;
  // The shortcut registered for the profile `profile` (SetProfileHotKey).
  virtual void OnProfileHotKey(const std::wstring& profile) = 0;
  // The undo shortcut (SetUndoHotKey).
  virtual void OnUndoKey() = 0;
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
// system's reason). A profile's registration of the same keys gives way: the
// working shortcut keeps them.
int SetHotKey(platform::WindowHandle window, unsigned virtualKey, unsigned modifiers = kModWin,
              platform::OpResult* failure = nullptr);

// Registers `modifiers` + `virtualKey` for the profile `profile` under an id
// of its own, in place of the profile's earlier shortcut. 0 on success, -1
// when refused (`failure` says why; the profile then has no shortcut).
int SetProfileHotKey(platform::WindowHandle window, const std::wstring& profile, unsigned virtualKey,
                     unsigned modifiers, platform::OpResult* failure = nullptr);
// Drops the profile's shortcut and its id.
void DropProfileHotKey(platform::WindowHandle window, const std::wstring& profile);
// Drops every profile's shortcut.
void DropProfileHotKeys(platform::WindowHandle window);
// True when `profile` holds exactly `modifiers` + `virtualKey`.
bool ProfileHotKeyIs(const std::wstring& profile, unsigned virtualKey, unsigned modifiers);
// The undo shortcut: registered, dropped and compared as a profile's is, under
// an id of its own. The working shortcut takes its keys as it takes a profile's.
int SetUndoHotKey(platform::WindowHandle window, unsigned virtualKey, unsigned modifiers,
                  platform::OpResult* failure = nullptr);
void DropUndoHotKey(platform::WindowHandle window);
bool UndoHotKeyIs(unsigned virtualKey, unsigned modifiers);

// The entries of Winamp's Global Hotkeys plug-in that stand for the
// plug-in's shortcuts. An entry's key sends Winamp's window WM_USER with the
// entry's number in wParam and the plug-in's own IPC number in lParam; the
// hook takes such a message as a press of the entry's shortcut: the working
// one, a profile's (with its saved settings), or undo.
inline constexpr unsigned kWmUser = 0x400;
enum class EntryKind { Working, Profile, Undo };
// The lParam of every entry's message; 0 (after Quit) passes them on.
void SetEntryMessage(std::intptr_t ipc);
// Adds an entry and returns its number. Numbers are never reused: Winamp
// keeps the entries it was given for the process's life.
std::uintptr_t AddEntry(EntryKind kind, const std::wstring& profile = L"");

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);

std::int32_t HotKeyId();
platform::ProcAddress PrevWndProc();

// After Quit: forgets the saved procedure so a later instance can hook again
// (kept while the hook still forwards to it).
void ForgetPrevWndProc();

// While one exists, an action is running (or one of its boxes is up). A
// hotkey then never starts another at once: a press of the shortcut whose
// action runs belongs to it, a press of another shortcut waits until it has
// ended (once per shortcut), and outside a shortcut's action (the
// whole-playlist run) every press is swallowed.
class ActionScope {
 public:
  ActionScope();
  ~ActionScope();
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;
};

// "Win+K", "Ctrl+Alt+K": the modifiers in the order Ctrl, Alt, Shift, Win.
std::wstring ShortcutName(unsigned modifiers, wchar_t letter);
// The same for a letter numbered as profiles hold it (1 to 26 for A to Z).
std::wstring LetterShortcutName(std::int32_t modifiers, std::int32_t key);
// True for modifiers that combine some of the four (and nothing else).
bool KnownModifiers(std::int32_t modifiers);
// True for a letter 1 to 26 with such modifiers.
bool IsLetterShortcut(std::int32_t modifiers, std::int32_t key);

}  // namespace vandrel::hotkey
