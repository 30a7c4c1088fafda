// Benchmark: how long the plug-in takes from the moment Winamp's message loop
// takes the hotkey message to the moment Winamp's window receives Play, for
// delete and for move, on a 10,000-entry playlist; beside the same file
// operations done bare in the same run. Then a press of the last of 10
// always-active profiles' shortcuts against a press of the only one. Run
// under Wine:
//
//   scripts/with-wine.sh scripts/wine-run.sh build/x64/bin/bench_hotkey.exe [presses]
//
// Prints the medians; the plug-in's own share is total minus bare.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_profiles.h"
#include "support/win/plugin_session.h"

using namespace vandrel::testing;

namespace {

constexpr int kPlaylist = 10000;

std::string Name(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "Artist %03d - Title %05d.mp3", i % 7, i);
  return name;
}

// Presses `presses` times; returns the hotkey-to-Play times in ms, and in
// `own` the part of each that the player spent on its own handling (Stop,
// Next, the queries), which is not the plug-in's.
std::vector<double> RunPlugin(const std::string& ini, int presses, TempFolder& music,
                              std::vector<double>& own, char letter = 'K',
                              const std::vector<WORD>& held = {VK_LWIN}, std::vector<double>* whole = nullptr,
                              std::vector<double>* undos = nullptr, bool noJournal = false) {
  std::vector<std::string> entries;
  for (int i = 0; i < kPlaylist; ++i) {
    entries.push_back(i <= presses ? music.File(Name(i), "x") : music.Path(Name(i)));
  }
  std::string m3u = music.Path("list.m3u");
  std::string text;
  for (const std::string& e : entries) text += e + "\r\n";
  WriteWholeFile(m3u, text);

  TempFolder plugins;
  PreparePluginsFolder(plugins.path(), ini);
  // A folder in the journal's place: no line can be written (said once, in a box the benchmark answers).
  if (noJournal) CreateDirectoryA(plugins.Path("vandrel-journal.txt").c_str(), nullptr);
  Standin standin;
  StandinOptions options;
  options.m3u = m3u;
  options.plugins_folder = plugins.path();
  options.play = true;
  std::vector<double> times;
  if (!standin.Start(options)) {
    std::printf("stand-in did not start: %s\n", standin.error().c_str());
    return times;
  }
  long long lastPlay = 0;
  for (int i = 0; i < presses; ++i) {
    standin.ClearLog();
    PressKeys(held, letter);
    // Let the press be handled before asking: a state query is a large read
    // that would otherwise compete with the player for the machine.
    Sleep(40);
    StandinState state;
    bool done = WaitUntil([&] {
      state = standin.State();
      return state.play_received != lastPlay && state.play_received > state.hotkey_taken &&
             state.hotkey_taken != 0;
    });
    if (!done) {
      std::printf("press %d: no Play arrived\n", i);
      break;
    }
    lastPlay = state.play_received;
    const double ms = 1000.0 / static_cast<double>(state.counter_frequency);
    times.push_back(static_cast<double>(state.play_received - state.hotkey_taken) * ms);
    own.push_back(static_cast<double>(state.own_handling) * ms);
    // The whole press: until its handler returned, the journal's line included.
    if (whole) {
      WaitUntil([&] {
        if (HWND box = FindMessageBox("Vandrel", 0)) Answer(box);
        return (state = standin.State()).hotkey_done > state.hotkey_taken;
      });
      whole->push_back(static_cast<double>(state.hotkey_done - state.hotkey_taken) * ms);
    }
  }
  // Then as many undos by the undo shortcut (Ctrl+Alt+Z), newest first.
  for (int i = 0; undos && i < presses; ++i) {
    StandinState state = standin.State();
    const long long before = state.hotkey_done;
    PressKeys({VK_CONTROL, VK_MENU}, 'Z');
    Sleep(40);
    if (!WaitUntil([&] { return (state = standin.State()).hotkey_done != before && !state.handling; })) {
      std::printf("undo %d: not handled\n", i);
      break;
    }
    // Less the player's own handling of the plug-in's questions, as for the presses.
    undos->push_back(static_cast<double>(state.hotkey_done - state.hotkey_taken - state.own_handling) *
                     1000.0 / static_cast<double>(state.counter_frequency));
  }
  standin.Shutdown();
  return times;
}

std::vector<double> BareDelete(int count, TempFolder& folder) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    std::string path = folder.File("bare " + Name(i), "x");
    double start = Now();
    DeleteFileA(path.c_str());
    times.push_back(Now() - start);
  }
  return times;
}

std::vector<double> BareMove(int count, TempFolder& folder, const std::string& target) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const std::string name = Name(i), path = folder.File(name, "x");
    // Into the letter and artist folders, made when missing, as the plug-in moves it.
    const std::string letter = target + "\\a", artist = letter + "\\" + name.substr(0, name.find(" - "));
    double start = Now();
    CreateDirectoryA(letter.c_str(), nullptr);
    CreateDirectoryA(artist.c_str(), nullptr);
    MoveFileExA(path.c_str(), (artist + "\\" + name).c_str(), MOVEFILE_COPY_ALLOWED);
    times.push_back(Now() - start);
  }
  return times;
}

