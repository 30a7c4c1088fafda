// frmConfig against a fake toolkit: its opening, its controls' events, the
// profile commands and the whole-playlist run.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "dialog/config.h"
#include "dialog/frm_config.h"
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

using platform::Answer;
using platform::ControlKind;
using platform::Icon;
using testing::FakeFileSystem;
using testing::FakeForm;
using testing::FakeWindows;

constexpr wchar_t kIni[] = L"C:\\Winamp\\Plugins\\vandrel.ini";
constexpr wchar_t kSample[] =
    L"[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
    L"createArtistFolder=0\r\n[iniConfig]\r\nLastUsed=trash\r\n[trash]\r\nKey=20\r\nmoveToFolder=0\r\n"
    L"savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n";

// The file system as the dialog sees it; can refuse to rewrite files while the
// profile functions (which use the fake beneath directly) still write.
class FrontFiles : public platform::FileSystem {
 public:
  explicit FrontFiles(FakeFileSystem& inner) : inner_(inner) {}
  bool refuseRewrite = false;
  int FileModifiedTime(const std::wstring& p) override { return inner_.FileModifiedTime(p); }
  platform::OpResult ChangeDrive(const std::wstring& p) override { return inner_.ChangeDrive(p); }
  platform::OpResult MakeFolder(const std::wstring& p) override { return inner_.MakeFolder(p); }
  platform::OpResult FileAttributes(const std::wstring& p, std::uint32_t& a) override {
    return inner_.FileAttributes(p, a);
  }
  platform::OpResult SetFileAttributes(const std::wstring& p, std::uint32_t a) override {
    return inner_.SetFileAttributes(p, a);
  }
  platform::OpResult RemoveFile(const std::wstring& p) override { return inner_.RemoveFile(p); }
  platform::OpResult RecycleFile(const std::wstring& p) override { return inner_.RecycleFile(p); }
  void Sleep(unsigned ms) override { inner_.Sleep(ms); }
  platform::OpResult MoveFile(const std::wstring& f, const std::wstring& t) override {
    return inner_.MoveFile(f, t);
  }
  platform::OpResult ReadAllBytes(const std::wstring& p, std::string& b) override {
    return inner_.ReadAllBytes(p, b);
  }
  platform::OpResult ReplaceAllBytes(const std::wstring& p, const std::string& b) override {
    if (refuseRewrite)
      return {32, L"The process cannot access the file because it is being used by another process."};
    return inner_.ReplaceAllBytes(p, b);
  }

 private:
  FakeFileSystem& inner_;
};

// The plug-in: settings as plain values; Act works on the fake Winamp's
// current entry and the fake file system as the real action does.
class FakePlugin : public dialog::Plugin {
 public:
  FakePlugin(FakeWindows& windows, FakeFileSystem& files, testing::FakeUi& ui)
      : windows_(windows), files_(files), ui_(ui) {}

  std::int32_t key = 0;
  bool move = false, sorting = false, artist = false;
  std::wstring folder;
  std::set<std::int32_t> refusedKeys;
  std::wstring failOn;  // Act throws for this file
  bool noTarget = false;
  int acts = 0;
  std::function<void()> whileActing;  // e.g. Quit arriving while a box is up

  std::int32_t Key() override { return key; }
  void SetKey(std::int32_t newKey) override { key = refusedKeys.count(newKey) ? 0 : newKey; }
  bool moveToFolder() override { return move; }
  void SetmoveToFolder(bool v) override { move = v; }
  std::wstring savingPlace() override { return folder; }
  void SetsavingPlace(const std::wstring& p) override { folder = p; }
  bool sortingOption() override { return sorting; }
  void SetsortingOption(bool v) override { sorting = v; }
  bool createArtistFolder() override { return artist; }
  void SetcreateArtistFolder(bool v) override { artist = v; }
  platform::WindowHandle WinAmpWindowHandle() override { return FakeWindows::kWinamp; }
  void MoveToPlaylistStart() override {
    windows_.SendMessage(FakeWindows::kWinamp, winamp::kWmCommand, winamp::kCmdStop, 0);
    windows_.SendMessage(FakeWindows::kWinamp, winamp::kWmCommand, winamp::kCmdStartOfPlaylist, 0);
  }
  disposal::ActOutcome Act() override { return Acting(true); }
  disposal::ActOutcome ActQuietly() override { return Acting(false); }

