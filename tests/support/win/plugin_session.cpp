#include "support/win/plugin_session.h"

#include <algorithm>

namespace vandrel::testing {

namespace {

bool Contains(const std::vector<std::string>& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

bool StartsWithAny(const std::vector<std::string>& log, const std::string& prefix) {
  return std::any_of(log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

}  // namespace

std::string SettingsFile(const ProfileText& p) {
  return "[test]\r\nKey=" + std::to_string(p.key) + "\r\nmoveToFolder=" + (p.moveToFolder ? "1" : "0") +
         "\r\nsavingPlace=" + p.savingPlace + "\r\nsortingOption=" + (p.sortingOption ? "1" : "0") +
         "\r\ncreateArtistFolder=" + (p.createArtistFolder ? "1" : "0") +
         "\r\n[iniConfig]\r\nLastUsed=test\r\n";
}

bool PluginSession::Start(const std::vector<std::string>& entries, const std::string& ini, bool play,
                          bool expectBoxAtStart) {
  if (!plugins_.ok() || !PreparePluginsFolder(plugins_.path(), ini)) return false;
  StandinOptions options;
  options.files = entries;
  options.plugins_folder = plugins_.path();
  options.play = play;
  options.wait_ready = !expectBoxAtStart;
  if (!standin_.Start(options)) return false;
  if (!expectBoxAtStart) standin_.ClearLog();
  return true;
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
        entry == "StartOfPlaylist") {
      commands.push_back(entry);
    }
  }
  return commands;
}

bool PluginSession::PressAndWaitHandled(char letter) {
  standin_.ClearLog();
  if (!PressWinKey(letter)) return false;
  // The hotkey is handled inside the stand-in's window procedure, which
  // answers no query until the action is over (or shows a box).
  return WaitUntil([&] { return StartsWithAny(standin_.Log(), "IPC_GETPLAYLISTFILE"); });
}

bool PluginSession::PressAndWaitPlay(char letter) {
  standin_.ClearLog();
  if (!PressWinKey(letter)) return false;
  return WaitUntil([&] { return Contains(standin_.Log(), "Play"); });
}

}  // namespace vandrel::testing
