// Perform whole Playlist: the action on every entry of Winamp's playlist, by
// its place in the list, then the playlist emptied. Winamp is stopped once and
// is never told to move on or play while the run goes through the list.
#include <string>
#include <utility>
#include <vector>

#include "dialog/frm_config.h"
#include "dialog/messages.h"
#include "dialog/run_progress.h"
#include "hotkey/hook.h"
#include "platform/error.h"
#include "settings/profile.h"
#include "winamp/bridge.h"

namespace vandrel::dialog {

namespace {

std::wstring Tally(int disposed, int skipped) {
  return L"Files deleted or moved: " + std::to_wstring(disposed) + L"\r\nEntries skipped: " +
         std::to_wstring(skipped);
}

// 1234567 as "1,234,567".
std::wstring Grouped(std::int32_t number) {
  std::wstring digits = std::to_wstring(number);
  const std::size_t sign = number < 0 ? 1 : 0;
  for (std::size_t end = digits.size(); end > sign + 3; end -= 3) digits.insert(end - 3, 1, L',');
  return digits;
}

// What the run is about to do, e.g. "Move 1,234 files to D:\Sorted.".
std::wstring Plan(Plugin& plugin, std::int32_t count) {
  const std::wstring files = Grouped(count) + (count == 1 ? L" file" : L" files");
  if (!plugin.moveToFolder()) return L"Delete " + files + L".";
  return L"Move " + files + L" to " + plugin.savingPlace() + L".";
}

// The dialog takes no input while the run pumps messages for Winamp.
class InputTaken {
 public:
  explicit InputTaken(platform::Form& form) : form_(form) { form_.Enable(false); }
  ~InputTaken() { form_.Enable(true); }
  InputTaken(const InputTaken&) = delete;
  InputTaken& operator=(const InputTaken&) = delete;

 private:
  platform::Form& form_;
};

// After a run that ended part way: the disposed entries (by index, with the
// new path of each moved file) leave the playlist, or with `mode` 2 a moved
// one points at its new place; the rest stays as it was.
void FollowDisposed(platform::WindowHandle winamp, std::int32_t mode,
                    const std::vector<std::pair<std::int32_t, std::wstring>>& disposed) {
  if (mode != settings::kRemoveEntry && mode != settings::kFollowEntry) return;
  const std::int32_t position = winamp::GetPlaylistPosition(winamp);
  bool repointed = false;
  for (const auto& [index, movedTo] : disposed) {
    if (mode != settings::kFollowEntry || movedTo.empty()) continue;
    winamp::SetPlaylistPosition(winamp, index);
    winamp::ChangeCurrentFile(winamp, movedTo);
    repointed = true;
  }
  if (repointed) winamp::SetPlaylistPosition(winamp, position);
  for (auto entry = disposed.rbegin(); entry != disposed.rend(); ++entry) {
    if (mode == settings::kFollowEntry && !entry->second.empty()) continue;
    if (!winamp::RemovePlaylistEntry(winamp, entry->first)) {
      ShowBox(disposal::kNoPlaylistEditor, platform::Icon::Information);
      return;
    }
  }
}

}  // namespace

void FrmConfig::RunWholePlaylist() {
  if (!plugin_) {
    ShowBox(L"The plug-in is not running: there is nothing to act with.", platform::Icon::Exclamation);
    return;
  }
  const std::int32_t count = winamp::GetPlaylistLength(plugin_->WinAmpWindowHandle());
  if (ShowBox(L"Perform full playlist?\r\n\r\n" + Plan(*plugin_, count), platform::Icon::Question,
              platform::Buttons::OkCancel) != platform::Answer::Ok) {
    ShowBox(L"Cancelled!", platform::Icon::Critical);
    return;
  }
  // Quit may unload the dialog while one of the run's boxes is up, or while
  // messages are pumped; the plug-in may be gone then, so the run goes no further.
  if (!IsLoaded()) return;

  // The hotkey waits while the run (or one of its boxes) is on screen.
  hotkey::ActionScope running;
  int disposed = 0;
  int skipped = 0;
  std::vector<std::pair<std::int32_t, std::wstring>> done;  // the disposed entries, for a run ended part way
  bool cancelled = false;
  std::wstring stopped;  // why the run ended before the last entry
  platform::Icon stoppedIcon = platform::Icon::Exclamation;
  {
    InputTaken taken(*form_);
    RunProgress progress(plugin_->WinAmpWindowHandle(), count);
    try {
      platform::Windows().SendMessage(plugin_->WinAmpWindowHandle(), winamp::kWmCommand, winamp::kCmdStop, 0);
      bool networkShown = false;
      disposal::RunChoices choices;  // the Recycle Bin's question is asked once a run
      for (std::int32_t index = 0; index < count && stopped.empty(); ++index) {
        const std::wstring song = winamp::GetPlaylistFileName(plugin_->WinAmpWindowHandle(), index);
        progress.Show(index, song);
        if (!IsLoaded()) return;
        if (progress.Cancelled()) {  // after the entry before this one
          cancelled = true;
          break;
        }
        // The network refusal is shown once per run; later ones pass quietly.
        disposal::Disposal disposal;
        const disposal::ActOutcome outcome =
            plugin_->Dispose(song, !networkShown, &disposal, index, &choices);
        if (!IsLoaded()) return;
        switch (outcome) {
          case disposal::ActOutcome::Disposed:
            ++disposed;
            // A song held is one Winamp wanted deleted: its entry goes as after a delete.
            done.emplace_back(index, disposal.what == L"moved" ? disposal.movedTo : L"");
            break;
          case disposal::ActOutcome::NetworkRefused:
            networkShown = true;
            ++skipped;
            break;
          case disposal::ActOutcome::MoveSkipped:
          case disposal::ActOutcome::NotThere:
            ++skipped;
            break;
          case disposal::ActOutcome::NoTarget:
          case disposal::ActOutcome::FolderFailed:
          case disposal::ActOutcome::Kept:
            // The action has said why; every later entry would meet the same.
            stopped = L"The run stopped; the playlist was not cleared.";
            break;
        }
      }
    } catch (const Error& error) {
      stopped = error.Description() + L"\r\n\r\nThe run stopped at this entry; the playlist was not cleared.";
      stoppedIcon = platform::Icon::Critical;
    }
  }
  if (!done.empty() && plugin_->libraryEntry()) disposal::SyncLibrary(plugin_->WinAmpWindowHandle());
  plugin_->FlushJournal();
  if (!stopped.empty() || cancelled)
    FollowDisposed(plugin_->WinAmpWindowHandle(), plugin_->playlistEntry(), done);
  if (!stopped.empty()) {
    ShowBox(stopped + L"\r\n\r\n" + Tally(disposed, skipped), stoppedIcon);
    return;
  }
  if (cancelled) {
    ShowBox(L"Cancelled! The playlist was not cleared.\r\n\r\n" + Tally(disposed, skipped),
            platform::Icon::Exclamation);
    return;
  }
  ShowBox(L"Done!\r\n\r\nPlaylist cleared!\r\n\r\n" + Tally(disposed, skipped), platform::Icon::Information);
  if (!IsLoaded()) return;  // Quit came while the box was up
  winamp::ClearPlaylist(plugin_->WinAmpWindowHandle());
}

}  // namespace vandrel::dialog
