// frmConfig over the fake toolkit, driven as a user would, with the real plug-in object behind it.
#include <gtest/gtest.h>

#include <memory>

#include "core/vandrel.h"
#include "dialog/config.h"
#include "dialog/frm_config.h"
#include "hotkey/hook.h"
#include "journal/journal.h"
#include "settings/ini_class.h"
#include "settings/profile.h"
#include "support/fake_toolkit.h"

namespace vandrel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::FakeForm;
using Texts = std::vector<std::wstring>;
constexpr auto npos = std::wstring::npos;

constexpr wchar_t kIni[] = L"C:\\Plugins\\vandrel.ini";
constexpr wchar_t kRockmix[] =
    L"[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
    L"createArtistFolder=0\r\nmodifiers=3\r\n";
constexpr wchar_t kTrash[] =
    L"[trash]\r\nKey=20\r\nmoveToFolder=0\r\nsavingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n"
    L"modifiers=8\r\n";
const std::wstring kSample = kRockmix + std::wstring(L"[iniConfig]\r\nLastUsed=trash\r\n") + kTrash;
// The same profiles as the dialog saves them now: with their later entries.
std::wstring Saved(std::wstring text) {
  for (auto at = text.find(L"modifiers="); at != npos; at = text.find(L"modifiers=", at + 1))
    text.insert(text.find(L"\r\n", at) + 2,
                L"alwaysActive=0\r\nplaylistEntry=0\r\nartistFromTags=0\r\nlibraryEntry=1\r\ncompanionFiles="
                L"0\r\nremoveEmptyFolders=0\r\n");
  return text;
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    files.AddFolder(L"C:\\Plugins");
    files.AddFolder(L"D:\\Music\\Sorted");
    files.AddFolder(L"E:\\");
    files.notReady.insert(L'e');
    plugin.IZekWinAmpGenPlugin_Initialize(std::make_shared<testing::FakeWrapper>());
    ui.shown.clear();
  }
  ~DialogTest() override { plugin.IZekWinAmpGenPlugin_Quit(); }

  // Opens the dialog as Configure does, up to the modal loop.
  FakeForm& Open(dialog::Plugin* with) {
    frm = std::make_unique<dialog::FrmConfig>(with);
    EXPECT_TRUE(frm->Load());
    return *toolkit.last;
  }
  FakeForm& Open() { return Open(&plugin); }
  const dialog::FrmConfig::Controls& c() const { return frm->controls(); }
  std::wstring File() const { return profile.Text(kIni); }
  void Add(const std::string& name, bool present = true) {
    if (present) files.AddFile(std::wstring(name.begin(), name.end()));
    windows.playlist.push_back(name);
  }
  void Run() { Open().Click(c().cmdSort); }

  testing::FakeWindows windows;
  testing::FakeUi ui;
  testing::FakeFiles files;
  testing::FakeProfile profile{files};
  testing::FakeToolkit toolkit{files};
  platform::ScopedServices services{{&windows, &ui, &files, &profile, &toolkit}};
  core::Vandrel plugin;
  std::unique_ptr<dialog::FrmConfig> frm;
};

TEST_F(DialogTest, OpeningShowsThePluginsSettingsAndTheProfiles) {
  profile.SetText(kIni, kSample);
  FakeForm& none = Open(nullptr);
  EXPECT_EQ(none.ItemCount(c().cmbKey) + none.ItemCount(c().profileList), 0);
  EXPECT_FALSE(dialog::ConfigDialogOpen());

  plugin.SetKey(26);
  plugin.SetsavingPlace(L"D:\\Music\\Sorted");
  plugin.SetmoveToFolder(true);
  plugin.SetcreateArtistFolder(true);
  FakeForm& f = Open();
  EXPECT_TRUE(dialog::ConfigDialogOpen());
  EXPECT_EQ(f.ItemText(c().cmbKey, 0), L"<None>");
  EXPECT_EQ(f.SelectedText(c().cmbKey), L"Z");
  EXPECT_EQ(f.At(c().profileList).items, (Texts{L"rockmix", L"trash"}));
  EXPECT_EQ(f.SelectedText(c().profileList), L"trash");
  EXPECT_EQ(f.Text(c().saveAS), L"trash");
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\Music\\Sorted");
  EXPECT_EQ(f.Drive(c().driveSelector), L"d:");
  EXPECT_TRUE(f.Checked(c().chkmoveToFolder) && f.Checked(c().chkCreateArtistFolder) &&
              !f.Checked(c().chkSortingOption));

  // Without a target folder the check boxes stay clear; an empty LastUsed selects nothing.
  plugin.SetsavingPlace(L"");
  plugin.SetsortingOption(true);
  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=\r\n[abc]\r\nKey=1\r\n");
  FakeForm& g = Open();
  EXPECT_FALSE(g.Checked(c().chkmoveToFolder) || g.Checked(c().chkSortingOption) ||
               g.Checked(c().chkCreateArtistFolder));
  EXPECT_EQ(g.SelectedIndex(c().profileList), -1);
}

