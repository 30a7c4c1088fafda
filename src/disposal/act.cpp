#include "disposal/act.h"

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
  std::wstring reason =
      result.message.empty() ? L"Error " + std::to_wstring(result.code) + L"." : result.message;
  throw Error(errors::FromWin32(result.code), what + L"\r\n\r\n" + reason);
}

}  // namespace

ActOutcome Act(ActHost& host, bool showNetworkRefusal) {
  std::wstring song = winamp::GetCurrentFileName(host.WinAmpWindowHandle());

  if (song.compare(0, 2, L"\\\\") == 0) {
    if (showNetworkRefusal) ShowInformation(kNetworkRefused);
    return ActOutcome::NetworkRefused;
  }
  if (!FileExists(song)) return ActOutcome::NotThere;

  // With nowhere to move to, the file would land in the root of the current
  // drive: ask for a folder before Winamp or any file is touched.
  bool move = host.moveToFolder();
  std::wstring target;
  if (move) {
    target = host.savingPlace();
    if (target.empty()) {
      ShowInformation(kNoTargetFolder);
      return ActOutcome::NoTarget;
    }
  }

  SendCommand(host, winamp::kCmdStop);

  auto& files = platform::Files();
  ActOutcome outcome = ActOutcome::Disposed;
  if (!move) {
    ThrowIfFailed(files.ClearFileAttributes(song), L"Could not clear the attributes of the file\r\n" + song);
    ThrowIfFailed(files.RemoveFile(song), L"Could not delete the file\r\n" + song);
  } else {
    std::wstring destination =
        BuildDestinationPath(song, target, host.sortingOption(), host.createArtistFolder());
    if (destination.empty()) {
      // The box has been shown; a move to nowhere could only fail.
      outcome = ActOutcome::FolderFailed;
    } else if (destination != song && !FileExists(destination)) {
      ThrowIfFailed(files.MoveFile(song, destination),
                    L"Could not move the file\r\n" + song + L"\r\nto\r\n" + destination);
    } else {
      outcome = ActOutcome::MoveSkipped;
    }
  }

  SendCommand(host, winamp::kCmdNextTrack);
  SendCommand(host, winamp::kCmdPlay);
  return outcome;
}

}  // namespace vandrel::disposal
