// Winamp starting and stopping with the real plug-in pair: the description in
// the plug-in list, the hook on the main window, and the profile loaded from
// vandrel.ini beside vandrel.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

constexpr char kFirstRun[] =
    "Seems like the first time you are running [Vandrel], please configure the plugin!";

class Startup : public ::testing::Test {
 protected:
  // Starts with a box expected during init; returns its text after clicking OK.
  std::string StartThroughBox(const std::string& ini, const char* title = "Vandrel") {
    EXPECT_TRUE(session.Start({music.File("a.mp3")}, ini, false, true));
    HWND box = FindMessageBox(title);
    if (box == nullptr) return "<no box>";
    std::string text = MessageBoxText(box);
    ClickButton(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return session.standin().State().ready; }));
    return text;
  }

  TempFolder music;
  PluginSession session;
};

TEST_F(Startup, FirstStartAsksForConfigurationHooksWinampAndUnhooksAtShutdown) {
  EXPECT_EQ(StartThroughBox(""), kFirstRun);
  EXPECT_EQ(session.Description(), "Vandrel [No HotKey]");
  StandinState state = session.standin().State();
  EXPECT_TRUE(state.failed.empty());
  EXPECT_TRUE(state.hooked) << "the plug-in's hook is in front of Winamp's procedure";
  // The stand-in's exit code tells whether its own window procedure was back
  // in place after the plug-ins' quit.
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST_F(Startup, AnEmptyLastUsedIsAFirstStartToo) {
  EXPECT_EQ(StartThroughBox("[iniConfig]\r\nLastUsed=\r\n"), kFirstRun);
  EXPECT_EQ(session.Description(), "Vandrel [No HotKey]");
}

TEST_F(Startup, ALastUsedProfileThatIsGoneShowsTheSystemsText) {
  std::string text = StartThroughBox("[iniConfig]\r\nLastUsed=gone\r\n");
  EXPECT_NE(text, kFirstRun);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(session.Description(), "Vandrel [No HotKey]");
}

TEST_F(Startup, TheLastUsedProfileSetsTheHotkeyAndTheAction) {
  TempFolder target;
  std::string song = music.File("Band - Song.mp3", "x");
  ProfileText profile;
  profile.key = 11;
  profile.moveToFolder = true;
  profile.savingPlace = target.path();
  profile.createArtistFolder = true;
  ASSERT_TRUE(session.Start({song, music.File("b.mp3")}, SettingsFile(profile)));
  EXPECT_EQ(session.Description(), "Vandrel [Win+K]");
  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_TRUE(FileExists(target.Path("band\\Band - Song.mp3")));
  EXPECT_FALSE(FileExists(song));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
