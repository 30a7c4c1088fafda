// Perform whole Playlist: the action on every entry of Winamp's playlist, from
// the first, then the playlist emptied.
#include <string>

#include "dialog/frm_config.h"
#include "dialog/messages.h"
#include "hotkey/hook.h"
#include "platform/error.h"
#include "winamp/bridge.h"

namespace vandrel::dialog {

namespace {

std::wstring Tally(int disposed, int skipped) {
  return L"Files deleted or moved: " + std::to_wstring(disposed) + L"\r\nEntries skipped: " +
         std::to_wstring(skipped);
}

}  // namespace

// Winamp moves on by itself only after a file it could dispose of; past an
// entry that was left alone the run moves it on.
void FrmConfig::NextTrack() {
  platform::Windows().SendMessage(plugin_->WinAmpWindowHandle(), winamp::kWmCommand, winamp::kCmdNextTrack,
                                  0);
}

void FrmConfig::PERFORMFULLPLAYLIST() {
  if (ShowBox(L"Perform full playlist?", platform::Icon::Question, platform::Buttons::OkCancel) !=
      platform::Answer::Ok) {
    ShowBox(L"Cancelled!", platform::Icon::Critical);
    return;
  }
  // Quit may unload the dialog while one of the run's boxes is up; the
  // plug-in may be gone then, so the run goes no further.
  if (!IsLoaded()) return;
  if (!plugin_) {
    ShowBox(L"The plug-in is not running: there is nothing to act with.", platform::Icon::Exclamation);
    return;
  }

  // The hotkey waits while the run (or one of its boxes) is on screen.
  hotkey::ActionScope running;
  int disposed = 0;
  int skipped = 0;
  try {
    plugin_->MoveToPlaylistStart();
    const std::int32_t count = winamp::GetPlaylistLength(plugin_->WinAmpWindowHandle());
    bool networkShown = false;
    for (std::int32_t pass = 1; pass <= count; ++pass) {
      // The network refusal is shown once per run; later ones pass quietly.
      disposal::ActOutcome outcome = networkShown ? plugin_->ActQuietly() : plugin_->Act();
      if (!IsLoaded()) return;
      switch (outcome) {
        case disposal::ActOutcome::Disposed:
          ++disposed;
          break;
        case disposal::ActOutcome::MoveSkipped:
          ++skipped;
          break;
        case disposal::ActOutcome::NetworkRefused:
          networkShown = true;
          ++skipped;
          NextTrack();
          break;
        case disposal::ActOutcome::NotThere:
          ++skipped;
          NextTrack();
          break;
        case disposal::ActOutcome::NoTarget:
        case disposal::ActOutcome::FolderFailed:
          // The action has said why; every later entry would meet the same.
          ShowBox(L"The run stopped; the playlist was not cleared.\r\n\r\n" + Tally(disposed, skipped),
                  platform::Icon::Exclamation);
          return;
      }
    }
  } catch (const Error& error) {
    ShowBox(error.Description() +
                L"\r\n\r\nThe run stopped at this entry; the playlist was not cleared.\r\n\r\n" +
                Tally(disposed, skipped),
            platform::Icon::Critical);
    return;
  }
  ShowBox(L"Done!\r\n\r\nPlaylist cleared!\r\n\r\n" + Tally(disposed, skipped), platform::Icon::Information);
  if (!IsLoaded()) return;  // Quit came while the box was up
  winamp::ClearPlaylist(plugin_->WinAmpWindowHandle());
}

}  // namespace vandrel::dialog
