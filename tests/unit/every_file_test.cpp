// Every file Winamp plays: wide names, entries that are not files, artist
// folders Windows can hold, Winamp's Recycle Bin preference, a file still held
// after Stop, and the attributes a delete leaves.
#include <gtest/gtest.h>

#include "dialog/frm_config.h"
#include "disposal/act.h"
#include "disposal/rules.h"
#include "platform/error.h"
#include "settings/ini_class.h"
#include "support/fake_files.h"
#include "support/fake_profile.h"
#include "support/fake_toolkit.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"
#include "winamp/bridge.h"

namespace vandrel {
namespace {

using testing::FakeFileSystem;
using testing::FakeWindows;
using Op = FakeFileSystem::Op;

constexpr wchar_t kSong[] = L"C:\\Music\\Artist - Title.mp3";
constexpr std::uintptr_t kStop = 40047;

class Host : public disposal::ActHost {
 public:
  bool move = false;
  bool artist = false;
  bool moveToFolder() override { return move; }
  std::wstring savingPlace() override { return L"D:\\Sorted"; }
  bool sortingOption() override { return false; }
  bool createArtistFolder() override { return artist; }
  platform::WindowHandle WinAmpWindowHandle() override { return FakeWindows::kWinamp; }
};

// Lets go of a file once enough has been waited, as an input plug-in does a
// moment after Stop.
class LateFiles : public FakeFileSystem {
 public:
  unsigned releaseAfter = 0;  // ms; 0: never
  void Sleep(unsigned ms) override {
    FakeFileSystem::Sleep(ms);
    if (releaseAfter != 0 && slept >= releaseAfter) SetInUse(kSong, false);
  }
};

class EveryFile : public ::testing::Test {
 protected:
  EveryFile() {
    files.AddDrive(L'D');
    files.AddFolder(L"D:\\Sorted");
    files.AddFile(kSong, "song");
    Play(kSong);
  }
  void Play(const std::wstring& name) {
    windows.playlist = {ui.ToAnsi(name), "C:\\Music\\Next.mp3"};
    windows.widePlaylist = {name, L"C:\\Music\\Next.mp3"};
  }
  std::wstring Failure() {
    try {
      disposal::Act(host);
    } catch (const Error& e) {
      return e.Description();
    }
    return L"";
  }

