#include "disposal/rules.h"

#include <gtest/gtest.h>

#include "support/fake_files.h"
#include "support/fake_ui.h"

namespace vandrel {
namespace {

using disposal::BuildDestinationPath;
using disposal::FileExists;
using disposal::FolderAvailable;
using disposal::SortingLetter;
using testing::DriveState;
using testing::FakeFileSystem;
using Op = FakeFileSystem::Op;

// Collapses doubled separators the way the file system reads them.
std::wstring Collapsed(std::wstring path) {
  for (std::size_t at; (at = path.find(L"\\\\")) != std::wstring::npos;) path.erase(at, 1);
  return path;
}

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() {
    files.AddDrive(L'D');
    files.AddFolder(L"D:\\Sorted");
  }

  std::vector<std::wstring> MadeCollapsed() const {
    std::vector<std::wstring> out;
    for (const auto& path : files.FoldersMade()) out.push_back(Collapsed(path));
    return out;
  }

  FakeFileSystem files;
  testing::FakeUi ui;
  platform::ScopedServices services{{nullptr, &ui, &files, nullptr}};
};

// --- Worked examples ------------------------------------------------------

struct Example {
  const wchar_t* song;
  bool sorting;
  bool artist;
  std::vector<std::wstring> made;
  const wchar_t* result;
};

class WorkedExample : public RulesTest, public ::testing::WithParamInterface<Example> {};

TEST_P(WorkedExample, GivesTheDestinationAndCreatesOnlyMissingFolders) {
  const Example& ex = GetParam();
  EXPECT_EQ(BuildDestinationPath(ex.song, L"D:\\Sorted", ex.sorting, ex.artist), ex.result);
  EXPECT_EQ(MadeCollapsed(), ex.made);
  for (const auto& folder : ex.made) EXPECT_TRUE(files.IsFolder(folder)) << folder;
  EXPECT_TRUE(ui.shown.empty());

  // Once the folders are there, the same call creates nothing more.
  files.calls.clear();
  EXPECT_EQ(BuildDestinationPath(ex.song, L"D:\\Sorted", ex.sorting, ex.artist), ex.result);
  EXPECT_TRUE(files.FoldersMade().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedExample,
    ::testing::Values(
        Example{L"C:\\Music\\Artist - Title.mp3", false, false, {}, L"D:\\Sorted\\Artist - Title.mp3"},
        Example{L"C:\\Music\\Artist - Title.mp3",
                true,
                false,
                {L"D:\\Sorted\\a"},
                L"D:\\Sorted\\a\\Artist - Title.mp3"},
        Example{L"C:\\Music\\Artist - Title.mp3",
                false,
                true,
                {L"D:\\Sorted\\artist"},
                L"D:\\Sorted\\artist\\Artist - Title.mp3"},
        Example{L"C:\\Music\\Artist - Title.mp3",
                true,
                true,
                {L"D:\\Sorted\\a", L"D:\\Sorted\\a\\artist"},
                L"D:\\Sorted\\a\\artist\\Artist - Title.mp3"},
        Example{L"C:\\Music\\02 - Intro.MP3",
                true,
                true,
                {L"D:\\Sorted\\0", L"D:\\Sorted\\0\\02"},
                L"D:\\Sorted\\0\\02\\02 - Intro.MP3"},
        Example{L"C:\\Music\\Song.mp3", true, true, {L"D:\\Sorted\\s"}, L"D:\\Sorted\\s\\Song.mp3"},
        Example{L"C:\\Music\\\u00C4rzte - Junge.mp3",
                true,
                true,
                {L"D:\\Sorted\\\u00E4rzte"},
                L"D:\\Sorted\\\u00E4rzte\\\u00C4rzte - Junge.mp3"},
        Example{L"C:\\Music\\The Band  - Live - Song.mp3",
                false,
                true,
                {L"D:\\Sorted\\the band"},
                L"D:\\Sorted\\the band\\The Band  - Live - Song.mp3"}),
    [](const ::testing::TestParamInfo<Example>& info) { return "Row" + std::to_string(info.index + 1); });

// --- Destination edge cases ------------------------------------------------

TEST_F(RulesTest, DriveRootAsTargetLeavesOneDoubledSeparator) {
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"D:\\", false, false),
            L"D:\\\\Artist - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"D:\\", true, false),
            L"D:\\a\\Artist - Title.mp3");
  EXPECT_TRUE(files.IsFolder(L"D:\\a"));
}

TEST_F(RulesTest, EmptyTargetGivesAPathFromTheRoot) {
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"", false, false),
            L"\\Artist - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"", true, false),
            L"\\a\\Artist - Title.mp3");
}

TEST_F(RulesTest, ArtistFolderOnlyFromANonEmptyFirstPiece) {
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\NoDash.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\NoDash.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\ - Title.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\ - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\   - Title.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\   - Title.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist-Title.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\Artist-Title.mp3");
  EXPECT_TRUE(files.FoldersMade().empty());
}

TEST_F(RulesTest, Mp3IsRemovedFromTheArtistOnlyEvenWhenTheFirstRemovalFormsOne) {
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Best.MP3 - Of.mp3 - x.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\best\\Best.MP3 - Of.mp3 - x.mp3");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\A.m.MP3p3 - y.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\a\\A.m.MP3p3 - y.mp3");
  // An artist part that is nothing but ".mp3" gets no folder.
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\.mp3 - y.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\.mp3 - y.mp3");
}

