// The Media Library's record after a disposal, and after its undo.
#include "winamp/library.h"
#include "disposal/act.h"

namespace vandrel::disposal {

void FollowInLibrary(ActHost& host, const std::wstring& song, Disposal& done, bool sync) {
  if (!host.libraryEntry()) return;
  const platform::WindowHandle library = winamp::LibraryWindow(host.WinAmpWindowHandle());
  if (library == 0) return;
  const std::optional<winamp::LibraryRecord> old = winamp::FindRecord(library, song);
  if (!old) return;
  // A moved song's values must be safe at the new path before the old record goes.
  if (done.what == L"moved" && !winamp::PutRecord(library, done.movedTo, *old)) return;
  winamp::RemoveRecord(library, song);
  done.record = old;
  if (sync) winamp::SyncLibrary(library);
}

void SyncLibrary(platform::WindowHandle winamp) {
  if (const platform::WindowHandle library = winamp::LibraryWindow(winamp)) winamp::SyncLibrary(library);
}

void RestoreInLibrary(platform::WindowHandle winamp, const std::wstring& path, const std::wstring& movedTo,
                      const winamp::LibraryRecord& record) {
  const platform::WindowHandle library = winamp::LibraryWindow(winamp);
  if (library == 0) return;
  if (winamp::PutRecord(library, path, record) && !movedTo.empty()) winamp::RemoveRecord(library, movedTo);
  winamp::SyncLibrary(library);
}

}  // namespace vandrel::disposal
