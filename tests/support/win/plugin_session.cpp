#include "support/win/plugin_session.h"

namespace vandrel::testing {

bool PluginSession::Start(const std::vector<std::string>& entries, const std::string& ini, bool play,
                          bool boxAtStart) {
  StandinOptions options{"", entries, plugins_.path(), play, !boxAtStart};
  return PreparePluginsFolder(plugins_.path(), ini) && standin_.Start(options) &&
         (boxAtStart || standin_.ClearLog());
}

std::string PluginSession::Description() {
  for (const StandinPlugin& plugin : standin_.State().plugins) {
    if (plugin.file == "gen_vandrel.dll") return plugin.description;
  }
  return "";
}

std::vector<std::string> PluginSession::Commands() {
  std::vector<std::string> commands;
  for (const std::string& entry : standin_.Log()) {
    if (entry == "Stop" || entry == "Next" || entry == "Play" || entry == "Pause" ||
        entry == "StartOfPlaylist")
      commands.push_back(entry);
  }
  return commands;
}

bool PluginSession::Press(char letter, const std::string& until) {
  // The hotkey is handled inside the stand-in's window procedure, which
  // answers no query until the action is over (or shows a box).
  return standin_.ClearLog() && PressWinKey(letter) && WaitUntil([&] {
           for (const std::string& entry : standin_.Log()) {
             if (entry.rfind(until, 0) == 0) return true;
           }
           return false;
         });
}

}  // namespace vandrel::testing
