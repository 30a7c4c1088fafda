// One run of the stand-in Winamp with the real plug-in pair in a Plugins
// folder of its own, as the end-to-end tests and the benchmark use it.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {

using namespace std::string_literals;

struct ProfileText {
  int key = 11;
  bool moveToFolder = false;
  std::string savingPlace;
  bool sortingOption = false;
  bool createArtistFolder = false;
  int modifiers = 8;          // the Windows key
  bool alwaysActive = false;  // the later entries written only when set, as older files lack them
  int playlistEntry = 0;
  bool artistFromTags = false;
  bool libraryEntry = false;
};

// Profile `name` holding `p`, as a section of vandrel.ini.
inline std::string ProfileSection(const std::string& name, const ProfileText& p) {
  return "[" + name + "]\r\nKey=" + std::to_string(p.key) + "\r\nmoveToFolder=" + "01"[p.moveToFolder] +
         "\r\nsavingPlace=" + p.savingPlace + "\r\nsortingOption=" + "01"[p.sortingOption] +
         "\r\ncreateArtistFolder=" + "01"[p.createArtistFolder] +
         "\r\nmodifiers=" + std::to_string(p.modifiers) + "\r\n" +
         (p.alwaysActive || p.playlistEntry || p.artistFromTags || p.libraryEntry
              ? "alwaysActive="s + "01"[p.alwaysActive] + "\r\n"
              : ""s) +
         (p.playlistEntry || p.artistFromTags || p.libraryEntry
              ? "playlistEntry=" + std::to_string(p.playlistEntry) + "\r\n"
              : ""s) +
         (p.artistFromTags || p.libraryEntry ? "artistFromTags="s + "01"[p.artistFromTags] + "\r\n" : ""s) +
         (p.libraryEntry ? "libraryEntry=1\r\n" : "");
}
// A vandrel.ini whose last-used profile "test" holds `p`.
inline std::string SettingsFile(const ProfileText& p) {
  return ProfileSection("test", p) + "[iniConfig]\r\nLastUsed=test\r\n";
}

class PluginSession {
 public:
  // With `readOnlyPlugins`, the Plugins folder lies on a drive nobody can
  // write (as under Program Files), when the run has one (with-wine.sh as
  // root), and Winamp names a settings folder of its own.
  explicit PluginSession(bool readOnlyPlugins = false)
      : source_(readOnlyPlugins ? std::getenv("VANDREL_READONLY_SOURCE") : nullptr),
        drive_(readOnlyPlugins ? std::getenv("VANDREL_READONLY_DRIVE") : nullptr),
        plugins_(source_ && drive_ ? std::string(source_) + "\\" : "") {}
  // Prepares the Plugins folder (`ini` as vandrel.ini unless empty) and
  // starts the stand-in playing `entries`; with `waitReady` false it returns
  // once the window is up, with init() possibly still showing a box.
  bool Start(const std::vector<std::string>& entries, const std::string& ini, bool waitReady = true) {
    StandinOptions options{"", entries, plugins_.path(), true, waitReady};
    options.library = library;
    if (ReadOnly()) {
      options.plugins_folder = drive_ + plugins_.path().substr(std::string(source_).size());
      options.ini_directory = winamp_.path();
    }
    return PreparePluginsFolder(plugins_.path(), ini) &&
           (subclassPluginAs.empty() || CopyFileA((ProgramFolder() + "gen_subclass.dll").c_str(),
                                                  plugins_.Path(subclassPluginAs).c_str(), FALSE)) &&
           standin_.Start(options) && standin_.ClearLog();
  }
  bool ReadOnly() const { return source_ && drive_; }
  // Also loads the test plug-in that subclasses Winamp's window, under this
  // name: loaded (and quit) before ours or after it, by the name's order.
  std::string subclassPluginAs;
  // The stand-in's Media Library records (a file, StandinOptions::library); none when empty.
  std::string library;
  Standin& standin() { return standin_; }
  // The settings file in use: in Winamp's settings folder when the Plugins
  // folder cannot be written.
  std::string Ini() const {
    return ReadOnly() ? winamp_.Path("Plugins\\vandrel.ini") : plugins_.Path("vandrel.ini");
  }
  std::string Description() {  // gen_vandrel.dll's entry in the plug-in list
    for (const StandinPlugin& plugin : standin_.State().plugins)
      if (plugin.file == "gen_vandrel.dll") return plugin.description;
    return "";
  }
  // The player commands received (the log's one-word entries: Stop, Next, Play, ...).
  std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    for (const std::string& entry : standin_.Log())
      if (entry.find_first_of(" _") == entry.npos) commands.push_back(entry);
    return commands;
  }
  // Presses Windows key + `letter` and waits until the stand-in received
  // `until` (a command, or the start of one) and the handler has returned: a
  // press sent while it still looks at the queue would count as a repeat.
  bool Press(char letter, const std::string& until = "Play", const std::vector<WORD>& held = {VK_LWIN},
             int repeats = 1) {
    // Repeats reach a busy player together, as from keys held while Winamp works.
    return standin_.ClearLog() && (repeats == 1 || standin_.Busy(500)) && PressKeys(held, letter, repeats) &&
           WaitUntil([&] {
             const StandinState state = standin_.State();
             for (const std::string& entry : state.log)
               if (entry.rfind(until, 0) == 0 && !state.handling) return true;
             return false;
           });
  }

 private:
  const char* source_;  // the read-only drive's folder, seen writable
  const char* drive_;
  TempFolder plugins_, winamp_;
  Standin standin_;
};

}  // namespace vandrel::testing