 private:
  disposal::ActOutcome Acting(bool showNetworkRefusal) {
    ++acts;
    if (whileActing) whileActing();
    std::wstring song = winamp::GetCurrentFileName();
    if (song.starts_with(L"\\\\")) {
      if (showNetworkRefusal)
        ui_.MessageBox(disposal::kNetworkRefused, L"Vandrel", Icon::Information, platform::Buttons::Ok);
      return disposal::ActOutcome::NetworkRefused;
    }
    if (!files_.IsFile(song)) return disposal::ActOutcome::NotThere;
    if (noTarget) return disposal::ActOutcome::NoTarget;
    if (song == failOn)
      throw Error(errors::FromWin32(32), L"Can't delete " + song + L": the file is in use.");
    files_.RemoveFile(song);
    windows_.SendMessage(FakeWindows::kWinamp, winamp::kWmCommand, winamp::kCmdNextTrack, 0);
    return disposal::ActOutcome::Disposed;
  }

  FakeWindows& windows_;
  FakeFileSystem& files_;
  testing::FakeUi& ui_;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFolder(L"C:\\Winamp\\Plugins");
    files.AddDrive(L'D');
    files.AddFolder(L"D:\\Music\\Sorted");
    toolkit.drives = {L"c:", L"d:", L"e:"};
    files.AddDrive(L'E', testing::DriveState::NotReady);
    settings::SettingsIni().SetFileName(kIni);
    dialog::ConfigDialogOpen() = false;
  }

  // Opens the dialog as Configure does, up to the modal loop.
  FakeForm& Open(dialog::Plugin* with) {
    frm = std::make_unique<dialog::FrmConfig>(with);
    EXPECT_TRUE(frm->Load());
    return *toolkit.last;
  }
  FakeForm& Open() { return Open(&plugin); }
  const dialog::FrmConfig::Controls& c() const { return frm->controls(); }
  std::wstring File() const { return profile.Text(kIni); }
  std::wstring Selected(FakeForm& f, platform::ControlId id) { return f.ItemText(id, f.SelectedIndex(id)); }
  std::vector<std::wstring> BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : ui.shown) texts.push_back(box.text);
    return texts;
  }

  FakeWindows windows;
  testing::FakeUi ui;
  FakeFileSystem files;
  FrontFiles front{files};
  testing::FakeProfile profile{files};
  testing::FakeToolkit toolkit{files};
  platform::ScopedServices services{{&windows, &ui, &front, &profile, &toolkit}};
  FakePlugin plugin{windows, files, ui};
  std::unique_ptr<dialog::FrmConfig> frm;
};

// --- The window and the opening sequence ------------------------------------

TEST_F(DialogTest, WithoutPluginOnlyThePositionIsSet) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open(nullptr);
  EXPECT_EQ(f.placements.size(), 1u);
  EXPECT_EQ(f.ItemCount(c().cmbKey), 0);
  EXPECT_EQ(f.ItemCount(c().List1), 0);
  EXPECT_FALSE(dialog::ConfigDialogOpen());
}

TEST_F(DialogTest, HotkeyListShowsKeyAndNothingOutsideTheLetters) {
  FakeForm& f = Open();
  ASSERT_EQ(f.ItemCount(c().cmbKey), 27);
  EXPECT_EQ(f.ItemText(c().cmbKey, 0), L"<None>");
  EXPECT_EQ(f.ItemText(c().cmbKey, 26), L"Z");
  EXPECT_EQ(f.SelectedIndex(c().cmbKey), 0);
  EXPECT_TRUE(dialog::ConfigDialogOpen());

  plugin.key = 26;
  EXPECT_EQ(Selected(Open(), c().cmbKey), L"Z");
  plugin.key = 27;
  EXPECT_EQ(Open().SelectedIndex(c().cmbKey), -1);
  EXPECT_TRUE(dialog::ConfigDialogOpen()) << "a bad Key is skipped, the opening goes on";
}

