// Windows key + letter end to end on every kind of file Winamp plays: read-only,
// names past the ANSI answer's buffer or outside the ANSI code page, a file
// the player lets go of too late after Stop, and tagged ones moved into their
// artist's folder. Held files, network entries and other moves: the COM, unit
// and dialog tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "../../tools/standin/standin_protocol.h"
#include "support/win/own_recycle_bin.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Commands = std::vector<std::string>;

TEST(EveryFile, DeletesEachKindOfNameAndWaitsAboutTwoSecondsForAFileLetGoLate) {
  TempFolder music;
  PluginSession session;
  // Names of 255 bytes (the longest that the ANSI answer's 256-byte buffer
  // holds with its NUL) and of 256 (whole only through the wide answer).
  const size_t room = music.path().size() + 1 + 4;
  const std::string fits = music.File(std::string(255 - room, 'f') + ".mp3");
  const std::string tooLong = music.File(std::string(256 - room, 'g') + ".mp3");
  const std::string accented = music.File("\xC4rzte - Junge.mp3");
  SetFileAttributesA(fits.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::wstring japanese =
      std::wstring(music.path().begin(), music.path().end()) + L"\\\u97F3\u697D - \u66F2.mp3";
  CloseHandle(CreateFileW(japanese.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string late = music.File("Late - Released.mp3");
  // UTF-8, as the stand-in reads an .m3u8: the Japanese name, then "Ärzte".
  ASSERT_TRUE(WriteWholeFile(music.Path("list.m3u8"),
                             "\xEF\xBB\xBF" + fits + "\r\n" + music.Path("\xC3\x84rzte - Junge.mp3") +
                                 "\r\n" + tooLong + "\r\n" +
                                 music.Path("\xE9\x9F\xB3\xE6\xA5\xBD - \xE6\x9B\xB2.mp3") + "\r\n" + late +
                                 "\r\n" + music.File("last.mp3") + "\r\n"));
  // The stand-in takes "/playlist=" among its files as the playlist.
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u8")}, SettingsFile({})));
  const StandinState state = session.standin().State();
  ASSERT_EQ(state.playlist.size(), 6u);
  EXPECT_EQ(state.held, fits) << "the player holds the file it plays";
  EXPECT_NE(state.playlist[3].find('?'), std::string::npos) << "211 gives the '?' form";

  for (const std::string& deleted : {fits, accented, tooLong}) {
    ASSERT_TRUE(session.Press('K'));
    EXPECT_FALSE(FileExists(deleted)) << deleted;
    EXPECT_EQ(session.Commands(), (Commands{"Stop", "Next", "Play"}));
  }
  ASSERT_TRUE(session.Press('K'));
  EXPECT_EQ(GetFileAttributesW(japanese.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(session.standin().State().position, 4);

  // From now on the player lets go of its file only 4 s after Stop.
  ASSERT_TRUE(SendMessageA(session.standin().window(), RegisterWindowMessageA(standin::kControlMessage),
                           standin::kSetReleaseDelay, 4000));
  session.standin().ClearLog();
  const DWORD pressed = GetTickCount();
  ASSERT_TRUE(PressWinKey('K'));
  HWND box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  const DWORD waited = GetTickCount() - pressed;
  EXPECT_GE(waited, 1900u);
  EXPECT_LT(waited, 3900u) << "gave up before the player let go";
  EXPECT_NE(Answer(box).find(late), std::string::npos);
  EXPECT_TRUE(FileExists(late));
  EXPECT_EQ(session.Commands(), Commands{"Stop"});
  // Winamp's quit reaches the plug-in through its own hook; it must return
  // into code still loaded and leave Winamp's procedure in place.
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Journal, EachPressIsALineAndAJournalThatCannotBeWrittenStopsNoPressAndIsToldOnce) {
  TempFolder music;
  PluginSession session;
  const std::string ja = music.Path("\xE9\x9F\xB3.mp3"), one = music.File("one.mp3"),
                    two = music.File("two.mp3");
  const std::wstring wide = std::wstring(music.path().begin(), music.path().end()) + L"\\\u97F3.mp3";
  CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(WriteWholeFile(music.Path("list.m3u8"), ja + "\r\n" + one + "\r\n" + two + "\r\n"));
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u8")}, SettingsFile({})));
  ASSERT_TRUE(session.Press('K'));
  const std::string journal = session.Ini().substr(0, session.Ini().rfind('\\') + 1) + "vandrel-journal.txt";
  const std::string line = ReadWholeFile(journal);
  EXPECT_EQ(line.substr(19), "\tdeleted\t" + ja + "\t\ttest\t0\r\n") << "UTF-8, whatever the code page";
  // A folder in the journal's place: it cannot be written.
  ASSERT_TRUE(DeleteFileA(journal.c_str()) && CreateDirectoryA(journal.c_str(), nullptr));
  ASSERT_TRUE(PressWinKey('K'));
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")).rfind("The journal\r\n" + journal, 0), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !FileExists(one) && !session.standin().State().handling; }));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_FALSE(FileExists(two));
  EXPECT_EQ(FindMessageBox("Vandrel", 500), nullptr) << "said once";
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Undo, TheUndoKeyBringsRecycledSongsBackNewestFirstAndNamesADeleteForGoodUntilAskedAgain) {
  TempFolder music;
  PluginSession session;
  const std::string a = music.File("a.mp3", "song a"), b = music.File("b.mp3", "song b"),
                    c = music.File("c.mp3", "song c");
  ProfileText removing;
  removing.playlistEntry = 1;
  ASSERT_TRUE(session.Start({a, b, c}, SettingsFile(removing) + "UndoKey=26\r\nUndoModifiers=3\r\n"));
  ASSERT_TRUE(session.standin().SetRecycleBin(true));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_EQ(NoticeText(5000, "Deleted (Recycle Bin): a.mp3"), "Deleted (Recycle Bin): a.mp3");
  ASSERT_TRUE(session.Press('K'));
  ASSERT_TRUE(session.standin().SetRecycleBin(false));
  ASSERT_TRUE(session.Press('K', "Stop"));
  ASSERT_TRUE(WaitUntil([&] { return session.standin().State().playlist.empty(); }));
  const std::string journal = session.Ini().substr(0, session.Ini().rfind('\\') + 1) + "vandrel-journal.txt";
  auto undo = [&](const std::function<bool()>& done) {
    return PressKeys({VK_CONTROL, VK_MENU}, 'Z') && WaitUntil(done);
  };
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
  EXPECT_NE(Answer(FindMessageBox("Vandrel")).find(c + "?\r\n\r\nIt was deleted for good"),
            std::string::npos);
  ASSERT_TRUE(WaitUntil([&] { return !session.standin().State().handling; })) << "the first undo has ended";
  ASSERT_TRUE(undo([&] { return ReadWholeFile(journal).find("undone\t" + c) != std::string::npos; }));
  // Each undo ends with its notice.
  auto putBack = [&](const std::string& name) {
    return [&, name] { return NoticeText(0) == "Put back: " + name && !session.standin().State().handling; };
  };
  ASSERT_TRUE(undo(putBack("b.mp3")));
  EXPECT_TRUE(FileExists(b) && !FileExists(a) && !FileExists(c)) << "the newest first";
  ASSERT_TRUE(undo(putBack("a.mp3")));
  EXPECT_EQ(ReadWholeFile(a) + ReadWholeFile(b), "song asong b") << "back from the Recycle Bin";
  EXPECT_TRUE(WaitUntil([&] { return session.standin().State().playlist == Commands{a, b}; }));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(RecycleBin, AFullOneTakesTheSongAndGivesItBackOneThatCannotIsAskedFirstOneThatDestroysIsTold) {
  TempFolder music;
  const std::string a = music.File("a.mp3", "song a"), b = music.File("b.mp3", "song b");
  {
    OwnRecycleBin bin(3000);
    PluginSession session;
    ASSERT_TRUE(session.Start({a, b}, SettingsFile({}) + "UndoKey=26\r\nUndoModifiers=3\r\n"));
    ASSERT_TRUE(session.standin().SetRecycleBin(true));
    ASSERT_TRUE(session.Press('K'));
    EXPECT_EQ(ReadWholeFile(bin.Path("files\\a.mp3")), "song a");
    const std::string journal =
        session.Ini().substr(0, session.Ini().rfind('\\') + 1) + "vandrel-journal.txt";
    EXPECT_NE(ReadWholeFile(journal).find("\trecycled\t" + a + "\t" + bin.Path("files\\a.mp3") + "\t"),
              std::string::npos)
        << ReadWholeFile(journal);
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(a) && !session.standin().State().handling; }))
        << MessageBoxText(FindMessageBox("Vandrel", 0));
    EXPECT_FALSE(FileExists(bin.Path("info\\a.mp3.trashinfo"))) << "its record goes with it";
    // The Trash's files folder gone after Wine found it: Wine deletes for good
    // and reports success.
    ASSERT_TRUE(MoveFileA(bin.Path("files").c_str(), bin.Path("files.away").c_str()) &&
                WriteWholeFile(bin.Path("files"), ""));
    ASSERT_TRUE(PressWinKey('K'));
    EXPECT_NE(Answer(FindMessageBox("Vandrel")).find(b + "\r\nwas deleted for good"), std::string::npos);
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadWholeFile(journal).find("\tdeleted\t" + b + "\t") != std::string::npos; }));
    EXPECT_FALSE(FileExists(b));
    EXPECT_EQ(session.standin().Shutdown(), 0);
  }
  OwnRecycleBin none(0, false);
  PluginSession session;
  ASSERT_TRUE(session.Start({a}, SettingsFile({})));
  ASSERT_TRUE(session.standin().SetRecycleBin(true) && session.standin().ClearLog());
  ASSERT_TRUE(PressWinKey('K'));
  EXPECT_NE(Answer(FindMessageBox("Vandrel"), IDCANCEL)
                .find(a + "\r\ncannot go to the Recycle Bin: delete it for good?"),
            std::string::npos);
  ASSERT_TRUE(WaitUntil([&] { return !session.standin().State().handling; }));
  EXPECT_EQ(ReadWholeFile(a), "song a");
  EXPECT_EQ(session.Commands(), Commands{}) << "Winamp plays on";
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(RecycleBin, ASongItCannotTakeGoesIntoTheHoldingFolderUnderAFreeNameAndComesBack) {
  TempFolder music;
  const std::string a = music.File("a.mp3", "song a");
  const std::string held = music.Path("Held");
  music.File("Held\\a.mp3", "older");
  OwnRecycleBin none(0, false);
  PluginSession session;
  ASSERT_TRUE(session.Start(
      {a}, SettingsFile({}) + "HoldingFolder=" + held + "\r\nUndoKey=26\r\nUndoModifiers=3\r\n"));
  ASSERT_TRUE(session.standin().SetRecycleBin(true));
  ASSERT_TRUE(PressWinKey('K'));
  EXPECT_NE(Answer(FindMessageBox("Vandrel"), IDYES).find("move it into the holding folder\r\n" + held + "?"),
            std::string::npos);
  ASSERT_TRUE(WaitUntil([&] { return !FileExists(a) && !session.standin().State().handling; }));
  EXPECT_EQ(ReadWholeFile(held + "\\a (2).mp3"), "song a");
  EXPECT_EQ(ReadWholeFile(held + "\\a.mp3"), "older");
  const std::string journal = session.Ini().substr(0, session.Ini().rfind('\\') + 1) + "vandrel-journal.txt";
  EXPECT_NE(ReadWholeFile(journal).find("\theld\t" + a + "\t" + held + "\\a (2).mp3\t"), std::string::npos);
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(a) && !session.standin().State().handling; }));
  EXPECT_EQ(ReadWholeFile(a), "song a");
  EXPECT_FALSE(FileExists(held + "\\a (2).mp3"));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Tags, TheArtistTagNamesTheFolderAndAnUntaggedOrUnusableOneLeavesItToTheFileName) {
  TempFolder music, target;
  const struct {
    std::string name, tag, movedTo;  // the tag in UTF-8, as the stand-in's table holds it; none: untagged
  } songs[] = {
      {"01 - Intro.mp3", "Nena", "nena\\01 - Intro.mp3"},
      {"Abba - SOS.mp3", "", "abba\\Abba - SOS.mp3"},
      {"02 - Up.mp3", "..", "02\\02 - Up.mp3"},
      {"Track 7.mp3", "con", "Track 7.mp3"},
      {"Track 8.mp3", "\xC3\x84rzte", "\xE4rzte\\Track 8.mp3"},
  };
  std::string table;
  std::vector<std::string> entries = {"/tags=" + music.Path("tags.txt")};
  for (const auto& song : songs) {
    entries.push_back(music.File(song.name));
    if (!song.tag.empty()) table += entries.back() + "\t" + song.tag + "\r\n";
  }
  ASSERT_TRUE(WriteWholeFile(music.Path("tags.txt"), table));
  ProfileText p;
  p.moveToFolder = p.createArtistFolder = p.artistFromTags = true;
  p.savingPlace = target.path();
  PluginSession session;
  ASSERT_TRUE(session.Start(entries, SettingsFile(p)));
  for (const auto& song : songs) {
    ASSERT_TRUE(session.Press('K'));
    EXPECT_TRUE(FileExists(target.Path(song.movedTo))) << song.name;
  }
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Companions, LyricsAndPictureGoWithAMovedSongAnotherSongStaysAndUndoBringsAllBack) {
  TempFolder music, target;
  const std::string song = music.File("Band\\Album\\Song.mp3", "song");
  music.File("Band\\Album\\Song.lrc", "lyrics");
  music.File("Band\\Album\\Song.jpg", "picture");
  music.File("Band\\Album\\Song.flac", "another song");
  ProfileText p;
  p.moveToFolder = true;
  p.savingPlace = target.path();
  p.playlistEntry = 0;
  p.artistFromTags = true;  // written, so the later entries follow at their places
  std::string settings = ProfileSection("test", p) +
                         "libraryEntry=0\r\ncompanionFiles=1\r\nremoveEmptyFolders=1\r\n" +
                         "[iniConfig]\r\nLastUsed=test\r\nUndoKey=26\r\nUndoModifiers=3\r\n";
  PluginSession session;
  ASSERT_TRUE(session.Start({song}, settings));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_EQ(ReadWholeFile(target.Path("Song.lrc")) + ReadWholeFile(target.Path("Song.jpg")), "lyricspicture");
  EXPECT_EQ(ReadWholeFile(music.Path("Band\\Album\\Song.flac")), "another song") << "and its folder stays";
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(song) && !session.standin().State().handling; }));
  EXPECT_EQ(
      ReadWholeFile(music.Path("Band\\Album\\Song.lrc")) + ReadWholeFile(music.Path("Band\\Album\\Song.jpg")),
      "lyricspicture");
  EXPECT_FALSE(FileExists(target.Path("Song.lrc")));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
