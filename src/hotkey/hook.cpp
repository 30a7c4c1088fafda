#include "hotkey/hook.h"

#include <algorithm>
#include <vector>

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

// A profile's own shortcut. Its id is a global atom of its own, named after
// the working one's with the registration's number, the lowest free one.
struct ProfileHotKey {
  std::wstring profile;
  unsigned number = 0;
  std::int32_t id = 0;
  unsigned virtualKey = 0, modifiers = 0;
};
std::vector<ProfileHotKey> g_profiles;
// The undo shortcut's place in the table: a name no profile can have (a
// settings file's section names hold no NUL).
const std::wstring kUndoEntry(L"\0undo", 5);
// The id whose action runs (0: none, or not a shortcut's action), and the ids
// pressed meanwhile, in order.
std::int32_t g_actingId = 0;
std::vector<std::int32_t> g_waiting;

// The Global Hotkeys entries. Their presses wait in the same line as the
// registered shortcuts', under ids no atom can have (atoms fit in 16 bits).
struct Entry {
  EntryKind kind;
  std::wstring profile;
  std::vector<unsigned> held;  // the keys held at its last press
  std::uint32_t seen = 0;      // when its last message came, or its action ended
};
std::vector<Entry> g_entries;
std::intptr_t g_entryMessage = 0;
constexpr std::int32_t kFirstEntryId = 0x10000;
// How much later than the keyboard's own timing a repeat may come: Winamp
// may have been busy in between.
constexpr std::uint32_t kRepeatSlack = 250;

std::vector<ProfileHotKey>::iterator FindProfile(const std::wstring& profile) {
  return std::find_if(g_profiles.begin(), g_profiles.end(),
                      [&](const ProfileHotKey& entry) { return entry.profile == profile; });
}

void Release(platform::WindowHandle window, const ProfileHotKey& entry) {
  auto& windows = platform::Windows();
  windows.UnregisterHotKey(window, entry.id);
  windows.GlobalDeleteAtom(static_cast<std::uint16_t>(entry.id));
}

bool IsOurs(std::int32_t id) {
  if (id == 0) return false;
  return id == g_hotKeyId || std::any_of(g_profiles.begin(), g_profiles.end(),
                                         [&](const ProfileHotKey& entry) { return entry.id == id; });
}

void DispatchEntry(std::size_t number) {
  if (number >= g_entries.size()) return;
  const Entry entry = g_entries[number];  // the table may change while it acts
  switch (entry.kind) {
    case EntryKind::Working:
      return g_target->OnHotKey();
    case EntryKind::Profile:
      return g_target->OnProfileHotKey(entry.profile);
    case EntryKind::Undo:
      return g_target->OnUndoKey();
  }
}

// The hotkey modifier bit that a held virtual key stands for; 0 for the rest.
unsigned ModifierOf(unsigned key) {
  switch (key) {
    case 0x10:  // Shift, then its left and right keys
    case 0xA0:
    case 0xA1:
      return kModShift;
    case 0x11:  // Ctrl
    case 0xA2:
    case 0xA3:
      return kModControl;
    case 0x12:  // Alt
    case 0xA4:
    case 0xA5:
      return kModAlt;
    case 0x5B:  // the Windows keys
    case 0x5C:
      return kModWin;
    default:
      return 0;
  }
}

// After an entry's action: presses of its keys that came meanwhile belong to
// it, and so do the repeats that follow while they are still held.
void EntryActed(std::size_t number) {
  if (number >= g_entries.size()) return;
  Entry& entry = g_entries[number];
  auto& windows = platform::Windows();
  entry.seen = windows.TickCount();
  unsigned modifiers = 0;
  std::vector<unsigned> keys;
  for (unsigned key : entry.held) {
    modifiers |= ModifierOf(key);
    if (ModifierOf(key) == 0) keys.push_back(key);
  }
  if (!keys.empty()) windows.DiscardQueuedKeyPresses(modifiers, keys);
}

// Hands one press to the target; a profile dropped since it was pressed acts
// on nothing.
void Dispatch(std::int32_t id) {
  if (id >= kFirstEntryId) return DispatchEntry(static_cast<std::size_t>(id - kFirstEntryId));
  if (id == g_hotKeyId) {
    g_target->OnHotKey();
    return;
  }
  for (const ProfileHotKey& entry : g_profiles) {
    if (entry.id != id) continue;
    const std::wstring profile = entry.profile;  // the table may change while it acts
    if (profile == kUndoEntry) {
      g_target->OnUndoKey();
    } else {
      g_target->OnProfileHotKey(profile);
    }
    return;
  }
}

void Press(platform::WindowHandle window, std::int32_t id) {
  if (g_target == nullptr) return;
  if (g_actionDepth > 0) {
    if (g_actingId != 0 && id != g_actingId &&
        std::find(g_waiting.begin(), g_waiting.end(), id) == g_waiting.end()) {
      g_waiting.push_back(id);
    }
    return;
  }
  for (std::int32_t next = id; next != 0;) {
    {
      ActionScope acting;
      g_actingId = next;
      Dispatch(next);
      // Presses that came in meanwhile (keys held through the keyboard's
      // repeat, where Windows does not drop the repeats) belong to this one;
      // other shortcuts' stay queued.
      if (next >= kFirstEntryId) {
        EntryActed(static_cast<std::size_t>(next - kFirstEntryId));
      } else {
        platform::Windows().DiscardQueuedHotKeys(window, next);
      }
      g_actingId = 0;
    }
    next = 0;
    if (!g_waiting.empty() && g_target != nullptr) {
      next = g_waiting.front();
      g_waiting.erase(g_waiting.begin());
    }
  }
}

