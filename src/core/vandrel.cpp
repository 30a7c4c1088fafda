#include "core/vandrel.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "core/settings_location.h"
#include "dialog/config.h"
#include "journal/journal.h"
#include "platform/error.h"
#include "platform/toolkit.h"
#include "settings/ini_class.h"
#include "settings/profile.h"
#include "settings/values.h"
#include "winamp/bridge.h"

namespace vandrel::core {

namespace {

Vandrel* g_pluginInstance = nullptr;

constexpr wchar_t kTitle[] = L"Vandrel";
constexpr wchar_t kErrorTitle[] = L"Vandrel Error";
constexpr std::int32_t kLastLetterKey = 26;
// The longest plug-in list entry that names every shortcut; a longer one
// names the first and how many more.
constexpr std::size_t kDescriptionFits = 80;

std::wstring Quoted(const std::wstring& name) { return L"'" + name + L"'"; }

// The box for a shortcut that Windows refused; `forWhat` names what it was
// registered for (" for the settings 'x'"), empty for the working shortcut.
std::wstring RegistrationFailed(const std::wstring& forWhat, const std::wstring& shortcut,
                                const platform::OpResult& failure) {
  return L"Failed to register hotkey" + forWhat +
         L".\r\n\r\nKey is possibly in use by another application or by Windows\r\n"
         L"(eg D, E, F, M and R are reserved by Explorer).\r\n\r\n" +
         shortcut + L": " + failure.message +
         L"\r\n\r\nChoose another combination, for example Ctrl+Alt and a letter.";
}

// A target folder as the plug-in takes it: a bare drive stands for its root;
// none when shorter than a root or nothing but spaces.
std::optional<std::wstring> UsableFolder(const std::wstring& newPath) {
  std::wstring path = newPath;
  if (path.size() == 2 && path[1] == L':') path += L'\\';
  if (path.size() < 3 || path.find_first_not_of(L' ') == std::wstring::npos) return std::nullopt;
  return path;
}

// A profile's saved settings as the action reads them; commands go to the
// plug-in's Winamp window.
class SavedSettings : public disposal::ActHost {
 public:
  SavedSettings(settings::Profile profile, Vandrel& plugin) : profile_(std::move(profile)), plugin_(plugin) {}
  bool moveToFolder() override { return profile_.moveToFolder; }
  std::wstring savingPlace() override { return UsableFolder(profile_.savingPlace).value_or(L""); }
  bool sortingOption() override { return profile_.sortingOption; }
  bool createArtistFolder() override { return profile_.createArtistFolder; }
  std::int32_t playlistEntry() override { return profile_.playlistEntry; }
  bool artistFromTags() override { return profile_.artistFromTags; }
  bool libraryEntry() override { return profile_.libraryEntry; }
  bool removeEmptyFolders() override { return profile_.removeEmptyFolders; }
  bool companionFiles() override { return profile_.companionFiles; }
  std::wstring companionExtensions() override { return plugin_.companionExtensions(); }
  std::wstring holdingFolder() override { return plugin_.holdingFolder(); }
  std::vector<std::wstring> keptFolders() override { return plugin_.keptFolders(); }
  platform::WindowHandle WinAmpWindowHandle() override { return plugin_.WinAmpWindowHandle(); }
  void Record(const std::wstring& song, const disposal::Disposal& done, std::int32_t index) override {
    plugin_.Recorded(profile_.name, song, done, index);
  }

