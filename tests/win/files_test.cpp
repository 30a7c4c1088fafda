// The Win32 file system against the real file functions (Wine): the number
// each operation reports for each way a path can be missing, moves across
// volumes, and files that another program holds. Whole-file rewrites: the
// settings tests.
#include "platform/win32/win32.h"  // <windows.h> without its A/W name macros

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/win32_services.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

using testing::ReadWholeFile;
using testing::TempFolder;

std::wstring W(const std::string& text) { return platform::win32::Win32Ui().FromAnsi(text); }
platform::FileSystem& Files() { return platform::win32::Win32Files(); }

// Names in a folder, "." and ".." left out.
int CountEntries(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  int n = 0;
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    n += found.cFileName[0] != '.';
  FindClose(search);
  return n;
}

class FilesWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    if (!testing::ScratchDrive().empty())
      other_ = std::make_unique<TempFolder>(testing::ScratchDrive() + "\\");
  }
  TempFolder folder_;
  std::unique_ptr<TempFolder> other_;  // on another volume, when the run has one
};

TEST_F(FilesWineTest, AppendingCreatesGrowsAndRefusesAFolderAndTheLocalTimeIsIso8601) {
  const std::wstring path = W(folder_.Path("journal.txt"));
  std::uint64_t size = 0;
  platform::OpResult opened;
  for (const char* line : {"one\r\n", "two\r\n"}) {
    auto file = Files().OpenForAppend(path, opened);
    ASSERT_TRUE(file && opened.ok());
    ASSERT_TRUE(file->Append(line, size).ok());
    ASSERT_TRUE(file->Append(line, size).ok());
    // Written while the file is still open: a process killed now loses nothing.
    EXPECT_EQ(testing::ReadWholeFile(folder_.Path("journal.txt")).size(), size);
  }
  EXPECT_EQ(size, 20u);
  EXPECT_EQ(testing::ReadWholeFile(folder_.Path("journal.txt")), "one\r\none\r\ntwo\r\ntwo\r\n");
  EXPECT_FALSE(Files().OpenForAppend(W(folder_.Folder("sub")), opened) || opened.ok());
  const std::string now = Files().LocalTime();
  ASSERT_EQ(now.size(), 19u) << now;
  for (std::size_t i = 0; i < now.size(); ++i)
    EXPECT_TRUE(i == 4 || i == 7     ? now[i] == '-'
                : i == 10            ? now[i] == 'T'
                : i == 13 || i == 16 ? now[i] == ':'
                                     : isdigit(now[i]))
        << now;
}

TEST_F(FilesWineTest, EachWayOfBeingAbsentHasItsNumber) {
  std::string unknown;
  for (char letter = 'Q'; letter <= 'Y' && unknown.empty(); ++letter)
    if (!(GetLogicalDrives() & (1u << (letter - 'A')))) unknown = std::string(1, letter) + ":";
  std::string notReady = testing::MissingDrive().empty() ? unknown : testing::MissingDrive();
  const std::string f = folder_.path();
  folder_.File("a.mp3");
  folder_.Folder("sub");
  const std::pair<int, std::vector<std::string>> times[] = {
      {0, {f + "\\a.mp3", f + "\\sub\\", f + "\\\\a.mp3"}},
      {53, {f + "\\b.mp3", ""}},
      {76, {f + "\\none\\b.mp3"}},
      {68, {unknown + "\\b.mp3", notReady + "\\x\\b.mp3", "\\\\server\\share\\b.mp3"}},
      {52, {f + "\\bad<name"}}};  // another number: counts as present
  for (const auto& [number, paths] : times)
    for (const std::string& path : paths) EXPECT_EQ(Files().FileModifiedTime(W(path)), number) << path;

  EXPECT_TRUE(Files().ChangeDrive(L"C:\\").ok());
  EXPECT_FALSE(Files().ChangeDrive(W(unknown + "\\")).ok());
  EXPECT_EQ(Files().MakeFolder(W(f + "\\sub")).code, 183u);
  EXPECT_EQ(Files().MakeFolder(W(f + "\\none\\new")).code, 3u) << "one level only";
  EXPECT_TRUE(Files().MakeFolder(W(f + "\\\\new")).ok());
  EXPECT_EQ(Files().RemoveFile(W(f + "\\b.mp3")).code, 2u);
  EXPECT_EQ(Files().SetFileAttributes(W(f + "\\b.mp3"), 0).code, 2u);
  const platform::OpResult refused = Files().MoveFile(W(f + "\\a.mp3"), W(f + "\\none\\a.mp3"));
  EXPECT_EQ(refused.code, 3u);
  EXPECT_FALSE(refused.message.empty()) << "a failure says why";
  EXPECT_TRUE(testing::FolderExists(f + "\\new"));
}

