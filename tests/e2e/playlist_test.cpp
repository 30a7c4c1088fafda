// The playing entry follows its file, end to end, through the stand-in's
// playlist editor: removed after Next chose what plays (in the middle, at the
// end, with shuffle), pointed at a moved file, left alone when the move failed.
#include <windows.h>

#include <gtest/gtest.h>

#include "../../tools/standin/standin_protocol.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(Playlist, TheEntryGoesOnceNextHasChosenAndPointsAtAMovedFileUnlessTheMoveFailed) {
  TempFolder music, target;
  Lines songs;
  for (char name = 'a'; name <= 'e'; ++name) songs.push_back(music.File(std::string(1, name) + ".mp3"));
  {
    PluginSession session;
    ProfileText removing;
    removing.playlistEntry = 1;
    ASSERT_TRUE(session.Start(songs, SettingsFile(removing)) && session.standin().SetPosition(2));
    ASSERT_TRUE(session.Press('K'));
    StandinState state = session.standin().State();
    EXPECT_EQ(state.playlist, (Lines{songs[0], songs[1], songs[3], songs[4]}));
    EXPECT_EQ(state.held, songs[3]) << "the former 4th plays";
    ASSERT_TRUE(session.standin().SetPosition(3) && session.Press('K'));
    state = session.standin().State();
    EXPECT_EQ(state.playlist, (Lines{songs[0], songs[1], songs[3]}));
    EXPECT_EQ(state.held, songs[0]) << "Next went round to the first";
    ASSERT_TRUE(session.standin().SetShuffle(true) && session.Press('K'));
    state = session.standin().State();
    EXPECT_EQ(state.playlist.size(), 2u);
    EXPECT_EQ(std::count(state.playlist.begin(), state.playlist.end(), songs[0]), 0);
    EXPECT_EQ(state.held, state.playlist[static_cast<std::size_t>(state.position)])
        << "what Next chose plays";
    EXPECT_EQ(session.standin().Shutdown(), 0);
  }
  PluginSession session;
  ProfileText following;
  following.playlistEntry = 2;
  following.moveToFolder = true;
  following.savingPlace = target.path();
  const Lines left = {songs[1], songs[3]};
  ASSERT_TRUE(session.Start(left, SettingsFile(following)));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_EQ(session.standin().State().playlist, (Lines{target.Path("b.mp3"), songs[3]}));
  // The player lets go of its file only 4 s after Stop: the move fails.
  ASSERT_TRUE(SendMessageA(session.standin().window(), RegisterWindowMessageA(standin::kControlMessage),
                           standin::kSetReleaseDelay, 4000));
  ASSERT_TRUE(PressWinKey('K'));
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")).rfind("Could not move the file", 0), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !session.standin().State().handling; }));
  EXPECT_EQ(session.standin().State().playlist, (Lines{target.Path("b.mp3"), songs[3]}));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
