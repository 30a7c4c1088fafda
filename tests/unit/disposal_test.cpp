// The disposal action and its destination rules.
#include <gtest/gtest.h>

#include "disposal/act.h"
#include "disposal/rules.h"
#include "support/fakes.h"
#include "winamp/bridge.h"

namespace vandrel {
namespace {

using disposal::ActOutcome;
using disposal::BuildDestinationPath;
using Commands = std::vector<std::uintptr_t>;
constexpr auto npos = std::wstring::npos;
constexpr std::uintptr_t kStop = 40047, kNext = 40048, kPlay = 40045;
constexpr wchar_t kSong[] = L"C:\\Music\\Artist - Title.mp3";
constexpr wchar_t kFolderFailed[] = L"sorry, folder creation failed! critical error!!!";

class DisposalTest : public ::testing::Test, public disposal::ActHost {
 protected:
  DisposalTest() {
    files.AddFolder(L"D:\\Sorted");
    files.AddFile(kSong, "song");
    files.AddFile(L"C:\\Music\\Next.mp3");
    windows.playlist = {"C:\\Music\\Artist - Title.mp3", "C:\\Music\\Next.mp3"};
  }
  bool moveToFolder() override { return move; }
  std::wstring savingPlace() override { return target; }
  bool sortingOption() override { return sorting; }
  bool createArtistFolder() override { return artist; }
  std::int32_t playlistEntry() override { return entry; }
  bool artistFromTags() override { return fromTags; }
  bool libraryEntry() override { return library; }
  std::wstring holdingFolder() override { return holding; }
  platform::WindowHandle WinAmpWindowHandle() override { return testing::FakeWindows::kWinamp; }
  void Record(const std::wstring&, const disposal::Disposal& done, std::int32_t) override {
    recorded.push_back(done.what);
    record = done.record;
  }

  // Winamp was stopped, moved on and plays again.
  void ExpectMovedOn() {
    EXPECT_EQ(windows.commands, (Commands{kStop, kNext, kPlay}));
    windows.commands.clear();
  }
  Error ActFailing() {
    try {
      disposal::Act(*this);
    } catch (const Error& e) {
      EXPECT_EQ(windows.commands, Commands{kStop}) << "stays stopped";
      return e;
    }
    ADD_FAILURE() << "Act did not fail";
    return Error(0, L"");
  }