TEST_F(DialogTest, SavingPlaceShowsFolderDriveAndOptionsOnlyWhenSet) {
  plugin.folder = L"D:\\Music\\Sorted";
  plugin.move = true;
  plugin.artist = true;
  FakeForm& f = Open();
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music\\Sorted");
  EXPECT_EQ(f.Drive(c().Drive1), L"d:");
  EXPECT_TRUE(f.Checked(c().chkmoveToFolder));
  EXPECT_FALSE(f.Checked(c().chkSortingOption));
  EXPECT_TRUE(f.Checked(c().chkCreateArtistFolder));

  plugin.folder = L"D:\\Gone";
  plugin.key = 5;
  FakeForm& g = Open();
  EXPECT_EQ(g.FolderPath(c().Dir1), L"C:\\") << "a missing folder leaves the list at its start";
  EXPECT_TRUE(g.Checked(c().chkmoveToFolder));
  EXPECT_EQ(g.SelectedIndex(c().cmbKey), 5);

  // An empty savingPlace leaves the three check boxes clear.
  plugin.folder.clear();
  plugin.move = plugin.sorting = plugin.artist = true;
  plugin.key = 3;
  FakeForm& h = Open();
  EXPECT_FALSE(h.Checked(c().chkmoveToFolder));
  EXPECT_FALSE(h.Checked(c().chkSortingOption));
  EXPECT_FALSE(h.Checked(c().chkCreateArtistFolder));
  EXPECT_EQ(h.SelectedIndex(c().cmbKey), 3);
  EXPECT_EQ(h.FolderPath(c().Dir1), L"C:\\");
}

TEST_F(DialogTest, ProfileListHidesIniConfigAndSelectsLastUsed) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  EXPECT_EQ(f.At(c().List1).items, (std::vector<std::wstring>{L"rockmix", L"trash"}));
  EXPECT_EQ(Selected(f, c().List1), L"trash");
  EXPECT_EQ(f.Text(c().saveAS), L"trash");

  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=\r\n[abc]\r\nKey=1\r\n");
  FakeForm& g = Open();
  EXPECT_EQ(g.At(c().List1).items, (std::vector<std::wstring>{L"abc"}));
  EXPECT_EQ(g.SelectedIndex(c().List1), -1);
  EXPECT_EQ(g.Text(c().saveAS), L"");
}

// --- Events of the controls ---------------------------------------------------

TEST_F(DialogTest, ProfileListMouseUpFillsTheNameBoxButTheKeyboardDoesNot) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().List1, 0);
  EXPECT_EQ(f.Text(c().saveAS), L"trash");
  f.MouseUp(c().List1);
  EXPECT_EQ(f.Text(c().saveAS), L"rockmix");
  f.Pick(c().List1, -1);
  f.MouseUp(c().List1);
  EXPECT_EQ(f.Text(c().saveAS), L"");
}

