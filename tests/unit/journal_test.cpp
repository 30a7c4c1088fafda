// The journal's lines, its size limit, and what the plug-in writes to it.
#include <gtest/gtest.h>

#include "core/vandrel.h"
#include "journal/journal.h"
#include "support/fake_toolkit.h"
#include "support/fakes.h"

namespace vandrel {
namespace {

using journal::Line;

TEST(Journal, LinesRoundTripAnyNameAndOnlyWellFormedOnesParse) {
  const Line line{"2026-12-07T11:27:03", L"moved",   L"C:\\\u97F3\u697D\\\U0001F3B5 - \u00C4rzte.mp3",
                  L"D:\\Keep\\x.mp3",    L"my\tmix", 4};
  const std::string text = journal::Format(line);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  Line expected = line;
  expected.profile = L"my mix";  // a tab would end the field
  EXPECT_EQ(journal::Parse(text), expected);
  expected.record = winamp::LibraryRecord{4, -1, 1700000000};  // a seventh field
  EXPECT_EQ(journal::Parse(journal::Format(expected)), expected);
  EXPECT_EQ(journal::ToUtf8(L"\u00E4"), "\xC3\xA4");
  for (const char* bad :
       {"t\tmoved\tC:\\a\t\tp", "t\tmoved\tC:\\a\t\tp\t1\tx", "t\tkept\tC:\\a\t\tp\t1", "t\tmoved\t\t\tp\t1",
        "t\tmoved\tC:\\a\t\tp\tx", "t\tmoved\tC:\\a\t\tp\t-", "\tmoved\tC:\\a\t\tp\t1",
        "t\tmoved\tC:\\\xC3\t\tp\t1", "t\tmoved\tC:\\\xC0\xAF\t\tp\t1", "t\tmoved\tC:\\\x80\t\tp\t1",
        "t\tmoved\tC:\\\xED\xA0\x80\t\tp\t1", "t\tmoved\tC:\\a\t\tp\t9999999999", "t\tmoved\tC:\\a\t\tp\t-2",
        "t\tmoved\tC:\\a\t\tp\t1\t4,7", "t\tmoved\tC:\\a\t\tp\t1\t4,7,x", "t\tmoved\tC:\\a\t\tp\t1\t4,7,1\t"})
    EXPECT_FALSE(journal::Parse(bad)) << bad;
  EXPECT_TRUE(journal::Parse("t\tdeleted\tC:\\a\t\t\t-1"));

  // An undo takes back the newest disposal of the same file, place and profile, and that one only.
  auto at = [](std::int32_t index, const wchar_t* what = L"moved") {
    return journal::Format({"t", what, L"C:\\a.mp3", L"D:\\a.mp3", L"p", index});
  };
  EXPECT_EQ(journal::NewestUndoable(at(1) + at(2) + "junk\r\n" + at(1, L"undone"))->index, 2);
  EXPECT_EQ(journal::NewestUndoable(at(1) + at(1) + at(1, L"undone"))->index, 1);
  EXPECT_FALSE(journal::NewestUndoable(at(3) + at(3, L"undone")));
}

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() {
    files.AddFolder(L"C:\\Plugins");
    files.AddFolder(L"D:\\Keep");
    profile.SetText(
        L"C:\\Plugins\\vandrel.ini",
        L"[iniConfig]\r\nLastUsed=keep\r\n[keep]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Keep\r\n"
        L"sortingOption=0\r\ncreateArtistFolder=0\r\n");
    plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
  }
  ~JournalTest() override { plugin.IZekWinAmpGenPlugin_Quit(); }
  std::string Journal() { return files.files[testing::FakeFiles::Key(kJournal)]; }
  static constexpr wchar_t kJournal[] = L"C:\\Plugins\\vandrel-journal.txt";