  bool move = false, sorting = false, artist = false, fromTags = false, library = false;
  std::optional<winamp::LibraryRecord> record;  // the last disposal's
  std::int32_t entry = 0;
  std::wstring target = L"D:\\Sorted";
  std::wstring holding;
  std::vector<std::wstring> recorded;  // what each completed disposal did
  testing::FakeWindows windows;
  testing::FakeFiles files;
  testing::FakeUi ui;
  platform::ScopedServices services{{&windows, &ui, &files, nullptr}};
};

TEST_F(DisposalTest, ThePlayingEntryIsPointedAtTheMoveBeforeNextOrRemovedAfterPlayOnlyOnceTheFileWent) {
  constexpr std::uintptr_t kChange = 1245, kRemove = 104;
  const std::string moved = "D:\\Sorted\\Artist - Title.mp3", next = "C:\\Music\\Next.mp3";
  const struct {
    std::int32_t entry;
    bool move, destinationTaken;
    Commands sent;
    std::vector<std::string> playlist;
  } cases[] = {
      {0, false, false, {kStop, kNext, kPlay}, {"C:\\Music\\Artist - Title.mp3", next}},
      {1, false, false, {kStop, kNext, kPlay, kRemove}, {next}},
      {1, true, false, {kStop, kNext, kPlay, kRemove}, {next}},
      {2, false, false, {kStop, kNext, kPlay, kRemove}, {next}},
      {2, true, false, {kStop, kChange, kNext, kPlay}, {moved, next}},
      {2, true, true, {kStop, kNext, kPlay}, {"C:\\Music\\Artist - Title.mp3", next}},  // not moved
      {7, false, false, {kStop, kNext, kPlay}, {"C:\\Music\\Artist - Title.mp3", next}},
  };
  for (const auto& c : cases) {
    files.AddFile(kSong, "song");
    files.files.erase(testing::FakeFiles::Key(L"D:\\Sorted\\Artist - Title.mp3"));
    if (c.destinationTaken) files.AddFile(L"D:\\Sorted\\Artist - Title.mp3");
    windows.playlist = {"C:\\Music\\Artist - Title.mp3", next};
    windows.position = 0;
    windows.commands.clear();
    entry = c.entry;
    move = c.move;
    disposal::Act(*this);
    EXPECT_EQ(windows.commands, c.sent) << c.entry << c.move;
    EXPECT_EQ(windows.playlist, c.playlist) << c.entry << c.move;
  }
  // A delete that failed leaves the list; without an editor window the entry stays, and that is said once.
  files.AddFile(kSong, "song");
  windows.playlist = {"C:\\Music\\Artist - Title.mp3", next};
  files.failing[L"RemoveFile c:\\music\\artist - title.mp3"] = 5;
  entry = 1;
  move = false;
  windows.commands.clear();
  ActFailing();
  EXPECT_EQ(windows.playlist.size(), 2u);
  files.failing.clear();
  windows.editorPresent = false;
  for (int press = 0; press < 2; ++press) {
    files.AddFile(kSong, "song");
    disposal::Act(*this);
  }
  EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{disposal::kNoPlaylistEditor});
}

TEST_F(DisposalTest, TheLibraryRecordFollowsAMoveOrGoesWithADeleteWhereWinampNamesALibraryWindow) {
  const std::wstring moved = L"D:\\Sorted\\Artist - Title.mp3";
  const winamp::LibraryRecord kept{4, 7, 1700000000};
  auto press = [&](bool moving) {
    files.AddFile(kSong, "song");
    files.files.erase(testing::FakeFiles::Key(moved));
    windows.libraryCommands.clear();
    move = moving;
    return disposal::Act(*this);
  };
  library = true;
  windows.records = {{kSong, kept}};
  // Winamp answers 0 or 1 without a library (1 to any message it does not know), or names no window.
  for (std::intptr_t answer : {0, 1, 0x6001}) {
    windows.libraryAnswer = answer;
    ASSERT_EQ(press(true), ActOutcome::Disposed);
    EXPECT_TRUE(windows.libraryCommands.empty() && !record) << answer;
  }
  windows.libraryAnswer = testing::FakeWindows::kLibrary;
  ASSERT_EQ(press(true), ActOutcome::Disposed);
  EXPECT_EQ(windows.records, (std::map<std::wstring, winamp::LibraryRecord>{{moved, kept}}));
  EXPECT_EQ(record, kept);
  EXPECT_EQ(windows.libraryCommands.back(), winamp::kMlIpcDbSyncDb);
  // Where the library makes no record for the new path, the old one keeps the values.
  windows.records = {{kSong, kept}};
  windows.unaddable = {moved};
  ASSERT_EQ(press(true), ActOutcome::Disposed);
  EXPECT_EQ(windows.records, (std::map<std::wstring, winamp::LibraryRecord>{{kSong, kept}}));
  EXPECT_FALSE(record);
  ASSERT_EQ(press(false), ActOutcome::Disposed);
  EXPECT_TRUE(windows.records.empty());
  EXPECT_EQ(record, kept);
  library = false;  // the profile leaves the library alone
  windows.records = {{kSong, kept}};
  ASSERT_EQ(press(false), ActOutcome::Disposed);
  EXPECT_TRUE(windows.libraryCommands.empty());
}

TEST_F(DisposalTest, WorkedExamplesCreateOnlyMissingFoldersInOrder) {
  // A song in C:\Music moved to D:\Sorted: the folders made there, "|" between, and its destination.
  const struct {
    const wchar_t *name, *options, *made, *result;
  } examples[] = {
      {L"Artist - Title.mp3", L"", L"", L"Artist - Title.mp3"},
      {L"Artist - Title.mp3", L"s", L"a", L"a\\Artist - Title.mp3"},
      {L"Artist - Title.mp3", L"a", L"artist", L"artist\\Artist - Title.mp3"},
      {L"Artist - Title.mp3", L"sa", L"a|a\\artist", L"a\\artist\\Artist - Title.mp3"},
      {L"02 - Intro.MP3", L"sa", L"0|0\\02", L"0\\02\\02 - Intro.MP3"},
      {L"Song.mp3", L"sa", L"s", L"s\\Song.mp3"},
      {L"\u00C4rzte - Junge.mp3", L"sa", L"\u00E4rzte", L"\u00E4rzte\\\u00C4rzte - Junge.mp3"},
      {L"The Band  - Live - Song.mp3", L"a", L"the band", L"the band\\The Band  - Live - Song.mp3"},
      // No artist folder from an empty, blank or ".mp3"-only first piece, nor without " - ".
      {L" - Title.mp3", L"a", L"", L" - Title.mp3"},
      {L"   - Title.mp3", L"a", L"", L"   - Title.mp3"},
      {L".mp3 - y.mp3", L"a", L"", L".mp3 - y.mp3"},
      {L"Artist-Title.mp3", L"a", L"", L"Artist-Title.mp3"},
      // ".mp3" goes from the artist twice, also one the first removal formed.
      {L"A.m.MP3p3 - y.mp3", L"a", L"a", L"a\\A.m.MP3p3 - y.mp3"},
      // Only a to z and 0 to 9 get a letter folder.
      {L"(Live).mp3", L"s", L"", L"(Live).mp3"},
      {L"_intro.mp3", L"s", L"", L"_intro.mp3"},
      // The artist folder stays inside the target, with a name Windows can hold.
      {L".. - Up.mp3", L"a", L"", L".. - Up.mp3"},
      {L"Mr. - Dot.mp3", L"a", L"mr", L"mr\\Mr. - Dot.mp3"},
      {L"CON - Device.mp3", L"a", L"", L"CON - Device.mp3"},
      {L"Nul.live - Device.mp3", L"a", L"", L"Nul.live - Device.mp3"},
      {L"lpt1 - Port.mp3", L"a", L"", L"lpt1 - Port.mp3"},
      {L"com0 - Fine.mp3", L"a", L"com0", L"com0\\com0 - Fine.mp3"},
      {L"AC:DC|*? - Live.mp3", L"a", L"ac_dc___", L"ac_dc___\\AC:DC|*? - Live.mp3"},
      {L"AC/DC - Live.mp3", L"a", L"dc", L"dc\\DC - Live.mp3"},  // "/" separates too
  };
  for (const auto& ex : examples) {
    testing::FakeFiles fresh;
    fresh.AddFolder(L"D:\\Sorted");
    platform::ScopedServices scoped({nullptr, &ui, &fresh, nullptr});
    const std::wstring song = L"C:\\Music\\" + std::wstring(ex.name), options = ex.options;
    const bool sorting = options.find(L's') != npos, artist = options.find(L'a') != npos;
    EXPECT_EQ(BuildDestinationPath(song, L"D:\\Sorted", sorting, artist),
              L"D:\\Sorted\\" + std::wstring(ex.result));
    std::wstring made;
    for (const std::wstring& entry : fresh.log) made += (made.empty() ? L"" : L"|") + entry.substr(21);
    EXPECT_EQ(made, testing::Lowered(ex.made)) << ex.name;  // the log holds "MakeFolder d:\\sorted\\..."
    const std::size_t calls = fresh.log.size();  // with the folders there, the same call makes none
    BuildDestinationPath(song, L"D:\\Sorted", sorting, artist);
    EXPECT_EQ(fresh.log.size(), calls) << ex.name;
  }
  EXPECT_TRUE(ui.shown.empty());
  // A song path without "\\"; a drive root leaves one doubled separator; an empty target starts at the root.
  EXPECT_EQ(BuildDestinationPath(L"Zed.mp3", L"D:\\Sorted", true, false), L"D:\\Sorted\\z\\Zed.mp3");
  EXPECT_EQ(BuildDestinationPath(kSong, L"D:\\", false, false), L"D:\\\\Artist - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(kSong, L"D:\\", true, false), L"D:\\a\\Artist - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(kSong, L"", false, false), L"\\Artist - Title.mp3");
}

TEST_F(DisposalTest, AnArtistTagThatCleansToANameNamesTheArtistFolderElseTheFileNameDoes) {
  const struct {
    const wchar_t* file;
    std::wstring tag, folder;
  } cases[] = {
      {L"01 - Intro.mp3", L"Nena", L"nena"},
      {L"01 - Intro.mp3", L"", L"01"},
      {L"Track 7.mp3", L"", L""},
      {L"01 - Intro.mp3", L"..", L"01"},
      {L"Track 7.mp3", L"con", L""},
      {L"01 - Intro.mp3", L" \t. . \r\n", L"01"},
      {L"Track 7.mp3", L"  Nena.MP3\r\n", L"nena"},
      {L"Track 7.mp3",
       L"a\x01\x1F"
       L"b",
       L"a  b"},
      {L"Track 7.mp3", std::wstring(2000, L'n'), std::wstring(120, L'n')},
      {L"Track 7.mp3", std::wstring(119, L'n') + L"\xD83D\xDE00", std::wstring(119, L'n')},  // a pair, cut
  };
  for (const auto& c : cases) EXPECT_EQ(disposal::ArtistName(c.file, c.tag), c.folder) << c.tag;
}

TEST_F(DisposalTest, TheTagIsAskedWideThenInAnsiEndedByUsAndOnlyForArtistFoldersFromTags) {
  const std::wstring song = L"C:\\Music\\Nena.mp3", asked = song + L"|artist|1024";
  const auto tag = [&](const std::wstring& path) {
    windows.commands.clear();
    windows.tagsAsked.clear();
    return winamp::GetArtistTag(testing::FakeWindows::kWinamp, path);
  };
  EXPECT_EQ(tag(song), L"");
  EXPECT_EQ(windows.commands, (Commands{3026, 290}));
  EXPECT_EQ(windows.tagsAsked, (std::vector<std::wstring>{asked, asked}));
  windows.tags[290] = L"D\u00F6del";
  EXPECT_EQ(tag(song), L"D\u00F6del");
  EXPECT_EQ(tag(L"C:\\\u4E2D.mp3"), L"") << "no ANSI name for it";
  EXPECT_EQ(windows.commands, Commands{3026});
  windows.tags[3026] = std::wstring(L"Ne\0na", 5);
  EXPECT_EQ(tag(song), L"Ne");
  EXPECT_EQ(windows.commands, Commands{3026});
  windows.tags[3026] = std::wstring(1500, L'x');
  EXPECT_EQ(tag(song), std::wstring(1023, L'x'));

  // Through the action: asked only with artist folders on.
  windows.tags[3026] = L"Nena";
  move = fromTags = true;
  windows.commands.clear();
  disposal::Act(*this);
  ExpectMovedOn();
  files.AddFile(kSong);
  artist = true;
  disposal::Act(*this);
  EXPECT_TRUE(files.IsFile(L"D:\\Sorted\\Artist - Title.mp3") &&
              files.IsFile(L"D:\\Sorted\\nena\\Artist - Title.mp3"));
}

TEST_F(DisposalTest, FailedFolderCreationShowsTheBoxAndGivesNothing) {
  files.failing[L"MakeFolder d:\\sorted\\a"] = 5;
  EXPECT_EQ(BuildDestinationPath(kSong, L"D:\\Sorted", true, true), L"");
  EXPECT_EQ(files.log, std::vector<std::wstring>{L"MakeFolder d:\\sorted\\a"}) << "no artist folder tried";
  files.failing.clear();
  files.failing[L"MakeFolder d:\\sorted\\a\\artist"] = 5;
  EXPECT_EQ(BuildDestinationPath(kSong, L"D:\\Sorted", true, true), L"");
  EXPECT_TRUE(files.IsFolder(L"D:\\Sorted\\a")) << "folders made before stay";
  EXPECT_EQ(BuildDestinationPath(kSong, L"D:\\Gone", true, false), L"");
  ASSERT_EQ(ui.Texts(), std::vector<std::wstring>(3, kFolderFailed));
  EXPECT_TRUE(ui.shown[0].title == L"Vandrel" && ui.shown[0].icon == platform::Icon::Information);
}

TEST_F(DisposalTest, OnlyTheNumbers53And68And76MeanAbsent) {
  files.notReady.insert(L'e');
  files.AddFolder(L"E:\\");
  files.timeNumbers[L"c:\\music\\odd.mp3"] = 75;
  for (const wchar_t* path : {kSong, L"C:\\MUSIC", L"C:\\Music\\odd.mp3"})
    EXPECT_TRUE(disposal::FileExists(path) && disposal::FolderAvailable(path)) << path;
  for (const wchar_t* path : {L"C:\\Music\\b.mp3", L"C:\\None\\b.mp3", L"E:\\b.mp3", L""})
    EXPECT_FALSE(disposal::FileExists(path) || disposal::FolderAvailable(path)) << path;
  EXPECT_EQ(files.currentDrive, L'c') << "no drive made current for these";
  // A drive root (a doubled separator collapsed first) is checked by making it current.
  EXPECT_TRUE(disposal::FolderAvailable(L"D:") && files.currentDrive == L'd');
  EXPECT_TRUE(disposal::FolderAvailable(L"C:\\\\") && files.currentDrive == L'c');
  EXPECT_FALSE(disposal::FolderAvailable(L"E:\\") || disposal::FolderAvailable(L"Q:"));
}

TEST_F(DisposalTest, DeleteClearsOnlyReadOnlyOrFollowsWinampToTheRecycleBin) {
  const std::wstring song = L"c:\\music\\artist - title.mp3";
  files.attributes[song] = 0x23;  // read-only, hidden, archive
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
  EXPECT_EQ(files.log,
            (std::vector<std::wstring>{L"RemoveFile " + song, L"SetFileAttributes " + song + L" 34",
                                       L"RemoveFile " + song}));
  EXPECT_FALSE(files.IsFile(kSong));
  ExpectMovedOn();
  EXPECT_TRUE(ui.shown.empty());

  // Any answer but 0 keeps the file recoverable.
  for (std::intptr_t answer : {1, -1, 2}) {
    files.AddFile(kSong, "song");
    files.attributes[song] = 0x21;
    files.log.clear();
    windows.usesRecycleBin = answer;
    EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
    EXPECT_EQ(files.log, std::vector<std::wstring>{L"RecycleFile " + song}) << answer;
    ExpectMovedOn();
  }
  // A Winamp before 5.09 says 1 whatever its preference, and deleted for good.
  files.AddFile(kSong, "song");
  files.attributes[song] = 0;
  files.log.clear();
  windows.version = 0x5008;
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
  EXPECT_EQ(files.log, std::vector<std::wstring>{L"RemoveFile " + song});
  EXPECT_EQ(recorded,
            (std::vector<std::wstring>{L"deleted", L"recycled", L"recycled", L"recycled", L"deleted"}));
  EXPECT_EQ(files.bin.size(), 3u);
}

TEST_F(DisposalTest, AFileTheRecycleBinCannotTakeGoesForGoodOnlyWhenAskedAndIsJournalledAsItWent) {
  windows.usesRecycleBin = 1;
  files.noBin = true;
  ui.answers = {platform::Answer::Cancel, platform::Answer::Ok};
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Kept);
  EXPECT_TRUE(files.IsFile(kSong));
  EXPECT_TRUE(windows.commands.empty()) << "Winamp plays on";
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"cannot go to the Recycle Bin: delete it for good?"), npos);
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
  EXPECT_EQ(files.log, std::vector<std::wstring>{L"RemoveFile c:\\music\\artist - title.mp3"});
  ExpectMovedOn();

  // The shell reports the file recycled, but the Recycle Bin did not take it.
  files.AddFile(kSong);
  files.noBin = false;
  files.binDestroys = true;
  ui.shown.clear();
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
  EXPECT_FALSE(files.IsFile(kSong));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"was deleted for good"), npos);
  EXPECT_EQ(recorded, (std::vector<std::wstring>{L"deleted", L"deleted"}));
}