// A moved file put back by hand: moved to its old place, its artist and letter folders removed.
std::vector<double> BareMoveBack(int count, TempFolder& folder, const std::string& target) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const std::string name = Name(i), letter = target + "\\a",
                      artist = letter + "\\" + name.substr(0, name.find(" - "));
    CreateDirectoryA(letter.c_str(), nullptr);
    CreateDirectoryA(artist.c_str(), nullptr);
    const std::string moved = artist + "\\" + name;
    WriteWholeFile(moved, "x");
    double start = Now();
    MoveFileExA(moved.c_str(), folder.Path(name).c_str(), MOVEFILE_COPY_ALLOWED);
    RemoveDirectoryA(artist.c_str());
    RemoveDirectoryA(letter.c_str());
    times.push_back(Now() - start);
  }
  return times;
}

void Report(const char* what, const std::vector<double>& plugin, const std::vector<double>& own,
            const std::vector<double>& bare) {
  std::vector<double> withoutPlayer;
  for (std::size_t i = 0; i < plugin.size() && i < own.size(); ++i)
    withoutPlayer.push_back(plugin[i] - own[i]);
  const double baseline = Median(bare), share = Median(withoutPlayer) - baseline;
  std::printf(
      "%-7s presses %4zu  hotkey->Play median %7.3f ms (min %7.3f)  player's own handling median %7.3f ms  "
      "bare file op median %7.3f ms  plug-in's share %7.3f ms (%s half the bare op)\n",
      what, plugin.size(), Median(plugin),
      plugin.empty() ? 0 : *std::min_element(plugin.begin(), plugin.end()), Median(own), baseline, share,
      share <= baseline / 2 ? "within" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
  int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  std::printf("Vandrel hotkey benchmark: %d presses each, playlist of %d entries\n", presses, kPlaylist);

  TempFolder deleteMusic;
  ProfileText deleting;
  std::vector<double> deleteOwn, moveOwn;
  std::vector<double> deleteWhole;
  // Without notices: a window's making is the display's work, not the journal's.
  std::vector<double> deleteTimes = RunPlugin(SettingsFile(deleting) + "Notify=0\r\n", presses, deleteMusic,
                                              deleteOwn, 'K', {VK_LWIN}, &deleteWhole);
  TempFolder bareFolder;
  std::vector<double> bareDelete = BareDelete(presses, bareFolder);
  Report("delete", deleteTimes, deleteOwn, bareDelete);
  // The same presses where no journal line can be written.
  TempFolder bareJournalMusic;
  std::vector<double> bareJournalOwn, bareJournalWhole;
  RunPlugin(SettingsFile(deleting) + "Notify=0\r\n", presses, bareJournalMusic, bareJournalOwn, 'K',
            {VK_LWIN}, &bareJournalWhole, nullptr, true);
  const double with = Median(deleteWhole), without = Median(bareJournalWhole);
  std::printf(
      "journal: whole press median %7.3f ms with the journal, %7.3f ms without; ratio %.3f (%s 1.2)\n", with,
      without, with / without, with <= 1.2 * without ? "within" : "OVER");

  TempFolder moveMusic, target, bareMoveFolder, bareTarget;
  ProfileText moving;
  moving.moveToFolder = true;
  moving.savingPlace = target.path();
  moving.sortingOption = true;
  moving.createArtistFolder = true;
  std::vector<double> moveTimes = RunPlugin(SettingsFile(moving), presses, moveMusic, moveOwn);
  std::vector<double> bareMove = BareMove(presses, bareMoveFolder, bareTarget.path());
  Report("move", moveTimes, moveOwn, bareMove);

  // Undo of a move by the undo shortcut, against the same move back done bare
  // (without the notice, whose window is the display's work).
  TempFolder undoMusic, undoTarget, bareBackFolder, bareBackTarget;
  moving.savingPlace = undoTarget.path();
  std::vector<double> undoOwn, undos;
  RunPlugin(SettingsFile(moving) + "UndoKey=26\r\nUndoModifiers=3\r\nNotify=0\r\n", presses, undoMusic,
            undoOwn, 'K', {VK_LWIN}, nullptr, &undos);
  const double undo = Median(undos),
               back = Median(BareMoveBack(presses, bareBackFolder, bareBackTarget.path()));
  std::printf(
      "undo: %zu undos of a move, median %7.3f ms; the bare move back %7.3f ms; ratio %.3f (%s 1.5)\n",
      undos.size(), undo, back, undo / back, undo <= 1.5 * back ? "within" : "OVER");

  // The same delete through an always-active profile's shortcut: the only one
  // of one, then the last of ten.
  TempFolder oneMusic, tenMusic;
  std::vector<double> oneOwn, tenOwn;
  std::vector<double> one =
      RunPlugin(ManyProfiles(1, 1), presses, oneMusic, oneOwn, 'A', {VK_CONTROL, VK_MENU});
  std::vector<double> ten =
      RunPlugin(ManyProfiles(10, 10), presses, tenMusic, tenOwn, 'J', {VK_CONTROL, VK_MENU});
  std::printf(
      "shortcuts: 1 active, hotkey->Play median %7.3f ms; 10 active (the last pressed) %7.3f ms; "
      "ratio %.3f (%s 1.1)\n",
      Median(one), Median(ten), Median(ten) / Median(one),
      Median(ten) <= 1.1 * Median(one) ? "within" : "OVER");

  bool ok = static_cast<int>(deleteTimes.size()) == presses &&
            static_cast<int>(moveTimes.size()) == presses && static_cast<int>(one.size()) == presses &&
            static_cast<int>(ten.size()) == presses && static_cast<int>(undos.size()) == presses;
  return ok ? 0 : 1;
}