  testing::FakeWindows windows;
  testing::FakeUi ui;
  testing::FakeFiles files;
  testing::FakeProfile profile{files};
  platform::ScopedServices services{{&windows, &ui, &files, &profile}};
  std::shared_ptr<testing::FakeWrapper> wrapper = std::make_shared<testing::FakeWrapper>();
  core::Vandrel plugin;
};

TEST_F(JournalTest, EachDisposalIsALineAndAJournalThatCannotBeWrittenIsToldOnceWithoutStoppingAny) {
  for (const wchar_t* song : {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3", L"C:\\d.mp3"}) files.AddFile(song);
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3", "C:\\d.mp3"};
  windows.position = 1;
  plugin.Act();
  plugin.SetmoveToFolder(false);
  windows.usesRecycleBin = 1;
  windows.position = 2;
  plugin.Act();
  windows.usesRecycleBin = 0;
  // The run's line is in the file before it touches the next entry (a
  // killed player loses none); a recycled song's names its Recycle Bin item.
  EXPECT_EQ(plugin.Dispose(L"C:\\a.mp3", true, nullptr, 0, nullptr), disposal::ActOutcome::Disposed);
  EXPECT_EQ(Journal(),
            "2026-12-07T11:27:03\tmoved\tC:\\b.mp3\tD:\\Keep\\b.mp3\tkeep\t1\r\n"
            "2026-12-07T11:27:03\trecycled\tC:\\c.mp3\tc:\\$recycle.bin\\$r1\tkeep\t2\r\n"
            "2026-12-07T11:27:03\tdeleted\tC:\\a.mp3\t\tkeep\t0\r\n");
  plugin.FlushJournal();

  files.failing[L"Append c:\\plugins\\vandrel-journal.txt"] = 112;  // the disk is full
  files.AddFile(L"C:\\a.mp3");
  plugin.Dispose(L"C:\\a.mp3", true, nullptr, 0, nullptr);
  plugin.Dispose(L"C:\\d.mp3", true, nullptr, 3, nullptr);
  plugin.FlushJournal();
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3") || files.IsFile(L"C:\\d.mp3")) << "disposed all the same";
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text.find(L"The journal\r\nC:\\Plugins\\vandrel-journal.txt\r\ncould not be written"),
            0u);
}

TEST_F(JournalTest, AFullJournalKeepsItsNewestWholeLines) {
  const std::string old = journal::Format({"t", L"deleted", L"C:\\" + std::wstring(90, L'o'), L"", L"p", 1});
  std::string text;
  while (text.size() + 10 < journal::kMostBytes) text += old;
  files.files[testing::FakeFiles::Key(kJournal)] = text;
  files.AddFile(L"C:\\z.mp3");
  plugin.SetmoveToFolder(false);
  plugin.Dispose(L"C:\\z.mp3", true, nullptr, 7, nullptr);
  plugin.FlushJournal();
  const std::string kept = Journal();
  EXPECT_LT(kept.size(), journal::kMostBytes * 3 / 4 + old.size());
  EXPECT_GT(kept.size(), journal::kMostBytes / 2);
  EXPECT_EQ(kept.substr(0, old.size()), old) << "cut between lines";
  EXPECT_EQ(journal::Parse(kept.substr(kept.rfind('\n', kept.size() - 3) + 1))->path, L"C:\\z.mp3");
}

TEST_F(JournalTest, UndoTakesBackNewestFirstPuttingFileFoldersAndEntryBackAndRefusesWhatItCannot) {
  const std::wstring a = L"C:\\Artist - a.mp3", b = L"C:\\b.mp3";
  files.AddFile(a, "a");
  files.AddFile(b, "b");
  windows.playlist = {"C:\\Artist - a.mp3", "C:\\b.mp3"};
  plugin.SetsortingOption(true);
  plugin.SetcreateArtistFolder(true);
  plugin.SetplaylistEntry(1);  // a's entry goes
  plugin.Act();
  plugin.SetplaylistEntry(2);  // b's follows the file
  plugin.Act();
  ASSERT_EQ(windows.playlist, std::vector<std::string>{"D:\\Keep\\b\\b.mp3"});
  plugin.UndoLast();
  EXPECT_EQ(windows.playlist, std::vector<std::string>{"C:\\b.mp3"});
  EXPECT_TRUE(files.IsFile(b) && !files.IsFolder(L"D:\\Keep\\b"));
  plugin.UndoLast();
  EXPECT_EQ(windows.playlist, (std::vector<std::string>{"C:\\Artist - a.mp3", "C:\\b.mp3"}));
  EXPECT_EQ(files.files[testing::FakeFiles::Key(a)], "a");
  EXPECT_TRUE(!files.IsFolder(L"D:\\Keep\\a") && files.IsFolder(L"D:\\Keep")) << "only the folders it made";
  plugin.SetplaylistEntry(0);  // the entry stays where it was: undo leaves it so
  windows.position = 1;
  plugin.Act();
  plugin.UndoLast();
  EXPECT_EQ(windows.playlist, (std::vector<std::string>{"C:\\Artist - a.mp3", "C:\\b.mp3"}));
  ui.shown.clear();
  plugin.UndoLast();
  EXPECT_EQ(ui.Texts().back().find(L"There is nothing to undo"), 0u);

  // A file at the old place again: nothing changes. A delete for good is
  // stepped past only when asked to.
  windows.position = 0;
  plugin.Act();
  files.AddFile(a, "new");
  plugin.SetmoveToFolder(false);
  windows.position = 1;
  plugin.Act();
  ui.answers = {platform::Answer::Cancel};
  plugin.UndoLast();
  EXPECT_NE(ui.Texts().back().find(L"deleted for good"), std::wstring::npos);
  ui.shown.clear();
  plugin.UndoLast();  // asked again, and stepped past
  plugin.UndoLast();
  EXPECT_EQ(ui.Texts().back().find(L"Nothing was changed: a file is at\r\nC:\\Artist - a.mp3"), 0u);
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\a\\artist\\Artist - a.mp3"));
  EXPECT_EQ(files.files[testing::FakeFiles::Key(a)], "new");
}

TEST_F(JournalTest, ASongHeldIsJournalledToldAndPutBackAndTheHoldingFolderIsKeptAcrossStarts) {
  testing::FakeToolkit kit{files};
  platform::ScopedServices withNotices{{&windows, &ui, &files, &profile, &kit}};
  files.AddFolder(L"D:\\Held");
  files.AddFile(L"C:\\a.mp3", "a");
  windows.playlist = {"C:\\a.mp3"};
  plugin.SetholdingFolder(L"D:\\Held");
  plugin.IZekWinAmpGenPlugin_Quit();
  plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_EQ(plugin.holdingFolder(), L"D:\\Held");
  plugin.SetmoveToFolder(false);
  windows.usesRecycleBin = 1;
  files.noBin = true;
  ui.answers = {platform::Answer::Yes};
  plugin.SetplaylistEntry(2);  // a song held goes from the playlist, as after a delete
  plugin.Act();
  EXPECT_TRUE(windows.playlist.empty());
  EXPECT_EQ(Journal(), "2026-12-07T11:27:03\theld\tC:\\a.mp3\tD:\\Held\\a.mp3\tkeep\t0\r\n");
  EXPECT_EQ(kit.notices.back(), L"Held in D:\\Held: a.mp3");
  ui.answers = {platform::Answer::Ok};
  plugin.UndoLast();
  EXPECT_NE(ui.shown.back().text.find(L"It comes back from the holding folder\r\nD:\\Held\\a.mp3"),
            std::wstring::npos);
  EXPECT_EQ(files.files[testing::FakeFiles::Key(L"C:\\a.mp3")], "a");
  EXPECT_TRUE(files.IsFolder(L"D:\\Held"));
  EXPECT_EQ(kit.notices.back(), L"Put back: a.mp3");
  EXPECT_EQ(windows.playlist, std::vector<std::string>{"C:\\a.mp3"});
}

TEST_F(JournalTest, FoldersASongLeftEmptyGoUpToOneThatHoldsAnythingAndUndoMakesThemAgain) {
  const std::wstring song = L"C:\\Music\\Band\\Album\\a.mp3";
  files.AddFile(song, "a");
  files.AddFile(L"C:\\Music\\other.mp3");
  files.AddFile(L"D:\\Keep\\k.mp3");
  windows.playlist = {"C:\\Music\\Band\\Album\\a.mp3", "D:\\Keep\\k.mp3"};
  plugin.SetremoveEmptyFolders(true);
  plugin.Act();
  EXPECT_FALSE(files.IsFolder(L"C:\\Music\\Band"));
  EXPECT_TRUE(files.IsFolder(L"C:\\Music")) << "it holds something";
  EXPECT_EQ(Journal(),
            "2026-12-07T11:27:03\tmoved\tC:\\Music\\Band\\Album\\a.mp3\tD:\\Keep\\a.mp3\tkeep\t0\t\t"
            "C:\\Music\\Band\\Album|C:\\Music\\Band|\r\n");
  plugin.UndoLast();
  EXPECT_EQ(files.files[testing::FakeFiles::Key(song)], "a");
  plugin.SetmoveToFolder(false);
  windows.position = 1;
  files.files.erase(testing::FakeFiles::Key(L"D:\\Keep\\a.mp3"));
  plugin.Act();
  EXPECT_TRUE(files.IsFolder(L"D:\\Keep")) << "a target folder stays";
  // A profile saved meanwhile: its target folder stays too.
  files.files[testing::FakeFiles::Key(L"C:\\Plugins\\vandrel.ini")] +=
      "[later]\r\nKey=3\r\nmoveToFolder=1\r\nsavingPlace=C:\\Later\r\nsortingOption=0\r\ncreateArtistFolder="
      "0\r\nmodifiers=3\r\n";
  plugin.RefreshShortcuts(false);  // as the dialog's Save does
  files.AddFile(L"C:\\Later\\l.mp3");
  windows.playlist = {"C:\\Later\\l.mp3"};
  windows.position = 0;
  plugin.Act();
  EXPECT_FALSE(files.IsFile(L"C:\\Later\\l.mp3"));
  EXPECT_TRUE(files.IsFolder(L"C:\\Later"));
}

TEST_F(JournalTest, TheNoticesUndoTakesBackWhatItToldOfWhileThatIsTheNewestNotTakenBack) {
  testing::FakeToolkit kit{files};
  platform::ScopedServices withNotices{{&windows, &ui, &files, &profile, &kit}};
  files.AddFile(L"C:\\a.mp3", "a");
  files.AddFile(L"C:\\b.mp3", "b");
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3"};
  plugin.Act();
  const std::function<void()> undoA = kit.undo;
  windows.position = 1;
  plugin.Act();
  const std::function<void()> undoB = kit.undo;
  ASSERT_TRUE(undoA && undoB);
  undoA();
  EXPECT_EQ(ui.Texts().back().find(L"Nothing was changed: a.mp3 is no longer the newest"), 0u);
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3"));
  undoB();
  EXPECT_EQ(files.files[testing::FakeFiles::Key(L"C:\\b.mp3")], "b");
  EXPECT_EQ(kit.notices.back(), L"Put back: b.mp3");
  EXPECT_FALSE(kit.undo) << "a put back has no Undo";
  undoA();
  EXPECT_EQ(files.files[testing::FakeFiles::Key(L"C:\\a.mp3")], "a");
}

TEST_F(JournalTest, CompanionFilesGoWithTheSongEachOnItsOwnLineAndComeBackWithIt) {
  testing::FakeToolkit kit{files};
  platform::ScopedServices withNotices{{&windows, &ui, &files, &profile, &kit}};
  const std::wstring song = L"C:\\Music\\Song.mp3";
  files.AddFile(song, "song");
  for (const wchar_t* other : {L"C:\\Music\\Song.lrc", L"C:\\Music\\song.JPG", L"C:\\Music\\Song.flac",
                               L"C:\\Music\\Song.mp3.txt", L"C:\\Music\\Songs.lrc"})
    files.AddFile(other, "other");
  windows.playlist = {"C:\\Music\\Song.mp3"};
  plugin.SetcompanionFiles(true);
  plugin.Act();
  for (const wchar_t* moved : {L"D:\\Keep\\Song.mp3", L"D:\\Keep\\Song.lrc", L"D:\\Keep\\Song.JPG"})
    EXPECT_TRUE(files.IsFile(moved)) << moved;
  for (const wchar_t* stays : {L"C:\\Music\\Song.flac", L"C:\\Music\\Song.mp3.txt", L"C:\\Music\\Songs.lrc"})
    EXPECT_TRUE(files.IsFile(stays)) << stays;
  EXPECT_NE(Journal().find(
                "\tmoved\tC:\\Music\\song.lrc\tD:\\Keep\\Song.lrc\tkeep\t0\t\t\tC:\\Music\\Song.mp3\r\n"),
            std::string::npos)
      << Journal();
  ui.answers = {platform::Answer::Ok};
  plugin.UndoLast();
  for (const wchar_t* back : {L"C:\\Music\\Song.mp3", L"C:\\Music\\Song.lrc", L"C:\\Music\\Song.jpg"})
    EXPECT_TRUE(files.IsFile(back)) << back;
  EXPECT_FALSE(files.IsFile(L"D:\\Keep\\Song.lrc"));

  // Into the Recycle Bin, and a name taken at the destination.
  files.AddFile(L"D:\\Keep\\Song.lrc", "there");
  windows.playlist = {"C:\\Music\\Song.mp3"};
  plugin.Act();
  EXPECT_EQ(kit.notices.back(), L"Moved to D:\\Keep: Song.mp3\r\nStayed where they were: song.lrc");
  EXPECT_EQ(files.files[testing::FakeFiles::Key(L"D:\\Keep\\Song.lrc")], "there");
  files.AddFile(L"D:\\Keep\\x.mp3");
  files.AddFile(L"D:\\Keep\\x.cue");
  windows.playlist = {"D:\\Keep\\x.mp3"};
  plugin.SetmoveToFolder(false);
  windows.usesRecycleBin = 1;
  plugin.Act();
  EXPECT_EQ(files.bin.size(), 2u);
  EXPECT_FALSE(files.IsFile(L"D:\\Keep\\x.cue"));
}

TEST_F(JournalTest, TheUndoShortcutRestoresFromTheRecycleBinAndStepsPastADeleteForGoodAtItsSecondPress) {
  testing::FakeToolkit kit{files};
  platform::ScopedServices withNotices{{&windows, &ui, &files, &profile, &kit}};
  const std::wstring a = L"C:\\a.mp3", b = L"C:\\b.mp3";
  files.AddFile(a, "a");
  files.AddFile(b, "b");
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3"};
  // The working shortcut keeps its keys; others are taken and saved.
  EXPECT_FALSE(plugin.SetUndoShortcut(8, 11));
  EXPECT_EQ(ui.Texts().back().find(L"The undo shortcut Win+K is the shortcut of the working settings 'keep'"),
            0u);
  ASSERT_TRUE(plugin.SetUndoShortcut(3, 26));
  const std::wstring ini = L"C:\\Plugins\\vandrel.ini";
  EXPECT_NE(profile.Text(ini).find(L"UndoKey=26\r\nUndoModifiers=3\r\n"), std::wstring::npos);
  const auto undo = static_cast<std::uintptr_t>(windows.IdOf(64 + 26, 3 | 0x4000));
  ASSERT_NE(undo, 0u);

  plugin.SetmoveToFolder(false);
  plugin.SetplaylistEntry(1);
  windows.usesRecycleBin = 1;
  plugin.Act();
  windows.usesRecycleBin = 0;
  plugin.Act();
  EXPECT_EQ(kit.notices,
            (std::vector<std::wstring>{L"Deleted (Recycle Bin): a.mp3", L"Deleted for good: b.mp3"}));
  ui.shown.clear();
  windows.Deliver(0x312, undo);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"Undo again to step past it"), std::wstring::npos);
  windows.Deliver(0x312, undo);  // stepped past, silently
  files.AddFile(a, "new");
  windows.Deliver(0x312, undo);
  EXPECT_EQ(ui.Texts().back().find(L"Nothing was changed: a file is at"), 0u);
  files.files.erase(testing::FakeFiles::Key(a));
  windows.Deliver(0x312, undo);
  EXPECT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(files.files[testing::FakeFiles::Key(a)], "a");
  EXPECT_TRUE(files.bin.empty());
  EXPECT_EQ(windows.playlist, std::vector<std::string>{"C:\\a.mp3"});
  EXPECT_EQ(kit.notices.back(), L"Put back: a.mp3");

