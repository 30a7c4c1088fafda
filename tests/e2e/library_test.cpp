// Winamp's Media Library follows the file, end to end: the stand-in's
// library holds the songs' records; a move carries a record's rating, play
// count and last play to the new path, undo brings the old record back, a
// delete takes it out, and a profile without the entry leaves it alone. A
// Winamp without a library hears nothing of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

// The stand-in's record of `path` without its date added, or "" when it has none.
std::string Record(PluginSession& session, const std::string& path) {
  const std::vector<std::string> records = session.standin().State().records;
  const auto found = std::find_if(records.begin(), records.end(), [&](const std::string& record) {
    return record.rfind(path + "\t", 0) == 0;
  });
  return found == records.end() ? "" : found->substr(path.size() + 1, found->rfind('\t') - path.size() - 1);
}

TEST(Library, TheRecordFollowsAMoveComesBackOnUndoGoesWithADeleteAndStaysForAProfileWithoutIt) {
  TempFolder music, keep;
  const std::string song = music.File("Artist - Song.mp3", "song"), gone = music.File("Gone.mp3", "gone"),
                    kept = music.File("Kept.mp3", "kept"), moved = keep.path() + "\\Artist - Song.mp3";
  PluginSession session;
  session.library =
      music.File("records.txt", song + "\t4\t7\t1700000000\t1600000000\n" + gone + "\t2\t3\t0\t1600000000\n" +
                                    kept + "\t5\t1\t0\t1600000000\n");
  ProfileText moving{11, true, keep.path()}, deleting{12, false, "", false, false, 3, true},
      plain{10, false, "", false, false, 3, true};
  moving.libraryEntry = deleting.libraryEntry = true;
  ASSERT_TRUE(session.Start({song, gone, kept}, SettingsFile(moving) + "UndoKey=26\r\nUndoModifiers=3\r\n" +
                                                    ProfileSection("del", deleting) +
                                                    ProfileSection("plain", plain)));

  ASSERT_TRUE(session.Press('K'));
  EXPECT_TRUE(FileExists(moved));
  EXPECT_EQ(Record(session, moved), "4\t7\t1700000000");
  EXPECT_EQ(Record(session, song), "") << "the old record is gone";
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(song) && !session.standin().State().handling; }));
  EXPECT_EQ(Record(session, song), "4\t7\t1700000000") << "undo puts the record back";
  EXPECT_EQ(Record(session, moved), "");

  ASSERT_TRUE(session.Press('L', "Play", {VK_CONTROL, VK_MENU}));  // deletes Gone.mp3
  EXPECT_FALSE(FileExists(gone));
  EXPECT_EQ(Record(session, gone), "");
  ASSERT_TRUE(session.Press('J', "Play", {VK_CONTROL, VK_MENU}));  // deletes Kept.mp3, library left alone
  EXPECT_FALSE(FileExists(kept));
  EXPECT_EQ(Record(session, kept), "5\t1\t0");
  EXPECT_EQ(session.standin().State().ml_unfreed, 0) << "every query's results given back";
  EXPECT_EQ(session.standin().Shutdown(), 0);

  // Without a library the press goes as before: no command, and no box (the
  // press would not have ended while one was up).
  PluginSession bare;
  const std::string other = music.File("Other.mp3");
  ASSERT_TRUE(bare.Start({other}, SettingsFile(moving)));
  ASSERT_TRUE(bare.Press('K'));
  EXPECT_TRUE(FileExists(keep.path() + "\\Other.mp3"));
  for (const std::string& entry : bare.standin().Log()) EXPECT_EQ(entry.rfind("ML_", 0), std::string::npos);
  EXPECT_EQ(bare.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
