// The Win32 file system against the real file functions (Wine): the number
// each operation reports for each way a path can be missing, and what happens
// to files that another program holds.
#include "platform/win32/win32.h"  // <windows.h> without its A/W name macros

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/win32_services.h"
#include "support/fake_files.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

namespace win32 = platform::win32;
using testing::ReadWholeFile;
using testing::TempFolder;

std::wstring W(const std::string& text) { return win32::Win32Ui().FromAnsi(text); }
platform::FileSystem& Files() { return win32::Win32Files(); }
std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }
int TimeOf(const std::string& path) { return Files().FileModifiedTime(W(path)); }

// A drive letter that names no drive, e.g. "Q:".
std::string UnknownDrive() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter) {
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  }
  return "";
}

// Holds a file open the way a player does that shares nothing.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path, DWORD share = 0)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() {
    if (ok()) CloseHandle(handle_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Names in a folder, "." and ".." left out.
int CountEntries(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") ++n;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return n;
}

class FilesWineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.ok()); }
  TempFolder folder_;
};

// --- Deleting and moving ------------------------------------------------------------

// Real folders made by the destination rules, and a read-only file deleted, are
// proved end to end (hotkey and disposal tests).

TEST_F(FilesWineTest, FileHeldOpenIsNeitherDeletedNorMovedNorRewritten) {
  std::string file = folder_.File("held.mp3", "original");
  std::string drive = testing::ScratchDrive();
  std::unique_ptr<TempFolder> other;
  if (!drive.empty()) other = std::make_unique<TempFolder>(drive + "\\");
  {
    HeldOpen held(file);
    ASSERT_TRUE(held.ok());
    platform::OpResult removed = Files().RemoveFile(W(file));
    EXPECT_EQ(removed.code, 32u);
    EXPECT_FALSE(removed.message.empty());
    EXPECT_EQ(Files().MoveFile(W(file), W(folder_.Path("moved.mp3"))).code, 32u);
    std::string bytes;
    EXPECT_EQ(Files().ReadAllBytes(W(file), bytes).code, 32u);
    EXPECT_FALSE(Files().ReplaceAllBytes(W(file), "new").ok());
    if (other) {
      EXPECT_EQ(Files().MoveFile(W(file), W(other->Path("moved.mp3"))).code, 32u);
    }
  }
  EXPECT_EQ(ReadWholeFile(file), "original");
  EXPECT_EQ(CountEntries(folder_.path()), 1) << "no copy, no temporary file left";
  if (!other) GTEST_SKIP() << "this run has no second volume";
  EXPECT_EQ(CountEntries(other->path()), 0);
}

TEST_F(FilesWineTest, MoveAcrossVolumesFailsWholeWhenTheSourceCannotBeDeleted) {
  std::string drive = testing::ScratchDrive();
  if (drive.empty()) GTEST_SKIP() << "this run has no second volume";
  TempFolder other(drive + "\\");
  ASSERT_TRUE(other.ok());
  std::string file = folder_.File("shared.mp3", "original");
  HeldOpen held(file, FILE_SHARE_READ);  // readable, but not deletable
  ASSERT_TRUE(held.ok());
  platform::OpResult moved = Files().MoveFile(W(file), W(other.Path("shared.mp3")));
  EXPECT_FALSE(moved.ok());
  EXPECT_EQ(ReadWholeFile(file), "original");
  EXPECT_EQ(CountEntries(other.path()), 0) << "no copy left behind";
}

TEST_F(FilesWineTest, MoveWorksAcrossVolumesAndNeverReplaces) {
  std::string file = folder_.File("a.mp3", "song");
  std::string existing = folder_.File("b.mp3", "older");
  platform::OpResult refused = Files().MoveFile(W(file), W(existing));
  EXPECT_EQ(refused.code, 183u);
  EXPECT_EQ(ReadWholeFile(file), "song");
  EXPECT_EQ(ReadWholeFile(existing), "older");
  EXPECT_EQ(Files().MoveFile(W(file), W(folder_.Path("none\\a.mp3"))).code, 3u);

  EXPECT_TRUE(Files().MoveFile(W(file), W(folder_.path() + "\\\\c.mp3")).ok());
  EXPECT_EQ(ReadWholeFile(folder_.Path("c.mp3")), "song");
  EXPECT_FALSE(testing::FileExists(file));

  std::string drive = testing::ScratchDrive();
  if (drive.empty()) GTEST_SKIP() << "this run has no second volume";
  TempFolder other(drive + "\\");
  ASSERT_TRUE(other.ok());
  std::string there = other.File("c.mp3", "other");
  EXPECT_FALSE(Files().MoveFile(W(folder_.Path("c.mp3")), W(there)).ok());
  EXPECT_EQ(ReadWholeFile(there), "other");
  EXPECT_EQ(ReadWholeFile(folder_.Path("c.mp3")), "song");

  std::string ro = folder_.File("ro.mp3", "read-only");
  ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(Files().MoveFile(W(folder_.Path("c.mp3")), W(other.Path("d.mp3"))).ok());
  EXPECT_TRUE(Files().MoveFile(W(ro), W(other.Path("ro.mp3"))).ok());
  EXPECT_EQ(ReadWholeFile(other.Path("d.mp3")), "song");
  EXPECT_EQ(ReadWholeFile(other.Path("ro.mp3")), "read-only");
  EXPECT_EQ(CountEntries(folder_.path()), 1);  // only b.mp3
}