  plugin.Setnotify(false);
  files.AddFile(b);
  windows.position = 0;
  windows.playlist = {"C:\\b.mp3"};
  plugin.Act();
  EXPECT_EQ(kit.notices.size(), 3u) << "notices off";
  EXPECT_NE(profile.Text(ini).find(L"Notify=0"), std::wstring::npos);
  plugin.IZekWinAmpGenPlugin_Quit();
  EXPECT_EQ(kit.notices.back(), L"") << "Quit takes the notice away";
  EXPECT_EQ(windows.IdOf(64 + 26, 3 | 0x4000), 0);

  // At start, the saved choices; a hand-edited shortcut that is none is said.
  plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_NE(windows.IdOf(64 + 26, 3 | 0x4000), 0);
  EXPECT_FALSE(plugin.notify());
  plugin.IZekWinAmpGenPlugin_Quit();
  std::wstring text = profile.Text(ini);
  profile.SetText(ini, text.replace(text.find(L"UndoModifiers=3"), 15, L"UndoModifiers=16"));
  plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_EQ(ui.Texts().back().find(L"The undo shortcut of the settings file (UndoKey=26, UndoModifiers=16)"),
            0u);
  EXPECT_EQ(plugin.UndoKey(), 0);
}

}  // namespace
}  // namespace vandrel
