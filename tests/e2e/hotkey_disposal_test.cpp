// Windows key + letter, end to end: the stand-in Winamp plays real files with
// the real plug-in pair loaded and the key is pressed with SendInput. A held
// file's box: the COM test; a network entry's: the unit tests; moves: the
// dialog's test.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Commands = std::vector<std::string>;

TEST(HotkeyDisposal, DeletesThePlayingFileReadOnlyOrNamedPastTheAnsiAnswer) {
  TempFolder music;
  PluginSession session;
  // Names of 255 bytes (the longest that the ANSI answer's 256-byte buffer
  // holds with its NUL) and of 256 (whole only through the wide answer).
  const size_t room = music.path().size() + 1 + 4;
  const std::string fits = music.File(std::string(255 - room, 'f') + ".mp3");
  const std::string tooLong = music.File(std::string(256 - room, 'g') + ".mp3");
  const std::string accented = music.File("\xC4rzte - Junge.mp3");
  SetFileAttributesA(fits.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(session.Start({fits, accented, tooLong, music.File("z.mp3")}, SettingsFile({})));
  EXPECT_EQ(session.Description(), "Vandrel [Win+K]");
  EXPECT_EQ(session.standin().State().held, fits) << "the player holds the file it plays";

  for (const std::string& deleted : {fits, accented, tooLong}) {
    ASSERT_TRUE(session.Press('K'));
    EXPECT_FALSE(FileExists(deleted)) << deleted;
    EXPECT_EQ(session.Commands(), (Commands{"Stop", "Next", "Play"}));
  }
  EXPECT_EQ(session.standin().State().position, 3);
  // Winamp's quit reaches the plug-in through its own hook; it must return
  // into code still loaded and leave Winamp's procedure in place.
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