  FakeWindows windows;
  testing::FakeUi ui;
  LateFiles files;
  platform::ScopedServices services{{&windows, &ui, &files, nullptr, nullptr}};
  Host host;
};

TEST_F(EveryFile, NameComesWideWhenWinampHasItElseAnsiAndOnlyWhenItEnds) {
  const std::wstring japanese = L"C:\\\u97F3\u697D\\\u66F2 - \u6B4C.mp3";
  const std::wstring longest = L"C:\\" + std::wstring(256, L'n');  // 259 characters
  struct Case {
    std::vector<std::wstring> wide;  // empty: Winamp before 5.13
    std::string ansi;
    std::wstring expected;
  } cases[] = {
      {{japanese}, "C:\\??\\? - ?.mp3", japanese},
      {{}, "C:\\\xC4rzte - Junge.mp3", L"C:\\\u00C4rzte - Junge.mp3"},
      {{longest}, "", longest},
      {{longest + L"x"}, "", L""},  // no NUL within 260 characters
  };
  for (const Case& c : cases) {
    windows.widePlaylist = c.wide;
    windows.playlist = {c.ansi};
    EXPECT_EQ(winamp::GetCurrentFileName(FakeWindows::kWinamp), c.expected) << c.ansi;
  }
}

TEST_F(EveryFile, EntriesThatAreNotFilesDoNothingSilently) {
  for (const wchar_t* entry :
       {L"http://radio.example/live", L"cda://e,1", L"Music\\a.mp3", L"C:a.mp3", L"1:\\x"}) {
    // Were the name asked about, the system would call it present (123).
    files.FailOperation(Op::FileModifiedTime, entry, 123);
    Play(entry);
    EXPECT_EQ(disposal::Act(host), disposal::ActOutcome::NotThere) << entry;
  }
  EXPECT_TRUE(windows.Commands().empty());
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(files.Changes().empty());
  Play(L"c:/Music/Artist - Title.mp3");
  EXPECT_EQ(disposal::Act(host), disposal::ActOutcome::Disposed) << "a drive path with '/' is a file";
}

TEST_F(EveryFile, ArtistFolderStaysInsideTheTargetAndIsOneWindowsCanHold) {
  struct Case {
    const wchar_t* fileName;
    const wchar_t* destination;
  } cases[] = {
      {L".. - Up.mp3", L"D:\\Sorted\\.. - Up.mp3"},
      {L". - Here.mp3", L"D:\\Sorted\\. - Here.mp3"},
      {L"Mr. - Dot.mp3", L"D:\\Sorted\\mr\\Mr. - Dot.mp3"},
      {L"Band .mp3 - Tail.mp3", L"D:\\Sorted\\band\\Band .mp3 - Tail.mp3"},
      {L"CON - Device.mp3", L"D:\\Sorted\\CON - Device.mp3"},
      {L"Nul.live - Device.mp3", L"D:\\Sorted\\Nul.live - Device.mp3"},
      {L"com7 - Port.mp3", L"D:\\Sorted\\com7 - Port.mp3"},
      {L"LPT1 - Port.mp3", L"D:\\Sorted\\LPT1 - Port.mp3"},
      {L"com0 - Fine.mp3", L"D:\\Sorted\\com0\\com0 - Fine.mp3"},
      {L"Console - Fine.mp3", L"D:\\Sorted\\console\\Console - Fine.mp3"},
  };
  for (const Case& c : cases) {
    std::wstring song = std::wstring(L"C:\\Music\\") + c.fileName;
    EXPECT_EQ(disposal::BuildDestinationPath(song, L"D:\\Sorted", false, true), c.destination) << c.fileName;
  }
  // A song named with "/" separators gives only its last piece.
  EXPECT_EQ(disposal::BuildDestinationPath(L"C:/Music/x/Artist - T.mp3", L"D:\\Sorted", false, true),
            L"D:\\Sorted\\artist\\Artist - T.mp3");
  for (const std::wstring& made : files.FoldersMade()) {
    EXPECT_TRUE(made.starts_with(L"D:\\Sorted\\\\")) << made;
    EXPECT_NE(made.back(), L'.') << made;
  }
}

TEST_F(EveryFile, DeleteFollowsWinampsRecycleBinPreference) {
  files.AddFile(kSong, "song", testing::kReadOnly);
  windows.usesRecycleBin = 1;
  EXPECT_EQ(disposal::Act(host), disposal::ActOutcome::Disposed);
  EXPECT_EQ(files.recycled, std::vector<std::wstring>{kSong});
  for (const auto& call : files.calls) EXPECT_NE(call.op, Op::SetFileAttributes) << "no attribute touched";

  files.AddFile(kSong, "song");
  windows.usesRecycleBin = 0;
  windows.position = 0;
  EXPECT_EQ(disposal::Act(host), disposal::ActOutcome::Disposed);
  EXPECT_FALSE(files.Exists(kSong));
  EXPECT_EQ(files.recycled.size(), 1u) << "deleted for good";
}

TEST_F(EveryFile, DeleteClearsOnlyReadOnlyAndPutsItBackWhenTheDeleteFails) {
  files.AddFile(kSong, "song", testing::kReadOnly | testing::kHidden | testing::kArchive);
  files.FailOperation(Op::RemoveFile, kSong, testing::kErrAccessDenied);
  EXPECT_NE(Failure(), L"");
  EXPECT_EQ(files.Attributes(kSong), testing::kReadOnly | testing::kHidden | testing::kArchive);
  std::vector<std::wstring> set;
  for (const auto& call : files.calls) {
    if (call.op == Op::SetFileAttributes) set.push_back(call.path);
  }
  EXPECT_EQ(set.size(), 2u) << "cleared, then put back";
  EXPECT_EQ(files.slept, 0u) << "access denied is not waited out";
}

TEST_F(EveryFile, AFileStillHeldAfterStopIsTriedAgainForAboutTwoSeconds) {
  struct Case {
    bool move;
    std::uint32_t code;
    unsigned releaseAfter;
    bool disposed;
    unsigned slept;
  } cases[] = {
      {false, testing::kErrSharingViolation, 700, true, 700},
      {true, testing::kErrSharingViolation, 1500, true, 1500},
      {false, testing::kErrSharingViolation, 0, false, 2000},
      {true, 33, 0, false, 2000},
  };
  for (const Case& c : cases) {
    files.AddFile(kSong, "song");
    files.RemoveFile(L"D:\\Sorted\\Artist - Title.mp3");  // moved there by an earlier case
    files.slept = 0;
    files.releaseAfter = c.releaseAfter;
    windows.sent.clear();
    windows.position = 0;
    host.move = c.move;
    files.SetInUse(kSong, c.code == testing::kErrSharingViolation);
    if (c.code != testing::kErrSharingViolation)
      files.FailOperation(c.move ? Op::MoveFile : Op::RemoveFile, kSong, c.code);
    std::wstring failure = Failure();
    EXPECT_EQ(failure.empty(), c.disposed) << failure;
    EXPECT_EQ(files.Exists(kSong), !c.disposed);
    EXPECT_EQ(files.slept, c.slept);
    if (!c.disposed) {
      EXPECT_EQ(windows.Commands(), std::vector<std::uintptr_t>{kStop});
    }
  }
}

TEST_F(EveryFile, SaveRefusesAFolderTheSettingsFileCannotHold) {
  constexpr wchar_t kIni[] = L"C:\\Winamp\\Plugins\\vandrel.ini";
  testing::FakeProfile profile{files};
  testing::FakeToolkit toolkit{files};
  platform::ScopedServices all{{&windows, &ui, &files, &profile, &toolkit}};
  files.AddFolder(L"C:\\Winamp\\Plugins");
  settings::SettingsIni().SetFileName(kIni);
  dialog::FrmConfig frm(nullptr);
  ASSERT_TRUE(frm.Load());
  const auto& c = frm.controls();
  platform::Form& f = frm.form();
  f.SetText(c.saveAS, L"mix");

  files.AddFolder(L"D:\\\u03A9mega");  // outside the code page
  ASSERT_TRUE(f.SetFolder(c.Dir1, L"D:\\\u03A9mega"));
  frm.Command3_Click();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"not saved"), std::wstring::npos);
  EXPECT_NE(ui.shown[0].text.find(L"D:\\\u03A9mega"), std::wstring::npos);
  EXPECT_EQ(profile.Text(kIni), L"");

  files.AddFolder(L"D:\\\u00C4rzte");  // in it
  ASSERT_TRUE(f.SetFolder(c.Dir1, L"D:\\\u00C4rzte"));
  frm.Command3_Click();
  EXPECT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(profile.Text(kIni).find(L"savingPlace=D:\\\u00C4rzte\r\n"), std::wstring::npos);
}

}  // namespace
}  // namespace vandrel