// --- Whole-file access ---------------------------------------------------------------

TEST_F(FilesWineTest, WholeFileBytesRoundTripAndAFailedRewriteKeepsTheOriginal) {
  std::string path = folder_.Path("vandrel.ini");
  std::string bytes("[a]\r\nx=\xE4\xF6\0z\r\n", 12);
  EXPECT_TRUE(Files().ReplaceAllBytes(W(path), bytes).ok()) << "created when missing";
  std::string read;
  EXPECT_TRUE(Files().ReadAllBytes(W(path), read).ok());
  EXPECT_EQ(read, bytes);
  EXPECT_TRUE(Files().ReplaceAllBytes(W(path), "shorter").ok());
  EXPECT_EQ(ReadWholeFile(path), "shorter");
  EXPECT_EQ(CountEntries(folder_.path()), 1);

  EXPECT_EQ(Files().ReadAllBytes(W(folder_.Path("none.ini")), read).code, 2u);
  EXPECT_FALSE(Files().ReplaceAllBytes(W(folder_.Path("none\\x.ini")), "x").ok());
  EXPECT_FALSE(testing::FolderExists(folder_.Path("none")));
  {
    HeldOpen held(path);
    ASSERT_TRUE(held.ok());
    EXPECT_FALSE(Files().ReplaceAllBytes(W(path), "lost?").ok());
  }
  EXPECT_EQ(ReadWholeFile(path), "shorter");
  EXPECT_EQ(CountEntries(folder_.path()), 1) << "the temporary file is gone";
}

// --- The numbers each operation reports, from the real functions and the fake -------

