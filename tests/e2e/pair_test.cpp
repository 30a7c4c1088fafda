// The plug-in pair in the stand-in Winamp, where the two DLLs meet each
// other: a second wrapper in the Plugins folder, and Winamp shutting down
// while the settings dialog is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/win/desktop.h"
#include "support/win/plugin_session.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

std::string QuietSettings() {
  ProfileText profile;
  profile.key = 0;
  return SettingsFile(profile);
}

TEST(PluginPair, ASecondWrapperIsRefusedVisiblyAndTheFirstRunsOn) {
  TempFolder plugins;
  TempFolder music;
  ASSERT_TRUE(PreparePluginsFolder(plugins.path(), QuietSettings()));
  ASSERT_TRUE(
      CopyFileA(plugins.Path("gen_vandrel.dll").c_str(), plugins.Path("gen_vandrel2.dll").c_str(), FALSE));

  Standin standin;
  StandinOptions options;
  options.files = {music.File("a.mp3")};
  options.plugins_folder = plugins.path();
  options.wait_ready = false;
  ASSERT_TRUE(standin.Start(options)) << standin.error();

  // Both wrappers create their object from the one vandrel.dll: whichever
  // comes second is refused, and says so.
  HWND box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  const std::string text = MessageBoxText(box);
  EXPECT_NE(text.find("0x80040001"), std::string::npos) << text;
  EXPECT_NE(text.find("Already have a plugin instance"), std::string::npos) << text;
  ClickButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return standin.State().ready; }));

  const StandinState state = standin.State();
  ASSERT_EQ(state.plugins.size(), 2u);
  int running = 0;
  for (const StandinPlugin& plugin : state.plugins) running += plugin.description == "Vandrel [No HotKey]";
  EXPECT_EQ(running, 1);
  EXPECT_TRUE(state.failed.empty());

  // Both objects are quit; the window's own procedure is back at the end.
  EXPECT_EQ(standin.Shutdown(), 0);
}

TEST(PluginPair, ShuttingDownWithTheSettingsDialogOpenClosesItAndEndsCleanly) {
  TempFolder music;
  PluginSession session;
  ASSERT_TRUE(session.Start({music.File("a.mp3")}, QuietSettings(), false));
  ASSERT_TRUE(session.standin().OpenConfig(0));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, "nearly new Vandrel")) != nullptr; }));

  EXPECT_EQ(session.standin().Shutdown(), 0);
  EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace vandrel::testing
