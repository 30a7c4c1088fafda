#include "disposal/act.h"

#include <algorithm>
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

std::wstring WithoutTrailingSeparator(std::wstring folder) {
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

// Where the Recycle Bin cannot take the song: what the user wants done with
// it. With a holding folder that can take files the question offers it first
// (its default answer), and `holding` names it; a holding folder that is
// missing or cannot be written is said, and the question offers a delete for
// good or keeping the song. In a whole-playlist run the answer holds for
// every later song the Recycle Bin cannot take.
BinRefused WhenBinRefuses(ActHost& host, const std::wstring& song, const platform::OpResult& why,
                          RunChoices* run, std::wstring& holding) {
  holding = WithoutTrailingSeparator(host.holdingFolder());
  std::wstring unusable;
  if (!holding.empty()) {
    const platform::OpResult writable = platform::Files().CanWriteIn(holding);
    if (!writable.ok()) {
      unusable = L"\r\n\r\nThe holding folder\r\n" + holding + L"\r\ncannot take it: " + writable.Reason();
      holding.clear();
    }
  }
  if (run && run->binRefused && (*run->binRefused != BinRefused::Hold || !holding.empty()))
    return *run->binRefused;
  const std::wstring forRun =
      run ? L"\r\n\r\nThe answer holds for every song of this run that cannot go to the Recycle Bin." : L"";
  BinRefused answer;
  if (!holding.empty()) {
    const platform::Answer said = platform::Ui().MessageBox(
        L"The file\r\n" + song + L"\r\ncannot go to the Recycle Bin: move it into the holding folder\r\n" +
            holding + L"?\r\n\r\n" + why.Reason() +
            L"\r\n\r\nYes moves it there, No deletes it for good, Cancel keeps it." + forRun,
        L"Vandrel", platform::Icon::Question, platform::Buttons::YesNoCancel);
    answer = said == platform::Answer::Yes  ? BinRefused::Hold
             : said == platform::Answer::No ? BinRefused::Delete
                                            : BinRefused::Keep;
  } else {
    answer = platform::Ui().MessageBox(
                 L"The file\r\n" + song + L"\r\ncannot go to the Recycle Bin: delete it for good?\r\n\r\n" +
                     why.Reason() + unusable + forRun,
                 L"Vandrel", platform::Icon::Question, platform::Buttons::OkCancel) == platform::Answer::Ok
                 ? BinRefused::Delete
                 : BinRefused::Keep;
  }
  if (run) run->binRefused = answer;
  return answer;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  auto& ui = platform::Ui();
  return !a.empty() && !b.empty() &&
         ui.Lower(WithoutTrailingSeparator(a)) == ui.Lower(WithoutTrailingSeparator(b));
}

// Once the song has left, its folder goes when it holds nothing at all
// (hidden and system files are something: the system refuses to remove a
// folder that holds anything), then its parent on the same terms, and so on;
// never a drive's root, the target folder, the holding folder or any
// profile's target folder. The folders removed, innermost first.
std::vector<std::wstring> RemoveEmptiedFolders(ActHost& host, const std::wstring& song) {
  std::vector<std::wstring> kept = host.keptFolders();
  kept.push_back(host.savingPlace());
  kept.push_back(host.holdingFolder());
  std::vector<std::wstring> removed;
  for (std::wstring folder = song.substr(0, song.find_last_of(L"\\/")); folder.size() > 3;
       folder = folder.substr(0, folder.find_last_of(L"\\/"))) {
    if (std::any_of(kept.begin(), kept.end(), [&](const std::wstring& k) { return SameFolder(k, folder); }))
      break;
    if (!platform::Files().RemoveFolder(folder).ok()) break;
    removed.push_back(folder);
  }
  return removed;
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }
// The name without its extension, and the extension with its dot.
std::pair<std::wstring, std::wstring> StemAndExtension(const std::wstring& name) {
  const std::size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos || dot == 0) return {name, L""};
  return {name.substr(0, dot), name.substr(dot)};
}

// The song's companion files: in its folder, named as the song without its
// extension plus one of the listed extensions (case-blind); never the song.
std::vector<std::wstring> CompanionsOf(ActHost& host, const std::wstring& song) {
  auto& ui = platform::Ui();
  const std::wstring stem = StemAndExtension(NameOf(song)).first;
  std::vector<std::wstring> listed;
  const std::wstring extensions = ui.Lower(host.companionExtensions()) + L";";
  for (std::size_t start = 0, end; (end = extensions.find(L';', start)) != std::wstring::npos;
       start = end + 1)
    if (end > start) listed.push_back(L"." + extensions.substr(start, end - start));
  std::vector<std::wstring> names, companions;
  platform::Files().FilesStartingWith(FolderOf(song), stem + L".", names);
  for (const std::wstring& name : names) {
    const auto [otherStem, extension] = StemAndExtension(name);
    if (ui.Lower(otherStem) == ui.Lower(stem) && ui.Lower(name) != ui.Lower(NameOf(song)) &&
        std::find(listed.begin(), listed.end(), ui.Lower(extension)) != listed.end())
      companions.push_back(FolderOf(song) + L"\\" + name);
  }
  return companions;
}

