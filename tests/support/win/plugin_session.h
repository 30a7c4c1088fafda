// One run of the stand-in Winamp with the real plug-in pair in a Plugins
// folder of its own, as the end-to-end tests and the benchmark use it.
#pragma once

#include <string>
#include <vector>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {

struct ProfileText {
  int key = 11;
  bool moveToFolder = false;
  std::string savingPlace;
  bool sortingOption = false;
  bool createArtistFolder = false;
};

// A vandrel.ini whose last-used profile "test" holds `profile`.
std::string SettingsFile(const ProfileText& profile);

class PluginSession {
 public:
  PluginSession() = default;
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  // Prepares the Plugins folder (with `ini` as vandrel.ini unless empty) and
  // starts the stand-in on `entries`. With `expectBoxAtStart` the start does
  // not wait for the plug-ins' init, which shows a box first.
  bool Start(const std::vector<std::string>& entries, const std::string& ini, bool play = true,
             bool expectBoxAtStart = false);

  Standin& standin() { return standin_; }
  std::string PluginsFolder() const { return plugins_.path(); }
  // The plug-in list's entry for gen_vandrel.dll.
  std::string Description();
  // The player commands received (Stop, Next, Play, Pause, StartOfPlaylist).
  std::vector<std::string> Commands();
  // Presses Windows key + letter and waits until the stand-in has asked for
  // the current file name and handled what followed.
  bool PressAndWaitHandled(char letter);
  // Presses and waits until Play arrives.
  bool PressAndWaitPlay(char letter);

 private:
  TempFolder plugins_;
  Standin standin_;
};

}  // namespace vandrel::testing
