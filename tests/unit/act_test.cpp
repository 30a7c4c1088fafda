#include "disposal/act.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/fake_files.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"

namespace vandrel {
namespace {

using disposal::ActOutcome;
using testing::DriveState;
using testing::FakeFileSystem;
using testing::FakeWindows;
using Op = FakeFileSystem::Op;

constexpr std::uintptr_t kStop = 40047, kNext = 40048, kPlay = 40045;
constexpr wchar_t kSong[] = L"C:\\Music\\Artist - Title.mp3";

class Host : public disposal::ActHost {
 public:
  bool move = false;
  std::wstring target = L"D:\\Sorted";
  bool sorting = false;
  bool artist = false;
  int optionReads = 0;

  bool moveToFolder() override { return move; }
  std::wstring savingPlace() override {
    ++optionReads;
    return target;
  }
  bool sortingOption() override {
    ++optionReads;
    return sorting;
  }
  bool createArtistFolder() override {
    ++optionReads;
    return artist;
  }
  platform::WindowHandle WinAmpWindowHandle() override { return FakeWindows::kWinamp; }
};

class ActTest : public ::testing::Test {
 protected:
  ActTest() {
    files.AddDrive(L'D');
    files.AddFolder(L"D:\\Sorted");
    files.AddFile(kSong, "song");
    files.AddFile(L"C:\\Music\\Next.mp3", "next");
    windows.playlist = {"C:\\Music\\Artist - Title.mp3", "C:\\Music\\Next.mp3"};
    windows.playing = true;
  }

  void PlaySong(const std::string& path) { windows.playlist[0] = path; }

  // Winamp was stopped, moved on and plays; the entry is still listed.
  void ExpectMovedOn() {
    EXPECT_EQ(windows.Commands(), (std::vector<std::uintptr_t>{kStop, kNext, kPlay}));
    EXPECT_EQ(windows.position, 1);
    EXPECT_TRUE(windows.playing);
    EXPECT_EQ(windows.playlist.size(), 2u);
  }

  // Winamp was not touched and no file changed.
  void ExpectUntouched() {
    EXPECT_TRUE(windows.Commands().empty());
    EXPECT_TRUE(files.Changes().empty()) << "first change: " << files.CallLog().back();
    EXPECT_EQ(windows.position, 0);
  }

  Error ActExpectingError() {
    try {
      disposal::Act(host);
    } catch (const Error& e) {
      return e;
    }
    ADD_FAILURE() << "Act did not fail";
    return Error(0, L"");
  }

  FakeWindows windows;
  FakeFileSystem files;
  testing::FakeUi ui;
  platform::ScopedServices services{{&windows, &ui, &files, nullptr}};
  Host host;
};

// --- Delete ------------------------------------------------------------------

TEST_F(ActTest, DeleteClearsAttributesSoAReadOnlyFileGoesTooAndWinampMovesOn) {
  files.AddFile(kSong, "song", testing::kReadOnly | testing::kHidden);
  EXPECT_EQ(disposal::Act(host), ActOutcome::Disposed);
  EXPECT_FALSE(files.Exists(kSong));
  EXPECT_TRUE(files.IsFile(L"C:\\Music\\Next.mp3"));
  ExpectMovedOn();
  EXPECT_EQ(host.optionReads, 0) << "deleting reads no move option";
  EXPECT_TRUE(files.FoldersMade().empty());
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ActTest, StoppedOrPausedPlayerStartsTheNextEntry) {
  windows.playing = false;
  host.move = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::Disposed);
  ExpectMovedOn();
}

// --- Move --------------------------------------------------------------------

TEST_F(ActTest, MoveBuildsFoldersAndMovesAcrossDrives) {
  host.move = true;
  host.sorting = true;
  host.artist = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::Disposed);
  EXPECT_FALSE(files.Exists(kSong));
  EXPECT_EQ(files.Contents(L"D:\\Sorted\\a\\artist\\Artist - Title.mp3"), "song");
  ExpectMovedOn();
}

TEST_F(ActTest, MoveToADriveRootCopesWithTheDoubledSeparatorAndKeepsAttributes) {
  files.AddFile(kSong, "song", testing::kReadOnly);
  host.move = true;
  host.target = L"D:\\";
  EXPECT_EQ(disposal::Act(host), ActOutcome::Disposed);
  EXPECT_EQ(files.Contents(L"D:\\Artist - Title.mp3"), "song");
  EXPECT_EQ(files.Attributes(L"D:\\Artist - Title.mp3"), testing::kReadOnly);
}

TEST_F(ActTest, ExistingDestinationIsNeverReplaced) {
  files.AddFile(L"D:\\Sorted\\Artist - Title.mp3", "older");
  host.move = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::MoveSkipped);
  EXPECT_EQ(files.Contents(L"D:\\Sorted\\Artist - Title.mp3"), "older");
  EXPECT_EQ(files.Contents(kSong), "song");
  ExpectMovedOn();
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ActTest, FileAlreadyAtItsDestinationStaysWhateverTheCaseOfItsPath) {
  files.AddFile(L"D:\\Sorted\\a\\artist\\Artist - Title.mp3", "here");
  PlaySong("D:\\Sorted\\a\\artist\\Artist - Title.mp3");
  host.move = true;
  host.sorting = true;
  host.artist = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::MoveSkipped);
  ExpectMovedOn();

  // A destination differing only in case is left to the file system's existence test.
  files.AddFile(L"D:\\sorted\\Artist - Title.mp3", "here");
  PlaySong("D:\\sorted\\Artist - Title.mp3");
  windows.position = 0;
  host.sorting = host.artist = false;
  EXPECT_EQ(disposal::Act(host), ActOutcome::MoveSkipped);
  EXPECT_EQ(files.Contents(L"D:\\Sorted\\a\\artist\\Artist - Title.mp3"), "here");
  for (const auto& call : files.calls) EXPECT_NE(call.op, Op::MoveFile);
}

