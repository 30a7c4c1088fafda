// The plug-in as the configuration dialog and the whole-playlist run see it.
#pragma once

#include <cstdint>
#include <string>

#include "disposal/act.h"
#include "platform/platform.h"

namespace vandrel::dialog {

class Plugin {
 public:
  virtual ~Plugin() = default;
  virtual std::int32_t Key() = 0;
  virtual void SetKey(std::int32_t newKey) = 0;
  // The hotkey's modifier bits (1 Alt, 2 Ctrl, 4 Shift, 8 Windows key).
  virtual std::int32_t Modifiers() = 0;
  // Sets the modifiers and the letter together, with one registration.
  virtual void SetShortcut(std::int32_t modifiers, std::int32_t newKey) = 0;
  virtual bool moveToFolder() = 0;
  virtual void SetmoveToFolder(bool theValue) = 0;
  virtual std::wstring savingPlace() = 0;
  virtual void SetsavingPlace(const std::wstring& newPath) = 0;
  virtual bool sortingOption() = 0;
  virtual void SetsortingOption(bool theValue) = 0;
  virtual bool createArtistFolder() = 0;
  virtual void SetcreateArtistFolder(bool theValue) = 0;
  // What becomes of the playing entry (0 stays, 1 removed, 2 follows a move).
  virtual std::int32_t playlistEntry() = 0;
  virtual void SetplaylistEntry(std::int32_t mode) = 0;
  // Artist folders named after the songs' artist tags.
  virtual bool artistFromTags() = 0;
  virtual void SetartistFromTags(bool theValue) = 0;
  // The Media Library's record follows the file.
  virtual bool libraryEntry() = 0;
  virtual void SetlibraryEntry(bool theValue) = 0;
  // The song's companion files (same name, another extension of the
  // settings file's list) go with it.
  virtual bool companionFiles() = 0;
  virtual void SetcompanionFiles(bool theValue) = 0;
  // The folders a song leaves empty are removed.
  virtual bool removeEmptyFolders() = 0;
  virtual void SetremoveEmptyFolders(bool theValue) = 0;
  // Throws vandrel::Error when a delete or move fails.
  virtual disposal::ActOutcome Act() = 0;
  // Act's rules for the file `song`, Winamp already stopped and left where it
  // is. With `showNetworkRefusal` false a network path is refused without its
  // box: the whole-playlist run shows it once per run. `done` receives what a
  // completed delete or move did; `index` is the entry's place, for the
  // journal; `run` keeps the answers that hold for the run's later songs.
  // Throws as Act does.
  virtual disposal::ActOutcome Dispose(const std::wstring& song, bool showNetworkRefusal,
                                       disposal::Disposal* done, std::int32_t index,
                                       disposal::RunChoices* run) = 0;
  // Winamp's main window as the wrapper reports it; commands go there.
  virtual platform::WindowHandle WinAmpWindowHandle() = 0;
  virtual void MoveToPlaylistStart() = 0;
  // Writes the journal lines the run's disposals gathered.
  virtual void FlushJournal() = 0;
  // Takes back the newest disposal the journal holds, after asking.
  virtual void UndoLast() = 0;
  // The undo shortcut (key 0: none), as "iniConfig" keeps it. Setting it
  // registers it and saves it; false (after saying why) when it is refused.
  virtual std::int32_t UndoKey() = 0;
  virtual std::int32_t UndoModifiers() = 0;
  virtual bool SetUndoShortcut(std::int32_t modifiers, std::int32_t key) = 0;
  // Whether a notice tells of each press's disposal and each undo; saved at once.
  virtual bool notify() = 0;
  virtual void Setnotify(bool on) = 0;
  // Where songs the Recycle Bin cannot take may go (empty: nowhere), as
  // "iniConfig" keeps it; saved at once.
  virtual std::wstring holdingFolder() = 0;
  virtual void SetholdingFolder(const std::wstring& folder) = 0;
  // The profile that the working settings now come from (loaded in the dialog).
  virtual void SetWorkingProfile(const std::wstring& name) = 0;
  // Registers the shortcuts of the always-active profiles as the settings
  // file now holds them, and drops the rest. A refusal is told once; with
  // `tellClashes` false, clashes between profiles are not (the user has just
  // been warned of them).
  virtual void RefreshShortcuts(bool tellClashes) = 0;
};

}  // namespace vandrel::dialog