TEST_F(DialogTest, DriveChangeAndFolderClickOpenWhatWasChosenOrSayWhyNot) {
  FakeForm& f = Open();
  f.PickDrive(c().Drive1, L"d:");
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\");
  EXPECT_TRUE(ui.shown.empty());

  f.PickDrive(c().Drive1, L"e:");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, L"Drive not ready!");
  EXPECT_EQ(ui.shown[0].icon, Icon::Critical);
  EXPECT_EQ(f.Drive(c().Drive1), L"e:");
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\");

  // A click on a folder opens it; one that cannot be opened is reported.
  f.Highlight(c().Dir1, L"D:\\Music");
  f.MouseUp(c().Dir1);
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music");
  f.Highlight(c().Dir1, L"D:\\Vanished");
  f.MouseUp(c().Dir1);
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music");
  EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(DialogTest, NewFolderCreatesTheCleanedNameAndOpensIt) {
  FakeForm& f = Open();
  f.SetFolder(c().Dir1, L"D:\\Music");
  f.Type(c().txtnewfolder, L"My Songs");
  f.Click(c().Command4);
  EXPECT_TRUE(files.IsFolder(L"D:\\Music\\mysongs"));
  EXPECT_EQ(f.Text(c().txtnewfolder), L"mysongs");
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music\\mysongs");
  EXPECT_EQ(f.At(c().Dir1).refreshes, 1);

  f.SetFolder(c().Dir1, L"D:\\Music");
  f.Type(c().txtnewfolder, L"- -");
  f.Click(c().Command4);
  EXPECT_EQ(f.Text(c().txtnewfolder), L"");
  f.Type(c().txtnewfolder, L"Sorted");
  f.Click(c().Command4);
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music\\sorted");
  EXPECT_EQ(files.FoldersMade().size(), 1u);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DialogTest, EveryWayOfClosingClearsConfigDialogOpen) {
  FakeForm& f = Open();
  f.Tick(c().chkmoveToFolder, true);
  f.Pick(c().cmbKey, 4);
  f.Click(c().Command5);
  EXPECT_FALSE(f.open);
  EXPECT_FALSE(dialog::ConfigDialogOpen());
  EXPECT_EQ(plugin.key, 0);
  EXPECT_FALSE(plugin.move);
  EXPECT_FALSE(profile.Exists(kIni));

  Open().CloseBox();
  EXPECT_FALSE(dialog::ConfigDialogOpen());

  // Configure: modal over Winamp's window; Quit unloads it while it runs.
  bool wasOpen = false;
  toolkit.whileModal = [&](FakeForm& shown) {
    wasOpen = dialog::ConfigDialogOpen();
    EXPECT_EQ(shown.modalOwner, FakeWindows::kWinamp);
    dialog::UnloadConfig();
    EXPECT_FALSE(shown.open);
  };
  dialog::ShowConfig(&plugin);
  EXPECT_TRUE(wasOpen);
  EXPECT_FALSE(dialog::ConfigDialogOpen());

  toolkit.refuseWindows = true;
  dialog::ShowConfig(&plugin);
  EXPECT_EQ(ui.shown.size(), 1u);
}

// --- Load Settings --------------------------------------------------------------

TEST_F(DialogTest, LoadAppliesTheSampleProfile) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().List1, 0);
  f.Click(c().Command1);
  EXPECT_EQ(plugin.key, 11);
  EXPECT_EQ(Selected(f, c().cmbKey), L"K");
  EXPECT_TRUE(plugin.move && plugin.sorting && !plugin.artist);
  EXPECT_TRUE(f.Checked(c().chkmoveToFolder) && f.Checked(c().chkSortingOption));
  EXPECT_FALSE(f.Checked(c().chkCreateArtistFolder));
  EXPECT_EQ(f.FolderPath(c().Dir1), L"D:\\Music\\Sorted");
  EXPECT_EQ(f.Drive(c().Drive1), L"d:");
  std::wstring lastUsed;
  settings::SettingsIni().ReadValue(L"iniConfig", L"LastUsed", lastUsed);
  EXPECT_EQ(lastUsed, L"rockmix");
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DialogTest, LoadAppliesKeysOnlyAtTheirOwnPositionsAndOnlyOneIsTrue) {
  profile.SetText(kIni,
                  L"[odd]\r\nmoveToFolder=1\r\nKEY=7\r\nsavingPlace=C:\\\r\nsortingOption=True\r\n"
                  L"createArtistFolder=-1\r\n");
  plugin.move = plugin.sorting = plugin.artist = true;
  plugin.key = 2;
  FakeForm& f = Open();
  f.Pick(c().List1, 0);
  f.Click(c().Command1);
  EXPECT_EQ(plugin.key, 2);
  EXPECT_TRUE(plugin.move);
  EXPECT_EQ(plugin.folder, L"C:\\");
  EXPECT_FALSE(plugin.sorting);
  EXPECT_FALSE(plugin.artist);
}

