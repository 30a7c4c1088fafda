// The settings dialog end to end: the stand-in Winamp opens it through the
// real plug-in pair, and the test works it from outside as a user would,
// through its controls, answering its boxes, then checks the settings file,
// the files on disk, the hotkey and the player.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/win/config_dialog.h"
#include "support/win/desktop.h"
#include "support/win/plugin_session.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

namespace item = config_dialog;
using Lines = std::vector<std::string>;

// The file's lines, blank ones left out.
Lines IniLines(const std::string& path) {
  Lines lines;
  std::istringstream in(ReadWholeFile(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Profile(const std::string& name, int key, bool move, const std::string& folder, bool sorting,
                    bool artist) {
  return "[" + name + "]\r\nKey=" + std::to_string(key) + "\r\nmoveToFolder=" + (move ? "1" : "0") +
         "\r\nsavingPlace=" + folder + "\r\nsortingOption=" + (sorting ? "1" : "0") +
         "\r\ncreateArtistFolder=" + (artist ? "1" : "0") + "\r\n";
}

class Dialog : public ::testing::Test {
 protected:
  // Asks the stand-in for the plug-in's settings and waits for the dialog.
  bool Open() { return session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()); }
  // "Close Configuration Dialog": the dialog goes and Winamp takes input again.
  void Close() {
    EXPECT_EQ(dialog.Click(item::Command5), nullptr);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(session.standin().window()) != FALSE; }));
  }
  std::string Ini() { return session.PluginsFolder() + "\\vandrel.ini"; }

  TempFolder music;
  PluginSession session;
  ConfigDialog dialog;
};

