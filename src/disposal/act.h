// The disposal action: gets rid of the file of Winamp's current entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "winamp/library.h"

namespace vandrel::disposal {

// What a completed delete or move did.
struct Disposal {
  std::wstring what;     // "deleted" (for good), "recycled", "moved" or "held"
  std::wstring movedTo;  // the new path after a move, or in the holding folder
  std::wstring binItem;  // after a recycle: where the Recycle Bin keeps the file, when known
  // The Media Library record that went with the file: what it held.
  std::optional<winamp::LibraryRecord> record = std::nullopt;
  // The song's companion files that went with it: where each was, what was
  // done with it and its new path (or Recycle Bin item); those that stayed.
  struct Companion {
    std::wstring path, what, newPath;
  };
  std::vector<Companion> companions = {};
  std::vector<std::wstring> companionsStayed = {};
  std::vector<std::wstring> removedFolders = {};  // the folders it left empty and that went, innermost first
};

// What the action reads from the plug-in at the moment it runs.
class ActHost {
 public:
  virtual ~ActHost() = default;
  virtual bool moveToFolder() = 0;
  virtual std::wstring savingPlace() = 0;
  virtual bool sortingOption() = 0;
  virtual bool createArtistFolder() = 0;
  // What becomes of the playing entry once its file is gone (0 it stays, 1 it
  // is removed, 2 removed after a delete and pointed at the new place after a move).
  virtual std::int32_t playlistEntry() { return 0; }
  // With artist folders on: the folder is named after the song's artist tag
  // as Winamp reads it, the file name's artist standing in when it has none.
  virtual bool artistFromTags() { return false; }
  // The song's Media Library record follows the file.
  virtual bool libraryEntry() { return false; }
  // Whether the folders a song leaves empty go, and the folders that never
  // go that way (the target folders of every profile).
  virtual bool removeEmptyFolders() { return false; }
  // Whether the song's companion files go with it, and their extensions
  // (';' between them, without dots).
  virtual bool companionFiles() { return false; }
  virtual std::wstring companionExtensions() { return L""; }
  virtual std::vector<std::wstring> keptFolders() { return {}; }
  // Where a song goes that the Recycle Bin cannot take, when the user says
  // so; empty: nowhere, the song is deleted for good or kept.
  virtual std::wstring holdingFolder() { return L""; }
  // Told of each completed disposal of a press, once Winamp plays on: the
  // file, what was done and the playlist index its entry had.
  virtual void Record(const std::wstring& /*song*/, const Disposal& /*done*/, std::int32_t /*index*/) {}
  // Read afresh before every command sent to Winamp.
  virtual platform::WindowHandle WinAmpWindowHandle() = 0;
};

// The texts of the action's information boxes, titled "Vandrel".
inline constexpr wchar_t kNetworkRefused[] = L"Can't move file from network!";
inline constexpr wchar_t kNoTargetFolder[] =
    L"No target folder is set.\r\n\r\nChoose the folder to move files to in the configuration dialog, save "
    L"the settings as a profile and load it.";

inline constexpr wchar_t kNoPlaylistEditor[] =
    L"Winamp names no playlist editor, so the entries of deleted or moved files stay in the playlist.";

// What becomes of a song that the Recycle Bin cannot take.
enum class BinRefused { Hold, Delete, Keep };

// The answers that hold for the rest of a whole-playlist run, so that it asks
// once, not once per song.
struct RunChoices {
  std::optional<BinRefused> binRefused;
};

// How one call of Act ended.
enum class ActOutcome {
  Disposed,        // deleted, or moved
  MoveSkipped,     // destination exists or equals the source
  NetworkRefused,  // network path, box shown, nothing sent
  NotThere,        // no such file, an empty name or no file at all (a stream): nothing done
  NoTarget,        // moving with no target folder: box shown, nothing touched
  FolderFailed,    // letter/artist folder creation failed: box shown, nothing moved
  Kept,            // the Recycle Bin could not take it, and the user kept it: nothing sent
};

// Runs the action. A delete follows Winamp's own preference: into the Recycle
// Bin, or for good; a file the Recycle Bin cannot take goes into the holding
// folder or for good only when the user says so, and one the shell destroyed instead is told and counted
// as deleted for good. A delete or move that finds the file still held by another
// program is tried again for about two seconds. A failed attribute change,
// delete or move throws
// vandrel::Error: the number is the system's code as an HRESULT, the
// description names the step and the file, then the system's reason, e.g.
// "Could not delete the file\r\nC:\\Music\\x.mp3\r\n\r\n<reason>". Winamp then
// stays stopped, the file stays where it was, and nothing more is sent.
// With `showNetworkRefusal` false a network path is refused without its box.
// Once the file was deleted or moved, the playing entry follows the host's
// playlistEntry(): pointed at the new place before Next, or removed after
// Play, so that what plays is what Next chose; otherwise the playlist stays
// as it was.
ActOutcome Act(ActHost& host, bool showNetworkRefusal = true);

// The action's rules for one named file, `song`, as Winamp names it, without
// telling Winamp to move on: with `stopFirst` Winamp is stopped before the
// file is touched (the whole-playlist run stops it once, beforehand).
// `done`, when given, receives what a completed delete or move did.
// `run`, given by the whole-playlist run, keeps the answers that hold for
// its later songs.
ActOutcome Dispose(ActHost& host, const std::wstring& song, bool showNetworkRefusal, bool stopFirst,
                   Disposal* done = nullptr, RunChoices* run = nullptr);

// The place in `folder` for the file named `name`: the name itself, or the
// first of "Song (2).mp3", "Song (3).mp3", ... that nothing holds.
std::wstring FreePlaceIn(const std::wstring& folder, const std::wstring& name);

// The Media Library follows a completed disposal of `song` (library.cpp),
// where the host's libraryEntry() asks for it and Winamp has a library that
// holds a record of the song. After a delete the record goes; after a move a
// record for the new path takes over the old one's rating, play count and last
// play, and then the old one goes (it stays when the library made no record
// for the new path). `done.record` receives what the removed record held.
// With `sync` the library writes its database at once; else the caller
// syncs once after many (SyncLibrary).
void FollowInLibrary(ActHost& host, const std::wstring& song, Disposal& done, bool sync);
// Writes the library's database, when the Winamp of `winamp` has a library.
void SyncLibrary(platform::WindowHandle winamp);
// Undo: the record of `path` comes back with `record`'s values, and the
// record of `movedTo` (unless empty) goes.
void RestoreInLibrary(platform::WindowHandle winamp, const std::wstring& path, const std::wstring& movedTo,
                      const winamp::LibraryRecord& record);

}  // namespace vandrel::disposal
