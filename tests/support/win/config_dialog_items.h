// How a test finds the configuration dialog and its controls from outside:
// the window class and caption, and each control's child item id (for
// GetDlgItem). Buttons take BM_CLICK; the profile and folder lists act on a
// mouse button released over them (WM_LBUTTONDOWN then WM_LBUTTONUP at an
// entry); the drive selector acts on CBN_SELCHANGE sent to the dialog.
#pragma once

namespace vandrel::testing::config_dialog {

inline constexpr char kClass[] = "VandrelForm";
inline constexpr char kCaption[] = "nearly new Vandrel";

enum Item : int {
  Frame2 = 101,
  List1,
  Command1,  // Load Settings
  Command2,  // Delete Settings
  Frame3,
  saveAS,
  Command3,  // Save Settings
  Frame1,
  Label1,
  Label2,
  cmbKey,
  Frame5,
  chkmoveToFolder,
  chkSortingOption,
  chkCreateArtistFolder,
  Frame4,
  Drive1,
  Dir1,
  txtnewfolder,
  Command4,  // new folder
  Frame6,
  cmdSort,   // Perform whole Playlist
  Command7,  // ?
  Frame7,
  Command5,  // Close Configuration Dialog
};

}  // namespace vandrel::testing::config_dialog