TEST_F(RulesTest, OnlyLettersAndDigitsGetALetterFolder) {
  EXPECT_EQ(SortingLetter(L"Zed.mp3"), L"z");
  EXPECT_EQ(SortingLetter(L"9 Lives.mp3"), L"9");
  EXPECT_EQ(SortingLetter(L"\u00C4rzte.mp3"), L"");
  EXPECT_EQ(SortingLetter(L"(Live).mp3"), L"");
  EXPECT_EQ(SortingLetter(L"_intro.mp3"), L"");
  EXPECT_EQ(SortingLetter(L""), L"");
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\(Live).mp3", L"D:\\Sorted", true, false),
            L"D:\\Sorted\\(Live).mp3");
  EXPECT_TRUE(files.FoldersMade().empty());
}

TEST_F(RulesTest, SongPathWithoutSeparatorIsTheFileName) {
  EXPECT_EQ(BuildDestinationPath(L"Song.mp3", L"D:\\Sorted", true, false), L"D:\\Sorted\\s\\Song.mp3");
}

// --- Failed folder creation ------------------------------------------------------

TEST_F(RulesTest, FailedFolderCreationShowsTheBoxAndGivesNothing) {
  files.SetDriveState(L'D', DriveState::NotReady);
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"D:\\Sorted", true, true), L"");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, L"sorry, folder creation failed! critical error!!!");
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Information);
  // It stopped at the letter folder: no artist folder was tried.
  std::vector<std::wstring> tried;
  for (const auto& call : files.calls)
    if (call.op == Op::MakeFolder) tried.push_back(call.path);
  EXPECT_EQ(tried, (std::vector<std::wstring>{L"D:\\Sorted\\a"}));

  // A missing target folder fails at the letter folder too.
  files.SetDriveState(L'D', DriveState::Present);
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"D:\\Gone", true, false), L"");
  EXPECT_EQ(ui.shown.size(), 2u);
  EXPECT_FALSE(files.Exists(L"D:\\Gone"));

  // A failed artist folder keeps the letter folder made before.
  files.FailOperation(Op::MakeFolder, L"D:\\Sorted\\a\\artist", testing::kErrAccessDenied);
  EXPECT_EQ(BuildDestinationPath(L"C:\\Music\\Artist - Title.mp3", L"D:\\Sorted", true, true), L"");
  EXPECT_EQ(ui.shown.size(), 3u);
  EXPECT_TRUE(files.IsFolder(L"D:\\Sorted\\a"));
}

// --- Existence checks ------------------------------------------------------------

TEST_F(RulesTest, FolderAvailableChecksADriveByMakingItCurrent) {
  files.AddDrive(L'E', DriveState::NotReady);
  EXPECT_TRUE(FolderAvailable(L"D:"));
  EXPECT_EQ(files.CurrentDrive(), L'D');
  EXPECT_TRUE(FolderAvailable(L"C:\\"));
  EXPECT_EQ(files.CurrentDrive(), L'C');
  EXPECT_TRUE(FolderAvailable(L"D:\\\\"));  // collapses to D:\ first
  EXPECT_FALSE(FolderAvailable(L"E:"));
  EXPECT_FALSE(FolderAvailable(L"E:\\"));
  EXPECT_FALSE(FolderAvailable(L"Q:\\"));
  EXPECT_EQ(files.CurrentDrive(), L'D');
  for (const auto& call : files.calls) EXPECT_EQ(call.op, Op::ChangeDrive);
}

TEST_F(RulesTest, FolderAvailableAsksTheTimeOfAnythingElse) {
  files.AddFile(L"D:\\Sorted\\x.mp3");
  files.AddDrive(L'E', DriveState::NotReady);
  EXPECT_TRUE(FolderAvailable(L"D:\\Sorted"));
  EXPECT_TRUE(FolderAvailable(L"D:\\\\Sorted\\\\x.mp3"));
  EXPECT_FALSE(FolderAvailable(L"D:\\Sorted\\none"));  // 53
  EXPECT_FALSE(FolderAvailable(L"D:\\none\\deeper"));  // 76
  EXPECT_FALSE(FolderAvailable(L"E:\\Sorted"));        // 68
  EXPECT_FALSE(FolderAvailable(L""));
  EXPECT_TRUE(FolderAvailable(L"D:\\Sorted\\bad<name"));  // another number: present
  EXPECT_EQ(files.CurrentDrive(), L'C') << "no drive was changed";
}

TEST_F(RulesTest, FileExistsOnlyAbsentOnTheThreeNumbers) {
  files.AddFile(L"C:\\Music\\a.mp3");
  files.AddDrive(L'E', DriveState::NotReady);
  EXPECT_TRUE(FileExists(L"C:\\Music\\a.mp3"));
  EXPECT_TRUE(FileExists(L"C:\\MUSIC\\A.MP3"));
  EXPECT_TRUE(FileExists(L"C:\\Music"));
  EXPECT_FALSE(FileExists(L"C:\\Music\\b.mp3"));
  EXPECT_FALSE(FileExists(L"C:\\Nowhere\\a.mp3"));
  EXPECT_FALSE(FileExists(L"E:\\a.mp3"));
  EXPECT_FALSE(FileExists(L""));
  files.FailOperation(Op::FileModifiedTime, L"C:\\Music\\odd.mp3", 75);
  EXPECT_TRUE(FileExists(L"C:\\Music\\odd.mp3"));
  // The path is asked as given, doubled separators and all.
  files.calls.clear();
  FileExists(L"C:\\\\Music\\a.mp3");
  EXPECT_EQ(files.calls[0].path, L"C:\\\\Music\\a.mp3");
}

}  // namespace
}  // namespace vandrel
