// A plug-in with fixed settings (hotkey K, move into `folder` with letter
// folders), for showing the real configuration dialog without the DLL pair.
#pragma once

#include <windows.h>

#include <string>

#include "dialog/plugin.h"

namespace vandrel::testing {

class StubPlugin : public dialog::Plugin {
 public:
  StubPlugin(HWND owner, std::wstring folder) : owner_(owner), folder_(std::move(folder)) {}
  std::int32_t Key() override { return 11; }
  void SetKey(std::int32_t) override {}
  std::int32_t Modifiers() override { return 3; }
  void SetShortcut(std::int32_t, std::int32_t) override {}
  bool moveToFolder() override { return true; }
  void SetmoveToFolder(bool) override {}
  std::wstring savingPlace() override { return folder_; }
  void SetsavingPlace(const std::wstring&) override {}
  bool sortingOption() override { return true; }
  void SetsortingOption(bool) override {}
  bool createArtistFolder() override { return false; }
  void SetcreateArtistFolder(bool) override {}
  std::int32_t playlistEntry() override { return 0; }
  void SetplaylistEntry(std::int32_t) override {}
  bool artistFromTags() override { return false; }
  void SetartistFromTags(bool) override {}
  bool libraryEntry() override { return false; }
  void SetlibraryEntry(bool) override {}
  bool companionFiles() override { return false; }
  void SetcompanionFiles(bool) override {}
  bool removeEmptyFolders() override { return false; }
  void SetremoveEmptyFolders(bool) override {}
  disposal::ActOutcome Act() override { return disposal::ActOutcome::NotThere; }
  disposal::ActOutcome Dispose(const std::wstring&, bool, disposal::Disposal*, std::int32_t,
                               disposal::RunChoices*) override {
    return disposal::ActOutcome::NotThere;
  }
  platform::WindowHandle WinAmpWindowHandle() override {
    return reinterpret_cast<platform::WindowHandle>(owner_);
  }
  void MoveToPlaylistStart() override {}
  std::wstring holdingFolder() override { return L""; }
  void SetholdingFolder(const std::wstring&) override {}
  void SetWorkingProfile(const std::wstring&) override {}
  void RefreshShortcuts(bool) override {}
  void FlushJournal() override {}
  void UndoLast() override {}
  std::int32_t UndoKey() override { return 0; }
  std::int32_t UndoModifiers() override { return 0; }
  bool SetUndoShortcut(std::int32_t, std::int32_t) override { return false; }
  bool notify() override { return true; }
  void Setnotify(bool) override {}

 private:
  HWND owner_;
  std::wstring folder_;
};

}  // namespace vandrel::testing
