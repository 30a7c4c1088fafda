// Vandrel, the plug-in object that the wrapper drives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/wrapper.h"
#include "dialog/plugin.h"
#include "disposal/act.h"
#include "hotkey/hook.h"
#include "journal/journal.h"
#include "settings/profile.h"
#include "winamp/bridge.h"

namespace vandrel::core {

class Vandrel : public dialog::Plugin, public disposal::ActHost, public hotkey::Target {
 public:
  Vandrel() = default;
  ~Vandrel() override;
  Vandrel(const Vandrel&) = delete;
  Vandrel& operator=(const Vandrel&) = delete;

  // The wrapper's three calls. Failures throw vandrel::Error.
  void IZekWinAmpGenPlugin_Initialize(std::shared_ptr<Wrapper> wrapper);
  void IZekWinAmpGenPlugin_Configure();
  void IZekWinAmpGenPlugin_Quit();

  // The object's own interface.
  disposal::ActOutcome Act() override;
  disposal::ActOutcome Dispose(const std::wstring& song, bool showNetworkRefusal, disposal::Disposal* done,
                               std::int32_t index, disposal::RunChoices* run) override;
  void Record(const std::wstring& song, const disposal::Disposal& done, std::int32_t index) override {
    Recorded(workingProfile_, song, done, index);
  }
  // A press's disposal: journalled, and told by a notice.
  void Recorded(const std::wstring& profile, const std::wstring& song, const disposal::Disposal& done,
                std::int32_t index);
  // Writes the disposal's line into the journal before anything else is
  // touched; the first failure of a session is told, the disposal stands
  // either way. `keepOpen` (the whole-playlist run) leaves the file open
  // for the next line, until FlushJournal.
  // The line as it was written (or as it would have been).
  journal::Line Journal(const std::wstring& profile, const std::wstring& song, const disposal::Disposal& done,
                        std::int32_t index, bool keepOpen = false);
  // Lets go of the journal the whole-playlist run kept open.
  void FlushJournal() override;
  // Takes back the newest disposal of the journal not yet taken back, once
  // the user has confirmed what it is (undo.cpp).
  void UndoLast() override { Undo(true); }
  std::int32_t UndoKey() override { return undoKey_; }
  std::int32_t UndoModifiers() override { return undoModifiers_; }
  bool SetUndoShortcut(std::int32_t modifiers, std::int32_t key) override;
  bool notify() override { return notify_; }
  void Setnotify(bool on) override;
  void Info();
  std::int32_t Key() override { return key_; }
  void SetKey(std::int32_t newKey) override;
  std::int32_t Modifiers() override { return modifiers_; }
  void SetModifiers(std::int32_t value) { SetShortcut(value, key_); }
  void SetShortcut(std::int32_t modifiers, std::int32_t newKey) override;
  bool moveToFolder() override { return moveToFolder_; }
  void SetmoveToFolder(bool theValue) override { moveToFolder_ = theValue; }
  std::wstring savingPlace() override { return savingPlace_; }
  void SetsavingPlace(const std::wstring& newPath) override;
  bool sortingOption() override { return sortingOption_; }
  void SetsortingOption(bool theValue) override { sortingOption_ = theValue; }
  bool createArtistFolder() override { return createArtistFolder_; }
  void SetcreateArtistFolder(bool theValue) override { createArtistFolder_ = theValue; }
  std::int32_t playlistEntry() override { return playlistEntry_; }
  void SetplaylistEntry(std::int32_t mode) override { playlistEntry_ = mode; }
  bool artistFromTags() override { return artistFromTags_; }
  void SetartistFromTags(bool theValue) override { artistFromTags_ = theValue; }
  bool libraryEntry() override { return libraryEntry_; }
  void SetlibraryEntry(bool theValue) override { libraryEntry_ = theValue; }
  bool companionFiles() override { return companionFiles_; }
  void SetcompanionFiles(bool theValue) override { companionFiles_ = theValue; }
  std::wstring companionExtensions() override { return companionExtensions_; }
  bool removeEmptyFolders() override { return removeEmptyFolders_; }
  void SetremoveEmptyFolders(bool theValue) override { removeEmptyFolders_ = theValue; }
  // The holding folder, as "iniConfig" keeps it (empty: none); saved at once.
  std::wstring holdingFolder() override { return holdingFolder_; }
  // Every profile's target folder and the working one's: no folder left
  // empty by a song goes that is one of these.
  std::vector<std::wstring> keptFolders() override;
  void SetholdingFolder(const std::wstring& folder) override;
  void MoveToPlaylistStart() override;
  void SetWorkingProfile(const std::wstring& name) override { workingProfile_ = name; }
  void RefreshShortcuts(bool tellClashes) override;
  // The always-active profiles whose shortcuts are registered, in file order.
  const std::vector<settings::Profile>& ActiveProfiles() const { return active_; }

