#include "dialog/frm_config.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "dialog/config.h"
#include "dialog/messages.h"
#include "hotkey/hook.h"
#include "platform/error.h"
#include "settings/ini_class.h"
#include "settings/profile.h"

namespace vandrel::dialog {

namespace {

using platform::ControlKind;
using platform::FontSpec;
using platform::Rgb;

constexpr Rgb kBackground{224, 224, 224};
constexpr Rgb kPaleYellow{255, 255, 192};
constexpr Rgb kWhite{255, 255, 255};

const FontSpec kVerdana{L"Verdana", 8.25, false};
const FontSpec kVerdanaBold{L"Verdana", 8.25, true};
const FontSpec kVerdanaLargeBold{L"Verdana", 9.75, true};

// The modifier boxes' keys, in the boxes' order: Ctrl, Alt, Shift, Win.
constexpr std::int32_t kModifierBits[] = {hotkey::kModControl, hotkey::kModAlt, hotkey::kModShift,
                                          hotkey::kModWin};

// The playlist-entry choices, in the order of their numbers.
constexpr const wchar_t* kPlaylistEntryChoices[] = {L"Leave it", L"Remove it",
                                                    L"Remove it, or follow a moved file"};

struct Placement {
  platform::ControlId FrmConfig::Controls::*id;
  ControlKind kind;
  platform::ControlId FrmConfig::Controls::*parent;  // null: the client area
  int x, y, width, height;
  const wchar_t* caption;
  std::optional<FontSpec> font;
  std::optional<Rgb> background;
  bool transparent;
  int tab;
};

using C = FrmConfig::Controls;

// Every control, parents before their contents. The Tab key goes through them
// in reading order: the left column's groups top to bottom, then the right's.
const std::vector<Placement>& Layout() {
  static const std::vector<Placement> layout = {
      {&C::settingsGroup, ControlKind::Group, nullptr, 8, 8, 321, 169, L" Settings ", kVerdana, kBackground,
       false, 3},
      {&C::profileList, ControlKind::List, &C::settingsGroup, 8, 16, 153, 107, L"", kVerdana, std::nullopt,
       false, 0},
      {&C::loadSettings, ControlKind::Button, &C::settingsGroup, 168, 16, 145, 25, L"Load Settings", kVerdana,
       std::nullopt, false, 1},
      {&C::deleteSettings, ControlKind::Button, &C::settingsGroup, 168, 48, 145, 25, L"Delete Settings",
       kVerdana, std::nullopt, false, 2},
      {&C::saveAsGroup, ControlKind::Group, &C::settingsGroup, 168, 80, 145, 81, L" Save Settings As ",
       std::nullopt, kBackground, false, 7},
      {&C::saveAS, ControlKind::TextBox, &C::saveAsGroup, 8, 16, 129, 25, L"", kVerdana, std::nullopt, false,
       3},
      {&C::saveSettings, ControlKind::Button, &C::saveAsGroup, 8, 48, 129, 25, L"Save Settings", kVerdana,
       kPaleYellow, false, 4},
      {&C::shortcutGroup, ControlKind::Group, nullptr, 8, 184, 321, 109, L" Shortcut ", kVerdana, kBackground,
       false, 0},
      {&C::shortcutText, ControlKind::Label, &C::shortcutGroup, 8, 16, 297, 17,
       L"File is deleted when you press these keys:", kVerdana, kBackground, false, 22},
      {&C::letterLabel, ControlKind::Label, &C::shortcutGroup, 72, 62, 65, 17, L"+ letter", kVerdanaLargeBold,
       std::nullopt, true, 23},
      {&C::cmbKey, ControlKind::DropDown, &C::shortcutGroup, 144, 56, 169, 24, L"", kVerdanaLargeBold, kWhite,
       false, 9},
      {&C::actionGroup, ControlKind::Group, nullptr, 8, 300, 321, 181, L" How to act? ", kVerdana,
       kBackground, false, 12},
      {&C::chkmoveToFolder, ControlKind::CheckBox, &C::actionGroup, 8, 16, 305, 33,
       L"Check this to move the file instead of deleting it!", kVerdana, kBackground, false, 11},
      {&C::chkSortingOption, ControlKind::CheckBox, &C::actionGroup, 8, 48, 305, 33,
       L"Check this to move the files to folders from A to Z and 0 to 9 (for sorting)", kVerdana, kBackground,
       false, 12},
      {&C::chkCreateArtistFolder, ControlKind::CheckBox, &C::actionGroup, 8, 80, 305, 33,
       L"Check this to create a subfolder for each Artist!", kVerdana, kBackground, false, 13},
      {&C::locationGroup, ControlKind::Group, nullptr, 336, 8, 249, 281,
       L" Location (Where to move the files?) ", kVerdana, kBackground, false, 11},
      {&C::driveSelector, ControlKind::DriveSelector, &C::locationGroup, 8, 24, 233, 21, L"", std::nullopt,
       std::nullopt, false, 15},
      {&C::folderList, ControlKind::FolderList, &C::locationGroup, 8, 56, 233, 186, L"", std::nullopt,
       std::nullopt, false, 16},
      {&C::txtnewfolder, ControlKind::TextBox, &C::locationGroup, 8, 248, 153, 25, L"", kVerdana,
       std::nullopt, false, 17},
      {&C::newFolder, ControlKind::Button, &C::locationGroup, 168, 248, 73, 25, L"new folder", kVerdana,
       std::nullopt, false, 18},
      {&C::automateGroup, ControlKind::Group, nullptr, 336, 296, 249, 49, L" Automate ", std::nullopt,
       kBackground, false, 17},
      {&C::cmdSort, ControlKind::Button, &C::automateGroup, 8, 16, 177, 25, L"Perform whole Playlist",
       kVerdana, kPaleYellow, false, 19},
      {&C::playlistHelp, ControlKind::Button, &C::automateGroup, 192, 16, 49, 25, L"?", kVerdanaLargeBold,
       kPaleYellow, false, 20},
      {&C::closeGroup, ControlKind::Group, nullptr, 336, 484, 249, 49, L" Close (Saved all your changes?) ",
       std::nullopt, kBackground, false, 20},
      {&C::closeDialog, ControlKind::Button, &C::closeGroup, 8, 16, 233, 25, L"Close Configuration Dialog",
       kVerdanaBold, kWhite, false, 27},
      // The hotkey's modifier keys, added last so the controls above keep
      // their numbers.
      {&C::chkCtrl, ControlKind::CheckBox, &C::shortcutGroup, 8, 34, 52, 17, L"Ctrl", kVerdana, kBackground,
       false, 5},
      {&C::chkAlt, ControlKind::CheckBox, &C::shortcutGroup, 64, 34, 46, 17, L"Alt", kVerdana, kBackground,
       false, 6},
      {&C::chkShift, ControlKind::CheckBox, &C::shortcutGroup, 114, 34, 56, 17, L"Shift", kVerdana,
       kBackground, false, 7},
      {&C::chkWin, ControlKind::CheckBox, &C::shortcutGroup, 174, 34, 50, 17, L"Win", kVerdana, kBackground,
       false, 8},
      // Shortcuts active beside the working one's, and what the selected
      // profile does.
      {&C::chkAlwaysActive, ControlKind::CheckBox, &C::shortcutGroup, 8, 84, 305, 17,
       L"Keep this shortcut active with the others", kVerdana, kBackground, false, 10},
      {&C::profileSummary, ControlKind::Label, &C::settingsGroup, 8, 126, 153, 37, L"", kVerdana, kBackground,
       false, 24},
      // What becomes of the song's playlist entry.
      {&C::playlistEntryLabel, ControlKind::Label, &C::actionGroup, 8, 152, 97, 17, L"Playlist entry:",
       kVerdana, kBackground, false, 26},
      {&C::cmbPlaylistEntry, ControlKind::DropDown, &C::actionGroup, 104, 148, 209, 24, L"", kVerdana, kWhite,
       false, 14},
      // Taking the last delete or move back.
      {&C::undoGroup, ControlKind::Group, nullptr, 336, 348, 249, 129, L" Undo ", std::nullopt, kBackground,
       false, 21},
      {&C::undoLast, ControlKind::Button, &C::undoGroup, 8, 16, 233, 25, L"Undo last", kVerdana, kPaleYellow,
       false, 21},
      // The artist folder named after the song's tag: next after the artist
      // box when tabbing (the same place, made later).
      {&C::chkArtistFromTags, ControlKind::CheckBox, &C::actionGroup, 28, 112, 285, 24,
       L"Artist from the song's tags", kVerdana, kBackground, false, 13},
      // The undo shortcut, and the notices.
      {&C::chkUndoCtrl, ControlKind::CheckBox, &C::undoGroup, 8, 50, 52, 17, L"Ctrl", kVerdana, kBackground,
       false, 21},
      {&C::chkUndoAlt, ControlKind::CheckBox, &C::undoGroup, 64, 50, 46, 17, L"Alt", kVerdana, kBackground,
       false, 21},
      {&C::chkUndoShift, ControlKind::CheckBox, &C::undoGroup, 114, 50, 56, 17, L"Shift", kVerdana,
       kBackground, false, 21},
      {&C::chkUndoWin, ControlKind::CheckBox, &C::undoGroup, 174, 50, 50, 17, L"Win", kVerdana, kBackground,
       false, 21},
      {&C::cmbUndoKey, ControlKind::DropDown, &C::undoGroup, 8, 72, 145, 24, L"", kVerdana, kWhite, false,
       21},
      {&C::setUndoKey, ControlKind::Button, &C::undoGroup, 160, 72, 81, 25, L"Use for undo", kVerdana,
       std::nullopt, false, 21},
      {&C::chkNotify, ControlKind::CheckBox, &C::undoGroup, 8, 104, 233, 17, L"Show a notice on screen",
       kVerdana, kBackground, false, 21},
  };
  return layout;
}

// Runs one step of the opening sequence; a failing step is skipped silently.
template <typename Step>
void Skippable(Step step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

}  // namespace

FrmConfig::~FrmConfig() = default;

bool FrmConfig::Load(platform::WindowHandle owner) {
  platform::FormSpec spec;
  spec.caption = L"nearly new Vandrel";
  spec.clientWidth = 591;
  spec.clientHeight = 540;
  spec.background = kBackground;
  spec.owner = owner;
  form_ = platform::Widgets().CreateForm(spec, *this);
  if (!form_) return false;
  CreateControls();
  OpeningSequence();
  return true;
}

void FrmConfig::CreateControls() {
  for (const Placement& p : Layout()) {
    platform::ControlSpec spec;
    spec.kind = p.kind;
    spec.parent = p.parent ? c_.*(p.parent) : platform::kClientArea;
    spec.x = p.x;
    spec.y = p.y;
    spec.width = p.width;
    spec.height = p.height;
    spec.caption = p.caption;
    spec.font = p.font;
    spec.background = p.background;
    spec.transparent = p.transparent;
    spec.tabIndex = p.tab;
    c_.*(p.id) = form_->AddControl(spec);
  }
}

void FrmConfig::OpeningSequence() {
  platform::Form& f = *form_;
  if (!plugin_) return;

  for (const wchar_t* choice : kPlaylistEntryChoices) f.AddItem(c_.cmbPlaylistEntry, choice);
  Skippable([&] { f.Select(c_.cmbPlaylistEntry, plugin_->playlistEntry()); });
  Skippable([&] { f.SetChecked(c_.chkArtistFromTags, plugin_->artistFromTags()); });
  f.AddItem(c_.cmbKey, L"<None>");
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) f.AddItem(c_.cmbKey, std::wstring(1, letter));