// An entry's message. The Global Hotkeys plug-in may send one for every
// repeat of a held key, at most KeyRepeatWait apart: a message that comes so
// soon after the entry's last one, while the keys held then are still held,
// belongs to the press before it.
void PressEntry(platform::WindowHandle window, std::uintptr_t number) {
  if (number >= g_entries.size()) return;
  auto& windows = platform::Windows();
  const std::uint32_t now = windows.TickCount();
  std::vector<unsigned> held = windows.HeldKeys();
  Entry& entry = g_entries[number];
  const bool repeat = !entry.held.empty() && now - entry.seen <= windows.KeyRepeatWait() + kRepeatSlack &&
                      std::all_of(entry.held.begin(), entry.held.end(), [&](unsigned key) {
                        return std::find(held.begin(), held.end(), key) != held.end();
                      });
  entry.seen = now;
  if (repeat) return;
  entry.held = std::move(held);
  Press(window, kFirstEntryId + static_cast<std::int32_t>(number));
}

std::intptr_t Trampoline(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  return HookWndProc(window, message, wParam, lParam);
}

}  // namespace

void SetTarget(Target* target) { g_target = target; }
void SetEntryMessage(std::intptr_t ipc) { g_entryMessage = ipc; }
std::uintptr_t AddEntry(EntryKind kind, const std::wstring& profile) {
  g_entries.push_back({kind, profile, {}, 0});
  return g_entries.size() - 1;
}
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
  for (auto entry = g_profiles.begin(); virtualKey != 0 && entry != g_profiles.end(); ++entry) {
    if (entry->virtualKey == virtualKey && entry->modifiers == modifiers) {
      Release(window, *entry);
      g_profiles.erase(entry);
      break;
    }
  }
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

int SetProfileHotKey(platform::WindowHandle window, const std::wstring& profile, unsigned virtualKey,
                     unsigned modifiers, platform::OpResult* failure) {
  auto& windows = platform::Windows();
  auto entry = FindProfile(profile);
  if (entry == g_profiles.end()) {
    ProfileHotKey added{profile};
    while (std::any_of(g_profiles.begin(), g_profiles.end(),
                       [&](const ProfileHotKey& other) { return other.number == added.number; })) {
      ++added.number;
    }
    added.id = static_cast<std::int16_t>(
        windows.GlobalAddAtom(kHotKeyAtomName + std::wstring(L"#") + std::to_wstring(added.number)));
    if (added.id == 0) {
      if (failure) *failure = {1, L"No global atom could be created for the hotkey."};
      return -1;
    }
    g_profiles.push_back(added);
    entry = g_profiles.end() - 1;
  } else {
    windows.UnregisterHotKey(window, entry->id);
  }
  platform::OpResult result = windows.RegisterHotKey(window, entry->id, modifiers | kModNoRepeat, virtualKey);
  if (failure) *failure = result;
  if (!result.ok()) {
    Release(window, *entry);
    g_profiles.erase(entry);
    return -1;
  }
  entry->virtualKey = virtualKey;
  entry->modifiers = modifiers;
  return 0;
}

void DropProfileHotKey(platform::WindowHandle window, const std::wstring& profile) {
  auto entry = FindProfile(profile);
  if (entry == g_profiles.end()) return;
  Release(window, *entry);
  g_profiles.erase(entry);
}

void DropProfileHotKeys(platform::WindowHandle window) {
  for (const ProfileHotKey& entry : g_profiles) Release(window, entry);
  g_profiles.clear();
  g_waiting.clear();
}

bool ProfileHotKeyIs(const std::wstring& profile, unsigned virtualKey, unsigned modifiers) {
  auto entry = FindProfile(profile);
  return entry != g_profiles.end() && entry->virtualKey == virtualKey && entry->modifiers == modifiers;
}

int SetUndoHotKey(platform::WindowHandle window, unsigned virtualKey, unsigned modifiers,
                  platform::OpResult* failure) {
  return SetProfileHotKey(window, kUndoEntry, virtualKey, modifiers, failure);
}
void DropUndoHotKey(platform::WindowHandle window) { DropProfileHotKey(window, kUndoEntry); }
bool UndoHotKeyIs(unsigned virtualKey, unsigned modifiers) {
  return ProfileHotKeyIs(kUndoEntry, virtualKey, modifiers);
}

std::intptr_t HookWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  const auto id = static_cast<std::int32_t>(static_cast<std::intptr_t>(wParam));
  if (!g_forwardOnly && message == kWmHotKey && IsOurs(id)) {
    Press(window, id);
    return 0;
  }
  if (!g_forwardOnly && message == kWmUser && g_entryMessage != 0 && lParam == g_entryMessage) {
    PressEntry(window, wParam);
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

std::wstring LetterShortcutName(std::int32_t modifiers, std::int32_t key) {
  return ShortcutName(static_cast<unsigned>(modifiers), static_cast<wchar_t>(L'A' + key - 1));
}

bool KnownModifiers(std::int32_t modifiers) {
  return modifiers > 0 && (modifiers & ~static_cast<std::int32_t>(kModAll)) == 0;
}

bool IsLetterShortcut(std::int32_t modifiers, std::int32_t key) {
  return key >= 1 && key <= 26 && KnownModifiers(modifiers);
}

}  // namespace vandrel::hotkey
