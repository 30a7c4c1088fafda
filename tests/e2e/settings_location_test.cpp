// Winamp whose Plugins folder nobody can write (drive F:, made read-only by
// scripts/with-wine.sh): the settings move, with the profile made before, to
// the folder Winamp names; saving works there; a failed write names the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "support/win/config_dialog.h"
#include "support/win/desktop.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

namespace item = config_dialog;

TEST(SettingsLocation, ReadOnlyPluginsFolderMovesTheSettingsToWinampsFolderWhereSavingWorks) {
  const char* source = std::getenv("VANDREL_READONLY_SOURCE");
  const char* drive = std::getenv("VANDREL_READONLY_DRIVE");
  if (source == nullptr || drive == nullptr) GTEST_SKIP() << "no read-only drive in this run";
  TempFolder writable(std::string(source) + "\\"), winamp, music;
  ProfileText profile;  // hotkey K
  profile.savingPlace = music.path();
  ASSERT_TRUE(PreparePluginsFolder(writable.path(), SettingsFile(profile)));

  Standin standin;
  StandinOptions options;
  options.files = {music.File("a.mp3")};
  options.plugins_folder = drive + writable.path().substr(std::string(source).size());
  options.ini_directory = winamp.path();
  ASSERT_TRUE(standin.Start(options)) << standin.error() << " (a box at start?)";
  EXPECT_EQ(standin.State().plugins.at(0).description, "Vandrel [Win+K]") << "the copied profile is loaded";
  const std::string ini = winamp.Path("Plugins\\vandrel.ini");

  ConfigDialog dialog;
  ASSERT_TRUE(standin.OpenConfig(0) && dialog.WaitOpen(standin.window()));
  dialog.Type(item::saveAS, "fresh");
  EXPECT_EQ(dialog.Click(item::Command3), nullptr);
  EXPECT_NE(ReadWholeFile(ini).find("[fresh]\r\nKey=11\r\n"), std::string::npos) << ReadWholeFile(ini);

  // Load's write of "LastUsed" into a file another program holds for reading.
  std::unique_ptr<void, decltype(&CloseHandle)> held(
      CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
      &CloseHandle);
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(dialog.ClickEntry(item::List1, 0), nullptr);
  HWND box = dialog.Click(item::Command1);
  ASSERT_NE(box, nullptr) << "the failed write went unreported";
  const std::string text = Answer(box);
  held.reset();
  EXPECT_NE(text.find(ini), std::string::npos) << text;
  EXPECT_NE(text.find("Sharing violation"), std::string::npos) << text;  // Wine's text for error 32
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.Click(item::Command5), nullptr);
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(standin.Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