// The time query tells the ways of being absent apart (the system's own code
// in the comment where it differs); the other operations report the system's
// code. The in-memory file system the native tests use must answer the same.
TEST_F(FilesWineTest, EachWayOfFailingHasItsNumberAndTheFakeAnswersTheSame) {
  std::string unknown = UnknownDrive();
  std::string notReady = testing::MissingDrive();
  ASSERT_FALSE(unknown.empty());
  if (notReady.empty()) notReady = unknown;
  folder_.File("a.mp3");
  folder_.Folder("sub");
  testing::FakeFileSystem fake;
  fake.AddFile(W(folder_.Path("a.mp3")));
  fake.AddFolder(W(folder_.Path("sub")));
  if (notReady != unknown) fake.AddDrive(notReady[0], testing::DriveState::NotReady);

  using Op = testing::FakeFileSystem::Op;
  constexpr std::int64_t kAgree = -1;  // the real number only has to agree with the fake's
  constexpr std::int64_t kFails = -2;  // both fail, with whatever number the system gives
  struct Case {
    Op op;
    std::string path;
    std::string to;
    std::int64_t expected;
  };
  std::string f = folder_.path();
  const Case cases[] = {
      {Op::FileModifiedTime, f + "\\a.mp3", "", 0},
      {Op::FileModifiedTime, f, "", 0},
      {Op::FileModifiedTime, f + "\\sub\\", "", 0},
      {Op::FileModifiedTime, f + "\\\\a.mp3", "", 0},  // a doubled separator counts as one
      {Op::FileModifiedTime, "C:\\", "", 0},
      {Op::FileModifiedTime, f + "\\b.mp3", "", 53},        // system: 2
      {Op::FileModifiedTime, f + "\\none\\b.mp3", "", 76},  // system: 3
      {Op::FileModifiedTime, f + "\\a.mp3\\b.mp3", "", kAgree},
      {Op::FileModifiedTime, "", "", 53},                          // system: 3
      {Op::FileModifiedTime, "\\\\server\\share\\b.mp3", "", 68},  // system: 66 here, 53/67 on Windows
      {Op::FileModifiedTime, f + "\\bad<name", "", 52},            // system: 123; counts as present
      {Op::FileModifiedTime, unknown + "\\b.mp3", "", 68},         // system: 2
      {Op::FileModifiedTime, unknown + "\\x\\b.mp3", "", 68},
      {Op::FileModifiedTime, notReady + "\\b.mp3", "", 68},     // system: 2
      {Op::FileModifiedTime, notReady + "\\x\\b.mp3", "", 68},  // system: 3
      {Op::FileModifiedTime, notReady + "\\", "", 68},          // system: 3
      {Op::ChangeDrive, "C:\\", "", 0},
      {Op::ChangeDrive, unknown + "\\", "", kFails},
      {Op::ChangeDrive, notReady + "\\", "", kFails},
      {Op::ChangeDrive, "", "", kFails},
      {Op::MakeFolder, f + "\\sub", "", 183},
      {Op::MakeFolder, f + "\\a.mp3", "", kAgree},
      {Op::MakeFolder, f + "\\\\new", "", 0},
      {Op::MakeFolder, f + "\\none\\new", "", 3},  // one level only
      {Op::MakeFolder, notReady + "\\new", "", kFails},
      {Op::SetFileAttributes, f + "\\b.mp3", "", 2},
      {Op::SetFileAttributes, f + "\\none\\b.mp3", "", kAgree},
      {Op::RemoveFile, f + "\\b.mp3", "", 2},
      {Op::RemoveFile, f + "\\none\\b.mp3", "", kAgree},
      {Op::RemoveFile, f + "\\sub", "", kAgree},
      {Op::MoveFile, f + "\\b.mp3", f + "\\c.mp3", kAgree},
      {Op::MoveFile, f + "\\a.mp3", f + "\\sub", kAgree},
      {Op::MoveFile, f + "\\a.mp3", f + "\\none\\a.mp3", 3},
      {Op::MoveFile, f + "\\a.mp3", notReady + "\\a.mp3", kFails},
      {Op::MoveFile, f + "\\a.mp3", f + "\\sub\\\\a.mp3", 0},
      {Op::RemoveFile, f + "\\sub\\a.mp3", "", 0},
  };
  char saved[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, saved);
  for (const Case& c : cases) {
    platform::OpResult real, faked;
    switch (c.op) {
      case Op::FileModifiedTime:
        real.code = static_cast<std::uint32_t>(TimeOf(c.path));
        faked.code = static_cast<std::uint32_t>(fake.FileModifiedTime(W(c.path)));
        real.message = faked.message = L"-";
        break;
      case Op::ChangeDrive:
        real = Files().ChangeDrive(W(c.path));
        faked = fake.ChangeDrive(W(c.path));
        break;
      case Op::MakeFolder:
        real = Files().MakeFolder(W(c.path));
        faked = fake.MakeFolder(W(c.path));
        break;
      case Op::SetFileAttributes:
        real = Files().SetFileAttributes(W(c.path), 0);
        faked = fake.SetFileAttributes(W(c.path), 0);
        break;
      case Op::RemoveFile:
        real = Files().RemoveFile(W(c.path));
        faked = fake.RemoveFile(W(c.path));
        break;
      case Op::MoveFile:
        real = Files().MoveFile(W(c.path), W(c.to));
        faked = fake.MoveFile(W(c.path), W(c.to));
        break;
      default:
        break;
    }
    std::string what = Narrow(testing::FakeFileSystem::OpName(c.op)) + " " + c.path + " " + c.to + " real " +
                       std::to_string(real.code) + ", fake " + std::to_string(faked.code);
    if (c.expected >= 0) {
      EXPECT_EQ(real.code, c.expected) << what;
      EXPECT_EQ(faked.code, c.expected) << what;
    } else if (c.expected == kAgree) {
      EXPECT_EQ(faked.code, real.code) << what;
    } else {
      EXPECT_TRUE(real.code != 0 && faked.code != 0) << what;
    }
    if (real.code != 0) {
      EXPECT_FALSE(real.message.empty()) << what << ": a failure says why";
    }
  }
  SetCurrentDirectoryA(saved);
  EXPECT_FALSE(testing::FolderExists(folder_.Path("none")));
  EXPECT_FALSE(testing::FileExists(folder_.Path("sub\\a.mp3")));
  EXPECT_FALSE(fake.Exists(W(folder_.Path("sub\\a.mp3"))));
  EXPECT_TRUE(testing::FolderExists(folder_.Path("new")));
  EXPECT_TRUE(fake.IsFolder(W(folder_.Path("new"))));
}

}  // namespace
}  // namespace vandrel
