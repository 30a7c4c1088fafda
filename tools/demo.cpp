// The demo: the stand-in Winamp plays three generated files with the plug-in
// in its Plugins folder, set to delete the playing file on Ctrl+Alt+V (the combination that works
// on Windows 10 and 11, whose shell owns most Windows key + letter pairs);
// the demo presses the key and reports what happened.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace {

using vandrel::testing::Playback;

const char kIni[] =
    "[demo]\r\n"
    "Key=22\r\n"
    "moveToFolder=0\r\n"
    "savingPlace=\r\n"
    "sortingOption=0\r\n"
    "createArtistFolder=0\r\n"
    "modifiers=3\r\n"
    "[iniConfig]\r\n"
    "LastUsed=demo\r\n";

const char* Describe(Playback playback) {
  switch (playback) {
    case Playback::kPlaying:
      return "playing";
    case Playback::kPaused:
      return "paused";
    default:
      return "stopped";
  }
}

void PrintState(const vandrel::testing::StandinState& state) {
  std::printf("  player: %s, entry %d of %zu%s%s\n", Describe(state.playback), state.position + 1,
              state.playlist.size(), state.held.empty() ? "" : ", holding ", state.held.c_str());
}

int Run() {
  vandrel::testing::TempFolder demo;
  if (!demo.ok()) {
    std::printf("could not create a temporary folder\n");
    return 1;
  }
  const std::vector<std::string> songs = {
      demo.File("Music\\Alpha Band - First Song.mp3", std::string(4096, 'a')),
      demo.File("Music\\Beta Group - Second Song.mp3", std::string(4096, 'b')),
      demo.File("Music\\Gamma Trio - Third Song.mp3", std::string(4096, 'c')),
  };
  const std::string m3u = demo.Path("Music\\demo.m3u");
  const std::string plugins = demo.Folder("Plugins");
  if (!vandrel::testing::WriteM3u(m3u, songs) || !vandrel::testing::PreparePluginsFolder(plugins, kIni)) {
    std::printf("could not prepare the playlist and the Plugins folder (are the DLLs built?)\n");
    return 1;
  }
  std::printf("playlist %s:\n", m3u.c_str());
  for (const std::string& song : songs) std::printf("  %s\n", song.c_str());
  std::printf("plug-ins in %s, vandrel.ini: Ctrl+Alt+V deletes the playing file\n", plugins.c_str());

  vandrel::testing::Standin winamp;
  vandrel::testing::StandinOptions options;
  options.m3u = m3u;
  options.plugins_folder = plugins;
  options.play = true;
  if (!winamp.Start(options)) {
    std::printf("the stand-in Winamp did not start: %s\n", winamp.error().c_str());
    return 1;
  }
  vandrel::testing::StandinState state = winamp.State();
  std::printf("stand-in Winamp started\n");
  for (const auto& plugin : state.plugins) {
    std::printf("  plug-in %s: \"%s\"\n", plugin.file.c_str(), plugin.description.c_str());
  }
  for (const auto& failure : state.failed) std::printf("  plug-in not loaded: %s\n", failure.c_str());
  PrintState(state);

  std::printf("pressing Ctrl+Alt+V\n");
  vandrel::testing::PressKeys({VK_CONTROL, VK_MENU}, 'V');
  const bool acted = vandrel::testing::WaitUntil(
      [&] {
        for (const std::string& command : winamp.Log()) {
          if (command == "Play") return true;
        }
        return false;
      },
      10000);
  state = winamp.State();
  if (!acted) std::printf("nothing happened within 10 s: the plug-in did not act on the key\n");
  HWND box = vandrel::testing::FindMessageBox("Vandrel", 0);
  if (box == nullptr) box = vandrel::testing::FindMessageBox("Vandrel Error", 0);
  if (box != nullptr) {
    std::printf("the plug-in shows a message: \"%s\"\n", vandrel::testing::MessageBoxText(box).c_str());
    vandrel::testing::ClickButton(box, IDOK);
  }

  std::printf("commands the player received:");
  for (const std::string& command : state.log) std::printf(" %s;", command.c_str());
  std::printf("%s\n", state.log.empty() ? " none" : "");
  PrintState(state);
  std::printf("files:\n");
  for (const std::string& song : songs) {
    std::printf("  %-8s %s\n", vandrel::testing::FileExists(song) ? "present" : "GONE", song.c_str());
  }

  const int code = winamp.Shutdown();
  if (code == 0) {
    std::printf("stand-in Winamp closed cleanly\n");
  } else if (code == 2) {
    std::printf("stand-in Winamp closed, but a plug-in left its window hook in place\n");
  } else {
    std::printf("stand-in Winamp ended abnormally (exit code %d)\n", code);
  }
  return acted ? 0 : 2;
}

}  // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& e) {
    std::printf("demo failed: %s\n", e.what());
    return 1;
  }
}