// --- Nothing to do -------------------------------------------------------------

TEST_F(ActTest, NetworkPathIsRefusedBeforeAnythingElse) {
  for (bool move : {false, true}) {
    ui.shown.clear();
    host.move = move;
    PlaySong("\\\\server\\share\\Artist - Title.mp3");
    EXPECT_EQ(disposal::Act(host), ActOutcome::NetworkRefused);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, L"Can't move file from network!");
    EXPECT_EQ(ui.shown[0].title, L"Vandrel");
    EXPECT_EQ(ui.shown[0].icon, platform::Icon::Information);
    EXPECT_TRUE(files.calls.empty()) << "not even the existence test";
    ExpectUntouched();
  }
  // Quietly (the whole-playlist run after its one box): the same, without a box.
  ui.shown.clear();
  EXPECT_EQ(disposal::Act(host, false), ActOutcome::NetworkRefused);
  EXPECT_TRUE(ui.shown.empty());
  ExpectUntouched();
}

TEST_F(ActTest, MissingFileOrNoNameDoesNothing) {
  PlaySong("C:\\Music\\Gone.mp3");
  EXPECT_EQ(disposal::Act(host), ActOutcome::NotThere);
  PlaySong(std::string(256, 'n'));  // no NUL in what is read: the empty name
  host.move = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::NotThere);
  windows.winampPresent = false;
  EXPECT_EQ(disposal::Act(host), ActOutcome::NotThere);
  ExpectUntouched();
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(host.optionReads, 0);
}

// --- Failures --------------------------------------------------------------------

TEST_F(ActTest, FailedDeleteEndsStoppedAndReportsTheFileAndTheReason) {
  files.SetInUse(kSong);
  Error e = ActExpectingError();
  EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80070020u);
  EXPECT_EQ(e.Description(),
            std::wstring(L"Could not delete the file\r\nC:\\Music\\Artist - Title.mp3\r\n\r\n") +
                testing::SystemText(32));
  EXPECT_EQ(files.Contents(kSong), "song");
  EXPECT_EQ(windows.Commands(), (std::vector<std::uintptr_t>{kStop}));
  EXPECT_FALSE(windows.playing);
  EXPECT_EQ(windows.position, 0);

  // A failed attribute change stops before the delete.
  files.calls.clear();
  files.AddFile(kSong, "song", testing::kReadOnly);
  files.FailOperation(Op::SetFileAttributes, kSong, testing::kErrAccessDenied);
  e = ActExpectingError();
  EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80070005u);
  EXPECT_TRUE(e.Description().starts_with(L"Could not clear the read-only attribute of the file\r\n"));
  for (const auto& call : files.calls) EXPECT_NE(call.op, Op::RemoveFile);
  EXPECT_TRUE(files.IsFile(kSong));
}

TEST_F(ActTest, FailedMoveEndsStoppedWithTheFileWhereItWas) {
  files.SetInUse(kSong);
  host.move = true;
  host.sorting = true;
  Error e = ActExpectingError();
  EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80070020u);
  EXPECT_EQ(e.Description(),
            std::wstring(L"Could not move the file\r\nC:\\Music\\Artist - Title.mp3\r\nto\r\n"
                         L"D:\\Sorted\\a\\Artist - Title.mp3\r\n\r\n") +
                testing::SystemText(32));
  EXPECT_EQ(files.Contents(kSong), "song");
  EXPECT_FALSE(files.Exists(L"D:\\Sorted\\a\\Artist - Title.mp3"));
  EXPECT_TRUE(files.IsFolder(L"D:\\Sorted\\a")) << "folders made before stay";
  EXPECT_EQ(windows.Commands(), (std::vector<std::uintptr_t>{kStop}));
}

TEST_F(ActTest, FailedFolderCreationMovesNothingButWinampMovesOn) {
  files.SetDriveState(L'D', DriveState::NotReady);
  host.move = true;
  host.artist = true;
  EXPECT_EQ(disposal::Act(host), ActOutcome::FolderFailed);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, L"sorry, folder creation failed! critical error!!!");
  for (const auto& call : files.calls) EXPECT_NE(call.op, Op::MoveFile);
  EXPECT_EQ(files.Contents(kSong), "song");
  ExpectMovedOn();
}

TEST_F(ActTest, MovingWithoutATargetFolderAsksForOneAndTouchesNothing) {
  host.move = true;
  host.target = L"";
  host.sorting = true;
  host.artist = true;
  auto before = files.Listing();
  EXPECT_EQ(disposal::Act(host), ActOutcome::NoTarget);
  EXPECT_EQ(files.Listing(), before);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(
      ui.shown[0].text,
      L"No target folder is set.\r\n\r\nChoose the folder to move files to in the configuration dialog, "
      L"save the settings as a profile and load it.");
  EXPECT_EQ(ui.shown[0].title, L"Vandrel");
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Information);
  ExpectUntouched();
  EXPECT_EQ(files.Contents(kSong), "song");
}

}  // namespace
}  // namespace vandrel
