// Undo: takes back the newest disposal of the journal that was not taken
// back yet; and the notices that tell of disposals and undos.
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/vandrel.h"
#include "disposal/rules.h"
#include "journal/journal.h"
#include "platform/toolkit.h"
#include "settings/ini_class.h"
#include "winamp/bridge.h"

namespace vandrel::core {

namespace {

constexpr wchar_t kTitle[] = L"Vandrel";

bool Ask(const std::wstring& text) {
  return platform::Ui().MessageBox(text, kTitle, platform::Icon::Question, platform::Buttons::OkCancel) ==
         platform::Answer::Ok;
}

void Tell(const std::wstring& text, platform::Icon icon) {
  platform::Ui().MessageBox(text, kTitle, icon, platform::Buttons::Ok);
}

std::wstring Parent(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// True when `folder` lies below `root` (not `root` itself), whatever the case.
bool Below(const std::wstring& folder, std::wstring root) {
  while (!root.empty() && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
  auto& ui = platform::Ui();
  return !root.empty() && folder.size() > root.size() + 1 &&
         ui.Lower(folder.substr(0, root.size() + 1)) == ui.Lower(root + L"\\");
}

// The playlist entry as it was before the move: where the profile took it
// out, it comes back at its place; where it followed the file, it points back.
void RestoreEntry(platform::WindowHandle winamp, const journal::Line& line) {
  const std::wstring there = winamp::GetPlaylistFileName(winamp, line.index);
  if (there == line.path) return;
  if (!there.empty() && there == line.newPath) winamp::RemovePlaylistEntry(winamp, line.index);
  winamp::InsertPlaylistEntry(winamp, line.path, std::min(line.index, winamp::GetPlaylistLength(winamp)));
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// A file back at its old place must not replace one there now.
bool PlaceTaken(const journal::Line& last) {
  if (!disposal::FileExists(last.path)) return false;
  Tell(L"Nothing was changed: a file is at\r\n" + last.path + L"\r\nagain, and it is never replaced.",
       platform::Icon::Exclamation);
  return true;
}

// The folders the song left empty and that went are made again, outermost
// first, before the song comes back into them.
void MakeFoldersAgain(const journal::Line& last) {
  const std::vector<std::wstring> folders = journal::SplitFolders(last.removedFolders);
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
    platform::Files().MakeFolder(*folder);
}

}  // namespace

std::wstring NoticeOf(const std::wstring& song, const disposal::Disposal& done) {
  if (!done.companionsStayed.empty()) {
    std::wstring stayed;
    for (const std::wstring& path : done.companionsStayed)
      stayed += (stayed.empty() ? L"" : L", ") + NameOf(path);
    disposal::Disposal told = done;
    told.companionsStayed.clear();
    return NoticeOf(song, told) + L"\r\nStayed where they were: " + stayed;
  }
  if (done.what == L"moved") return L"Moved to " + Parent(done.movedTo) + L": " + NameOf(song);
  if (done.what == L"held") return L"Held in " + Parent(done.movedTo) + L": " + NameOf(song);
  if (done.what == L"recycled") return L"Deleted (Recycle Bin): " + NameOf(song);
  return L"Deleted for good: " + NameOf(song);
}

void Vandrel::Notice(const std::wstring& text, const std::optional<journal::Line>& told) {
  constexpr unsigned kNoticeMs = 2500;
  if (!notify_ || !platform::Current().toolkit) return;
  std::function<void()> undo;
  if (told) undo = [this, line = *told] { Guarded([&] { UndoFromNotice(line); }); };
  platform::Widgets().ShowNotice(text, WinAmpWindowHandle(), kNoticeMs, std::move(undo));
}

void Vandrel::PutBackCompanions(const std::string& text, const journal::Line& song) {
  auto& files = platform::Files();
  std::wstring stayed;
  for (const journal::Line& companion : journal::CompanionsNotTakenBack(text, song)) {
    if (companion.what == L"deleted") continue;  // gone for good with the song
    // Neither puts a file back over one there now.
    const platform::OpResult back =
        companion.what != L"recycled" ? files.MoveFile(companion.newPath, companion.path)
        : companion.newPath.empty()   ? files.RestoreRecycled(companion.path)
                                      : files.RestoreRecycledItem(companion.newPath, companion.path);
    if (back.ok()) {
      Journal(song.profile, companion.path, {L"undone", companion.newPath, L""}, song.index);
    } else {
      stayed += L"\r\n" + companion.path + L": " + back.Reason();
    }
  }
  if (!stayed.empty())
    Tell(L"The song came back, but these files that went with it did not:" + stayed,
         platform::Icon::Exclamation);
}

void Vandrel::UndoFromNotice(const journal::Line& told) {
  FlushJournal();
  std::string text;
  std::optional<journal::Line> newest;
  if (platform::Files().ReadAllBytes(journal::PathBeside(settings::SettingsIni().FileName()), text).ok())
    newest = journal::NewestUndoable(text);
  if (newest != told) {
    Tell(L"Nothing was changed: " + NameOf(told.path) +
             L" is no longer the newest delete or move not taken back. Undo last, in the dialog, takes back "
             L"the newest.",
         platform::Icon::Information);
    return;
  }
  Undo(false);
}

void Vandrel::Undo(bool confirm) {
  FlushJournal();
  const std::wstring path = journal::PathBeside(settings::SettingsIni().FileName());
  std::string text;
  std::optional<journal::Line> line;
  if (platform::Files().ReadAllBytes(path, text).ok()) line = journal::NewestUndoable(text);
  if (!line) {
    Tell(L"There is nothing to undo: the journal holds no delete or move that was not taken back.",
         platform::Icon::Information);
    return;
  }
  const journal::Line& last = *line;
  const disposal::Disposal undone{L"undone", last.newPath, L""};
  if (last.what == L"deleted") {
    // Nothing brings it back: said, and stepped past only when asked again.
    const std::wstring why = L"Undo the delete of\r\n" + last.path +
                             L"?\r\n\r\nIt was deleted for good: nothing can bring it back.\r\n\r\n";
    const std::string seen = journal::Format(last);
    if (confirm ? Ask(why + L"OK steps past it, so that the next undo takes back the one before it.")
                : std::exchange(stepPast_, seen) == seen) {
      stepPast_.clear();
      Journal(last.profile, last.path, undone, last.index);
    } else if (!confirm) {
      Tell(why + L"Undo again to step past it, so that the next undo takes back the one before it.",
           platform::Icon::Information);
    }
    return;
  }
  stepPast_.clear();
  auto& files = platform::Files();
  if (last.what == L"recycled") {
    if (confirm &&
        !Ask(L"Undo the delete of\r\n" + last.path + L"?\r\n\r\nIt comes back from the Recycle Bin."))
      return;
    if (PlaceTaken(last)) return;
    MakeFoldersAgain(last);
    // Where the journal names the Recycle Bin's item, it comes back without a
    // search; older lines name none.
    const platform::OpResult back = last.newPath.empty() ? files.RestoreRecycled(last.path)
                                                         : files.RestoreRecycledItem(last.newPath, last.path);
    if (!back.ok()) {
      Tell(L"Nothing was changed: the Recycle Bin could not put back\r\n" + last.path + L"\r\n\r\n" +
               back.Reason(),
           platform::Icon::Exclamation);
      return;
    }
  } else {
    const bool held = last.what == L"held";
    if (confirm && !Ask(held ? L"Undo the delete of\r\n" + last.path +
                                   L"?\r\n\r\nIt comes back from the holding folder\r\n" + last.newPath
                             : L"Undo the move of\r\n" + last.path + L"\r\nto\r\n" + last.newPath + L"?"))
      return;
    // A move never replaces a file: why one failed is looked into only then.
    MakeFoldersAgain(last);
    const platform::OpResult back = files.MoveFile(last.newPath, last.path);
    if (!back.ok() && !disposal::FileExists(last.newPath)) {
      Tell(L"Nothing was changed: the file is no longer at\r\n" + last.newPath, platform::Icon::Exclamation);
      return;
    }
    if (!back.ok() && PlaceTaken(last)) return;
    if (!back.ok()) {
      Tell(L"Could not move the file back\r\n" + last.newPath + L"\r\nto\r\n" + last.path + L"\r\n\r\n" +
               back.Reason(),
           platform::Icon::Exclamation);
      return;
    }
    // The letter and artist folders the move made, once empty, up to the
    // target folder of the settings that moved it; the holding folder made none.
    settings::Profile saved;
    const std::wstring root = held                                         ? L""
                              : last.profile == workingProfile_            ? savingPlace_
                              : settings::ReadProfile(last.profile, saved) ? saved.savingPlace
                                                                           : L"";
    for (std::wstring folder = Parent(last.newPath); Below(folder, root) && files.RemoveFolder(folder).ok();
         folder = Parent(folder)) {
    }
  }
  PutBackCompanions(text, last);
  RestoreEntry(WinAmpWindowHandle(), last);
  if (last.record)
    disposal::RestoreInLibrary(WinAmpWindowHandle(), last.path, last.what == L"moved" ? last.newPath : L"",
                               *last.record);
  Journal(last.profile, last.path, undone, last.index);
  if (notify_) {
    Notice(L"Put back: " + NameOf(last.path));
  } else if (confirm) {
    Tell(L"Put back:\r\n" + last.path, platform::Icon::Information);
  }
}

}  // namespace vandrel::core