TEST_F(DialogTest, LoadWithNothingSelectedOrAMissingSectionWritesNothing) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().List1, -1);
  f.Click(c().Command1);
  EXPECT_EQ(File(), kSample);

  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=old\r\n");
  f.Pick(c().List1, 1);  // "trash", gone from the file meanwhile
  f.Click(c().Command1);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].icon, Icon::Critical);
  EXPECT_EQ(ui.shown[0].text, settings::SettingsIni().LastErrorDescription());
  EXPECT_EQ(File(), L"[iniConfig]\r\nLastUsed=old\r\n");
}

TEST_F(DialogTest, LoadOfAMissingFolderARefusedHotkeyOrAnIncompleteProfileAppliesTheRest) {
  profile.SetText(kIni,
                  L"[p]\r\nKey=4\r\nmoveToFolder=1\r\nsavingPlace=D:\\Gone\r\nsortingOption=1\r\n"
                  L"createArtistFolder=1\r\n");
  plugin.refusedKeys = {4};
  FakeForm& f = Open();
  f.Pick(c().List1, 0);
  f.Click(c().Command1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Seems like the folder does not exist!"}));
  EXPECT_EQ(plugin.folder, L"D:\\Gone");
  EXPECT_EQ(Selected(f, c().cmbKey), L"<None>");
  EXPECT_TRUE(plugin.sorting && plugin.artist && plugin.move);

  // An incomplete profile: what it has is applied, and the box says what is missing.
  profile.SetText(kIni, L"[short]\r\nKey=x1\r\nmoveToFolder=1\r\n");
  plugin.key = 9;
  plugin.move = false;
  plugin.folder.clear();
  FakeForm& g = Open();
  g.Pick(c().List1, 0);
  g.Click(c().Command1);
  EXPECT_EQ(plugin.key, 9);
  EXPECT_TRUE(plugin.move);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_NE(ui.shown[1].text.find(L"2 of their 5 entries"), std::wstring::npos) << ui.shown[1].text.c_str();
  EXPECT_NE(ui.shown[1].text.find(L"'x1'"), std::wstring::npos);
  std::wstring lastUsed;
  settings::SettingsIni().ReadValue(L"iniConfig", L"LastUsed", lastUsed);
  EXPECT_EQ(lastUsed, L"short");
}

// --- Save Settings --------------------------------------------------------------

TEST_F(DialogTest, SavingTheSampleThroughTheDialogWritesTheSampleFile) {
  FakeForm& f = Open();
  f.Pick(c().cmbKey, 11);
  f.Tick(c().chkmoveToFolder, true);
  f.Highlight(c().Dir1, L"D:\\Music\\Sorted");
  f.MouseUp(c().Dir1);
  f.Tick(c().chkSortingOption, true);
  f.Type(c().saveAS, L"Rock Mix");
  f.Click(c().Command3);
  EXPECT_EQ(f.Text(c().saveAS), L"rockmix");

  f.Pick(c().cmbKey, 20);
  f.Tick(c().chkmoveToFolder, false);
  f.Tick(c().chkSortingOption, false);
  f.PickDrive(c().Drive1, L"c:");
  f.Type(c().saveAS, L"trash");
  f.Click(c().Command3);
  EXPECT_EQ(File(), kSample);
  EXPECT_EQ(f.At(c().List1).items, (std::vector<std::wstring>{L"rockmix", L"trash"}));
  EXPECT_EQ(Selected(f, c().List1), L"trash");
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DialogTest, SavingMyMixStoresShowsAndSelectsMymix) {
  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=\r\n[other]\r\nKey=1\r\n");
  FakeForm& f = Open();
  f.Pick(c().cmbKey, -1);
  f.Type(c().saveAS, L"My Mix");
  f.Click(c().Command3);
  EXPECT_EQ(f.Text(c().saveAS), L"mymix");
  EXPECT_EQ(f.At(c().List1).items, (std::vector<std::wstring>{L"other", L"mymix"}));
  EXPECT_EQ(Selected(f, c().List1), L"mymix");
  std::vector<std::wstring> keys, values;
  ASSERT_TRUE(settings::SettingsIni().ReadSection(L"mymix", keys, values));
  EXPECT_EQ(values[0], L"-1") << "no hotkey entry selected";
  EXPECT_EQ(values[2], L"C:\\");
  std::wstring lastUsed;
  settings::SettingsIni().ReadValue(L"iniConfig", L"LastUsed", lastUsed);
  EXPECT_EQ(lastUsed, L"mymix");
}

TEST_F(DialogTest, SavingAnEmptyNameOrCancellingAnOverwriteWritesNothing) {
  FakeForm& f = Open();
  f.Type(c().saveAS, L" - -  -");
  f.Click(c().Command3);
  EXPECT_EQ(f.Text(c().saveAS), L"");
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Please enter a name for this setting"}));
  EXPECT_FALSE(profile.Exists(kIni));

  profile.SetText(kIni, kSample);
  FakeForm& g = Open();
  g.Type(c().saveAS, L"Trash");
  ui.answers = {Answer::Cancel};
  g.Click(c().Command3);
  EXPECT_EQ(ui.shown.back().text, L"Overwrite settings 'trash'?");
  EXPECT_EQ(File(), kSample);
  g.Pick(c().cmbKey, 1);
  g.Click(c().Command3);  // OK this time
  EXPECT_NE(File().find(L"[trash]\r\nKey=1\r\n"), std::wstring::npos);
}

TEST_F(DialogTest, AFailedSaveSaysWhyAndChangesNothing) {
  profile.SetText(kIni, kSample);
  profile.writeFailure = 5;
  FakeForm& f = Open();
  f.Type(c().saveAS, L"new");
  f.Click(c().Command3);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_TRUE(ui.shown[0].text.starts_with(L"Error: ")) << ui.shown[0].text.c_str();
  EXPECT_EQ(ui.shown[0].icon, Icon::Exclamation);
  EXPECT_EQ(File(), kSample);
  EXPECT_EQ(f.ItemCount(c().List1), 2);
}

// --- Delete Settings --------------------------------------------------------------

TEST_F(DialogTest, DeleteRemovesEveryLineOfTheProfileAndEmptiesLastUsedOnlyForItsOwn) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  ASSERT_EQ(Selected(f, c().List1), L"trash");
  f.Click(c().Command2);
  EXPECT_EQ(ui.shown[0].text, L"Are you sure you want to delete settings 'trash'?");
  EXPECT_EQ(File(),
            L"[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
            L"createArtistFolder=0\r\n[iniConfig]\r\nLastUsed=\r\n");
  EXPECT_EQ(f.At(c().List1).items, (std::vector<std::wstring>{L"rockmix"}));

  // Deleting a profile LastUsed does not name keeps LastUsed.
  profile.SetText(kIni, kSample);
  FakeForm& g = Open();
  g.Pick(c().List1, 0);
  g.Click(c().Command2);
  EXPECT_EQ(File(),
            L"[iniConfig]\r\nLastUsed=trash\r\n[trash]\r\nKey=20\r\nmoveToFolder=0\r\n"
            L"savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n");
}