TEST_F(FilesWineTest, MovesNeverReplaceAndWorkAcrossVolumes) {
  std::string file = folder_.File("a.mp3", "song");
  std::string existing = folder_.File("b.mp3", "older");
  EXPECT_EQ(Files().MoveFile(W(file), W(existing)).code, 183u);
  EXPECT_EQ(platform::win32::CopyThenDelete(W(file), W(existing)).code, 80u)
      << "nor the copy of a move across volumes";
  EXPECT_EQ(ReadWholeFile(existing), "older");
  EXPECT_TRUE(Files().MoveFile(W(file), W(folder_.path() + "\\\\c.mp3")).ok());
  EXPECT_EQ(ReadWholeFile(folder_.Path("c.mp3")), "song");
  if (!other_) GTEST_SKIP() << "this run has no second volume";
  std::string ro = folder_.File("ro.mp3", "read-only");
  ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(Files().MoveFile(W(folder_.Path("c.mp3")), W(other_->Path("d.mp3"))).ok());
  EXPECT_TRUE(Files().MoveFile(W(ro), W(other_->Path("ro.mp3"))).ok());
  EXPECT_EQ(ReadWholeFile(other_->Path("d.mp3")), "song");
  EXPECT_EQ(ReadWholeFile(other_->Path("ro.mp3")), "read-only");
  EXPECT_EQ(CountEntries(folder_.path()), 1);  // only b.mp3
}

// A player holds the file without sharing (or sharing only reading): nothing
// deletes, moves or rewrites it, and no copy is left anywhere.
// Wine's Recycle Bin: the item each delete made is named without a look at
// the others, also when an earlier delete of the same name holds the plain
// one; it comes back to its place, never over a file there.
TEST_F(FilesWineTest, TheRecycleBinNamesTheItemOfEachDeleteAndPutsItBack) {
  const std::string name = folder_.Path("\xC4rzte - Junge.mp3");
  const std::wstring path = W(name);
  ASSERT_TRUE(Files().RecycleBinTakes(path).ok());
  platform::InRecycleBin older, newer;
  testing::WriteWholeFile(name, "older");
  ASSERT_TRUE(Files().RecycleFile(path, older).ok());
  testing::WriteWholeFile(name, "newer");
  ASSERT_TRUE(Files().RecycleFile(path, newer).ok());
  ASSERT_FALSE(older.destroyed || newer.destroyed || older.item.empty() || newer.item.empty());
  EXPECT_NE(older.item, newer.item);
  testing::WriteWholeFile(name, "there");
  EXPECT_FALSE(Files().RestoreRecycledItem(newer.item, path).ok()) << "never over a file";
  DeleteFileW(path.c_str());
  ASSERT_TRUE(Files().RestoreRecycledItem(newer.item, path).ok());
  EXPECT_EQ(ReadWholeFile(name), "newer");
  EXPECT_EQ(Files().RestoreRecycledItem(newer.item, path).code, 2u) << "taken out of the Recycle Bin";
  DeleteFileW(path.c_str());
  // Without a known item: the newest deleted from there, found among the
  // records of its name, then through the shell's look at every item.
  testing::WriteWholeFile(name, "newest");
  ASSERT_TRUE(Files().RecycleFile(path, newer).ok());
  ASSERT_TRUE(Files().RestoreRecycled(path).ok());
  EXPECT_EQ(ReadWholeFile(name), "newest");
  DeleteFileW(path.c_str());
  ASSERT_TRUE(platform::win32::RestoreRecycled(path).ok());
  EXPECT_EQ(ReadWholeFile(name), "older");
  EXPECT_EQ(Files().RestoreRecycled(W(folder_.Path("never.mp3"))).code, 2u);

  // Windows's own rule for a drive: its type, turned off, its size limit.
  using platform::win32::DriveBinTakes;
  EXPECT_TRUE(DriveBinTakes(L"C:", DRIVE_FIXED, false, 0, 1ull << 40).ok());
  EXPECT_TRUE(DriveBinTakes(L"C:", DRIVE_FIXED, false, 10, 10ull << 20).ok());
  EXPECT_EQ(DriveBinTakes(L"C:", DRIVE_FIXED, false, 10, (10ull << 20) + 1).code, 223u);
  EXPECT_FALSE(DriveBinTakes(L"C:", DRIVE_FIXED, true, 0, 1).ok());
  for (UINT type : {DRIVE_REMOVABLE, DRIVE_REMOTE, DRIVE_CDROM, DRIVE_UNKNOWN})
    EXPECT_NE(DriveBinTakes(L"E:", type, false, 0, 1).message.find(L"E: has no Recycle Bin"),
              std::wstring::npos);
}

TEST_F(FilesWineTest, AHeldFileStaysWhereAndAsItWas) {
  std::string file = folder_.File("held.mp3", "original");
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string bytes;
    if (share == 0) {
      EXPECT_EQ(Files().RemoveFile(W(file)).code, 32u);
      EXPECT_EQ(Files().MoveFile(W(file), W(folder_.Path("moved.mp3"))).code, 32u);
      EXPECT_EQ(Files().ReadAllBytes(W(file), bytes).code, 32u);
    }
    EXPECT_FALSE(Files().ReplaceAllBytes(W(file), "new").ok());
    // The copy and delete of a move across volumes fail too (sharing reading, at the delete).
    EXPECT_EQ(platform::win32::CopyThenDelete(W(file), W(folder_.Path("copied.mp3"))).code, 32u);
    CloseHandle(held);
  }
  EXPECT_EQ(ReadWholeFile(file), "original");
  EXPECT_EQ(CountEntries(folder_.path()), 1);
}

}  // namespace
}  // namespace vandrel
