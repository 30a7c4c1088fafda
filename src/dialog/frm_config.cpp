#include "dialog/frm_config.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "dialog/config.h"
#include "dialog/layout.h"
#include "dialog/messages.h"
#include "hotkey/hook.h"
#include "platform/error.h"
#include "settings/ini_class.h"
#include "settings/profile.h"

namespace vandrel::dialog {

namespace {

using layout::C;
using platform::ControlKind;

// The modifier boxes' keys, in the boxes' order: Ctrl, Alt, Shift, Win.
constexpr std::int32_t kModifierBits[] = {hotkey::kModControl, hotkey::kModAlt, hotkey::kModShift,
                                          hotkey::kModWin};

// The strip of tabs, its pages, and Close on every page; the pages' own
// tables follow the pages.
const std::vector<layout::Placement>& Frame() {
  using namespace layout;
  static const std::vector<Placement> frame = {
      {&C::tabs, ControlKind::Tabs, nullptr, 0, 4, kClientWidth, kStripHeight, L"", kVerdana, std::nullopt,
       false, 0},
      {&C::firstPage, ControlKind::Page, &C::tabs, 0, kStripHeight, kClientWidth, 408, L"Settings",
       std::nullopt, std::nullopt, false, 0},
      {&C::profilePage, ControlKind::Page, &C::tabs, 0, kStripHeight, kClientWidth, 408,
       L"More of the profile", std::nullopt, std::nullopt, false, 0},
      {&C::undoPage, ControlKind::Page, &C::tabs, 0, kStripHeight, kClientWidth, 408, L"Undo and journal",
       std::nullopt, std::nullopt, false, 0},
  };
  return frame;
}

const std::vector<layout::Placement>& CloseGroup() {
  using namespace layout;
  static const std::vector<Placement> close = {
      {&C::closeGroup, ControlKind::Group, nullptr, 336, kPageTop + 352, 249, 49,
       L" Close (Saved all your changes?) ", std::nullopt, kBackground, false, 0},
      {&C::closeDialog, ControlKind::Button, &C::closeGroup, 8, 16, 233, 25, L"Close Configuration Dialog",
       kVerdanaBold, kWhite, false, 99},
  };
  return close;
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
  spec.clientWidth = layout::kClientWidth;
  spec.clientHeight = layout::kClientHeight;
  spec.background = layout::kBackground;
  spec.owner = owner;
  form_ = platform::Widgets().CreateForm(spec, *this);
  if (!form_) return false;
  CreateControls();
  OpeningSequence();
  return true;
}

void FrmConfig::CreateControls() {
  for (const auto* table : {&Frame(), &layout::FirstPage(), &layout::ProfilePage(), &layout::UndoPage(),
                            &CloseGroup(), &layout::ProfilePageLater(), &layout::UndoPageLater()}) {
    for (const layout::Placement& p : *table) {
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
}

void FrmConfig::OpeningSequence() {
  platform::Form& f = *form_;
  if (!plugin_) return;

  Skippable([&] {
    settings::Profile working;
    working.playlistEntry = plugin_->playlistEntry();
    working.artistFromTags = plugin_->artistFromTags();
    working.libraryEntry = plugin_->libraryEntry();
    working.companionFiles = plugin_->companionFiles();
    working.removeEmptyFolders = plugin_->removeEmptyFolders();
    ShowProfilePage(working);
  });
  f.AddItem(c_.cmbKey, L"<None>");
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) f.AddItem(c_.cmbKey, std::wstring(1, letter));

  Skippable([&] { f.Select(c_.cmbKey, plugin_->Key()); });
  Skippable([&] { ShowModifiers(plugin_->Modifiers()); });
  f.AddItem(c_.cmbUndoKey, L"No undo shortcut");
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    f.AddItem(c_.cmbUndoKey, L"+ " + std::wstring(1, letter));
  Skippable([&] { ShowUndoShortcut(); });
  Skippable([&] { f.SetChecked(c_.chkNotify, plugin_->notify()); });
  Skippable([&] { f.SetText(c_.txtHoldingFolder, plugin_->holdingFolder()); });
  Skippable([&] { ShowJournal(); });
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
    else if (control == c_.undoLast && plugin_) {
      plugin_->UndoLast();
      ShowJournal();
    } else if (control == c_.openJournal)
      OpenJournal_Click();
    else if (control == c_.tabs && form_->SelectedIndex(c_.tabs) == layout::kUndoPageIndex)
      ShowJournal();  // what the shortcuts did meanwhile
    else if (control == c_.setUndoKey && plugin_)
      SetUndoKey_Click();
    else if (control == c_.chkNotify && plugin_)
      plugin_->Setnotify(form_->Checked(c_.chkNotify));
    else if (control == c_.chooseHolding && plugin_)
      ChooseHolding_Click();
    else if (control == c_.setHolding && plugin_)
      SetHolding_Click();
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