TEST_F(DialogTest, CancelledOrEmptyDeleteChangesNothing) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  ui.answers = {Answer::Cancel};
  f.Click(c().Command2);
  EXPECT_EQ(File(), kSample) << "LastUsed still names the kept profile";

  f.Pick(c().List1, -1);
  f.Click(c().Command2);
  EXPECT_EQ(File(), kSample);

  profile.Remove(kIni);
  FakeForm& g = Open();
  g.Click(c().Command2);
  EXPECT_FALSE(profile.Exists(kIni));
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(DialogTest, AHeaderThatCannotBeRemovedIsReportedAndStaysListed) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  front.refuseRewrite = true;
  f.Click(c().Command2);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_NE(ui.shown[1].text.find(L"trash"), std::wstring::npos);
  EXPECT_NE(ui.shown[1].text.find(L"being used by another process"), std::wstring::npos);
  EXPECT_EQ(ui.shown[1].title, L"Vandrel");
  EXPECT_EQ(f.ItemCount(c().List1), 2);
  EXPECT_NE(File().find(L"[trash]\r\n"), std::wstring::npos);
  EXPECT_EQ(File().find(L"Key=20"), std::wstring::npos);
  EXPECT_NE(File().find(L"LastUsed=\r\n"), std::wstring::npos);
}