  Skippable([&] { f.Select(c_.cmbKey, plugin_->Key()); });
  Skippable([&] { ShowModifiers(plugin_->Modifiers()); });
  f.AddItem(c_.cmbUndoKey, L"No undo shortcut");
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    f.AddItem(c_.cmbUndoKey, L"+ " + std::wstring(1, letter));
  Skippable([&] { ShowUndoShortcut(); });
  Skippable([&] { f.SetChecked(c_.chkNotify, plugin_->notify()); });
  Skippable([&] {
    std::vector<std::wstring> names;
    if (settings::SettingsIni().Enum_SectionNames(names)) {
      for (const std::wstring& name : names) f.AddItem(c_.profileList, name);
    }
  });
  Skippable([&] {
    for (int i = f.ItemCount(c_.profileList) - 1; i >= 0; --i) {
      if (f.ItemText(c_.profileList, i) == settings::kConfigSection) f.RemoveItem(c_.profileList, i);
    }
  });
  Skippable([&] {
    std::wstring lastUsed;
    if (!settings::SettingsIni().ReadValue(settings::kConfigSection, settings::kLastUsedKey, lastUsed))
      return;
    f.SetText(c_.saveAS, lastUsed);
    settings::Profile saved;
    if (settings::ReadProfile(lastUsed, saved)) f.SetChecked(c_.chkAlwaysActive, saved.alwaysActive);
    ShowProfileSummary(lastUsed);
    int count = f.ItemCount(c_.profileList);
    for (int i = 0; i < count; ++i) {
      if (f.ItemText(c_.profileList, i) == lastUsed) {
        f.Select(c_.profileList, i);
        break;
      }
    }
  });
  std::wstring savingPlace;
  Skippable([&] { savingPlace = plugin_->savingPlace(); });
  if (!savingPlace.empty()) {
    Skippable([&] { f.SetFolder(c_.folderList, savingPlace); });
    Skippable([&] { f.SetDrive(c_.driveSelector, savingPlace); });
    Skippable([&] { f.SetChecked(c_.chkmoveToFolder, plugin_->moveToFolder()); });
    Skippable([&] { f.SetChecked(c_.chkSortingOption, plugin_->sortingOption()); });
    Skippable([&] { f.SetChecked(c_.chkCreateArtistFolder, plugin_->createArtistFolder()); });
    Skippable([&] { f.Select(c_.cmbKey, plugin_->Key()); });
  }
  ConfigDialogOpen() = true;
}

void FrmConfig::ShowModifiers(std::int32_t modifiers, bool undo) {
  platform::Form& f = *form_;
  const auto boxes = ModifierBoxes(undo);
  for (int i = 0; i < 4; ++i) f.SetChecked(boxes[i], (modifiers & kModifierBits[i]) != 0);
}

std::int32_t FrmConfig::CheckedModifiers(bool undo) {
  platform::Form& f = *form_;
  const auto boxes = ModifierBoxes(undo);
  std::int32_t modifiers = 0;
  for (int i = 0; i < 4; ++i) modifiers |= f.Checked(boxes[i]) ? kModifierBits[i] : 0;
  return modifiers;
}

std::array<platform::ControlId, 4> FrmConfig::ModifierBoxes(bool undo) const {
  if (undo) return {c_.chkUndoCtrl, c_.chkUndoAlt, c_.chkUndoShift, c_.chkUndoWin};
  return {c_.chkCtrl, c_.chkAlt, c_.chkShift, c_.chkWin};
}

void FrmConfig::ShowUndoShortcut() {
  ShowModifiers(plugin_->UndoModifiers(), true);
  form_->Select(c_.cmbUndoKey, plugin_->UndoKey());
}

void FrmConfig::SetUndoKey_Click() {
  const std::int32_t key = std::max(form_->SelectedIndex(c_.cmbUndoKey), 0);
  const std::int32_t modifiers = CheckedModifiers(true);
  if (key != 0 && modifiers == 0) {
    ShowBox(L"Tick at least one of Ctrl, Alt, Shift and Win for the undo shortcut.",
            platform::Icon::Exclamation);
    return;
  }
  if (plugin_->SetUndoShortcut(key == 0 ? 0 : modifiers, key)) {
    ShowBox(key == 0 ? std::wstring(L"Undo has no shortcut now.")
                     : L"Undo's shortcut is now " + hotkey::LetterShortcutName(modifiers, key) + L".",
            platform::Icon::Information);
  }
  ShowUndoShortcut();
}

void FrmConfig::Show(platform::WindowHandle owner) {
  if (form_) form_->RunModal(owner);
}

void FrmConfig::Unload() {
  if (form_) form_->Close();
}

void FrmConfig::ProfileList_MouseUp() {
  platform::Form& f = *form_;
  int selected = f.SelectedIndex(c_.profileList);
  f.SetText(c_.saveAS, selected < 0 ? std::wstring() : f.ItemText(c_.profileList, selected));
  ShowProfileSummary(f.Text(c_.saveAS));
}

void FrmConfig::DriveSelector_Change() {
  if (!form_->SetFolder(c_.folderList, form_->Drive(c_.driveSelector))) {
    ShowBox(L"Drive not ready!", platform::Icon::Critical);
  }
}

void FrmConfig::FolderList_MouseUp() {
  std::wstring path = form_->HighlightedPath(c_.folderList);
  if (!form_->SetFolder(c_.folderList, path)) {
    ShowBox(L"Can't open the folder " + path + L".", platform::Icon::Exclamation);
  }
}

void FrmConfig::NewFolder_Click() {
  platform::Form& f = *form_;
  std::wstring name = f.Text(c_.txtnewfolder);
  settings::CleanName(name);
  f.SetText(c_.txtnewfolder, name);
  if (name.empty()) return;
  // From here on a failure leaves the folder list where it is, silently.
  platform::Files().MakeFolder(JoinPath(f.HighlightedPath(c_.folderList), name));
  f.Refresh(c_.folderList);
  f.SetFolder(c_.folderList, JoinPath(f.HighlightedPath(c_.folderList), name));
}

void FrmConfig::cmdSort_Click() { RunWholePlaylist(); }

void FrmConfig::PlaylistHelp_Click() { helpbox(); }

void FrmConfig::helpbox() {
  ShowBox(
      L"This will automatically go through your entire playlist, performing the specified action you defined "
      L"- "
      L"either moves all files or deletes all files!",
      platform::Icon::Information);
}

void FrmConfig::CloseDialog_Click() {
  ConfigDialogOpen() = false;
  Unload();
}

void FrmConfig::Form_Unload() { ConfigDialogOpen() = false; }

void FrmConfig::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Error& error) {
    ShowBox(error.Description(), platform::Icon::Exclamation);
  } catch (const std::exception&) {
    ShowBox(L"An unexpected error stopped this command.", platform::Icon::Critical);
  }
}

