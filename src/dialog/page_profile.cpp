// The profile's settings beyond the first page's: whether its shortcut stays
// active beside the working one's, artist folders from the songs' tags,
// folders left empty, and what becomes of the song's playlist entry and its
// Media Library record. Saved and loaded with the rest.
#include <algorithm>

#include "dialog/frm_config.h"
#include "dialog/layout.h"

namespace vandrel::dialog {

namespace {

// The playlist-entry choices, in the order of their numbers.
constexpr const wchar_t* kPlaylistEntryChoices[] = {L"Leave it", L"Remove it",
                                                    L"Remove it, or follow a moved file"};

}  // namespace

namespace layout {

using platform::ControlKind;

// The left column leaves room under the artist box for more ways to act, the
// playlist group for a Media Library choice under the playlist's.
const std::vector<Placement>& ProfilePage() {
  static const std::vector<Placement> page = {
      {&C::activeGroup, ControlKind::Group, &C::profilePage, 8, 8, 321, 49, L" Shortcut ", kVerdana,
       kBackground, false, 0},
      {&C::chkAlwaysActive, ControlKind::CheckBox, &C::activeGroup, 8, 20, 305, 17,
       L"Keep this shortcut active with the others", kVerdana, kBackground, false, 40},
      {&C::artistGroup, ControlKind::Group, &C::profilePage, 8, 64, 321, 121, L" How to act? ", kVerdana,
       kBackground, false, 0},
      {&C::chkArtistFromTags, ControlKind::CheckBox, &C::artistGroup, 8, 20, 305, 32,
       L"Name the artist folder after the song's artist tag", kVerdana, kBackground, false, 41},
      {&C::playlistGroup, ControlKind::Group, &C::profilePage, 336, 8, 249, 121, L" Playlist ", kVerdana,
       kBackground, false, 0},
      {&C::playlistEntryLabel, ControlKind::Label, &C::playlistGroup, 8, 20, 233, 17,
       L"The song's playlist entry:", kVerdana, kBackground, false, 0},
      {&C::cmbPlaylistEntry, ControlKind::DropDown, &C::playlistGroup, 8, 40, 233, 24, L"", kVerdana, kWhite,
       false, 44},
      {&C::chkLibraryEntry, ControlKind::CheckBox, &C::playlistGroup, 8, 76, 233, 32,
       L"Keep the Media Library's record with the file", kVerdana, kBackground, false, 45},
      {&C::profileNote, ControlKind::Label, &C::profilePage, 8, 192, 321, 49,
       L"These settings belong to the profile, as those of the first page do: Save Settings saves them "
       L"all, Load Settings applies them all.",
       kVerdana, kBackground, false, 0},
  };
  return page;
}

const std::vector<Placement>& ProfilePageLater() {
  static const std::vector<Placement> page = {
      {&C::chkRemoveEmptyFolders, ControlKind::CheckBox, &C::artistGroup, 8, 86, 305, 32,
       L"Remove the folders the song leaves empty", kVerdana, kBackground, false, 43},
      {&C::chkCompanionFiles, ControlKind::CheckBox, &C::artistGroup, 8, 54, 305, 32,
       L"Its lyrics, cue sheet, picture and the like go with the song", kVerdana, kBackground, false, 42},
  };
  return page;
}

}  // namespace layout

void FrmConfig::ShowProfilePage(const settings::Profile& profile) {
  platform::Form& f = *form_;
  if (f.ItemCount(c_.cmbPlaylistEntry) == 0) {
    for (const wchar_t* choice : kPlaylistEntryChoices) f.AddItem(c_.cmbPlaylistEntry, choice);
  }
  f.SetChecked(c_.chkAlwaysActive, profile.alwaysActive);
  f.Select(c_.cmbPlaylistEntry, profile.playlistEntry);
  f.SetChecked(c_.chkArtistFromTags, profile.artistFromTags);
  f.SetChecked(c_.chkLibraryEntry, profile.libraryEntry);
  f.SetChecked(c_.chkCompanionFiles, profile.companionFiles);
  f.SetChecked(c_.chkRemoveEmptyFolders, profile.removeEmptyFolders);
}

void FrmConfig::CollectProfilePage(settings::Profile& profile) {
  platform::Form& f = *form_;
  profile.alwaysActive = f.Checked(c_.chkAlwaysActive);
  profile.playlistEntry = std::max(0, f.SelectedIndex(c_.cmbPlaylistEntry));
  profile.artistFromTags = f.Checked(c_.chkArtistFromTags);
  profile.libraryEntry = f.Checked(c_.chkLibraryEntry);
  profile.companionFiles = f.Checked(c_.chkCompanionFiles);
  profile.removeEmptyFolders = f.Checked(c_.chkRemoveEmptyFolders);
}

}  // namespace vandrel::dialog
