// The first page: the profiles, the shortcut, how to act, where to move to,
// the whole playlist, laid out as the dialog always had them (the shortcut's
// modifier keys in front of its letter).
#include "dialog/frm_config.h"
#include "dialog/layout.h"

namespace vandrel::dialog {

namespace layout {

using platform::ControlKind;

const std::vector<Placement>& FirstPage() {
  static const std::vector<Placement> page = {
      {&C::settingsGroup, ControlKind::Group, &C::firstPage, 8, 8, 321, 169, L" Settings ", kVerdana,
       kBackground, false, 0},
      {&C::profileList, ControlKind::List, &C::settingsGroup, 8, 16, 153, 107, L"", kVerdana, std::nullopt,
       false, 1},
      {&C::loadSettings, ControlKind::Button, &C::settingsGroup, 168, 16, 145, 25, L"Load Settings", kVerdana,
       std::nullopt, false, 2},
      {&C::deleteSettings, ControlKind::Button, &C::settingsGroup, 168, 48, 145, 25, L"Delete Settings",
       kVerdana, std::nullopt, false, 3},
      {&C::saveAsGroup, ControlKind::Group, &C::settingsGroup, 168, 80, 145, 81, L" Save Settings As ",
       std::nullopt, kBackground, false, 0},
      {&C::saveAS, ControlKind::TextBox, &C::saveAsGroup, 8, 16, 129, 25, L"", kVerdana, std::nullopt, false,
       4},
      {&C::saveSettings, ControlKind::Button, &C::saveAsGroup, 8, 48, 129, 25, L"Save Settings", kVerdana,
       kPaleYellow, false, 5},
      // What the selected profile does, under the list.
      {&C::profileSummary, ControlKind::Label, &C::settingsGroup, 8, 126, 153, 37, L"", kVerdana, kBackground,
       false, 0},
      {&C::shortcutGroup, ControlKind::Group, &C::firstPage, 8, 184, 321, 89, L" Shortcut ", kVerdana,
       kBackground, false, 0},
      {&C::shortcutText, ControlKind::Label, &C::shortcutGroup, 8, 16, 297, 33,
       L"File will be deleted when the keys ticked below and the following key are pressed together",
       kVerdana, kBackground, false, 0},
      {&C::chkCtrl, ControlKind::CheckBox, &C::shortcutGroup, 8, 50, 60, 17, L"Ctrl", kVerdana, kBackground,
       false, 6},
      {&C::chkAlt, ControlKind::CheckBox, &C::shortcutGroup, 72, 50, 60, 17, L"Alt", kVerdana, kBackground,
       false, 7},
      {&C::chkShift, ControlKind::CheckBox, &C::shortcutGroup, 8, 68, 60, 17, L"Shift", kVerdana, kBackground,
       false, 8},
      {&C::chkWin, ControlKind::CheckBox, &C::shortcutGroup, 72, 68, 60, 17, L"Win", kVerdana, kBackground,
       false, 9},
      {&C::cmbKey, ControlKind::DropDown, &C::shortcutGroup, 144, 56, 169, 24, L"", kVerdanaLargeBold, kWhite,
       false, 10},
      {&C::actionGroup, ControlKind::Group, &C::firstPage, 8, 280, 321, 121, L" How to act? ", kVerdana,
       kBackground, false, 0},
      {&C::chkmoveToFolder, ControlKind::CheckBox, &C::actionGroup, 8, 16, 305, 32,
       L"Check this to move the file instead of deleting it!", kVerdana, kBackground, false, 11},
      {&C::chkSortingOption, ControlKind::CheckBox, &C::actionGroup, 8, 48, 305, 32,
       L"Check this to move the files to folders from A to Z and 0 to 9 (for sorting)", kVerdana, kBackground,
       false, 12},
      {&C::chkCreateArtistFolder, ControlKind::CheckBox, &C::actionGroup, 8, 80, 305, 32,
       L"Check this to create a subfolder for each Artist!", kVerdana, kBackground, false, 13},
      {&C::locationGroup, ControlKind::Group, &C::firstPage, 336, 8, 249, 281,
       L" Location (Where to move the files?) ", kVerdana, kBackground, false, 0},
      {&C::driveSelector, ControlKind::DriveSelector, &C::locationGroup, 8, 24, 233, 21, L"", std::nullopt,
       std::nullopt, false, 14},
      {&C::folderList, ControlKind::FolderList, &C::locationGroup, 8, 56, 233, 186, L"", std::nullopt,
       std::nullopt, false, 15},
      {&C::txtnewfolder, ControlKind::TextBox, &C::locationGroup, 8, 248, 153, 25, L"", kVerdana,
       std::nullopt, false, 16},
      {&C::newFolder, ControlKind::Button, &C::locationGroup, 168, 248, 73, 25, L"new folder", kVerdana,
       std::nullopt, false, 17},
      {&C::automateGroup, ControlKind::Group, &C::firstPage, 336, 296, 249, 49, L" Automate ", std::nullopt,
       kBackground, false, 0},
      {&C::cmdSort, ControlKind::Button, &C::automateGroup, 8, 16, 177, 25, L"Perform whole Playlist",
       kVerdana, kPaleYellow, false, 18},
      {&C::playlistHelp, ControlKind::Button, &C::automateGroup, 192, 16, 49, 25, L"?", kVerdanaLargeBold,
       kPaleYellow, false, 19},
  };
  return page;
}

}  // namespace layout

// The letter (-1 when none is picked), its modifier keys, the action, the
// folder list's folder and the two sorting options.
void FrmConfig::CollectFirstPage(settings::Profile& profile) {
  platform::Form& f = *form_;
  profile.key = f.SelectedIndex(c_.cmbKey);
  profile.modifiers = CheckedModifiers();
  profile.moveToFolder = f.Checked(c_.chkmoveToFolder);
  profile.savingPlace = f.FolderPath(c_.folderList);
  profile.sortingOption = f.Checked(c_.chkSortingOption);
  profile.createArtistFolder = f.Checked(c_.chkCreateArtistFolder);
}

}  // namespace vandrel::dialog
