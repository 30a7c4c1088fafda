// Windows key + letter, end to end: the stand-in Winamp plays real files with
// the real plug-in pair loaded, the key is pressed with SendInput, and the
// files, boxes and player's commands checked. Moves: the dialog's test.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Commands = std::vector<std::string>;

TEST(HotkeyDisposal, DeletesThePlayingFileAndLeavesBusyAndNetworkEntriesAlone) {
  TempFolder music;
  PluginSession session;
  // Names of 255 bytes (the longest that the ANSI answer's 256-byte buffer
  // holds with its NUL) and of 256 (whole only through the wide answer).
  const size_t room = music.path().size() + 1 + 4;
  const std::string fits = music.File(std::string(255 - room, 'f') + ".mp3");
  const std::string tooLong = music.File(std::string(256 - room, 'g') + ".mp3");
  const std::string accented = music.File("\xC4rzte - Junge.mp3");
  const std::string busy = music.File("Busy - Song.mp3", "busy");
  SetFileAttributesA(fits.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(session.Start({fits, accented, busy, tooLong, "\\\\server\\share\\x.mp3", music.File("z.mp3")},
                            SettingsFile({})));
  EXPECT_EQ(session.Description(), "Vandrel [Win+K]");
  EXPECT_EQ(session.standin().State().held, fits) << "the player holds the file it plays";

  for (const std::string& deleted : {fits, accented}) {
    ASSERT_TRUE(session.Press('K'));
    EXPECT_FALSE(FileExists(deleted)) << deleted;
    EXPECT_EQ(session.Commands(), (Commands{"Stop", "Next", "Play"}));
  }
  EXPECT_EQ(session.standin().State().position, 2);

  // Another program reads the file, sharing it for reading only: the box
  // names it, the file stays and so does the stop.
  HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(session.standin().ClearLog() && PressWinKey('K'));
  const std::string text = Answer(FindMessageBox("Vandrel"));
  EXPECT_NE(text.find(busy), std::string::npos) << text;
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(busy), "busy");
  EXPECT_EQ(session.Commands(), Commands{"Stop"});
  EXPECT_EQ(session.standin().State().playback, Playback::kStopped);

  // Too long for the ANSI answer's 256 bytes, whole through the wide one.
  ASSERT_TRUE(session.standin().SetPosition(3));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_FALSE(FileExists(tooLong));

  ASSERT_TRUE(session.standin().SetPosition(4));
  ASSERT_TRUE(session.standin().ClearLog() && PressWinKey('K'));
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")), "Can't move file from network!");
  EXPECT_TRUE(session.Commands().empty());
  // Winamp's quit reaches the plug-in through its own hook; it must return
  // into code still loaded and leave Winamp's procedure in place.
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