TEST_F(Dialog, OpensModallyWithThePluginsSettingsAndLoadAppliesTheChosenProfile) {
  std::string kept = music.Folder("Kept");
  std::string target = music.Folder("Target");
  std::string song = music.File("Artist - Song.mp3", "song");
  ASSERT_TRUE(
      session.Start({song, music.File("Next.mp3")}, Profile("test", 7, true, kept, true, false) +
                                                        Profile("other", 24, true, target, false, false) +
                                                        "[iniConfig]\r\nLastUsed=test\r\n"));
  ASSERT_EQ(session.Description(), "Vandrel [Win+G]");

  ASSERT_TRUE(Open()) << "the dialog did not open over a disabled Winamp window";
  EXPECT_EQ(dialog.Selected(item::cmbKey), 7);
  EXPECT_EQ(dialog.SelectedText(item::cmbKey), "G");
  EXPECT_EQ(dialog.Entries(item::cmbKey).size(), 27u);
  EXPECT_TRUE(dialog.Checked(item::chkmoveToFolder));
  EXPECT_TRUE(dialog.Checked(item::chkSortingOption));
  EXPECT_FALSE(dialog.Checked(item::chkCreateArtistFolder));
  EXPECT_EQ(dialog.Folder(), kept);
  EXPECT_EQ(dialog.SelectedText(item::Drive1), "c:");
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"test", "other"}));
  EXPECT_EQ(dialog.SelectedText(item::List1), "test");
  EXPECT_EQ(dialog.Text(item::saveAS), "test");

  // "new folder" makes the cleaned name inside the folder shown and opens it.
  dialog.Type(item::txtnewfolder, "My Songs");
  EXPECT_EQ(dialog.Click(item::Command4), nullptr);
  EXPECT_EQ(dialog.Text(item::txtnewfolder), "mysongs");
  EXPECT_TRUE(FolderExists(kept + "\\mysongs"));
  EXPECT_EQ(dialog.Folder(), kept + "\\mysongs");

  // A click on a profile names it in the name box; Load applies it.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 1), nullptr);
  EXPECT_EQ(dialog.Text(item::saveAS), "other");
  EXPECT_EQ(dialog.Click(item::Command1), nullptr);
  EXPECT_EQ(session.Description(), "Vandrel [Win+X]");
  EXPECT_EQ(dialog.SelectedText(item::cmbKey), "X");
  EXPECT_TRUE(dialog.Checked(item::chkmoveToFolder));
  EXPECT_FALSE(dialog.Checked(item::chkSortingOption));
  EXPECT_EQ(dialog.Folder(), target);

  Close();
  // The next Windows key + X moves the playing file into the loaded folder.
  ASSERT_TRUE(session.PressAndWaitPlay('X'));
  EXPECT_FALSE(FileExists(song));
  EXPECT_EQ(ReadWholeFile(target + "\\Artist - Song.mp3"), "song");
  Lines lines = IniLines(Ini());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "LastUsed=other"), lines.end());

  // config() has returned: asking again opens a fresh dialog, on the loaded profile.
  ASSERT_TRUE(Open());
  EXPECT_EQ(dialog.SelectedText(item::List1), "other");
  EXPECT_EQ(dialog.Folder(), target);
  Close();
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST_F(Dialog, SavingTheSampleProfilesWritesThemInOrderAndDeleteTakesOneOutWhole) {
  const std::string drive = ScratchDrive();
  if (drive.empty()) GTEST_SKIP() << "no scratch drive in this run";
  TempFolder scratch(drive + "\\");
  const std::string sorted = scratch.Folder("Sorted");

  // No settings file yet: the plug-in asks to be configured first.
  ASSERT_TRUE(session.Start({music.File("a.mp3")}, "", false, /*expectBoxAtStart=*/true));
  Answer(FindMessageBox("Vandrel"));
  ASSERT_TRUE(WaitUntil([&] { return session.standin().State().ready; }));
  ASSERT_TRUE(Open());
  EXPECT_TRUE(dialog.Entries(item::List1).empty());

  dialog.Type(item::saveAS, "Rock Mix");
  dialog.Choose(item::cmbKey, 11);
  dialog.Tick(item::chkmoveToFolder, true);
  ASSERT_TRUE(dialog.OpenFolder(sorted));
  dialog.Tick(item::chkSortingOption, true);
  dialog.Tick(item::chkCreateArtistFolder, false);
  EXPECT_EQ(dialog.Click(item::Command3), nullptr);
  EXPECT_EQ(dialog.Text(item::saveAS), "rockmix");
  EXPECT_EQ(dialog.Entries(item::List1), Lines{"rockmix"});

  dialog.Type(item::saveAS, "trash");
  dialog.Choose(item::cmbKey, 20);
  dialog.Tick(item::chkmoveToFolder, false);
  dialog.Tick(item::chkSortingOption, false);
  ASSERT_TRUE(dialog.OpenFolder("C:\\"));
  EXPECT_EQ(dialog.Click(item::Command3), nullptr);
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"rockmix", "trash"}));
  EXPECT_EQ(dialog.SelectedText(item::List1), "trash");

  const Lines trash = {"[trash]",          "Key=20",          "moveToFolder=0",
                       "savingPlace=C:\\", "sortingOption=0", "createArtistFolder=0"};
  Lines expected = {"[rockmix]",       "Key=11",
                    "moveToFolder=1",  "savingPlace=" + sorted,
                    "sortingOption=1", "createArtistFolder=0",
                    "[iniConfig]",     "LastUsed=trash"};
  expected.insert(expected.end(), trash.begin(), trash.end());
  EXPECT_EQ(IniLines(Ini()), expected);

  // Delete rockmix, confirmed: not one of its lines is left.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 0), nullptr);
  HWND box = dialog.Click(item::Command2);
  ASSERT_NE(box, nullptr) << "no confirmation asked";
  EXPECT_EQ(MessageBoxButtons(box).size(), 2u);
  EXPECT_EQ(Answer(box, IDOK), "Are you sure you want to delete settings 'rockmix'?");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.Entries(item::List1), Lines{"trash"});
  expected = {"[iniConfig]", "LastUsed=trash"};
  expected.insert(expected.end(), trash.begin(), trash.end());
  EXPECT_EQ(IniLines(Ini()), expected);
  Close();
}

