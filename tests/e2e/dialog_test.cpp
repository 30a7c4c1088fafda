// The settings dialog end to end: the stand-in Winamp opens it through the
// real plug-in pair, the test works it from outside through its controls and
// answers its boxes, then checks the settings file, the files, the hotkey
// and the player.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/win/config_dialog.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Lines = std::vector<std::string>;

Lines IniLines(const std::string& path) {  // blank lines left out
  Lines lines;
  std::istringstream in(ReadWholeFile(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Profile(const std::string& name, const ProfileText& p) {
  const std::string text = SettingsFile(p);
  return "[" + name + "]" + text.substr(6, text.find("[iniConfig]") - 6);
}

class Dialog : public ::testing::Test {
 protected:
  bool Open() { return session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()); }
  // "Close Configuration Dialog": the dialog goes and Winamp takes input again.
  void Close() {
    EXPECT_EQ(dialog.Click(item::Close), nullptr);
    EXPECT_TRUE(dialog.WaitClosed());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(session.standin().window()) != FALSE; }));
  }

  TempFolder music;
  PluginSession session;
  ConfigDialog dialog;
};

TEST_F(Dialog, LoadAppliesTheChosenProfileAndTheWholePlaylistRunDisposesOfEveryLocalFile) {
  const std::string kept = music.Folder("Kept"), target = music.Folder("Target");
  const std::string song = music.File("Artist - Song.mp3", "song");
  const std::string b = music.File("b.mp3"), c = music.File("c.mp3");
  ASSERT_TRUE(session.Start(
      {song, music.Path("missing.mp3"), "\\\\server\\share\\x.mp3", b, "\\\\server\\share\\y.mp3", c},
      Profile("test", {7, true, kept, true, false}) + Profile("other", {24, true, target, false, false}) +
          "[iniConfig]\r\nLastUsed=test\r\n"));
  ASSERT_EQ(session.Description(), "Vandrel [Win+G]");

  ASSERT_TRUE(Open()) << "the dialog did not open over a disabled Winamp window";
  EXPECT_EQ(dialog.SelectedText(item::Key), "G");
  EXPECT_TRUE(dialog.Checked(item::MoveToFolder));
  EXPECT_TRUE(dialog.Checked(item::Sorting));
  EXPECT_FALSE(dialog.Checked(item::Artist));
  EXPECT_EQ(dialog.Folder(), kept);
  EXPECT_EQ(dialog.SelectedText(item::Drive), "c:");
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"test", "other"}));
  EXPECT_EQ(dialog.Text(item::SaveAs), "test");

  // "new folder" makes the cleaned name inside the folder shown and opens it.
  dialog.Type(item::NewFolderName, "My Songs");
  EXPECT_EQ(dialog.Click(item::NewFolder), nullptr);
  EXPECT_EQ(dialog.Text(item::NewFolderName), "mysongs");
  EXPECT_EQ(dialog.Folder(), kept + "\\mysongs");
  EXPECT_TRUE(FolderExists(kept + "\\mysongs"));

  // A click on a profile names it in the name box; Load applies it.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 1), nullptr);
  EXPECT_EQ(dialog.Text(item::SaveAs), "other");
  EXPECT_EQ(dialog.Click(item::Load), nullptr);
  EXPECT_EQ(session.Description(), "Vandrel [Win+X]");
  EXPECT_EQ(dialog.SelectedText(item::Key), "X");
  EXPECT_FALSE(dialog.Checked(item::Sorting));
  EXPECT_EQ(dialog.Folder(), target);
  Close();
  ASSERT_TRUE(session.Press('X'));
  EXPECT_EQ(ReadWholeFile(target + "\\Artist - Song.mp3"), "song");
  const Lines lines = IniLines(session.Ini());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "LastUsed=other"), lines.end());

  // Opened again on the loaded profile: the run over the whole playlist from
  // its start, the network refused once, the playlist cleared after the count.
  ASSERT_TRUE(Open());
  EXPECT_EQ(dialog.SelectedText(item::List1), "other");
  EXPECT_EQ(Answer(dialog.Click(item::WholePlaylist)), "Perform full playlist?");
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")), "Can't move file from network!");
  HWND done = FindMessageBox("Vandrel");
  EXPECT_EQ(MessageBoxText(done),
            "Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 2\r\nEntries skipped: 4");
  EXPECT_EQ(ReadWholeFile(target + "\\b.mp3") + ReadWholeFile(target + "\\c.mp3"), "test datatest data");
  EXPECT_EQ(session.standin().State().playlist.size(), 6u) << "cleared only once the box is closed";
  Answer(done);
  ASSERT_TRUE(dialog.Finish());
  EXPECT_TRUE(session.standin().State().playlist.empty());
  Close();
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST_F(Dialog, FirstStartThenSavingAndDeletingProfilesAndADriveThatIsNotReady) {
  const char* unix = std::getenv("VANDREL_SCRATCH_UNIX");
  if (ScratchDrive().empty() || unix == nullptr) GTEST_SKIP() << "no scratch drive in this run";
  TempFolder scratch(ScratchDrive() + "\\");
  const std::string sorted = scratch.Folder("Sorted");

  ASSERT_TRUE(session.Start({music.File("a.mp3")}, "", false, /*boxAtStart=*/true));
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")),
            "Seems like the first time you are running [Vandrel], please configure the plugin!");
  ASSERT_TRUE(WaitUntil([&] { return session.standin().State().ready; }));
  EXPECT_EQ(session.Description(), "Vandrel [No HotKey]");
  ASSERT_TRUE(Open());
  EXPECT_TRUE(dialog.Entries(item::List1).empty());

  dialog.Type(item::SaveAs, "Rock Mix");
  dialog.Choose(item::Key, 11);
  dialog.Tick(item::MoveToFolder, true);
  ASSERT_TRUE(dialog.OpenFolder(sorted));
  dialog.Tick(item::Sorting, true);
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  EXPECT_EQ(dialog.Text(item::SaveAs), "rockmix");

  dialog.Type(item::SaveAs, "trash");
  dialog.Choose(item::Key, 20);
  dialog.Tick(item::MoveToFolder, false);
  dialog.Tick(item::Sorting, false);
  ASSERT_TRUE(dialog.OpenFolder("C:\\"));
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"rockmix", "trash"}));
  EXPECT_EQ(dialog.SelectedText(item::List1), "trash");
  const Lines trash = {"[trash]",          "Key=20",          "moveToFolder=0",
                       "savingPlace=C:\\", "sortingOption=0", "createArtistFolder=0"};
  Lines expected = {"[rockmix]",       "Key=11",
                    "moveToFolder=1",  "savingPlace=" + sorted,
                    "sortingOption=1", "createArtistFolder=0",
                    "[iniConfig]",     "LastUsed=trash"};
  expected.insert(expected.end(), trash.begin(), trash.end());
  EXPECT_EQ(IniLines(session.Ini()), expected);

  // Delete rockmix, confirmed: not one of its lines is left.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 0), nullptr);
  HWND confirm = dialog.Click(item::Delete);
  EXPECT_EQ(MessageBoxButtons(confirm).size(), 2u);
  EXPECT_EQ(Answer(confirm), "Are you sure you want to delete settings 'rockmix'?");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.Entries(item::List1), Lines{"trash"});
  expected = {"[iniConfig]", "LastUsed=trash"};
  expected.insert(expected.end(), trash.begin(), trash.end());
  EXPECT_EQ(IniLines(session.Ini()), expected);

  // The scratch drive's folder taken away (through Z:, Wine's view of the
  // Unix root): the drive stays listed but is not ready.
  std::string folder = std::string("Z:") + unix;
  std::replace(folder.begin(), folder.end(), '/', '\\');
  ASSERT_TRUE(MoveFileA(folder.c_str(), (folder + ".away").c_str()));
  EXPECT_EQ(Answer(dialog.ChooseDrive("d:")), "Drive not ready!");
  MoveFileA((folder + ".away").c_str(), folder.c_str());
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.SelectedText(item::Drive), "d:");
  EXPECT_EQ(dialog.Folder(), "C:\\");
  Close();
}

}  // namespace
}  // namespace vandrel::testing