TEST_F(DialogTest, TheControlsEvents) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().profileList, 0);
  f.MouseUp(c().profileList);
  EXPECT_EQ(f.Text(c().saveAS), L"rockmix");

  f.PickDrive(c().driveSelector, L"d:");
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\");
  f.PickDrive(c().driveSelector, L"e:");
  f.Highlight(c().folderList, L"D:\\Music");
  f.MouseUp(c().folderList);
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\Music");
  f.Highlight(c().folderList, L"D:\\Vanished");
  f.MouseUp(c().folderList);
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\Music");
  EXPECT_EQ(ui.Texts(), (Texts{L"Drive not ready!", L"Can't open the folder D:\\Vanished."}));
  EXPECT_EQ(ui.shown[0].icon, Icon::Critical);
  EXPECT_EQ(ui.shown[1].icon, Icon::Exclamation);

  f.SetFolder(c().folderList, L"D:\\Music");
  f.Type(c().txtnewfolder, L"My Songs");
  f.Click(c().newFolder);
  EXPECT_TRUE(files.IsFolder(L"D:\\Music\\mysongs"));
  EXPECT_EQ(f.Text(c().txtnewfolder), L"mysongs");
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\Music\\mysongs");
  EXPECT_EQ(f.At(c().folderList).refreshes, 1);
  f.Type(c().txtnewfolder, L"- -");
  f.Click(c().newFolder);
  EXPECT_EQ(f.Text(c().txtnewfolder), L"");

  f.Click(c().playlistHelp);
  EXPECT_EQ(ui.shown.back().text,
            L"This will automatically go through your entire playlist, performing the specified action you "
            L"defined - either moves all files or deletes all files!");
}

TEST_F(DialogTest, TheUndoPageSetsTheUndoShortcutAndTheNoticesAndShowsThemAndTheJournalsLastLines) {
  profile.SetText(kIni, kSample);
  std::string& journalText = files.files[L"c:\\plugins\\vandrel-journal.txt"];
  for (int i = 0; i < 52; ++i)
    journalText +=
        journal::Format({"2026-12-07T10:31:05", L"moved", L"C:\\in\\" + std::to_wstring(i) + L".mp3",
                         L"D:\\Keep\\a\\" + std::to_wstring(i) + L".mp3", L"p", i});
  journalText += "not a line\r\n";
  FakeForm& f = Open();
  EXPECT_EQ(f.ItemCount(c().journalList), 50);
  EXPECT_EQ(f.SelectedText(c().journalList), L"2026-12-07 10:31:05  moved  51.mp3 to D:\\Keep\\a");
  f.Click(c().openJournal);
  EXPECT_EQ(ui.edited, Texts{L"C:\\Plugins\\vandrel-journal.txt"});
  EXPECT_TRUE(f.SelectedIndex(c().cmbUndoKey) == 0 && f.Checked(c().chkNotify));
  f.Pick(c().cmbUndoKey, 26);
  f.Click(c().setUndoKey);
  EXPECT_EQ(ui.Texts().back(), L"Tick at least one of Ctrl, Alt, Shift and Win for the undo shortcut.");
  f.SetChecked(c().chkUndoCtrl, true);
  f.SetChecked(c().chkUndoShift, true);
  f.Click(c().setUndoKey);
  EXPECT_EQ(ui.Texts().back(), L"Undo's shortcut is now Ctrl+Shift+Z.");
  EXPECT_TRUE(plugin.UndoModifiers() == 6 && plugin.UndoKey() == 26);
  f.SetChecked(c().chkNotify, false);
  f.Click(c().chkNotify);
  EXPECT_FALSE(plugin.notify());
  FakeForm& again = Open();
  EXPECT_EQ(again.SelectedIndex(c().cmbUndoKey), 26);
  EXPECT_TRUE(again.Checked(c().chkUndoShift) && !again.Checked(c().chkUndoAlt) &&
              !again.Checked(c().chkNotify));
}

