// The plug-in pair in the stand-in Winamp where the two DLLs meet each other
// and the desktop: a second wrapper in the Plugins folder, a hotkey that
// another program holds, and Winamp shutting down with the dialog open.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

TEST(PluginPair, ATakenHotkeyAndASecondWrapperAreRefusedVisiblyAndShutdownClosesTheDialog) {
  HWND other = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, 'D'));
  TempFolder plugins, music;
  ASSERT_TRUE(PreparePluginsFolder(plugins.path(), SettingsFile({/*key=*/4, false, "", false, false})));
  ASSERT_TRUE(
      CopyFileA(plugins.Path("gen_vandrel.dll").c_str(), plugins.Path("gen_vandrel2.dll").c_str(), 0));
  Standin standin;
  ASSERT_TRUE(standin.Start({"", {music.File("a.mp3")}, plugins.path(), false, /*wait_ready=*/false}))
      << standin.error();

  // The first wrapper's object cannot have Windows key + D; the second
  // wrapper's object, made from the same vandrel.dll, is refused.
  EXPECT_EQ(Answer(FindMessageBox("Vandrel Error")).rfind("Failed to register hotkey.", 0), 0u);
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
  UnregisterHotKey(other, 1);
  DestroyWindow(other);

  ASSERT_TRUE(standin.OpenConfig(0));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, "nearly new Vandrel")) != nullptr; }));
  EXPECT_EQ(standin.Shutdown(), 0);
  EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace vandrel::testing