void FrmConfig::OnClick(platform::ControlId control) {
  Guarded([&] {
    if (control == c_.loadSettings)
      LoadSettings_Click();
    else if (control == c_.deleteSettings)
      DeleteSettings_Click();
    else if (control == c_.saveSettings)
      SaveSettings_Click();
    else if (control == c_.newFolder)
      NewFolder_Click();
    else if (control == c_.closeDialog)
      CloseDialog_Click();
    else if (control == c_.cmdSort)
      cmdSort_Click();
    else if (control == c_.playlistHelp)
      PlaylistHelp_Click();
    else if (control == c_.undoLast && plugin_)
      plugin_->UndoLast();
    else if (control == c_.setUndoKey && plugin_)
      SetUndoKey_Click();
    else if (control == c_.chkNotify && plugin_)
      plugin_->Setnotify(form_->Checked(c_.chkNotify));
  });
}

void FrmConfig::OnMouseUp(platform::ControlId control) {
  Guarded([&] {
    if (control == c_.profileList)
      ProfileList_MouseUp();
    else if (control == c_.folderList)
      FolderList_MouseUp();
  });
}

void FrmConfig::OnDriveChanged(platform::ControlId control) {
  Guarded([&] {
    if (control == c_.driveSelector) DriveSelector_Change();
  });
}

// Enter (or a double click) on the profile list loads the profile, on the
// folder list opens the highlighted folder, in the name box saves.
void FrmConfig::OnDefaultAction(platform::ControlId control) {
  Guarded([&] {
    if (control == c_.profileList)
      LoadSettings_Click();
    else if (control == c_.folderList)
      FolderList_MouseUp();
    else if (control == c_.saveAS)
      SaveSettings_Click();
  });
}

void FrmConfig::OnClosed() { Form_Unload(); }

}  // namespace vandrel::dialog