TEST_F(DialogTest, EveryWayOfClosingClearsConfigDialogOpen) {
  FakeForm& f = Open();
  f.Click(c().closeDialog);
  EXPECT_FALSE(dialog::ConfigDialogOpen() || f.open);

  // Configure shows it modally over Winamp's window; Quit unloads it meanwhile.
  bool wasOpen = false;
  toolkit.whileModal = [&](FakeForm& shown) {
    wasOpen = dialog::ConfigDialogOpen();
    EXPECT_EQ(shown.owner, testing::FakeWindows::kWinamp);
    shown.PickDrive(c().driveSelector, L"e:");
    EXPECT_EQ(ui.shown.back().owner, shown.Handle()) << "boxes over the dialog belong to it";
    plugin.IZekWinAmpGenPlugin_Quit();
    EXPECT_FALSE(shown.open);
  };
  plugin.IZekWinAmpGenPlugin_Configure();
  EXPECT_TRUE(wasOpen);
  EXPECT_FALSE(dialog::ConfigDialogOpen());

  toolkit.refuseWindows = true;
  dialog::ShowConfig(&plugin);
  EXPECT_EQ(ui.Texts(), (Texts{L"Drive not ready!", L"The configuration dialog could not be opened."}));
  EXPECT_EQ(ui.shown.back().owner, testing::FakeWindows::kWinamp) << "other boxes belong to Winamp's window";
}

TEST_F(DialogTest, LoadAppliesTheSelectedProfileByPosition) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().profileList, 0);
  f.Click(c().loadSettings);
  EXPECT_EQ(plugin.Key(), 11);
  EXPECT_EQ(f.SelectedText(c().cmbKey), L"K");
  EXPECT_EQ(plugin.Modifiers(), 3);
  EXPECT_TRUE(f.Checked(c().chkCtrl) && f.Checked(c().chkAlt) && !f.Checked(c().chkShift) &&
              !f.Checked(c().chkWin));
  EXPECT_TRUE(plugin.moveToFolder() && plugin.sortingOption() && !plugin.createArtistFolder());
  EXPECT_TRUE(f.Checked(c().chkmoveToFolder) && f.Checked(c().chkSortingOption) &&
              !f.Checked(c().chkCreateArtistFolder));
  EXPECT_EQ(plugin.savingPlace(), L"D:\\Music\\Sorted");
  EXPECT_EQ(f.FolderPath(c().folderList), L"D:\\Music\\Sorted");
  EXPECT_EQ(f.Drive(c().driveSelector), L"d:");
  EXPECT_EQ(File(), kRockmix + std::wstring(L"[iniConfig]\r\nLastUsed=rockmix\r\n") + kTrash);
  EXPECT_TRUE(ui.shown.empty());

  // Entries out of place are skipped; only "1" is true.
  profile.SetText(kIni,
                  L"[odd]\r\nmoveToFolder=0\r\nKEY=7\r\nsavingPlace=C:\\\r\nsortingOption=True\r\n"
                  L"createArtistFolder=-1\r\n");
  FakeForm& g = Open();
  g.Pick(c().profileList, 0);
  g.Click(c().loadSettings);
  EXPECT_EQ(plugin.Key(), 11);
  EXPECT_TRUE(plugin.moveToFolder());
  EXPECT_EQ(plugin.savingPlace(), L"C:\\");
  EXPECT_FALSE(plugin.sortingOption() || plugin.createArtistFolder());
}

