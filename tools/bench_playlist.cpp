// Benchmark: the whole-playlist run over 10,000 entries through the real
// dialog in the stand-in, for delete and for move (letter and artist
// folders), beside the same file operations done bare in the same run. Run
// under Wine:
//
//   scripts/with-wine.sh scripts/wine-run.sh build/x64/bin/bench_playlist.exe [entries] [--recycle]
//
// The run is timed from the answer to the question to the final box; the
// target is the run within 1.25 times the bare operations.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "support/win/desktop.h"
#include "support/win/plugin_session.h"

using namespace vandrel::testing;

namespace {

constexpr int kRounds = 2;
constexpr int kWholePlaylistItem = 130;  // the toolkit's item id of "Perform whole Playlist"

// Each batch names its files apart (g_batch): where a name is already in the
// Recycle Bin, Wine names the item at random and it is looked for among the
// Recycle Bin's records, which the other batches' names would make every time.
int g_batch = 0;

std::string Name(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "%cArtist %02d - Title %05d %d.mp3", 'A' + i % 26, i % 50, i, g_batch);
  return name;
}

// The run through the dialog, in ms; a negative number when it went wrong.
double RunPlugin(const ProfileText& profile, int entries, TempFolder& music, bool recycle = false) {
  std::vector<std::string> names;
  for (int i = 0; i < entries; ++i) names.push_back(music.File(Name(i), "x"));
  const std::string m3u = music.Path("list.m3u");
  TempFolder plugins;
  Standin standin;
  StandinOptions options;
  options.m3u = m3u;
  options.plugins_folder = plugins.path();
  if (!WriteM3u(m3u, names) || !PreparePluginsFolder(plugins.path(), SettingsFile(profile)) ||
      !standin.Start(options) || !standin.SetRecycleBin(recycle) || !standin.OpenConfig(0)) {
    std::printf("stand-in did not start: %s\n", standin.error().c_str());
    return -1;
  }
  HWND dialog = nullptr;
  // Open once its controls are made and it is shown: a click before then finds no button.
  if (!WaitUntil(
          [&] {
            dialog = FindWindowA("VandrelForm", "nearly new Vandrel");
            return dialog != nullptr && IsWindowVisible(dialog) && GetDlgItem(dialog, kWholePlaylistItem);
          },
          120000)) {
    std::printf("the dialog did not open\n");
    return -1;
  }
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kWholePlaylistItem, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, kWholePlaylistItem)));
  HWND question = FindMessageBox("Vandrel", 120000);
  if (!question) {
    std::printf("no question was asked\n");
    return -1;
  }
  const double start = Now();
  Answer(question);
  HWND done = FindMessageBox("Vandrel", 600000);
  const double took = Now() - start;
  const std::string text = done ? Answer(done) : "";
  if (text.rfind("Done!", 0) != 0) {
    std::printf("the run ended with: %s\n", text.c_str());
    return -1;
  }
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  standin.Shutdown();
  return took;
}

// What the run does per file, with nothing around it.
double BareDelete(int entries, TempFolder& folder) {
  std::vector<std::string> paths;
  for (int i = 0; i < entries; ++i) paths.push_back(folder.File(Name(i), "x"));
  const double start = Now();
  for (const std::string& path : paths) {
    GetFileAttributesA(path.c_str());
    DeleteFileA(path.c_str());
  }
  return Now() - start;
}

double BareRecycle(int entries, TempFolder& folder) {
  std::vector<std::string> paths;
  for (int i = 0; i < entries; ++i) paths.push_back(folder.File(Name(i), "x"));
  const double start = Now();
  for (const std::string& path : paths) {
    GetFileAttributesA(path.c_str());
    ShellRecycle(path);
  }
  return Now() - start;
}

double BareMove(int entries, TempFolder& folder, const std::string& target) {
  std::vector<std::string> paths;
  for (int i = 0; i < entries; ++i) paths.push_back(folder.File(Name(i), "x"));
  const double start = Now();
  for (int i = 0; i < entries; ++i) {
    const std::string name = Name(i);
    const std::string letter = target + "\\" + static_cast<char>(name[0] - 'A' + 'a');
    const std::string artist = letter + "\\" + name.substr(0, name.find(" - "));
    CreateDirectoryA(letter.c_str(), nullptr);
    CreateDirectoryA(artist.c_str(), nullptr);
    MoveFileExA(paths[static_cast<std::size_t>(i)].c_str(), (artist + "\\" + name).c_str(),
                MOVEFILE_COPY_ALLOWED);
  }
  return Now() - start;
}

bool Report(const char* what, double run, double bare, double limit) {
  const double ratio = bare > 0 ? run / bare : 0;
  std::printf("%-7s run %9.1f ms  bare %9.1f ms  ratio %5.2f  %s %.2f\n", what, run, bare, ratio,
              run >= 0 && ratio <= limit ? "within" : "OVER", limit);
  return run >= 0 && ratio <= limit;
}

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  std::printf("Vandrel whole-playlist benchmark: %d entries, best of %d rounds\n", entries, kRounds);
  ProfileText deleting, moving;
  moving.moveToFolder = moving.sortingOption = moving.createArtistFolder = true;
  // Wine's file operations vary from one batch to the next: each round times
  // the bare operations and the run one after the other, and the best of each counts.
  // Into the Recycle Bin too, with --recycle: Winamp's preference sends deletes there.
  const int kinds = argc > 2 && std::string(argv[2]) == "--recycle" ? 3 : 2;
  double best[3][2] = {{1e300, 1e300}, {1e300, 1e300}, {1e300, 1e300}};  // [delete, move, recycle][run, bare]
  for (int round = 0; round < kRounds; ++round) {
    for (int kind = 0; kind < kinds; ++kind) {
      TempFolder music, target, bareFolder, bareTarget;
      moving.savingPlace = target.path();
      ++g_batch;
      const double bare = kind == 1   ? BareMove(entries, bareFolder, bareTarget.path())
                          : kind == 2 ? BareRecycle(entries, bareFolder)
                                      : BareDelete(entries, bareFolder);
      ++g_batch;
      const double run = RunPlugin(kind == 1 ? moving : deleting, entries, music, kind == 2);
      if (run < 0) return 1;
      best[kind][0] = std::min(best[kind][0], run);
      best[kind][1] = std::min(best[kind][1], bare);
    }
  }
  bool ok = Report("delete", best[0][0], best[0][1], 1.25);
  ok = Report("move", best[1][0], best[1][1], 1.25) && ok;
  return (kinds < 3 || Report("recycle", best[2][0], best[2][1], 1.5)) && ok ? 0 : 1;
}