// --- Perform whole Playlist ---------------------------------------------------------

class PlaylistRunTest : public DialogTest {
 protected:
  void Add(const std::wstring& name, bool present) {
    if (present) files.AddFile(name, "x");
    windows.playlist.push_back(std::string(name.begin(), name.end()));
  }
  void Run() {
    FakeForm& f = Open();
    f.Click(c().cmdSort);
  }
};

TEST_F(PlaylistRunTest, CancelTouchesNothingAndAnEmptyPlaylistSaysDone) {
  Add(L"C:\\a.mp3", true);
  ui.answers = {Answer::Cancel};
  Run();
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Perform full playlist?", L"Cancelled!"}));
  EXPECT_TRUE(windows.Commands().empty());
  EXPECT_TRUE(files.IsFile(L"C:\\a.mp3"));

  windows.playlist.clear();
  ui.shown.clear();
  Run();
  EXPECT_EQ(plugin.acts, 0);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_TRUE(ui.shown[1].text.starts_with(L"Done!\r\n\r\nPlaylist cleared!"));
}

TEST_F(PlaylistRunTest, MovesPastSkippedEntriesShowsTheNetworkBoxOnceAndCounts) {
  Add(L"C:\\a.mp3", true);
  Add(L"C:\\missing.mp3", false);
  Add(L"\\\\server\\share\\x.mp3", false);
  Add(L"C:\\b.mp3", true);
  Add(L"\\\\server\\share\\y.mp3", false);
  Add(L"C:\\c.mp3", true);
  Run();
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3") || files.IsFile(L"C:\\b.mp3") || files.IsFile(L"C:\\c.mp3"));
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_EQ(ui.shown[1].text, L"Can't move file from network!");
  EXPECT_EQ(ui.shown[2].text,
            L"Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 3\r\nEntries skipped: 3");
  EXPECT_TRUE(windows.playlist.empty());
}

TEST_F(PlaylistRunTest, AFailedDeleteEndsTheRunWithoutDone) {
  Add(L"C:\\a.mp3", true);
  Add(L"C:\\b.mp3", true);
  Add(L"C:\\c.mp3", true);
  plugin.failOn = L"C:\\b.mp3";
  Run();
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_TRUE(ui.shown[1].text.starts_with(L"Can't delete C:\\b.mp3: the file is in use."));
  EXPECT_NE(ui.shown[1].text.find(L"not cleared"), std::wstring::npos);
  EXPECT_EQ(ui.shown[1].icon, Icon::Critical);
  EXPECT_TRUE(files.IsFile(L"C:\\c.mp3"));
  EXPECT_EQ(windows.playlist.size(), 3u);
}

TEST_F(PlaylistRunTest, NoTargetFolderEndsTheRunAtOnce) {
  Add(L"C:\\a.mp3", true);
  Add(L"C:\\b.mp3", true);
  plugin.noTarget = true;
  Run();
  EXPECT_EQ(plugin.acts, 1);
  EXPECT_EQ(windows.playlist.size(), 2u);
  EXPECT_EQ(ui.shown.back().icon, Icon::Exclamation);
}

TEST_F(PlaylistRunTest, UnloadingTheDialogMidRunEndsIt) {
  Add(L"C:\\a.mp3", true);
  Add(L"C:\\b.mp3", true);
  plugin.whileActing = [&] { frm->Unload(); };
  Run();
  EXPECT_EQ(plugin.acts, 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Perform full playlist?"}));
  EXPECT_EQ(windows.playlist.size(), 2u);
}

}  // namespace
}  // namespace vandrel
