// Winamp's Uninstall button, end to end: the wrapper asks whether the saved
// settings go too, answers "at restart", and vandrel.dll goes once the player
// has ended (Winamp removes gen_vandrel.dll at its next start).
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

TEST(Uninstall, AsksAboutTheSettingsAnswersRestartAndTakesVandrelDllAtQuit) {
  for (const int answer : {IDNO, IDYES}) {
    TempFolder music;
    PluginSession session;
    ASSERT_TRUE(session.Start({music.File("a.mp3")}, SettingsFile(ProfileText{})));
    const std::string plugins = session.Ini().substr(0, session.Ini().rfind('\\') + 1);
    ASSERT_TRUE(WriteWholeFile(plugins + "vandrel-journal.txt", "a line\r\n"));
    ASSERT_TRUE(session.standin().Uninstall(0));
    EXPECT_NE(
        Answer(FindMessageBox("Vandrel"), answer).find("Do you also want to remove the saved settings?"),
        std::string::npos);
    ASSERT_TRUE(WaitUntil([&] { return !session.standin().State().uninstalled.empty(); }));
    EXPECT_EQ(session.standin().State().uninstalled, std::vector<std::string>{"gen_vandrel.dll|0"});
    EXPECT_EQ(FileExists(session.Ini()), answer == IDNO);
    EXPECT_EQ(FileExists(plugins + "vandrel-journal.txt"), answer == IDNO);
    EXPECT_TRUE(FileExists(plugins + "vandrel.dll")) << "still loaded";
    EXPECT_EQ(session.standin().Shutdown(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(plugins + "vandrel.dll"); }))
        << "once the player has ended";
    EXPECT_TRUE(FileExists(plugins + "gen_vandrel.dll")) << "Winamp's own to remove";
  }
}

}  // namespace
}  // namespace vandrel::testing