 private:
  settings::Profile profile_;
  Vandrel& plugin_;
};

std::wstring Hex(std::intptr_t value) {
  // A value that fits in 32 bits is shown as such (a negative one as its
  // eight-digit two's complement); a wider handle in full.
  unsigned long long shown;
  if (value >= INT32_MIN && value <= INT32_MAX) {
    shown = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
  } else {
    shown = static_cast<unsigned long long>(value);
  }
  wchar_t buffer[32];
  std::swprintf(buffer, 32, L"%llX", shown);
  return buffer;
}

}  // namespace

Vandrel* PluginInstance() { return g_pluginInstance; }

std::wstring SettingsPathForModule(const std::wstring& modulePath) {
  // Only the file's own extension is replaced, whatever its case, so a folder
  // named like "songs.dll" on the way keeps its name, and the settings file
  // can never be the module itself.
  std::size_t slash = modulePath.find_last_of(L"\\/");
  std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
  if (modulePath.size() >= nameStart + 4) {
    std::wstring ext = modulePath.substr(modulePath.size() - 4);
    for (wchar_t& c : ext) {
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    }
    if (ext == L".dll") return modulePath.substr(0, modulePath.size() - 4) + L".ini";
  }
  return modulePath + L".ini";
}

Vandrel::~Vandrel() {
  if (g_pluginInstance == this) {
    g_pluginInstance = nullptr;
    hotkey::SetTarget(nullptr);
  }
}

Wrapper& Vandrel::RequireWrapper() {
  if (!wrapper_) throw Error(errors::kUnexpected, L"The plug-in has not been initialized");
  return *wrapper_;
}

platform::WindowHandle Vandrel::WinAmpWindowHandle() { return RequireWrapper().WinAmpWindowHandle(); }

void Vandrel::IZekWinAmpGenPlugin_Initialize(std::shared_ptr<Wrapper> wrapper) {
  if (g_pluginInstance != nullptr) throw Error(errors::kAlreadyInstance, L"Already have a plugin instance");
  g_pluginInstance = this;
  hotkey::SetTarget(this);
  wrapper_ = std::move(wrapper);

  RequireWrapper().SetPluginDescription(L"Vandrel");
  // Boxes belong to Winamp's window (the dialog takes them while it is up),
  // so they stay in front of Winamp whichever program is active.
  platform::Ui().SetBoxOwner(RequireWrapper().WinAmpWindowHandle());
  hotkey::HookWinampWindow(RequireWrapper().WinAmpWindowHandle());
  ApplyShortcut(modifiers_, 0);

  settings::IniClass& ini = settings::SettingsIni();
  ini.SetFileName(ChooseSettingsFile(platform::Windows().OwnModuleFileName(),
                                     winamp::GetIniDirectory(RequireWrapper().WinAmpWindowHandle())));
  // The always-active profiles come after the working one, which keeps its
  // shortcut, even when the working one could not be read to the end.
  try {
    LoadUndoSettings();
    LoadLastUsedProfile();
  } catch (const Error&) {
    RefreshShortcuts(true);
    StartGlobalHotkeys();
    throw;
  }
  RefreshShortcuts(true);
  StartGlobalHotkeys();
}

void Vandrel::StartGlobalHotkeys() {
  if (!globalHotkeys_.IsOpen() &&
      !globalHotkeys_.Open(RequireWrapper().WinAmpWindowHandle(), "Vandrel_GlobalHotkey")) {
    return;  // no Global Hotkeys plug-in in this Winamp
  }
  hotkey::SetEntryMessage(globalHotkeys_.EntryMessage());
  AddEntry(hotkey::EntryKind::Working, L"", "Vandrel_working", L"Vandrel: dispose of the playing song");
  AddProfileEntries();
  AddEntry(hotkey::EntryKind::Undo, L"", "Vandrel_undo", L"Vandrel: undo the last disposal");
}

void Vandrel::AddProfileEntries() {
  std::vector<std::wstring> names;
  if (!globalHotkeys_.IsOpen() || !settings::SettingsIni().Enum_SectionNames(names)) return;
  for (const std::wstring& name : names) {
    // The id is the user's key's name in Winamp: made of the profile's name
    // alone, so neither the order of the file nor a new version changes it.
    if (!name.empty() && name != settings::kConfigSection)
      AddEntry(hotkey::EntryKind::Profile, name, "Vandrel_profile_" + journal::ToUtf8(name),
               L"Vandrel: " + name);
  }
}

void Vandrel::AddEntry(hotkey::EntryKind kind, const std::wstring& profile, const std::string& id,
                       const std::wstring& name) {
  if (globalHotkeys_.Has(id)) return;
  globalHotkeys_.Post(RequireWrapper().WinAmpWindowHandle(), name, id, hotkey::AddEntry(kind, profile));
}

void Vandrel::LoadUndoSettings() {
  settings::IniClass& ini = settings::SettingsIni();
  std::wstring notify, key, modifiers;
  undoKey_ = undoModifiers_ = 0;
  notify_ = !ini.ReadValue(settings::kConfigSection, settings::kNotifyKey, notify) || notify != L"0";
  holdingFolder_.clear();
  ini.ReadValue(settings::kConfigSection, settings::kHoldingFolderKey, holdingFolder_);
  if (!ini.ReadValue(settings::kConfigSection, settings::kCompanionExtensionsKey, companionExtensions_) ||
      companionExtensions_.empty())
    companionExtensions_ = settings::kCompanionExtensions;
  if (!ini.ReadValue(settings::kConfigSection, settings::kUndoKeyKey, key) || key.empty() || key == L"0")
    return;
  ini.ReadValue(settings::kConfigSection, settings::kUndoModifiersKey, modifiers);
  const std::int32_t letter = settings::ToInt32(key), mods = settings::ToInt32(modifiers);
  if (!hotkey::IsLetterShortcut(mods, letter)) {
    platform::Ui().MessageBox(L"The undo shortcut of the settings file (UndoKey=" + key +
                                  L", UndoModifiers=" + modifiers +
                                  L") is not a letter A to Z (1 to 26) with some of Alt (1), Ctrl (2), "
                                  L"Shift (4) and Win (8).\r\n\r\nUndo has no shortcut.",
                              kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
    return;
  }
  undoKey_ = letter;
  undoModifiers_ = mods;
}

bool Vandrel::SetUndoShortcut(std::int32_t modifiers, std::int32_t key) {
  if (key != 0 && !hotkey::IsLetterShortcut(modifiers, key)) return false;
  const std::int32_t oldKey = std::exchange(undoKey_, key),
                     oldModifiers = std::exchange(undoModifiers_, modifiers);
  RefreshShortcuts(true);
  if (key != 0 && !hotkey::UndoHotKeyIs(static_cast<unsigned>(64 + key), static_cast<unsigned>(modifiers))) {
    // Refused (the box has said why): the shortcut in force stays.
    undoKey_ = oldKey;
    undoModifiers_ = oldModifiers;
    RefreshShortcuts(false);
    return false;
  }
  settings::IniClass& ini = settings::SettingsIni();
  if (!ini.WriteValue(settings::kConfigSection, settings::kUndoKeyKey, std::to_wstring(key)) ||
      !ini.WriteValue(settings::kConfigSection, settings::kUndoModifiersKey, std::to_wstring(modifiers))) {
    platform::Ui().MessageBox(L"The undo shortcut works until Winamp ends, but could not be saved:\r\n\r\n" +
                                  ini.LastErrorDescription(),
                              kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  }
  return true;
}

void Vandrel::Setnotify(bool on) {
  notify_ = on;
  settings::IniClass& ini = settings::SettingsIni();
  if (!ini.WriteValue(settings::kConfigSection, settings::kNotifyKey, on ? L"1" : L"0")) {
    platform::Ui().MessageBox(
        L"The choice of notices holds until Winamp ends, but could not be saved:\r\n\r\n" +
            ini.LastErrorDescription(),
        kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  }
}

std::vector<std::wstring> Vandrel::keptFolders() {
  // Every profile read once, at the first need after the start or a change
  // of the profiles: not at each press, nor at each entry of a run.
  if (!profileTargets_) {
    profileTargets_.emplace();
    std::vector<std::wstring> names;
    if (settings::SettingsIni().Enum_SectionNames(names)) {
      for (const std::wstring& name : names) {
        settings::Profile profile;
        if (name != settings::kConfigSection && settings::ReadProfile(name, profile) &&
            !profile.savingPlace.empty())
          profileTargets_->push_back(profile.savingPlace);
      }
    }
  }
  std::vector<std::wstring> kept{savingPlace_};
  kept.insert(kept.end(), profileTargets_->begin(), profileTargets_->end());
  return kept;
}

void Vandrel::SetholdingFolder(const std::wstring& folder) {
  holdingFolder_ = folder;
  settings::IniClass& ini = settings::SettingsIni();
  if (!ini.WriteValue(settings::kConfigSection, settings::kHoldingFolderKey, folder)) {
    platform::Ui().MessageBox(L"The holding folder holds until Winamp ends, but could not be saved:\r\n\r\n" +
                                  ini.LastErrorDescription(),
                              kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  }
}

void Vandrel::LoadLastUsedProfile() {
  auto& ui = platform::Ui();
  settings::IniClass& ini = settings::SettingsIni();
  std::wstring lastUsed;
  if (!ini.ReadValue(settings::kConfigSection, settings::kLastUsedKey, lastUsed)) {
    ui.MessageBox(L"Seems like the first time you are running [Vandrel], please configure the plugin!",
                  kTitle, platform::Icon::Information, platform::Buttons::Ok);
    return;
  }
  std::vector<std::wstring> keys;
  std::vector<std::wstring> values;
  if (!ini.ReadSection(lastUsed, keys, values)) {
    ui.MessageBox(ini.LastErrorDescription(), kTitle, platform::Icon::Critical, platform::Buttons::Ok);
    return;
  }
  // Entries are matched by position only; the first five positions must be
  // there. The modifiers (sixth) are taken with the letter, so the hotkey is
  // registered once, as the profile has it.
  auto entry = [&](std::size_t position) -> bool {
    if (position >= keys.size() || position >= values.size()) {
      throw Error(errors::kSubscriptRange, L"Subscript out of range");
    }
    return ui.Lower(keys[position]) == settings::kProfileReadNames[position];
  };
  workingProfile_ = lastUsed;
  if (entry(0)) ApplyShortcut(settings::ProfileModifiers(keys, values), settings::ToInt32(values[0]));
  if (entry(1)) SetmoveToFolder(settings::ProfileBoolean(values[1]));
  if (entry(2)) SetsavingPlace(values[2]);
  if (entry(3)) SetsortingOption(settings::ProfileBoolean(values[3]));
  if (entry(4)) SetcreateArtistFolder(settings::ProfileBoolean(values[4]));
  // The later entries may be missing altogether: the entry then stays.
  const std::wstring bad = settings::ProfilePlaylistEntry(lastUsed, keys, values, playlistEntry_);
  if (!bad.empty()) ui.MessageBox(bad, kTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  artistFromTags_ = settings::ProfileArtistFromTags(keys, values);
  libraryEntry_ = settings::ProfileLibraryEntry(keys, values);
  companionFiles_ = settings::ProfileFlag(keys, values, settings::kCompanionFilesPosition);
  removeEmptyFolders_ = settings::ProfileFlag(keys, values, settings::kRemoveEmptyFoldersPosition);
}

void Vandrel::IZekWinAmpGenPlugin_Configure() { dialog::ShowConfig(g_pluginInstance); }

void Vandrel::IZekWinAmpGenPlugin_Quit() {
  // An object whose Initialize was refused (a second instance) owns nothing:
  // its Quit must not take the first instance's hook or hotkey away.
  if (g_pluginInstance != this) return;
  if (dialog::ConfigDialogOpen()) {
    dialog::UnloadConfig();
    dialog::ConfigDialogOpen() = false;
  }
  platform::WindowHandle window = RequireWrapper().WinAmpWindowHandle();
  FlushJournal();
  if (platform::Current().toolkit) platform::Widgets().HideNotice();
  hotkey::UnhookWinampWindow(window);
  hotkey::SetEntryMessage(0);
  // Release the hotkeys, their atoms and the instance slot, so that a new
  // instance can start later in the same process.
  hotkey::DropProfileHotKeys(window);
  active_.clear();
  hotkey::SetHotKey(window, 0);
  hotkey::ForgetPrevWndProc();
  hotkey::SetTarget(nullptr);
  g_pluginInstance = nullptr;
}

void Vandrel::SetKey(std::int32_t newKey) { SetShortcut(modifiers_, newKey); }

void Vandrel::SetShortcut(std::int32_t modifiers, std::int32_t newKey) {
  ApplyShortcut(modifiers, newKey);
  // A profile that gave way to the old shortcut may have it now, and one
  // holding the new shortcut has given way.
  RefreshShortcuts(true);
}

bool Vandrel::ApplyShortcut(std::int32_t modifiers, std::int32_t newKey) {
  platform::WindowHandle window = RequireWrapper().WinAmpWindowHandle();
  std::int32_t code = 0;
  if (__builtin_add_overflow(newKey, 64, &code)) throw Error(errors::kOverflow, L"Overflow");
  if (newKey == 0) code = 0;

  if (newKey < 0 || newKey > kLastLetterKey) {
    // Only the letters A to Z can be the hotkey; any other number (possible
    // in a settings file edited by hand) turns the hotkey off, and says so.
    platform::Ui().MessageBox(L"Hotkey number " + std::to_wstring(newKey) +
                                  L" is not one of the letters A to Z (1 to 26).\r\n\r\nNo hotkey is set.",
                              kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
    newKey = 0;
    code = 0;
  }
  if (!hotkey::KnownModifiers(modifiers)) {
    if (newKey != 0) {
      platform::Ui().MessageBox(L"Hotkey modifiers " + std::to_wstring(modifiers) +
                                    L" are not a combination of Alt (1), Ctrl (2), Shift (4) and Win (8)."
                                    L"\r\n\r\nNo hotkey is set.",
                                kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
    }
    modifiers = hotkey::kModWin;
    newKey = 0;
    code = 0;
  }
  modifiers_ = modifiers;

  platform::OpResult failure;
  if (hotkey::SetHotKey(window, static_cast<unsigned>(code), static_cast<unsigned>(modifiers), &failure) !=
      0) {
    platform::Ui().MessageBox(RegistrationFailed(L"", hotkey::LetterShortcutName(modifiers, newKey), failure),
                              kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
    key_ = 0;
    return false;
  }
  key_ = newKey;
  UpdateDescription();
  return true;
}

void Vandrel::UpdateDescription() {
  std::vector<std::wstring> names;
  if (key_ != 0) names.push_back(hotkey::LetterShortcutName(modifiers_, key_));
  for (const settings::Profile& profile : active_)
    names.push_back(hotkey::LetterShortcutName(profile.modifiers, profile.key));
  if (names.empty()) {
    RequireWrapper().SetPluginDescription(L"Vandrel [No HotKey]");
    return;
  }
  std::wstring all;
  for (const std::wstring& name : names) all += (all.empty() ? L"" : L", ") + name;
  std::wstring description = L"Vandrel [" + all + L"]";
  if (description.size() > kDescriptionFits) {
    description = L"Vandrel [" + names[0] + L" and " + std::to_wstring(names.size() - 1) + L" more]";
  }
  RequireWrapper().SetPluginDescription(description);
}

void Vandrel::RefreshShortcuts(bool tellClashes) {
  profileTargets_.reset();  // the profiles may have changed
  platform::WindowHandle window = RequireWrapper().WinAmpWindowHandle();
  std::set<std::wstring> problems;
  std::vector<std::wstring> boxes;
  // A refusal is told when it is new: a profile and shortcut refused before
  // are not told again at every change of the file.
  auto refuse = [&](const settings::Profile& profile, const std::wstring& text, bool tell) {
    std::wstring seen =
        profile.name + L"|" + std::to_wstring(profile.modifiers) + L"|" + std::to_wstring(profile.key);
    if (tell && !problems_.count(seen)) boxes.push_back(text);
    problems.insert(std::move(seen));
  };
  auto sameKeys = [](const settings::Profile& a, const settings::Profile& b) {
    return a.key == b.key && a.modifiers == b.modifiers;
  };

  std::vector<settings::Profile> wanted;
  for (settings::Profile& profile : settings::ReadActiveProfiles()) {
    if (!hotkey::IsLetterShortcut(profile.modifiers, profile.key)) continue;
    const std::wstring shortcut = hotkey::LetterShortcutName(profile.modifiers, profile.key);
    if (key_ != 0 && profile.key == key_ && profile.modifiers == modifiers_) {
      // The working settings keep their shortcut; the same profile's is the same press.
      if (profile.name != workingProfile_) {
        refuse(profile,
               L"The settings " + Quoted(profile.name) + L" keep the shortcut " + shortcut +
                   L" active, but it is the shortcut of the working settings" +
                   (workingProfile_.empty() ? L"" : L" " + Quoted(workingProfile_)) +
                   L".\r\n\r\nIt stays theirs; " + Quoted(profile.name) +
                   L" has no shortcut of its own until one of the two is changed.",
               tellClashes);
      }
      continue;
    }
    auto holder = std::find_if(wanted.begin(), wanted.end(),
                               [&](const settings::Profile& other) { return sameKeys(other, profile); });
    if (holder != wanted.end()) {
      refuse(profile,
             L"The settings " + Quoted(holder->name) + L" and " + Quoted(profile.name) +
                 L" both keep the shortcut " + shortcut + L" active.\r\n\r\nIt stays with " +
                 Quoted(holder->name) + L", the first in the settings file; " + Quoted(profile.name) +
                 L" has no shortcut of its own until one of the two is changed.",
             tellClashes);
      continue;
    }
    wanted.push_back(std::move(profile));
  }

  // The undo shortcut comes after the working one and the profiles': keys
  // they hold stay theirs.
  settings::Profile undo;
  undo.name = L"\n";  // no profile's name
  undo.key = undoKey_;
  undo.modifiers = undoModifiers_;
  const auto holder = std::find_if(wanted.begin(), wanted.end(),
                                   [&](const settings::Profile& profile) { return sameKeys(profile, undo); });
  const bool undoFree =
      undoKey_ != 0 && !(undoKey_ == key_ && undoModifiers_ == modifiers_) && holder == wanted.end();
  const auto undoKey = static_cast<unsigned>(64 + undoKey_),
             undoModifiers = static_cast<unsigned>(undoModifiers_);
  if (!undoFree || !hotkey::UndoHotKeyIs(undoKey, undoModifiers)) hotkey::DropUndoHotKey(window);
  if (undoKey_ != 0 && !undoFree) {
    const std::wstring shortcut = hotkey::LetterShortcutName(undoModifiers_, undoKey_);
    refuse(undo,
           L"The undo shortcut " + shortcut +
               (holder == wanted.end() ? L" is the shortcut of the working settings" +
                                             (workingProfile_.empty() ? L"" : L" " + Quoted(workingProfile_))
                                       : L" is kept active by the settings " + Quoted(holder->name)) +
               L".\r\n\r\nIt stays theirs; undo has no shortcut until one of the two is changed.",
           true);
  }

  // Shortcuts that go are dropped first, so one handed from one profile to
  // another is free by the time it is registered again.
  for (const settings::Profile& old : active_) {
    const bool kept = std::any_of(wanted.begin(), wanted.end(), [&](const settings::Profile& profile) {
      return profile.name == old.name && sameKeys(profile, old);
    });
    if (!kept) hotkey::DropProfileHotKey(window, old.name);
  }
  std::vector<settings::Profile> registered;
  for (settings::Profile& profile : wanted) {
    const auto virtualKey = static_cast<unsigned>(64 + profile.key);
    const auto modifiers = static_cast<unsigned>(profile.modifiers);
    platform::OpResult failure;
    if (hotkey::ProfileHotKeyIs(profile.name, virtualKey, modifiers) ||
        hotkey::SetProfileHotKey(window, profile.name, virtualKey, modifiers, &failure) == 0) {
      registered.push_back(std::move(profile));
    } else {
      refuse(profile,
             RegistrationFailed(L" for the settings " + Quoted(profile.name),
                                hotkey::LetterShortcutName(profile.modifiers, profile.key), failure),
             true);
    }
  }
  if (undoFree && !hotkey::UndoHotKeyIs(undoKey, undoModifiers)) {
    platform::OpResult failure;
    if (hotkey::SetUndoHotKey(window, undoKey, undoModifiers, &failure) != 0) {
      refuse(undo,
             RegistrationFailed(L" for undo", hotkey::LetterShortcutName(undoModifiers_, undoKey_), failure),
             true);
    }
  }
  const bool changed = registered != active_;
  active_ = std::move(registered);
  problems_ = std::move(problems);
  if (changed) UpdateDescription();
  for (const std::wstring& text : boxes) {
    platform::Ui().MessageBox(text, kErrorTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  }
  AddProfileEntries();  // a profile saved since has its entry from now on
}

void Vandrel::SetsavingPlace(const std::wstring& newPath) {
  if (newPath.empty()) {
    savingPlace_.clear();
    return;
  }
  std::optional<std::wstring> path = UsableFolder(newPath);
  if (!path) {
    platform::Ui().MessageBox(newPath + L"\r\nInvalid path!", kTitle, platform::Icon::Information,
                              platform::Buttons::Ok);
    return;
  }
  savingPlace_ = *path;
}

void Vandrel::Info() {
  Wrapper& wrapper = RequireWrapper();
  std::wstring description = wrapper.PluginDescription();
  std::wstring wrapperDescription = wrapper.WrapperDescription();
  platform::WindowHandle window = wrapper.WinAmpWindowHandle();
  std::intptr_t dll = wrapper.WrapperDllHandle();
  std::int32_t major = wrapper.WrapperVersion() / 65536;
  std::int32_t minor = wrapper.WrapperVersion() & 0xFFFF;
  std::wstring text = L"Plugin Description: \r\n" + description + L"\r\n\r\nWrapper Description: \r\n" +
                      wrapperDescription + L"\r\n\r\nWinAmp Window Handle: 0x" + Hex(window) +
                      L"\r\nWrapper DLL Handle: 0x" + Hex(dll) + L"\r\nWrapper Version: " +
                      std::to_wstring(major) + L"." + std::to_wstring(minor) +
                      L"\r\n\r\nSettings File: \r\n" + settings::SettingsIni().FileName();
  platform::Ui().MessageBox(text, kTitle, platform::Icon::Information, platform::Buttons::Ok);
}

void Vandrel::MoveToPlaylistStart() {
  platform::Windows().SendMessage(RequireWrapper().WinAmpWindowHandle(), winamp::kWmCommand, winamp::kCmdStop,
                                  0);
  platform::Windows().SendMessage(RequireWrapper().WinAmpWindowHandle(), winamp::kWmCommand,
                                  winamp::kCmdStartOfPlaylist, 0);
}

disposal::ActOutcome Vandrel::Act() { return disposal::Act(*this); }

disposal::ActOutcome Vandrel::Dispose(const std::wstring& song, bool showNetworkRefusal,
                                      disposal::Disposal* done, std::int32_t index,
                                      disposal::RunChoices* run) {
  disposal::Disposal disposal;
  const disposal::ActOutcome outcome =
      disposal::Dispose(*this, song, showNetworkRefusal, false, &disposal, run);
  if (outcome == disposal::ActOutcome::Disposed) {
    // The run syncs the library once, at its end.
    disposal::FollowInLibrary(*this, song, disposal, false);
    Journal(workingProfile_, song, disposal, index, true);
  }
  if (done) *done = disposal;
  return outcome;
}

journal::Line Vandrel::Journal(const std::wstring& profile, const std::wstring& song,
                               const disposal::Disposal& done, std::int32_t index, bool keepOpen) {
  const std::wstring path = journal::PathBeside(settings::SettingsIni().FileName());
  if (journalOpen_ && journalOpen_->path() != path) journalOpen_.reset();
  journal::Writer once(path);
  if (keepOpen && !journalOpen_) journalOpen_ = std::make_unique<journal::Writer>(path);
  journal::Writer& writer = keepOpen ? *journalOpen_ : once;
  journal::Line line{platform::Files().LocalTime(),
                     done.what,
                     song,
                     done.binItem.empty() ? done.movedTo : done.binItem,
                     profile,
                     index,
                     done.record};
  line.removedFolders = journal::JoinFolders(done.removedFolders);
  platform::OpResult written = writer.Write(line);
  // Each companion file its own line, tied to its song's.
  for (const disposal::Disposal::Companion& companion : done.companions) {
    journal::Line also{line.time, companion.what, companion.path, companion.newPath, profile, index};
    also.companionOf = song;
    if (const platform::OpResult result = writer.Write(also); written.ok()) written = result;
  }
  if (written.ok() || std::exchange(journalFailureTold_, true)) return line;
  platform::Ui().MessageBox(
      L"The journal\r\n" + path + L"\r\ncould not be written:\r\n\r\n" + written.Reason() +
          L"\r\n\r\nSongs are still deleted and moved as asked; this is said once until "
          L"Winamp starts again.",
      kTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
  return line;
}

void Vandrel::FlushJournal() { journalOpen_.reset(); }

void Vandrel::OnHotKey() {
  Guarded([&] { Act(); });
}

void Vandrel::OnUndoKey() {
  Guarded([&] { Undo(false); });
}

void Vandrel::Recorded(const std::wstring& profile, const std::wstring& song, const disposal::Disposal& done,
                       std::int32_t index) {
  Notice(NoticeOf(song, done), Journal(profile, song, done, index));
}

void Vandrel::OnProfileHotKey(const std::wstring& profile) {
  Guarded([&] {
    for (const settings::Profile& active : active_) {
      if (active.name != profile) continue;
      // A copy: the list may change while the action's boxes are up.
      SavedSettings saved(active, *this);
      disposal::Act(saved);
      return;
    }
    // Only a Global Hotkeys entry names a profile that keeps no shortcut
    // active: it acts with the profile's saved settings while there are any.
    settings::Profile saved;
    if (settings::ReadProfile(profile, saved)) {
      SavedSettings settings(saved, *this);
      disposal::Act(settings);
    } else if (goneEntriesTold_.insert(profile).second) {
      platform::Ui().MessageBox(L"The Global Hotkeys entry \"Vandrel: " + profile +
                                    L"\" does nothing: there are no saved settings named \"" + profile +
                                    L"\" any more.",
                                kTitle, platform::Icon::Exclamation, platform::Buttons::Ok);
    }
  });
}

void Vandrel::Guarded(const std::function<void()>& action) {
  // Presses arrive inside Winamp's window procedure: whatever goes wrong is
  // told to the user here and goes no further.
  try {
    action();
  } catch (const Error& error) {
    platform::Ui().MessageBox(error.Description(), kTitle, platform::Icon::Exclamation,
                              platform::Buttons::Ok);
  } catch (const std::exception&) {
    platform::Ui().MessageBox(L"An unexpected error stopped the action.", kTitle, platform::Icon::Critical,
                              platform::Buttons::Ok);
  }
}

}  // namespace vandrel::core