TEST_F(DisposalTest, AHoldingFolderIsOfferedFirstTakesTheSongUnderAFreeNameAndARunAsksOnce) {
  windows.usesRecycleBin = 1;
  files.noBin = true;
  holding = L"D:\\Held\\";
  files.AddFolder(L"D:\\Held");
  files.AddFile(L"D:\\Held\\Artist - Title.mp3", "older");
  ui.answers = {platform::Answer::Yes};
  disposal::Disposal done;
  EXPECT_EQ(disposal::Dispose(*this, kSong, true, true, &done), ActOutcome::Disposed);
  EXPECT_EQ(done.what, L"held");
  EXPECT_EQ(done.movedTo, L"D:\\Held\\Artist - Title (2).mp3");
  EXPECT_EQ(files.files[L"d:\\held\\artist - title.mp3"], "older") << "nothing there is replaced";
  EXPECT_EQ(files.files[L"d:\\held\\artist - title (2).mp3"], "song");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"move it into the holding folder\r\nD:\\Held?"), npos) << ui.shown[0].text;

  // A run asks once; its answer holds for every later song the Recycle Bin cannot take.
  ui.shown.clear();
  disposal::RunChoices run;
  ui.answers = {platform::Answer::No};
  for (const wchar_t* song : {L"C:\\Music\\a.mp3", L"C:\\Music\\b.mp3", L"C:\\Music\\c"}) {
    files.AddFile(song);
    EXPECT_EQ(disposal::Dispose(*this, song, true, false, &done, &run), ActOutcome::Disposed);
    EXPECT_EQ(done.what, L"deleted");
    EXPECT_FALSE(files.IsFile(song));
  }
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"every song of this run"), npos);
  EXPECT_EQ(disposal::FreePlaceIn(L"D:\\", L"c"), L"D:\\c");

  // A holding folder that cannot be written is said, and the question offers a delete for good.
  ui.shown.clear();
  files.AddFile(kSong);
  files.failing[L"CanWriteIn d:\\held"] = 5;
  ui.answers = {platform::Answer::Cancel};
  EXPECT_EQ(disposal::Dispose(*this, kSong, true, true, &done), ActOutcome::Kept);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"delete it for good?"), npos);
  EXPECT_NE(ui.shown[0].text.find(L"The holding folder\r\nD:\\Held\r\ncannot take it: System error 5"), npos);
  EXPECT_TRUE(files.IsFile(kSong));
}