// The song's companion files go as the song went: beside it at its new place
// (named after the song's new name there), into the Recycle Bin, or for good.
// One whose name is taken at the new place stays where it was, and so does
// one the system refused: each is named in `did`, nothing is replaced.
void CarryCompanions(ActHost& host, const std::wstring& song, Disposal& did) {
  auto& files = platform::Files();
  const std::wstring newStem = did.movedTo.empty() ? L"" : StemAndExtension(NameOf(did.movedTo)).first;
  for (const std::wstring& companion : CompanionsOf(host, song)) {
    Disposal::Companion went{companion, did.what, L""};
    platform::OpResult result;
    if (!did.movedTo.empty()) {
      went.newPath = FolderOf(did.movedTo) + L"\\" + newStem + StemAndExtension(NameOf(companion)).second;
      result =
          FileExists(went.newPath) ? platform::OpResult{183, L""} : files.MoveFile(companion, went.newPath);
    } else if (did.what == L"recycled") {
      platform::InRecycleBin bin;
      result = files.RecycleFile(companion, bin);
      went.newPath = bin.item;
      if (bin.destroyed) went.what = L"deleted";
    } else {
      result = files.RemoveFile(companion);
    }
    if (result.ok()) {
      did.companions.push_back(std::move(went));
    } else {
      did.companionsStayed.push_back(companion);
    }
  }
}

// Moves the song into the holding folder under its own name, or the first
// free " (2)", " (3)", ... of it: nothing there is ever replaced.
Disposal HoldSong(const std::wstring& song, const std::wstring& holding) {
  const std::wstring place = FreePlaceIn(holding, song.substr(song.find_last_of(L"\\/") + 1));
  ThrowIfFailed(Retried([&] { return platform::Files().MoveFile(song, place); }),
                L"Could not move the file\r\n" + song + L"\r\ninto the holding folder\r\n" + place);
  return {L"held", place, L""};
}

}  // namespace

std::wstring FreePlaceIn(const std::wstring& folder, const std::wstring& name) {
  const std::wstring base = WithoutTrailingSeparator(folder);
  const std::wstring into = base + (!base.empty() && base.back() == L'\\' ? L"" : L"\\");
  const std::size_t dot = name.find_last_of(L'.');
  const bool hasExtension = dot != std::wstring::npos && dot != 0;
  const std::wstring stem = hasExtension ? name.substr(0, dot) : name;
  const std::wstring extension = hasExtension ? name.substr(dot) : L"";
  std::wstring place = into + name;
  for (int number = 2; FileExists(place); ++number)
    place = into + stem + L" (" + std::to_wstring(number) + L")" + extension;
  return place;
}

ActOutcome Dispose(ActHost& host, const std::wstring& song, bool showNetworkRefusal, bool stopFirst,
                   Disposal* done, RunChoices* run) {
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
  // user says first what becomes of it.
  auto& files = platform::Files();
  bool intoBin = !move && winamp::UsesRecycleBin(host.WinAmpWindowHandle());
  std::wstring holding;
  if (intoBin) {
    const platform::OpResult bin = files.RecycleBinTakes(song);
    if (!bin.ok()) {
      switch (WhenBinRefuses(host, song, bin, run, holding)) {
        case BinRefused::Keep:
          return ActOutcome::Kept;
        case BinRefused::Delete:
          holding.clear();
          break;
        case BinRefused::Hold:
          break;
      }
      intoBin = false;
    }
  }

  if (stopFirst) SendCommand(host, winamp::kCmdStop);

  ActOutcome outcome = ActOutcome::Disposed;
  Disposal did;
  if (!holding.empty()) {
    const Disposal held = HoldSong(song, holding);
    did = held;
  } else if (!move) {
    did = DeleteSong(song, intoBin);
  } else {
    std::wstring destination = BuildDestinationPath(song, target, sorting, artistFolder, artistTag);
    if (destination.empty()) {
      // The box has been shown; a move to nowhere could only fail.
      outcome = ActOutcome::FolderFailed;
    } else if (destination != song && !FileExists(destination)) {
      ThrowIfFailed(Retried([&] { return files.MoveFile(song, destination); }),
                    L"Could not move the file\r\n" + song + L"\r\nto\r\n" + destination);
      did = {L"moved", destination, L""};
    } else {
      outcome = ActOutcome::MoveSkipped;
    }
  }

  // What follows the song's own delete or move, in this order.
  if (outcome == ActOutcome::Disposed && host.companionFiles()) CarryCompanions(host, song, did);
  if (outcome == ActOutcome::Disposed && host.removeEmptyFolders())
    did.removedFolders = RemoveEmptiedFolders(host, song);
  if (done) *done = did;
  return outcome;
}

ActOutcome Act(ActHost& host, bool showNetworkRefusal) {
  const std::int32_t entry = host.playlistEntry();
  const std::int32_t playing = winamp::GetPlaylistPosition(host.WinAmpWindowHandle());
  const std::wstring song = winamp::GetPlaylistFileName(host.WinAmpWindowHandle(), playing);
  Disposal disposal;
  const ActOutcome outcome = Dispose(host, song, showNetworkRefusal, true, &disposal);
  const bool done = outcome == ActOutcome::Disposed;
  // A song held is one Winamp wanted deleted: its entry goes as after a delete.
  const std::wstring movedTo = disposal.what == L"moved" ? disposal.movedTo : L"";
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
