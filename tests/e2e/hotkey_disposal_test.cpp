// Windows key + letter, end to end: the stand-in Winamp plays real files with
// the real plug-in pair loaded, the key is pressed with SendInput, and the
// files and the player's commands are checked.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Commands = std::vector<std::string>;
const Commands kStopNextPlay = {"Stop", "Next", "Play"};

class HotkeyDisposal : public ::testing::Test {
 protected:
  std::string Ini(ProfileText profile) { return SettingsFile(profile); }

  TempFolder music;
  PluginSession session;
};

TEST_F(HotkeyDisposal, DeletesThePlayingFileEvenReadOnlyAndPlaysTheNext) {
  std::string first = music.File("Artist - First.mp3");
  std::string second = music.File("Artist - Second.mp3");
  SetFileAttributesA(first.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(session.Start({first, second}, Ini({})));
  EXPECT_EQ(session.Description(), "Vandrel [Win+K]");

  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_FALSE(FileExists(first));
  EXPECT_TRUE(FileExists(second));
  EXPECT_EQ(session.Commands(), kStopNextPlay);
  StandinState state = session.standin().State();
  EXPECT_EQ(state.playlist.size(), 2u) << "the entry stays in the playlist";
  EXPECT_EQ(state.position, 1);
  EXPECT_EQ(state.playback, Playback::kPlaying);
}

TEST_F(HotkeyDisposal, WorksFromStoppedAndFromPaused) {
  std::string a = music.File("a.mp3"), b = music.File("b.mp3"), c = music.File("c.mp3");
  ASSERT_TRUE(session.Start({a, b, c}, Ini({}), /*play=*/false));
  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(session.standin().State().playback, Playback::kPlaying);

  SendMessageA(session.standin().window(), WM_COMMAND, 40046, 0);  // pause
  ASSERT_EQ(session.standin().PlaybackState(), Playback::kPaused);
  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_FALSE(FileExists(b));
  EXPECT_TRUE(FileExists(c));
  EXPECT_EQ(session.Commands(), kStopNextPlay);
  EXPECT_EQ(session.standin().State().position, 2);
}

struct MoveCase {
  bool sorting;
  bool artist;
  const char* relative;  // below the target folder
};

class HotkeyMove : public HotkeyDisposal, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(HotkeyMove, PutsTheFileWhereTheOptionsSayAcrossVolumes) {
  std::string drive = ScratchDrive();
  if (drive.empty()) GTEST_SKIP() << "no second drive in this run";
  TempFolder target(drive + "\\");
  std::string song = music.File("Artist - Title.mp3", "song bytes");
  ProfileText profile;
  profile.moveToFolder = true;
  profile.savingPlace = target.Path("Sorted");
  profile.sortingOption = GetParam().sorting;
  profile.createArtistFolder = GetParam().artist;
  ASSERT_TRUE(MakeFolders(profile.savingPlace));
  ASSERT_TRUE(session.Start({song, music.File("Next.mp3")}, Ini(profile)));

  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  std::string moved = profile.savingPlace + "\\" + GetParam().relative;
  EXPECT_FALSE(FileExists(song));
  EXPECT_EQ(ReadWholeFile(moved), "song bytes") << moved;
  EXPECT_EQ(session.Commands(), kStopNextPlay);
}

INSTANTIATE_TEST_SUITE_P(Options, HotkeyMove,
                         ::testing::Values(MoveCase{false, false, "Artist - Title.mp3"},
                                           MoveCase{true, false, "a\\Artist - Title.mp3"},
                                           MoveCase{false, true, "artist\\Artist - Title.mp3"},
                                           MoveCase{true, true, "a\\artist\\Artist - Title.mp3"}),
                         [](const ::testing::TestParamInfo<MoveCase>& info) {
                           return std::string(info.param.sorting ? "Letter" : "NoLetter") +
                                  (info.param.artist ? "Artist" : "NoArtist");
                         });

TEST_F(HotkeyDisposal, MovesNothingOntoAnExistingFileOrOntoItselfAndStillGoesOn) {
  std::string target = music.Folder("Sorted");
  std::string song = music.File("Song - One.mp3", "mine");
  std::string clash = music.File("Sorted\\Song - One.mp3", "theirs");
  std::string inPlace = music.File("Sorted\\Song - Two.mp3", "in place");
  ProfileText profile;
  profile.moveToFolder = true;
  profile.savingPlace = target;
  ASSERT_TRUE(session.Start({song, inPlace, music.File("x.mp3")}, Ini(profile)));

  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_EQ(ReadWholeFile(song), "mine");
  EXPECT_EQ(ReadWholeFile(clash), "theirs");
  EXPECT_EQ(session.Commands(), kStopNextPlay);

  ASSERT_TRUE(session.PressAndWaitPlay('K'));
  EXPECT_EQ(ReadWholeFile(inPlace), "in place");
  EXPECT_EQ(session.Commands(), kStopNextPlay);
}

TEST_F(HotkeyDisposal, RefusesNetworkPathsWithAMessageAndSendsNothing) {
  ASSERT_TRUE(session.Start({"\\\\server\\share\\Song.mp3", music.File("b.mp3")}, Ini({})));
  session.standin().ClearLog();
  ASSERT_TRUE(PressWinKey('K'));
  HWND box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Can't move file from network!");
  ClickButton(box, IDOK);
  ASSERT_TRUE(WaitMessageBoxGone(box));
  EXPECT_TRUE(session.Commands().empty());
}

TEST_F(HotkeyDisposal, DoesNothingForAMissingFileOrANameTooLongToRead) {
  std::string missing = music.Path("gone.mp3");
  std::string longName = music.Path(std::string(300, 'n') + ".mp3");
  std::string kept = music.File("kept.mp3");
  ASSERT_TRUE(session.Start({missing, longName, kept}, Ini({})));
  ASSERT_TRUE(session.PressAndWaitHandled('K'));
  EXPECT_TRUE(session.Commands().empty());
  ASSERT_TRUE(session.standin().SetPosition(1));
  ASSERT_TRUE(session.PressAndWaitHandled('K'));
  EXPECT_TRUE(session.Commands().empty());
  EXPECT_TRUE(FileExists(kept));
  EXPECT_EQ(session.standin().State().position, 1);
}

TEST_F(HotkeyDisposal, AFileInUseIsKeptTheUserIsToldAndWinampStaysStopped) {
  std::string song = music.File("Busy - Song.mp3", "busy");
  ASSERT_TRUE(session.Start({song, music.File("b.mp3")}, Ini({})));
  // Another program reading the file, sharing it for reading only (as the
  // player does while playing): no delete until it lets go.
  HANDLE held = CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  session.standin().ClearLog();
  ASSERT_TRUE(PressWinKey('K'));
  HWND box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  std::string text = MessageBoxText(box);
  EXPECT_NE(text.find(song), std::string::npos) << text;
  ClickButton(box, IDOK);
  ASSERT_TRUE(WaitMessageBoxGone(box));
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(song), "busy");
  EXPECT_EQ(session.Commands(), Commands{"Stop"});
  EXPECT_EQ(session.standin().State().playback, Playback::kStopped);
}

TEST_F(HotkeyDisposal, AHotkeyTakenByAnotherProgramIsRefusedWithTheErrorBox) {
  HWND other = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, 'D'));
  ProfileText profile;
  profile.key = 4;
  ASSERT_TRUE(session.Start({music.File("a.mp3")}, Ini(profile), false, /*expectBoxAtStart=*/true));
  HWND box = FindMessageBox("Vandrel Error");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).rfind("Failed to register hotkey.", 0), 0u);
  ClickButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return session.standin().State().ready; }));
  EXPECT_EQ(session.Description(), "Vandrel [No HotKey]");
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
}

}  // namespace
}  // namespace vandrel::testing
