#include "disposal/act.h"

#include <functional>
#include <utility>

#include "disposal/rules.h"
#include "platform/error.h"
#include "winamp/bridge.h"

namespace vandrel::disposal {

namespace {

// Sends one playback command, to the window the wrapper reports right now.
void SendCommand(ActHost& host, std::uintptr_t command) {
  platform::WindowHandle window = host.WinAmpWindowHandle();
  platform::Windows().SendMessage(window, winamp::kWmCommand, command, 0);
}

void ShowInformation(const std::wstring& text) {
  platform::Ui().MessageBox(text, L"Vandrel", platform::Icon::Information, platform::Buttons::Ok);
}

// Ends the action with an error naming what was being done and why it failed.
void ThrowIfFailed(const platform::OpResult& result, const std::wstring& what) {
  if (result.ok()) return;
  throw Error(errors::FromWin32(result.code), what + L"\r\n\r\n" + result.Reason());
}

// Error codes of a file another program still holds open or locked.
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kAccessDenied = 5;  // what a delete of a read-only file fails with
constexpr std::uint32_t kReadOnly = 0x1;
// Some input and tag-reading plug-ins let go of the file a moment after Stop
// returns: a file still held is tried again for about two seconds.
constexpr unsigned kRetryStepMs = 100;
constexpr unsigned kRetryForMs = 2000;

platform::OpResult Retried(const std::function<platform::OpResult()>& operation) {
  platform::OpResult result = operation();
  for (unsigned waited = 0;
       waited < kRetryForMs && (result.code == kSharingViolation || result.code == kLockViolation);
       waited += kRetryStepMs) {
    platform::Files().Sleep(kRetryStepMs);
    result = operation();
  }
  return result;
}

// A file on disk as Winamp names it: a drive letter, a colon and a separator
// (network paths are refused before this). Streams (http://...) and anything
// else are not files.
bool IsDrivePath(const std::wstring& song) {
  if (song.size() < 3 || song[1] != L':' || (song[2] != L'\\' && song[2] != L'/')) return false;
  wchar_t letter = song[0];
  return (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
}

// Deletes the song: into the Recycle Bin when `intoBin`, else for good. For
// good, a delete refused because the file is read-only clears that attribute
// alone (nothing else stops a delete) and tries again; when the delete fails
// after all, the attribute is put back. A file the shell reports recycled
// but destroyed instead is said, and counted as deleted for good.
// What was done: "recycled" (with where the Recycle Bin keeps it, when
// known) or "deleted".
Disposal DeleteSong(const std::wstring& song, bool intoBin) {
  auto& files = platform::Files();
  const std::wstring what = L"Could not delete the file\r\n" + song;
  if (intoBin) {
    platform::InRecycleBin done;
    ThrowIfFailed(Retried([&] { return files.RecycleFile(song, done); }), what);
    if (!done.destroyed) return {L"recycled", L"", done.item};
    ShowInformation(L"The file\r\n" + song +
                    L"\r\nwas deleted for good: Windows reported it moved into the Recycle Bin, but the "
                    L"Recycle Bin does not hold it.");
    return {L"deleted", L"", L""};
  }
  platform::OpResult removed = Retried([&] { return files.RemoveFile(song); });
  std::uint32_t attributes = 0;
  if (removed.code == kAccessDenied && files.FileAttributes(song, attributes).ok() &&
      (attributes & kReadOnly) != 0) {
    ThrowIfFailed(files.SetFileAttributes(song, attributes & ~kReadOnly),
                  L"Could not clear the read-only attribute of the file\r\n" + song);
    removed = Retried([&] { return files.RemoveFile(song); });
    if (!removed.ok()) files.SetFileAttributes(song, attributes);
  }
  ThrowIfFailed(removed, what);
  return {L"deleted", L"", L""};
}

}  // namespace

ActOutcome Dispose(ActHost& host, const std::wstring& song, bool showNetworkRefusal, bool stopFirst,
                   Disposal* done) {
  if (song.compare(0, 2, L"\\\\") == 0) {
    if (showNetworkRefusal) ShowInformation(kNetworkRefused);
    return ActOutcome::NetworkRefused;
  }
  if (!IsDrivePath(song) || !FileExists(song)) return ActOutcome::NotThere;

  // With nowhere to move to, the file would land in the root of the current
  // drive: ask for a folder before Winamp or any file is touched.
  bool move = host.moveToFolder();
  std::wstring target, artistTag;
  bool sorting = false, artistFolder = false;
  if (move) {
    target = host.savingPlace();
    if (target.empty()) {
      ShowInformation(kNoTargetFolder);
      return ActOutcome::NoTarget;
    }
    sorting = host.sortingOption();
    artistFolder = host.createArtistFolder();
    if (artistFolder && host.artistFromTags())
      artistTag = winamp::GetArtistTag(host.WinAmpWindowHandle(), song);
  }

  // A delete follows Winamp's own preference. Where the Recycle Bin cannot
  // take the file, the shell would destroy it and report it recycled: the
  // user says first whether it goes for good.
  auto& files = platform::Files();
  bool intoBin = !move && winamp::UsesRecycleBin(host.WinAmpWindowHandle());
  if (intoBin) {
    const platform::OpResult bin = files.RecycleBinTakes(song);
    if (!bin.ok()) {
      if (platform::Ui().MessageBox(
              L"The file\r\n" + song + L"\r\ncannot go to the Recycle Bin: delete it for good?\r\n\r\n" +
                  bin.Reason(),
              L"Vandrel", platform::Icon::Question, platform::Buttons::OkCancel) != platform::Answer::Ok) {
        return ActOutcome::Kept;
      }
      intoBin = false;
    }
  }

  if (stopFirst) SendCommand(host, winamp::kCmdStop);

  ActOutcome outcome = ActOutcome::Disposed;
  if (!move) {
    const Disposal deleted = DeleteSong(song, intoBin);
    if (done) *done = deleted;
  } else {
    std::wstring destination = BuildDestinationPath(song, target, sorting, artistFolder, artistTag);
    if (destination.empty()) {
      // The box has been shown; a move to nowhere could only fail.
      outcome = ActOutcome::FolderFailed;
    } else if (destination != song && !FileExists(destination)) {
      ThrowIfFailed(Retried([&] { return files.MoveFile(song, destination); }),
                    L"Could not move the file\r\n" + song + L"\r\nto\r\n" + destination);
      if (done) *done = {L"moved", destination, L""};
    } else {
      outcome = ActOutcome::MoveSkipped;
    }
  }

  return outcome;
}

ActOutcome Act(ActHost& host, bool showNetworkRefusal) {
  const std::int32_t entry = host.playlistEntry();
  const std::int32_t playing = winamp::GetPlaylistPosition(host.WinAmpWindowHandle());
  const std::wstring song = winamp::GetPlaylistFileName(host.WinAmpWindowHandle(), playing);
  Disposal disposal;
  const ActOutcome outcome = Dispose(host, song, showNetworkRefusal, true, &disposal);
  const bool done = outcome == ActOutcome::Disposed;
  const std::wstring& movedTo = disposal.movedTo;
  if (done && entry == 2 && !movedTo.empty()) winamp::ChangeCurrentFile(host.WinAmpWindowHandle(), movedTo);
  // Once Winamp has been stopped it goes on with the next entry.
  if (done || outcome == ActOutcome::MoveSkipped || outcome == ActOutcome::FolderFailed) {
    SendCommand(host, winamp::kCmdNextTrack);
    SendCommand(host, winamp::kCmdPlay);
  }
  // Removed only now: Next has chosen as it would have with the entry there.
  if (done && (entry == 1 || (entry == 2 && movedTo.empty())) &&
      !winamp::RemovePlaylistEntry(host.WinAmpWindowHandle(), playing)) {
    static bool told = false;  // once a session
    if (!std::exchange(told, true)) ShowInformation(kNoPlaylistEditor);
  }
  if (done) FollowInLibrary(host, song, disposal, true);
  if (done) host.Record(song, disposal, playing);
  return outcome;
}

}  // namespace vandrel::disposal