// Takes the scratch drive's folder away (through Z:, where Wine shows the
// Unix root) and puts it back when it goes: the drive stays listed, but is
// not ready meanwhile.
class DriveAway {
 public:
  DriveAway() {
    const char* unix = std::getenv("VANDREL_SCRATCH_UNIX");
    if (unix == nullptr || ScratchDrive().empty()) return;
    folder_ = std::string("Z:") + unix;
    std::replace(folder_.begin(), folder_.end(), '/', '\\');
  }
  ~DriveAway() {
    if (away_) MoveFileA((folder_ + ".away").c_str(), folder_.c_str());
  }
  bool Possible() const { return !folder_.empty(); }
  bool TakeAway() { return away_ = MoveFileA(folder_.c_str(), (folder_ + ".away").c_str()) != FALSE; }

 private:
  std::string folder_;
  bool away_ = false;
};

TEST_F(Dialog, ChoosingADriveThatIsNotReadySaysSoAndKeepsTheFolder) {
  std::string kept = music.Folder("Kept");
  ProfileText profile;
  profile.key = 0;
  profile.savingPlace = kept;
  ASSERT_TRUE(session.Start({music.File("a.mp3")}, SettingsFile(profile), false));
  ASSERT_TRUE(Open());
  const std::string drive = ScratchDrive();
  if (drive.empty()) GTEST_SKIP() << "no scratch drive in this run";
  Lines drives = dialog.Entries(item::Drive1);
  const std::string letter = {static_cast<char>(drive[0] | 0x20), ':'};
  if (std::find(drives.begin(), drives.end(), letter) == drives.end())
    GTEST_SKIP() << "the scratch drive is not among the system's drives";

  DriveAway away;
  ASSERT_TRUE(away.Possible());
  ASSERT_TRUE(away.TakeAway());
  HWND box = dialog.ChooseDrive(letter);
  ASSERT_NE(box, nullptr) << "no box for a drive that is not ready";
  EXPECT_EQ(Answer(box), "Drive not ready!");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.SelectedText(item::Drive1), letter);
  EXPECT_EQ(dialog.Folder(), kept);
  Close();
}

TEST_F(Dialog, TheWholePlaylistRunDisposesOfEveryLocalFileSaysOnceAboutTheNetworkAndCounts) {
  std::string a = music.File("a.mp3"), b = music.File("b.mp3"), c = music.File("c.mp3");
  std::string bystander = music.File("not listed.mp3");
  ProfileText profile;  // delete, hotkey K
  ASSERT_TRUE(session.Start(
      {a, music.Path("missing.mp3"), "\\\\server\\share\\x.mp3", b, "\\\\server\\share\\y.mp3", c},
      SettingsFile(profile)));
  ASSERT_TRUE(Open());

  HWND box = dialog.Click(item::cmdSort);
  EXPECT_EQ(Answer(box), "Perform full playlist?");
  box = FindMessageBox("Vandrel");
  EXPECT_EQ(Answer(box), "Can't move file from network!");
  // The second network entry passes quietly: the next box is the last.
  box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box),
            "Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 3\r\nEntries skipped: 3");
  EXPECT_FALSE(FileExists(a) || FileExists(b) || FileExists(c));
  EXPECT_EQ(session.standin().State().playlist.size(), 6u) << "cleared only once the box is closed";
  Answer(box);
  ASSERT_TRUE(dialog.Finish());
  EXPECT_TRUE(session.standin().State().playlist.empty());

  // Once more over the empty playlist: nothing asked for, nothing touched.
  session.standin().ClearLog();
  EXPECT_EQ(Answer(dialog.Click(item::cmdSort)), "Perform full playlist?");
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")),
            "Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 0\r\nEntries skipped: 0");
  ASSERT_TRUE(dialog.Finish());
  for (const std::string& entry : session.standin().Log())
    EXPECT_NE(entry.rfind("IPC_GETPLAYLISTFILE", 0), 0u) << entry;
  EXPECT_TRUE(FileExists(bystander));
  EXPECT_TRUE(session.standin().State().playlist.empty());
  Close();
}

}  // namespace
}  // namespace vandrel::testing