TEST_F(DisposalTest, NamesReadWideFirstThenAnsiUpTo255BytesAndNonFilesLeftAlone) {
  windows.playlist = {"C:\\One.mp3", "C:\\\xC4rzte - Junge.mp3", "C:\\" + std::string(252, 'a'),
                      "C:\\" + std::string(253, 'b')};
  const std::wstring ansi[] = {L"C:\\One.mp3", L"C:\\\u00C4rzte - Junge.mp3",
                               L"C:\\" + std::wstring(252, L'a'), L""};
  for (windows.position = 0; windows.position < 4; ++windows.position)
    EXPECT_EQ(winamp::GetPlaylistFileName(testing::FakeWindows::kWinamp, windows.position),
              ansi[windows.position]);
  EXPECT_EQ(windows.openProcesses, 0) << "every process handle closed";
  windows.position = 0;
  const std::wstring japanese = L"C:\\Music\\\u66F2 - \u6B4C.mp3",
                     longest = L"C:\\" + std::wstring(256, L'n');
  for (const auto& [wide, expected] :
       {std::pair{japanese, japanese}, {longest, longest}, {longest + L"x", std::wstring()}}) {
    windows.widePlaylist = {wide};
    EXPECT_EQ(winamp::GetPlaylistFileName(testing::FakeWindows::kWinamp, windows.position), expected);
  }
  for (const wchar_t* entry :
       {L"http://radio.example/live", L"cda://e,1", L"Music\\a.mp3", L"C:a.mp3", L"1:\\x"}) {
    files.timeNumbers[testing::FakeFiles::Key(entry)] = 123;  // asked, the system would say "there"
    windows.widePlaylist = {entry};
    EXPECT_EQ(disposal::Act(*this), ActOutcome::NotThere) << entry;
  }
  EXPECT_TRUE(windows.commands.empty() && ui.shown.empty() && files.log.empty());
}