TEST_F(DialogTest, LoadTellsWhatItCouldNotApply) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  f.Pick(c().profileList, -1);
  f.Click(c().loadSettings);
  EXPECT_EQ(File(), kSample);
  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=old\r\n");
  f.Pick(c().profileList, 1);  // "trash", gone from the file meanwhile
  f.Click(c().loadSettings);
  EXPECT_EQ(ui.Texts(), Texts{L"An unknown error has occured"});
  EXPECT_EQ(ui.shown[0].icon, Icon::Critical);
  EXPECT_EQ(File(), L"[iniConfig]\r\nLastUsed=old\r\n");

  profile.SetText(kIni,
                  L"[p]\r\nKey=4\r\nmoveToFolder=1\r\nsavingPlace=D:\\Gone\r\nsortingOption=1\r\n"
                  L"createArtistFolder=1\r\n[short]\r\nKey=x1\r\nmoveToFolder=1\r\n");
  windows.takenKeys.insert(68);
  FakeForm& g = Open();
  g.Pick(c().profileList, 0);
  g.Click(c().loadSettings);
  EXPECT_EQ(plugin.savingPlace(), L"D:\\Gone");
  EXPECT_EQ(g.SelectedText(c().cmbKey), L"<None>") << "the hotkey was refused";
  EXPECT_TRUE(plugin.sortingOption() && plugin.createArtistFolder());
  EXPECT_EQ(ui.shown.back().text, L"Seems like the folder does not exist!");

  plugin.SetmoveToFolder(false);
  ui.shown.clear();
  g.Pick(c().profileList, 1);
  g.Click(c().loadSettings);
  EXPECT_TRUE(plugin.moveToFolder());
  EXPECT_EQ(ui.Texts(),
            Texts{L"The settings 'short' hold 2 of their 5 entries; the missing ones were left as they "
                  L"were.\r\n\r\nThe hotkey entry 'x1' is not a usable number (Type mismatch); the "
                  L"hotkey was left as it was."});
  EXPECT_EQ(ui.shown[0].icon, Icon::Exclamation);
  EXPECT_NE(File().find(L"[iniConfig]\r\nLastUsed=short\r\n"), npos);
}

TEST_F(DialogTest, TwoSavesWriteTheSampleFile) {
  FakeForm& f = Open();
  EXPECT_TRUE(f.Checked(c().chkWin) && !f.Checked(c().chkCtrl)) << "the Windows key until chosen otherwise";
  f.Pick(c().cmbKey, 11);
  f.Tick(c().chkWin, false);
  f.Type(c().saveAS, L"Rock Mix");
  f.Click(c().saveSettings);
  EXPECT_EQ(ui.Texts(), Texts{L"Tick at least one of Ctrl, Alt, Shift and Win for the hotkey (Ctrl and Alt, "
                              L"for example)."});
  ui.shown.clear();
  for (auto box : {c().chkCtrl, c().chkAlt, c().chkmoveToFolder, c().chkSortingOption}) f.Tick(box, true);
  f.SetFolder(c().folderList, L"D:\\Music\\Sorted");
  f.Click(c().saveSettings);
  EXPECT_EQ(f.Text(c().saveAS), L"rockmix");
  f.Pick(c().cmbKey, 20);
  for (auto box : {c().chkCtrl, c().chkAlt, c().chkmoveToFolder, c().chkSortingOption}) f.Tick(box, false);
  f.Tick(c().chkWin, true);
  f.PickDrive(c().driveSelector, L"c:");
  f.Type(c().saveAS, L"trash");
  f.Click(c().saveSettings);
  EXPECT_EQ(File(), Saved(kSample));
  EXPECT_EQ(f.At(c().profileList).items, (Texts{L"rockmix", L"trash"}));
  EXPECT_EQ(f.SelectedText(c().profileList), L"trash");
  EXPECT_TRUE(ui.shown.empty());

  f.Pick(c().cmbKey, -1);
  f.Type(c().saveAS, L"My Mix");
  f.Click(c().saveSettings);
  EXPECT_NE(File().find(L"[mymix]\r\nKey=-1\r\n"), npos) << "no hotkey entry selected";
  EXPECT_EQ(f.SelectedText(c().profileList), L"mymix");
}

