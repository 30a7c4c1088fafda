// The profile commands: Load Settings, Save Settings, Delete Settings.
#include <algorithm>
#include <string>
#include <vector>

#include "dialog/frm_config.h"
#include "dialog/messages.h"
#include "hotkey/hook.h"
#include "platform/error.h"
#include "settings/ini_class.h"
#include "settings/profile.h"
#include "settings/values.h"

namespace vandrel::dialog {

namespace {

std::wstring Quoted(const std::wstring& name) { return L"'" + name + L"'"; }

// Which keys do what: "Ctrl+Alt+K, always active" over "Moves to D:\Keep,
// A to Z, per artist".
std::wstring Summary(const settings::Profile& p) {
  const bool hasKey = hotkey::IsLetterShortcut(p.modifiers, p.key);
  std::wstring text = hasKey ? hotkey::LetterShortcutName(p.modifiers, p.key) : L"No shortcut";
  if (hasKey && p.alwaysActive) text += L", always active";
  if (!p.moveToFolder) return text + L"\r\nDeletes the file";
  text += L"\r\nMoves to " + (p.savingPlace.empty() ? L"(no folder)" : p.savingPlace);
  if (p.sortingOption) text += L", A to Z";
  if (p.createArtistFolder) text += L", per artist";
  return text;
}

}  // namespace

void FrmConfig::ShowProfileSummary(const std::wstring& name) {
  settings::Profile profile;
  const bool known = !name.empty() && settings::ReadProfile(name, profile);
  form_->SetText(c_.profileSummary, known ? Summary(profile) : L"");
}

// Load Settings: applies the selected profile to the plug-in, entry by entry
// at its own position, and shows what the plug-in holds afterwards.
void FrmConfig::LoadSettings_Click() {
  platform::Form& f = *form_;
  int selected = f.SelectedIndex(c_.profileList);
  if (selected < 0 || !plugin_) return;
  const std::wstring name = f.ItemText(c_.profileList, selected);

  settings::IniClass& ini = settings::SettingsIni();
  std::vector<std::wstring> keys, values;
  if (!ini.ReadSection(name, keys, values)) {
    ShowBox(ini.LastErrorDescription(), platform::Icon::Critical);
    return;
  }
  plugin_->SetWorkingProfile(name);
  // Should "LastUsed" not take the name, the profile still applies now; the
  // box says why the next start will not load it.
  if (!ini.WriteValue(settings::kConfigSection, settings::kLastUsedKey, name)) {
    ShowBox(settings::WriteFailedMessage(), platform::Icon::Exclamation);
  }

  // A profile edited by hand may hold fewer entries or a hotkey that is no
  // number: what can be applied is, and the user hears about the rest.
  std::vector<std::wstring> notes;
  const std::size_t count = std::min(keys.size(), values.size());
  if (count < settings::kRequiredEntries) {
    notes.push_back(L"The settings " + Quoted(name) + L" hold " + std::to_wstring(count) +
                    L" of their 5 entries; the missing ones were left as they were.");
  }
  auto at = [&](std::size_t position) {
    return position < count && platform::Ui().Lower(keys[position]) == settings::kProfileReadNames[position];
  };

  if (at(0)) {
    std::int32_t key = 0;
    bool isNumber = true;
    try {
      key = settings::ToInt32(values[0]);
    } catch (const Error& error) {
      isNumber = false;
      notes.push_back(L"The hotkey entry " + Quoted(values[0]) + L" is not a usable number (" +
                      error.Description() + L"); the hotkey was left as it was.");
    }
    if (isNumber) {
      // The letter and its modifier keys are registered together.
      plugin_->SetShortcut(settings::ProfileModifiers(keys, values), key);
      f.Select(c_.cmbKey, plugin_->Key());
      ShowModifiers(plugin_->Modifiers());
    }
  }
  if (at(1)) {
    bool value = settings::ProfileBoolean(values[1]);
    plugin_->SetmoveToFolder(value);
    f.SetChecked(c_.chkmoveToFolder, value);
  }
  if (at(2)) {
    plugin_->SetsavingPlace(values[2]);
    if (!f.SetFolder(c_.folderList, plugin_->savingPlace()) ||
        !f.SetDrive(c_.driveSelector, plugin_->savingPlace())) {
      ShowBox(L"Seems like the folder does not exist!", platform::Icon::Information);
    }
  }
  if (at(3)) {
    bool value = settings::ProfileBoolean(values[3]);
    plugin_->SetsortingOption(value);
    f.SetChecked(c_.chkSortingOption, value);
  }
  if (at(4)) {
    bool value = settings::ProfileBoolean(values[4]);
    plugin_->SetcreateArtistFolder(value);
    f.SetChecked(c_.chkCreateArtistFolder, value);
  }
  // The later entries, each as a profile without it has it.
  settings::Profile later;
  later.alwaysActive = at(settings::kAlwaysActivePosition) &&
                       settings::ProfileBoolean(values[settings::kAlwaysActivePosition]);
  if (std::wstring bad = settings::ProfilePlaylistEntry(name, keys, values, later.playlistEntry);
      !bad.empty()) {
    notes.push_back(bad);
  }
  later.artistFromTags = settings::ProfileArtistFromTags(keys, values);
  later.libraryEntry = settings::ProfileLibraryEntry(keys, values);
  later.companionFiles = settings::ProfileFlag(keys, values, settings::kCompanionFilesPosition);
  later.removeEmptyFolders = settings::ProfileFlag(keys, values, settings::kRemoveEmptyFoldersPosition);
  plugin_->SetplaylistEntry(later.playlistEntry);
  plugin_->SetartistFromTags(later.artistFromTags);
  plugin_->SetlibraryEntry(later.libraryEntry);
  plugin_->SetcompanionFiles(later.companionFiles);
  plugin_->SetremoveEmptyFolders(later.removeEmptyFolders);
  ShowProfilePage(later);

  if (!notes.empty()) {
    std::wstring text;
    for (const std::wstring& note : notes) text += (text.empty() ? L"" : L"\r\n\r\n") + note;
    ShowBox(text, platform::Icon::Exclamation);
  }
}

// Save Settings: stores the controls' values as a profile under the cleaned
// name, makes it the profile last used and shows it selected in the list.
void FrmConfig::SaveSettings_Click() {
  platform::Form& f = *form_;
  std::wstring name = f.Text(c_.saveAS);
  settings::CleanName(name);
  f.SetText(c_.saveAS, name);
  if (name.empty()) {
    ShowBox(L"Please enter a name for this setting", platform::Icon::Information);
    return;
  }
  // Every page's part of the profile.
  settings::Profile profile;
  profile.name = name;
  CollectFirstPage(profile);
  CollectProfilePage(profile);
  const std::int32_t key = profile.key, modifiers = profile.modifiers;
  if (key > 0 && modifiers == 0) {
    ShowBox(L"Tick at least one of Ctrl, Alt, Shift and Win for the hotkey (Ctrl and Alt, for example).",
            platform::Icon::Information);
    return;
  }

  // The settings file holds 8-bit text in the system's ANSI code page: a
  // folder that does not survive the trip would come back as another path
  // ('?' in place of what the code page lacks), so it is not saved at all.
  const std::wstring& folder = profile.savingPlace;
  auto& ui = platform::Ui();
  if (ui.FromAnsi(ui.ToAnsi(folder)) != folder) {
    ShowBox(L"The settings were not saved: the folder\r\n" + folder +
                L"\r\nhas characters that the settings file cannot hold on this system.\r\n\r\nChoose a "
                L"folder whose name has none of them.",
            platform::Icon::Exclamation);
    return;
  }

  int count = f.ItemCount(c_.profileList);
  for (int i = 0; i < count; ++i) {
    if (f.ItemText(c_.profileList, i) != name) continue;
    if (ShowBox(L"Overwrite settings " + Quoted(name) + L"?", platform::Icon::Question,
                platform::Buttons::OkCancel) != platform::Answer::Ok) {
      return;
    }
  }

  // Two active profiles with one shortcut: the one higher in the list keeps it.
  bool warned = false;
  if (profile.alwaysActive && key > 0) {
    for (const settings::Profile& other : settings::ReadActiveProfiles()) {
      if (other.key != key || other.modifiers != modifiers || platform::Ui().Lower(other.name) == name) {
        continue;
      }
      if (ShowBox(L"The shortcut " + hotkey::LetterShortcutName(modifiers, key) +
                      L" is already kept active by the settings " + Quoted(other.name) +
                      L". Only the one higher in the list keeps it.\r\n\r\nSave anyway?",
                  platform::Icon::Question, platform::Buttons::OkCancel) != platform::Answer::Ok) {
        return;
      }
      warned = true;
      break;
    }
  }

  const std::vector<std::wstring> keys(settings::kProfileKeys.begin(), settings::kProfileKeys.end());
  const auto entries = settings::ProfileValues(profile);
  const std::vector<std::wstring> values(entries.begin(), entries.end());

  settings::IniClass& ini = settings::SettingsIni();
  if (!ini.WriteSection(name, keys, values)) {
    ShowBox(settings::WriteFailedMessage(), platform::Icon::Exclamation);
    return;
  }
  if (!ini.WriteValue(settings::kConfigSection, settings::kLastUsedKey, name)) {
    ShowBox(settings::WriteFailedMessage(), platform::Icon::Exclamation);
  }
  if (plugin_) plugin_->RefreshShortcuts(!warned);
  ShowProfileSummary(name);

  std::vector<std::wstring> names;
  if (ini.Enum_SectionNames(names)) {
    f.ClearItems(c_.profileList);
    for (const std::wstring& section : names) f.AddItem(c_.profileList, section);
  }
  for (int i = 0; i < f.ItemCount(c_.profileList);) {
    std::wstring entry = f.ItemText(c_.profileList, i);
    if (entry == settings::kConfigSection) {
      f.RemoveItem(c_.profileList, i);
      continue;
    }
    if (entry == name) f.Select(c_.profileList, i);
    ++i;
  }
}

// Delete Settings: takes the selected profile out of the file and the list,
// once the user has confirmed. "LastUsed" is emptied only then, and only when
// it names that profile.
void FrmConfig::DeleteSettings_Click() {
  platform::Form& f = *form_;
  int selected = f.SelectedIndex(c_.profileList);
  if (f.ItemCount(c_.profileList) == 0 || selected < 0) return;
  const std::wstring name = f.ItemText(c_.profileList, selected);
  if (ShowBox(L"Are you sure you want to delete settings " + Quoted(name) + L"?", platform::Icon::Question,
              platform::Buttons::OkCancel) != platform::Answer::Ok) {
    return;
  }

  settings::IniClass& ini = settings::SettingsIni();
  std::wstring lastUsed;
  if (!ini.ReadValue(settings::kConfigSection, settings::kLastUsedKey, lastUsed)) lastUsed.clear();
  // A file that cannot be written keeps the profile whole, and the list too.
  if (!ini.DeleteSection(name)) {
    ShowBox(settings::WriteFailedMessage(), platform::Icon::Exclamation);
    return;
  }
  platform::OpResult removed = settings::RemoveSectionHeader(L"[" + name + L"]\r\n");
  if (plugin_) plugin_->RefreshShortcuts(true);
  ShowProfileSummary(L"");
  // The profile's entries are gone either way, so it can no longer be loaded.
  if (!lastUsed.empty() && lastUsed == name &&
      !ini.WriteValue(settings::kConfigSection, settings::kLastUsedKey, L"")) {
    ShowBox(settings::WriteFailedMessage(), platform::Icon::Exclamation);
  }
  if (!removed.ok()) {
    // The empty section's header is still in the file, so the list keeps
    // showing it: deleting it again retries the removal.
    ShowBox(settings::HeaderNotRemovedMessage(name, removed), platform::Icon::Exclamation);
    return;
  }
  f.RemoveItem(c_.profileList, selected);
}

}  // namespace vandrel::dialog