TEST_F(DisposalTest, AFileStillHeldAfterStopIsTriedAgainForAboutTwoSeconds) {
  const std::wstring song = L"c:\\music\\artist - title.mp3";
  const struct {
    bool move;
    std::uint32_t code;
    unsigned releaseAfter, slept;
  } cases[] = {{false, 32, 700, 700}, {true, 32, 1500, 1500}, {false, 33, 0, 2000}, {true, 5, 0, 0}};
  for (const auto& c : cases) {
    files.AddFile(kSong, "song");
    files.files.erase(L"d:\\sorted\\artist - title.mp3");
    files.slept = 0;
    files.releaseAfter = c.releaseAfter;
    files.failing = {
        {c.move ? L"MoveFile " + song + L" d:\\sorted\\artist - title.mp3" : L"RemoveFile " + song, c.code}};
    windows.commands.clear();
    move = c.move;
    if (c.releaseAfter) {
      EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
    } else {
      EXPECT_EQ(static_cast<std::uint32_t>(ActFailing().Number()) & 0xFFFF, c.code);
    }
    EXPECT_EQ(files.slept, c.slept) << c.code;
  }
}

TEST_F(DisposalTest, MoveBuildsTheFoldersMovesAcrossDrivesAndNeverReplaces) {
  move = sorting = artist = true;
  EXPECT_EQ(disposal::Act(*this), ActOutcome::Disposed);
  EXPECT_TRUE(files.files[L"d:\\sorted\\a\\artist\\artist - title.mp3"] == "song" && !files.IsFile(kSong));
  ExpectMovedOn();

  // Back where it was, and the destination taken: Winamp moves on, nothing moves.
  files.AddFile(kSong, "song");
  files.log.clear();
  EXPECT_EQ(disposal::Act(*this), ActOutcome::MoveSkipped);
  EXPECT_TRUE(files.log.empty() && files.files[L"c:\\music\\artist - title.mp3"] == "song");
  ExpectMovedOn();
  // A file already at its destination stays.
  windows.playlist[0] = "D:\\Sorted\\a\\artist\\Artist - Title.mp3";
  EXPECT_EQ(disposal::Act(*this), ActOutcome::MoveSkipped);
  EXPECT_TRUE(files.log.empty());
  ExpectMovedOn();
}

