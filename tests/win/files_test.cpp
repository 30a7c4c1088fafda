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
  ASSERT_TRUE(Files().AppendBytes(path, "one\r\n", size).ok());
  ASSERT_TRUE(Files().AppendBytes(path, "two\r\n", size).ok());
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(testing::ReadWholeFile(folder_.Path("journal.txt")), "one\r\ntwo\r\n");
  EXPECT_FALSE(Files().AppendBytes(W(folder_.Folder("sub")), "x", size).ok());
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
TEST_F(FilesWineTest, TheRecycleBinCountsTheCopiesOfAPathAndRestoresOne) {
  const std::string name = folder_.Path("\xC4rzte - Junge.mp3");
  const std::wstring path = W(name);
  std::uint32_t before = 0, after = 0;  // earlier runs may have left copies
  ASSERT_TRUE(Files().RecycledCopies(path, before).ok());
  std::uint64_t items = 0, itemsAfter = 0;
  ASSERT_TRUE(Files().RecycleBinItems(path, items).ok());
  for (const char* content : {"older", "newer"}) {
    testing::WriteWholeFile(name, content);
    ASSERT_TRUE(Files().RecycleFile(path).ok());
  }
  ASSERT_TRUE(Files().RecycledCopies(path, after).ok());
  EXPECT_EQ(after, before + 2);
  ASSERT_TRUE(Files().RecycleBinItems(path, itemsAfter).ok());
  EXPECT_EQ(itemsAfter, items + 2);
  EXPECT_TRUE(Files().RestoreRecycled(path).ok());
  // Wine's Recycle Bin tells no deletion times: which copy comes back is its choice.
  const std::string back = ReadWholeFile(name);
  EXPECT_TRUE(back == "newer" || back == "older") << back;
  Files().RecycledCopies(path, after);
  EXPECT_EQ(after, before + 1);
  EXPECT_EQ(Files().RestoreRecycled(W(folder_.Path("never.mp3"))).code, 2u);
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