TEST_F(DialogTest, AnActiveProfileIsShownRegisteredOnSaveWarnedOfASharedShortcutAndDroppedOnDelete) {
  constexpr unsigned kCtrlAlt = 0x4003;
  profile.SetText(kIni,
                  kRockmix + std::wstring(L"alwaysActive=1\r\n[iniConfig]\r\nLastUsed=trash\r\n") + kTrash);
  plugin.RefreshShortcuts(true);
  ASSERT_NE(windows.IdOf('K', kCtrlAlt), 0);
  FakeForm& f = Open();
  EXPECT_EQ(f.Text(c().profileSummary), L"Win+T\r\nDeletes the file");
  f.Pick(c().profileList, 0);
  f.MouseUp(c().profileList);
  EXPECT_EQ(f.Text(c().profileSummary), L"Ctrl+Alt+K, always active\r\nMoves to D:\\Music\\Sorted, A to Z");
  f.Click(c().loadSettings);
  EXPECT_TRUE(f.Checked(c().chkAlwaysActive));
  EXPECT_EQ(windows.IdOf('K', kCtrlAlt), hotkey::HotKeyId()) << "the working shortcut now";
  EXPECT_TRUE(ui.shown.empty()) << "the loaded profile's own shortcut gives way silently";

  ui.answers = {Answer::Cancel};
  f.Type(c().saveAS, L"copy");
  f.Click(c().saveSettings);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"Ctrl+Alt+K is already kept active by the settings 'rockmix'"), npos);
  EXPECT_EQ(File().find(L"[copy]"), npos);
  f.Pick(c().cmbKey, 13);
  f.Pick(c().cmbPlaylistEntry, 2);
  f.Tick(c().chkArtistFromTags, true);
  f.Tick(c().chkRemoveEmptyFolders, true);
  f.Tick(c().chkCompanionFiles, true);
  f.Click(c().saveSettings);
  EXPECT_NE(windows.IdOf('M', kCtrlAlt), 0);
  EXPECT_TRUE(File().ends_with(
      L"alwaysActive=1\r\nplaylistEntry=2\r\nartistFromTags=1\r\nlibraryEntry=0\r\ncompanionFiles="
      L"1\r\nremoveEmptyFolders=1\r\n"))
      << File() << "the library as loaded: the profile had no such entry";
  f.Pick(c().cmbPlaylistEntry, 0);
  f.Tick(c().chkArtistFromTags, false);
  f.Click(c().loadSettings);
  EXPECT_EQ(plugin.playlistEntry(), 2);
  EXPECT_EQ(f.SelectedIndex(c().cmbPlaylistEntry), 2);
  EXPECT_TRUE(plugin.artistFromTags() && f.Checked(c().chkArtistFromTags));
  plugin.SetShortcut(3, 11);  // the working shortcut K again: M is copy's own registration once more
  f.Click(c().deleteSettings);
  EXPECT_EQ(windows.IdOf('M', kCtrlAlt), 0);
  EXPECT_TRUE(Open().Checked(c().chkArtistFromTags)) << "shown on opening";
}

TEST_F(DialogTest, AnEmptyNameACancelledOverwriteOrARefusedWriteChangesNothing) {
  FakeForm& f = Open();
  f.Type(c().saveAS, L" - -  -");
  f.Click(c().saveSettings);
  EXPECT_EQ(f.Text(c().saveAS), L"");
  EXPECT_FALSE(files.IsFile(kIni));

  profile.SetText(kIni, kSample);
  FakeForm& g = Open();
  g.Type(c().saveAS, L"Trash");
  ui.answers = {Answer::Cancel};
  g.Click(c().saveSettings);
  EXPECT_EQ(File(), kSample);
  profile.writeFailure = 5;
  g.Click(c().saveSettings);  // OK this time, but the write is refused
  EXPECT_EQ(File(), kSample);
  EXPECT_EQ(
      ui.Texts(),
      (Texts{
          L"Please enter a name for this setting", L"Overwrite settings 'trash'?",
          L"Overwrite settings 'trash'?",
          L"Error: the settings file C:\\Plugins\\vandrel.ini could not be written:\r\n\r\nAccess denied."}));
  EXPECT_EQ(ui.shown[3].icon, Icon::Exclamation);
  profile.writeFailure = 0;
  // A folder the ANSI settings file cannot hold is refused, never saved mangled.
  files.AddFolder(L"C:\\\u03A9mega");
  files.AddFolder(L"C:\\\u00C4rzte");
  g.SetFolder(c().folderList, L"C:\\\u03A9mega");
  g.Click(c().saveSettings);
  EXPECT_EQ(File(), kSample);
  EXPECT_NE(ui.shown.back().text.find(L"not saved: the folder\r\nC:\\\u03A9mega\r\n"), npos);
  g.SetFolder(c().folderList, L"C:\\\u00C4rzte");
  g.Pick(c().cmbKey, 1);
  g.Click(c().saveSettings);
  EXPECT_NE(File().find(L"[trash]\r\nKey=1\r\nmoveToFolder=0\r\nsavingPlace=C:\\\u00C4rzte\r\n"), npos);
}