TEST_F(DisposalTest, NetworkPathMissingFileAndNoTargetTouchNothing) {
  for (bool moving : {false, true}) {
    move = moving;
    windows.playlist[0] = "\\\\server\\share\\Artist - Title.mp3";
    EXPECT_EQ(disposal::Act(*this), ActOutcome::NetworkRefused);
    EXPECT_EQ(disposal::Act(*this, false), ActOutcome::NetworkRefused);  // quietly: no box
    windows.playlist[0] = "C:\\Music\\Gone.mp3";
    EXPECT_EQ(disposal::Act(*this), ActOutcome::NotThere);
  }
  windows.winampPresent = false;
  EXPECT_EQ(disposal::Act(*this), ActOutcome::NotThere);
  windows.winampPresent = true;
  windows.playlist[0] = "C:\\Music\\Artist - Title.mp3";
  target.clear();
  EXPECT_EQ(disposal::Act(*this), ActOutcome::NoTarget);
  const std::wstring network = L"Can't move file from network!";
  EXPECT_EQ(ui.Texts(), (std::vector<std::wstring>{
                            network, network,
                            L"No target folder is set.\r\n\r\nChoose the folder to move files to in the "
                            L"configuration dialog, save the settings as a profile and load it."}));
  for (const testing::ShownBox& box : ui.shown)
    EXPECT_TRUE(box.title == L"Vandrel" && box.icon == platform::Icon::Information);
  EXPECT_TRUE(windows.commands.empty() && files.log.empty());
}