  platform::WindowHandle WinAmpWindowHandle() override;

 private:
  void OnHotKey() override;
  void OnProfileHotKey(const std::wstring& profile) override;
  void OnUndoKey() override;
  // Takes back the newest disposal not taken back; with `confirm` only once
  // the user has confirmed what it is, else at once (the undo shortcut).
  void Undo(bool confirm);
  // Shows the notice, when notices are on; after a disposal (`told`, its
  // journal line), with an Undo of its own.
  void Notice(const std::wstring& text, const std::optional<journal::Line>& told = std::nullopt);
  // The notice's Undo: takes back the disposal it told of, as the undo
  // shortcut does, when that is still the newest not taken back.
  void UndoFromNotice(const journal::Line& told);
  // The companion files that went with the song of `song`'s line come back
  // beside it; those that cannot are said.
  void PutBackCompanions(const std::string& text, const journal::Line& song);
  // The undo shortcut, the notices' switch and the holding folder, from "iniConfig".
  void LoadUndoSettings();
  // The entries in Winamp's Global Hotkeys plug-in: the working shortcut's,
  // each saved profile's and undo's, each id posted once.
  void StartGlobalHotkeys();
  void AddProfileEntries();
  void AddEntry(hotkey::EntryKind kind, const std::wstring& profile, const std::string& id,
                const std::wstring& name);
  Wrapper& RequireWrapper();
  void LoadLastUsedProfile();
  // Registers the working shortcut; false (after the box) when refused.
  bool ApplyShortcut(std::int32_t modifiers, std::int32_t newKey);
  // The plug-in list's entry: every registered shortcut while they fit.
  void UpdateDescription();
  // Runs an action for a press, telling whatever goes wrong in a box.
  void Guarded(const std::function<void()>& action);

  std::shared_ptr<Wrapper> wrapper_;
  std::int32_t key_ = 0;
  std::wstring savingPlace_;
  bool moveToFolder_ = false;
  bool sortingOption_ = false;
  bool createArtistFolder_ = false;
  std::int32_t playlistEntry_ = 0;
  bool artistFromTags_ = false;
  bool libraryEntry_ = true;  // until a profile says otherwise: a new profile's choice
  bool removeEmptyFolders_ = false;
  bool companionFiles_ = false;
  std::wstring companionExtensions_ = settings::kCompanionExtensions;
  std::int32_t modifiers_ = 8;   // the Windows key
  std::wstring workingProfile_;  // the profile the working settings were loaded from
  std::vector<settings::Profile> active_;
  std::set<std::wstring> problems_;  // the refusals already told, by profile and shortcut
  bool journalFailureTold_ = false;
  std::int32_t undoKey_ = 0;  // none
  std::int32_t undoModifiers_ = 0;
  bool notify_ = true;
  std::wstring holdingFolder_;  // none
  std::string stepPast_;        // the delete for good the undo shortcut has named once
  std::unique_ptr<journal::Writer> journalOpen_;
  // The saved profiles' target folders (keptFolders), read at the first need.
  std::optional<std::vector<std::wstring>> profileTargets_;  // kept open by the whole-playlist run
  winamp::GlobalHotkeys globalHotkeys_;
  std::set<std::wstring> goneEntriesTold_;  // entries whose profile is gone, by profile
};

// The notice after a disposal: "Moved to D:\\Keep\\a: Artist - Title.mp3".
std::wstring NoticeOf(const std::wstring& song, const disposal::Disposal& done);

// The module-wide slot: the one plug-in instance, or null.
Vandrel* PluginInstance();

// Settings file path for a module path: the final ".dll" (any case) becomes
// ".ini"; a module without it gets ".ini" appended.
std::wstring SettingsPathForModule(const std::wstring& modulePath);

}  // namespace vandrel::core