TEST_F(DialogTest, DeleteTakesTheProfileOutAndEmptiesLastUsedOnlyForItsOwn) {
  profile.SetText(kIni, kSample);
  FakeForm& f = Open();
  ui.answers = {Answer::Cancel};
  f.Click(c().deleteSettings);
  EXPECT_EQ(File(), kSample);
  f.Click(c().deleteSettings);
  EXPECT_EQ(ui.Texts(), Texts(2, L"Are you sure you want to delete settings 'trash'?"));
  EXPECT_EQ(ui.shown[0].icon, Icon::Question);
  EXPECT_EQ(File(), kRockmix + std::wstring(L"[iniConfig]\r\nLastUsed=\r\n"));
  EXPECT_EQ(f.At(c().profileList).items, Texts{L"rockmix"});
  f.Click(c().deleteSettings);  // nothing selected now
  EXPECT_EQ(ui.shown.size(), 2u);

  profile.SetText(kIni, kSample);
  Open().Pick(c().profileList, 0);
  toolkit.last->Click(c().deleteSettings);
  EXPECT_EQ(File(), L"[iniConfig]\r\nLastUsed=trash\r\n" + std::wstring(kTrash));

  // A header that cannot be taken out is reported and stays listed.
  profile.SetText(kIni, kSample);
  FakeForm& g = Open();
  files.failing[L"ReplaceAllBytes c:\\plugins\\vandrel.ini"] = 32;
  g.Click(c().deleteSettings);
  EXPECT_EQ(ui.shown.back().text,
            L"The settings \"trash\" were deleted, but their header could not be removed from "
            L"C:\\Plugins\\vandrel.ini:\r\n\r\nSystem error 32");
  EXPECT_EQ(ui.shown.back().icon, Icon::Exclamation);
  EXPECT_EQ(g.ItemCount(c().profileList), 2);
  EXPECT_EQ(File(), kRockmix + std::wstring(L"[iniConfig]\r\nLastUsed=\r\n[trash]\r\n"));
  EXPECT_TRUE(
      settings::HeaderNotRemovedMessage(L"x", {5, L"\r\n"}).ends_with(L"vandrel.ini:\r\n\r\nError 5."));
}

using PlaylistRunTest = DialogTest;

TEST_F(PlaylistRunTest, CancelNoPluginOrAnUnloadedDialogActsOnNothing) {
  Add("\\\\server\\x.mp3", false);
  Add("C:\\a.mp3");
  ui.answers = {Answer::Cancel};
  Run();
  EXPECT_EQ(ui.Texts(), (Texts{L"Perform full playlist?\r\n\r\nDelete 2 files.", L"Cancelled!"}));
  EXPECT_EQ(ui.shown[0].icon, Icon::Question);
  EXPECT_EQ(ui.shown[1].icon, Icon::Critical);
  Open(nullptr).Click(c().cmdSort);
  EXPECT_EQ(ui.shown.back().text, L"The plug-in is not running: there is nothing to act with.");
  // Quit unloads the dialog while the question, or then the network box, is up.
  for (std::size_t boxes : {1u, 2u}) {
    ui.shown.clear();
    ui.onBox = [&] {
      if (ui.shown.size() == boxes) frm->Unload();
    };
    Run();
    EXPECT_EQ(ui.shown.size(), boxes);
  }
  ui.onBox = nullptr;
  EXPECT_EQ(ui.shown.back().text, L"Can't move file from network!");
  EXPECT_TRUE(files.IsFile(L"C:\\a.mp3"));
  EXPECT_EQ(windows.commands, (std::vector<std::uintptr_t>{40047})) << "only the stop";
  for (int i = 0; i < 1232; ++i) Add("C:\\gone.mp3", false);
  ui.answers = {Answer::Cancel};
  Run();
  EXPECT_EQ(ui.shown[ui.shown.size() - 2].text, L"Perform full playlist?\r\n\r\nDelete 1,234 files.");
}