TEST_F(DisposalTest, AFailedStepEndsStoppedWithTheFileWhereItWas) {
  const std::wstring song = L"c:\\music\\artist - title.mp3";
  files.attributes[song] = 0x23;
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"SetFileAttributes " + song + L" 34",
       L"Could not clear the read-only attribute of the file\r\n" + std::wstring(kSong)},
      {L"RemoveFile " + song, L"Could not delete the file\r\n" + std::wstring(kSong)},
      {L"MoveFile " + song + L" d:\\sorted\\a\\artist - title.mp3",
       L"Could not move the file\r\n" + std::wstring(kSong) + L"\r\nto\r\nD:\\Sorted\\a\\Artist - Title.mp3"},
  };
  for (const auto& [failing, description] : cases) {
    files.failing = {{failing, 32}};
    files.log.clear();
    windows.commands.clear();
    move = sorting = failing.starts_with(L"Move");
    Error e = ActFailing();
    EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80070020u);
    EXPECT_EQ(e.Description(), description + L"\r\n\r\nSystem error 32");
    EXPECT_NE(std::find(files.log.begin(), files.log.end(), failing), files.log.end());
    EXPECT_EQ(files.files[song], "song");
    EXPECT_EQ(files.attributes[song], 0x23u) << "a failed delete leaves the attributes as they were";
  }
  // A letter folder that cannot be made: the box, nothing moved, Winamp moves on.
  files.failing = {{L"MakeFolder d:\\sorted\\a", 5}};
  files.folders.erase(L"d:\\sorted\\a");
  windows.commands.clear();
  EXPECT_EQ(disposal::Act(*this), ActOutcome::FolderFailed);
  EXPECT_TRUE(ui.Texts() == std::vector<std::wstring>{kFolderFailed} && files.files[song] == "song");
  ExpectMovedOn();
}

}  // namespace
}  // namespace vandrel
