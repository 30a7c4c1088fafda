// The plug-in pair in the stand-in Winamp where the two DLLs meet each other:
// a first start with two wrappers in the Plugins folder, and Winamp shutting
// down with the dialog open.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

TEST(PluginPair, AFirstStartAsksForSettingsASecondWrapperIsRefusedAndShutdownClosesTheDialog) {
  TempFolder plugins, music;
  ASSERT_TRUE(PreparePluginsFolder(plugins.path()));
  ASSERT_TRUE(
      CopyFileA(plugins.Path("gen_vandrel.dll").c_str(), plugins.Path("gen_vandrel2.dll").c_str(), 0));
  Standin standin;
  ASSERT_TRUE(standin.Start({"", {music.File("a.mp3")}, plugins.path(), false, /*wait_ready=*/false}))
      << standin.error();

  // No settings file: the first object asks to be configured. The second
  // wrapper's object, made from the same vandrel.dll, is refused.
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")),
            "Seems like the first time you are running [Vandrel], please configure the plugin!");
  const std::string refused = Answer(FindMessageBox("Vandrel"));
  EXPECT_NE(refused.find("0x80040001"), std::string::npos) << refused;
  EXPECT_NE(refused.find("Already have a plugin instance"), std::string::npos) << refused;
  ASSERT_TRUE(WaitUntil([&] { return standin.State().ready; }));
  const StandinState state = standin.State();
  ASSERT_EQ(state.plugins.size(), 2u);
  EXPECT_TRUE(state.failed.empty());
  int running = 0;
  for (const StandinPlugin& plugin : state.plugins) running += plugin.description == "Vandrel [No HotKey]";
  EXPECT_EQ(running, 1);

  // Winamp's quit arrives through the hook while the dialog's modal loop
  // runs: the dialog closes and every frame returns into loaded code.
  ASSERT_TRUE(standin.OpenConfig(0));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, "nearly new Vandrel")) != nullptr; }));
  EXPECT_EQ(standin.Shutdown(), 0);
  EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace vandrel::testing