TEST_F(PlaylistRunTest, ActsOnEveryEntryCountsAndClearsThePlaylist) {
  plugin.SetmoveToFolder(true);
  plugin.SetsavingPlace(L"D:\\Music\\Sorted");
  files.AddFile(L"D:\\Music\\Sorted\\d.mp3");
  for (const char* name : {"C:\\a.mp3", "C:\\d.mp3", "C:\\b.mp3", "C:\\c.mp3"}) Add(name);
  Add("C:\\missing.mp3", false);
  Add("\\\\server\\share\\x.mp3", false);
  Add("\\\\server\\share\\y.mp3", false);
  windows.position = 3;  // wherever Winamp stands, the run starts at the first entry
  Texts progress;        // the progress window's owner and lines, at each pump
  toolkit.onPump = [&] {
    FakeForm& f = *toolkit.last;
    progress.push_back(std::to_wstring(f.owner) + L" " + f.At(1).text + L" " + f.At(2).text);
  };
  Run();
  for (const wchar_t* name :
       {L"D:\\Music\\Sorted\\a.mp3", L"D:\\Music\\Sorted\\b.mp3", L"D:\\Music\\Sorted\\c.mp3", L"C:\\d.mp3"})
    EXPECT_TRUE(files.IsFile(name)) << name;
  EXPECT_EQ(
      ui.Texts(),
      (Texts{L"Perform full playlist?\r\n\r\nMove 7 files to D:\\Music\\Sorted.",
             L"Can't move file from network!",
             L"Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 3\r\nEntries skipped: 4"}));
  EXPECT_EQ(ui.shown[2].icon, Icon::Information);
  EXPECT_TRUE(windows.playlist.empty());
  EXPECT_EQ(windows.commands, (std::vector<std::uintptr_t>{40047})) << "stopped once, never moved on";
  ASSERT_EQ(progress.size(), 7u);
  EXPECT_EQ(progress[0], L"4660 Entry 1 of 7 C:\\a.mp3");
  EXPECT_EQ(progress[6], L"4660 Entry 7 of 7 \\\\server\\share\\y.mp3");
}

TEST_F(PlaylistRunTest, TheHoldingFolderIsSetOnTheUndoPageAndARunAsksOnceForAllItsSongs) {
  FakeForm& f = Open();
  f.Type(c().txtHoldingFolder, L"D:\\Held");
  f.Click(c().setHolding);
  EXPECT_EQ(ui.Texts().back().find(L"The holding folder\r\nD:\\Held\r\ncannot take files"), 0u);
  EXPECT_EQ(f.Text(c().txtHoldingFolder), L"") << "as it was";
  files.AddFolder(L"D:\\Held");
  toolkit.picked = L"D:\\Held";
  f.Click(c().chooseHolding);
  EXPECT_EQ(plugin.holdingFolder(), L"D:\\Held");
  EXPECT_NE(File().find(L"HoldingFolder=D:\\Held"), std::wstring::npos);

  windows.usesRecycleBin = 1;
  files.noBin = true;
  for (const char* name : {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}) Add(name);
  ui.shown.clear();
  ui.answers = {Answer::Ok, Answer::Yes};
  Run();
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_NE(ui.shown[1].text.find(L"every song of this run"), std::wstring::npos);
  for (const wchar_t* held : {L"D:\\Held\\a.mp3", L"D:\\Held\\b.mp3", L"D:\\Held\\c.mp3"})
    EXPECT_TRUE(files.IsFile(held)) << held;
}

