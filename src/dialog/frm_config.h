// frmConfig: the configuration dialog. It lays out the toolkit's controls,
// runs the opening sequence and handles one event per control.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dialog/plugin.h"
#include "platform/toolkit.h"
#include "settings/profile.h"

namespace vandrel::dialog {

inline constexpr wchar_t kTitle[] = L"Vandrel";

class FrmConfig : public platform::FormEvents {
 public:
  // `pluginInstance` may be null: the dialog then opens empty.
  explicit FrmConfig(Plugin* pluginInstance) : plugin_(pluginInstance) {}
  ~FrmConfig() override;
  FrmConfig(const FrmConfig&) = delete;
  FrmConfig& operator=(const FrmConfig&) = delete;

  // Builds the window, owned by `owner` (may be 0), and runs the opening
  // sequence; false when the system refused to make the window.
  bool Load(platform::WindowHandle owner = 0);
  // Shows the dialog modally over `owner`; returns once it has been unloaded.
  void Show(platform::WindowHandle owner);
  // Unloads the dialog (clears ConfigDialogOpen through Form_Unload).
  void Unload();
  bool IsLoaded() const { return form_ && form_->IsOpen(); }

  platform::Form& form() { return *form_; }

  // The controls, as the toolkit numbers them: the strip of tabs and its
  // pages, then each page's controls, then Close, on every page.
  struct Controls {
    platform::ControlId tabs = 0, firstPage = 0, profilePage = 0, undoPage = 0;
    // The first page.
    platform::ControlId settingsGroup = 0, profileList = 0, loadSettings = 0, deleteSettings = 0,
                        saveAsGroup = 0, saveAS = 0, saveSettings = 0, profileSummary = 0;
    platform::ControlId shortcutGroup = 0, shortcutText = 0, cmbKey = 0;
    platform::ControlId chkCtrl = 0, chkAlt = 0, chkShift = 0, chkWin = 0;
    platform::ControlId actionGroup = 0, chkmoveToFolder = 0, chkSortingOption = 0, chkCreateArtistFolder = 0;
    platform::ControlId locationGroup = 0, driveSelector = 0, folderList = 0, txtnewfolder = 0, newFolder = 0;
    platform::ControlId automateGroup = 0, cmdSort = 0, playlistHelp = 0;
    // The profile's other settings.
    platform::ControlId activeGroup = 0, chkAlwaysActive = 0, artistGroup = 0, chkArtistFromTags = 0,
                        chkRemoveEmptyFolders = 0, chkCompanionFiles = 0, playlistGroup = 0,
                        playlistEntryLabel = 0, cmbPlaylistEntry = 0, chkLibraryEntry = 0, profileNote = 0;
    // Undo, notices and the journal.
    platform::ControlId undoGroup = 0, undoLast = 0, undoKeyLabel = 0;
    platform::ControlId chkUndoCtrl = 0, chkUndoAlt = 0, chkUndoShift = 0, chkUndoWin = 0, cmbUndoKey = 0,
                        setUndoKey = 0;
    platform::ControlId noticeGroup = 0, chkNotify = 0, journalGroup = 0, journalList = 0, openJournal = 0;
    platform::ControlId holdingGroup = 0, holdingNote = 0, txtHoldingFolder = 0, chooseHolding = 0,
                        setHolding = 0;
    platform::ControlId closeGroup = 0, closeDialog = 0;
  };
  const Controls& controls() const { return c_; }

  // One handler per control event.
  void ProfileList_MouseUp();
  void DriveSelector_Change();
  void FolderList_MouseUp();
  void NewFolder_Click();
  void LoadSettings_Click();
  void DeleteSettings_Click();
  void SaveSettings_Click();
  void cmdSort_Click();       // whole playlist
  void PlaylistHelp_Click();  // "?"
  void CloseDialog_Click();
  void SetUndoKey_Click();     // "Use for undo"
  void OpenJournal_Click();    // "Open in editor"
  void ChooseHolding_Click();  // "Choose..." beside the holding folder
  void SetHolding_Click();     // "Use as holding folder"
  void Form_Unload();

  void RunWholePlaylist();
  void helpbox();

  // platform::FormEvents
  void OnClick(platform::ControlId control) override;
  void OnMouseUp(platform::ControlId control) override;
  void OnDriveChanged(platform::ControlId control) override;
  void OnDefaultAction(platform::ControlId control) override;
  void OnClosed() override;

 private:
  void CreateControls();
  // The pages share one description of a profile's values: each shows its
  // part of one and puts its controls' values into one.
  void CollectFirstPage(settings::Profile& profile);
  void ShowProfilePage(const settings::Profile& profile);
  void CollectProfilePage(settings::Profile& profile);
  // The journal's last lines, on the undo page.
  void ShowJournal();
  void OpeningSequence();
  // Runs a handler; what it throws is told to the user and goes no further.
  void Guarded(const std::function<void()>& handler);
  // The hotkey's modifier boxes: shown from, and read as, the modifier bits.
  // With `undo`, the undo shortcut's boxes.
  void ShowModifiers(std::int32_t modifiers, bool undo = false);
  std::int32_t CheckedModifiers(bool undo = false);
  std::array<platform::ControlId, 4> ModifierBoxes(bool undo) const;
  // The undo shortcut's boxes, as the plug-in has it.
  void ShowUndoShortcut();
  // Shows under the profile list what the profile `name` does (nothing for
  // an empty name or a profile that cannot be read).
  void ShowProfileSummary(const std::wstring& name);

  Plugin* plugin_;
  std::unique_ptr<platform::Form> form_;
  Controls c_;
};

}  // namespace vandrel::dialog
