// Benchmark: a press into the Recycle Bin, hotkey message to Play, with the
// Recycle Bin empty and holding 3,000 items; beside the shell's own delete
// into that Recycle Bin done bare and the plug-in's share of a delete for
// good. Then undo of a recycled song with 3,000 items there: by the item its
// journal line names, and by a look through the Recycle Bin (a line of an
// older version, naming none). Run under Wine:
//
//   scripts/with-wine.sh scripts/wine-run.sh build/x64/bin/bench_recycle.exe [presses]
//
// Prints the medians and the ratios against their targets.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "support/win/own_recycle_bin.h"
#include "support/win/plugin_session.h"

using namespace vandrel::testing;

namespace {

constexpr int kFull = 3000;

struct Presses {
  std::vector<double> toPlay, own, undos;
};

// `presses` presses on as many songs, into the Recycle Bin when `recycle`;
// then, with `undo`, as many undos by the undo shortcut. `journal`, when not
// empty, is the journal the run starts with.
Presses Run(int presses, bool recycle, bool undo, const std::string& journal = "") {
  Presses out;
  TempFolder music, plugins;
  // Names no earlier run left in the Recycle Bin (where Wine finds a name
  // taken, it names the item at random, and the item is looked for among the
  // Trash's records).
  static int run = 0;
  ++run;
  std::vector<std::string> songs;
  for (int i = 0; i < presses + 1; ++i)
    songs.push_back(music.File("song " + std::to_string(run) + "-" + std::to_string(i) + ".mp3", "x"));
  WriteM3u(music.Path("list.m3u"), songs);
  PreparePluginsFolder(plugins.path(), SettingsFile({}) + "Notify=0\r\nUndoKey=26\r\nUndoModifiers=3\r\n");
  if (!journal.empty()) WriteWholeFile(plugins.Path("vandrel-journal.txt"), journal);
  Standin standin;
  StandinOptions options;
  options.m3u = music.Path("list.m3u");
  options.plugins_folder = plugins.path();
  options.play = true;
  if (!standin.Start(options) || !standin.SetRecycleBin(recycle)) {
    std::printf("stand-in did not start: %s\n", standin.error().c_str());
    return out;
  }
  const double ms = 1000.0 / static_cast<double>(standin.State().counter_frequency);
  long long lastPlay = 0;
  for (int i = 0; i < presses && journal.empty(); ++i) {
    standin.ClearLog();
    PressWinKey('K');
    Sleep(40);
    StandinState state;
    if (!WaitUntil([&] {
          state = standin.State();
          return state.play_received != lastPlay && state.play_received > state.hotkey_taken &&
                 !state.handling;
        })) {
      std::printf("press %d: no Play arrived\n", i);
      break;
    }
    lastPlay = state.play_received;
    out.toPlay.push_back(static_cast<double>(state.play_received - state.hotkey_taken) * ms);
    out.own.push_back(static_cast<double>(state.own_handling) * ms);
  }
  const int undos = journal.empty() ? presses : 1;
  for (int i = 0; undo && i < undos; ++i) {
    StandinState state = standin.State();
    const long long before = state.hotkey_done;
    PressKeys({VK_CONTROL, VK_MENU}, 'Z');
    Sleep(40);
    if (!WaitUntil([&] { return (state = standin.State()).hotkey_done != before && !state.handling; })) {
      std::printf("undo %d: not handled\n", i);
      break;
    }
    out.undos.push_back(static_cast<double>(state.hotkey_done - state.hotkey_taken - state.own_handling) *
                        ms);
  }
  standin.Shutdown();
  return out;
}

// `count` files each removed bare by `remove`, each timed: the shell's own
// delete into this process's Recycle Bin, or a delete for good.
std::vector<double> Bare(int count, void (*remove)(const std::string&)) {
  TempFolder folder;
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const std::string name = folder.File("bare " + std::to_string(i) + ".mp3", "x");
    const double start = Now();
    remove(name);
    times.push_back(Now() - start);
  }
  return times;
}

void DeleteForGood(const std::string& file) { DeleteFileA(file.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  std::printf("Vandrel Recycle Bin benchmark: %d presses each\n", presses);
  // One Recycle Bin, empty, then holding 3,000 items: this process's shell
  // keeps the one it found first.
  OwnRecycleBin bin(0);
  const double bareEmpty = Median(Bare(presses, ShellRecycle));
  const double empty = Median(Run(presses, true, false).toPlay);
  bin.Fill(kFull);
  const double bareFull = Median(Bare(presses, ShellRecycle));
  Presses intoFull = Run(presses, true, true);
  const double withFull = Median(intoFull.toPlay);
  const double bareDelete = Median(Bare(presses, DeleteForGood));
  Presses forGood = Run(presses, false, false);
  const double share = Median(forGood.toPlay) - bareDelete;
  const double limit = 1.5 * (bareFull + std::max(0.0, share));
  std::printf("the shell's bare delete into the Recycle Bin: empty %7.3f ms, %d items %7.3f ms\n", bareEmpty,
              kFull, bareFull);
  std::printf("a delete for good: bare %7.3f ms, the plug-in's share of its press %7.3f ms\n", bareDelete,
              share);
  std::printf(
      "press into the Recycle Bin, hotkey->Play: empty %7.3f ms, %d items %7.3f ms; ratio %.3f (%s 1.2)\n",
      empty, kFull, withFull, withFull / empty, withFull <= 1.2 * empty ? "within" : "OVER");
  std::printf("  beyond the shell's own delete: empty %7.3f ms, %d items %7.3f ms\n", empty - bareEmpty,
              kFull, withFull - bareFull);
  std::printf("  limit 1.5 x (bare delete into the full Recycle Bin + the plug-in's share) = %7.3f ms (%s)\n",
              limit, std::max(empty, withFull) <= limit ? "within" : "OVER");
  std::printf("undo of a recycled song by its item, %d items there: median %7.3f ms\n", kFull,
              Median(intoFull.undos));
  // A line of an older version names no item: the Recycle Bin is looked
  // through for the full Recycle Bin's first item, deleted from /tmp.
  const std::string song = "Z:\\tmp\\old 0.mp3";
  Presses search = Run(1, true, true, "2026-01-01T00:00:00\trecycled\t" + song + "\t\ttest\t0\r\n");
  const bool back = DeleteFileA(song.c_str()) != FALSE;
  std::printf("undo of a recycled song by a look through %d items: %7.3f ms (%s 1000)%s\n", kFull,
              Median(search.undos), Median(search.undos) <= 1000 ? "within" : "OVER",
              back ? "" : ", but the song did not come back");
  return intoFull.toPlay.size() == static_cast<size_t>(presses) ? 0 : 1;
}