TEST_F(PlaylistRunTest, ACancelAFailureOrNoTargetEndsTheRunWithoutClearing) {
  for (const char* name : {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}) Add(name);
  int pumps = 0;
  toolkit.onPump = [&] {
    EXPECT_FALSE(frm->form().IsOpen() && static_cast<FakeForm&>(frm->form()).enabled)
        << "dialog takes no input";
    if (++pumps == 2) toolkit.last->Click(3);  // Cancel
  };
  Run();
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3"));
  EXPECT_EQ(
      ui.shown.back().text,
      L"Cancelled! The playlist was not cleared.\r\n\r\nFiles deleted or moved: 1\r\nEntries skipped: 0");
  EXPECT_TRUE(static_cast<FakeForm&>(frm->form()).enabled);

  files.AddFile(L"C:\\a.mp3");
  files.failing[L"RemoveFile c:\\b.mp3"] = 32;
  Run();
  EXPECT_EQ(
      ui.shown.back().text,
      L"Could not delete the file\r\nC:\\b.mp3\r\n\r\nSystem error 32\r\n\r\nThe run stopped at this entry; "
      L"the playlist was not cleared.\r\n\r\nFiles deleted or moved: 1\r\nEntries skipped: 0");
  EXPECT_EQ(ui.shown.back().icon, Icon::Critical);

  plugin.SetmoveToFolder(true);  // with no target folder
  ui.shown.clear();
  Run();
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_EQ(ui.shown[2].text,
            L"The run stopped; the playlist was not cleared.\r\n\r\nFiles deleted or moved: 0\r\nEntries "
            L"skipped: 1");
  EXPECT_EQ(ui.shown[2].icon, Icon::Exclamation);
  EXPECT_TRUE(files.IsFile(L"C:\\b.mp3") && files.IsFile(L"C:\\c.mp3"));
  EXPECT_EQ(windows.playlist.size(), 3u);
}

TEST_F(PlaylistRunTest, ARunEndedPartWayLeavesExactlyTheEntriesItDidNotDisposeOf) {
  const std::string sorted = "D:\\Music\\Sorted\\";
  for (bool moving : {false, true}) {
    windows.playlist.clear();
    for (const char* name : {"C:\\a.mp3", "C:\\gone.mp3", "C:\\b.mp3", "C:\\c.mp3"})
      Add(name, std::string(name) != "C:\\gone.mp3");
    windows.position = 3;
    files.failing = {{moving ? L"MoveFile c:\\c.mp3 d:\\music\\sorted\\c.mp3" : L"RemoveFile c:\\c.mp3", 5}};
    plugin.SetplaylistEntry(moving ? 2 : 1);
    plugin.SetmoveToFolder(moving);
    plugin.SetsavingPlace(L"D:\\Music\\Sorted");
    plugin.SetlibraryEntry(true);
    windows.libraryAnswer = testing::FakeWindows::kLibrary;
    windows.records = {{L"C:\\a.mp3", {3, 1, 0}}, {L"C:\\b.mp3", {5, 2, 0}}};
    windows.libraryCommands.clear();
    Run();
    EXPECT_EQ(
        std::count(windows.libraryCommands.begin(), windows.libraryCommands.end(), winamp::kMlIpcDbSyncDb), 1)
        << "synced once, at the end";
    EXPECT_EQ(windows.records.size(), moving ? 2u : 0u);
    const std::vector<std::string> left =
        moving ? std::vector<std::string>{sorted + "a.mp3", "C:\\gone.mp3", sorted + "b.mp3", "C:\\c.mp3"}
               : std::vector<std::string>{"C:\\gone.mp3", "C:\\c.mp3"};
    EXPECT_EQ(windows.playlist, left) << moving;
    EXPECT_EQ(windows.playlist[static_cast<std::size_t>(windows.position)], "C:\\c.mp3") << "still current";
    EXPECT_NE(files.files[L"c:\\plugins\\vandrel-journal.txt"].find(moving ? "\tmoved\tC:\\b.mp3"
                                                                           : "\tdeleted\tC:\\b.mp3"),
              std::string::npos)
        << "journalled by the run's end";
  }
}

}  // namespace
}  // namespace vandrel
