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

Lines Profile(const std::string& name, int key, bool move, const std::string& folder, bool sorting,
              bool artist) {
  return {"[" + name + "]",
          "Key=" + std::to_string(key),
          "moveToFolder=" + std::to_string(move),
          "savingPlace=" + folder,
          "sortingOption=" + std::to_string(sorting),
          "createArtistFolder=" + std::to_string(artist)};
}

Lines All(const std::vector<Lines>& parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string Text(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST(Dialog, SaveDeleteAndLoadProfilesThroughTheControlsThenRunTheWholePlaylist) {
  // The loaded profile moves onto another drive, into letter and artist folders.
  TempFolder music, elsewhere(ScratchDrive().empty() ? "" : ScratchDrive() + "\\");
  const std::string kept = music.Folder("Kept"), target = elsewhere.Folder("Target");
  const std::string song = music.File("Artist - Song.mp3", "song"),
                    clash = music.File("Song - One.mp3", "mine");
  const std::string b = music.File("b.mp3", "b"), c = music.File("c.mp3", "c");
  const std::string theirs = elsewhere.File("Target\\s\\song\\Song - One.mp3", "theirs");
  const Lines test = Profile("test", 7, true, kept, true, false),
              other = Profile("other", 24, true, target, true, true);
  PluginSession session;
  ASSERT_TRUE(session.Start(
      {song, music.Path("missing.mp3"), "\\\\server\\share\\x.mp3", b, clash, "\\\\server\\share\\y.mp3", c},
      Text(All({test, other, {"[iniConfig]", "LastUsed=test"}}))));
  ASSERT_EQ(session.Description(), "Vandrel [Win+G]");
  ConfigDialog dialog;
  auto open = [&] { return session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()); };
  auto close = [&] {  // the dialog goes and Winamp takes input again
    EXPECT_EQ(dialog.Click(item::Close), nullptr);
    EXPECT_TRUE(dialog.WaitClosed());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(session.standin().window()) != FALSE; }));
  };

  ASSERT_TRUE(open()) << "the dialog did not open over a disabled Winamp window";
  EXPECT_EQ(dialog.SelectedText(item::Key), "G");
  EXPECT_TRUE(dialog.Checked(item::MoveToFolder) && dialog.Checked(item::Sorting));
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

  // Two profiles saved under cleaned names, the second in the drive's root.
  dialog.Type(item::SaveAs, "Rock Mix");
  dialog.Choose(item::Key, 11);
  dialog.Tick(item::Artist, true);
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  EXPECT_EQ(dialog.Text(item::SaveAs), "rockmix");
  EXPECT_EQ(dialog.ClickEntry(item::Folders, 0), nullptr);
  EXPECT_EQ(dialog.Folder(), "C:\\");
  dialog.Type(item::SaveAs, "trash");
  dialog.Choose(item::Key, 20);
  dialog.Tick(item::MoveToFolder, false);
  dialog.Tick(item::Sorting, false);
  dialog.Tick(item::Artist, false);
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"test", "other", "rockmix", "trash"}));
  EXPECT_EQ(dialog.SelectedText(item::List1), "trash");
  const Lines rockmix = Profile("rockmix", 11, true, kept + "\\mysongs", true, true);
  const Lines trash = Profile("trash", 20, false, "C:\\", false, false);
  EXPECT_EQ(IniLines(session.Ini()), All({test, other, {"[iniConfig]", "LastUsed=trash"}, rockmix, trash}));

  // Delete rockmix, confirmed: not one of its lines is left.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 2), nullptr);
  HWND confirm = dialog.Click(item::Delete);
  EXPECT_EQ(MessageBoxButtons(confirm).size(), 2u);
  EXPECT_EQ(Answer(confirm), "Are you sure you want to delete settings 'rockmix'?");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.Entries(item::List1), (Lines{"test", "other", "trash"}));
  EXPECT_EQ(IniLines(session.Ini()), All({test, other, {"[iniConfig]", "LastUsed=trash"}, trash}));

  // The scratch drive's folder taken away (through Z:, Wine's view of the
  // Unix root): the drive stays listed but is not ready.
  if (const char* unix = std::getenv("VANDREL_SCRATCH_UNIX")) {
    std::string folder = std::string("Z:") + unix;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    ASSERT_TRUE(MoveFileA(folder.c_str(), (folder + ".away").c_str()));
    EXPECT_EQ(Answer(dialog.ChooseDrive("d:")), "Drive not ready!");
    MoveFileA((folder + ".away").c_str(), folder.c_str());
    ASSERT_TRUE(dialog.Finish());
    EXPECT_EQ(dialog.Folder(), "C:\\");
  }
  // A click on a profile names it in the name box; Load applies it.
  EXPECT_EQ(dialog.ClickEntry(item::List1, 1), nullptr);
  EXPECT_EQ(dialog.Text(item::SaveAs), "other");
  EXPECT_EQ(dialog.Click(item::Load), nullptr);
  EXPECT_EQ(session.Description(), "Vandrel [Win+X]");
  EXPECT_EQ(dialog.SelectedText(item::Key), "X");
  EXPECT_TRUE(dialog.Checked(item::MoveToFolder));
  EXPECT_EQ(dialog.Folder(), target);

  close();
  ASSERT_TRUE(session.Press('X'));
  EXPECT_EQ(ReadWholeFile(target + "\\a\\artist\\Artist - Song.mp3"), "song");
  const Lines lines = IniLines(session.Ini());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "LastUsed=other"), lines.end());

  // Opened again on the loaded profile: the run over the whole playlist from
  // its start, the network refused once, the playlist cleared after the count.
  ASSERT_TRUE(open());
  EXPECT_EQ(dialog.SelectedText(item::List1), "other");
  EXPECT_EQ(Answer(dialog.Click(item::WholePlaylist)), "Perform full playlist?");
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")), "Can't move file from network!");
  HWND done = FindMessageBox("Vandrel");
  EXPECT_EQ(MessageBoxText(done),
            "Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 2\r\nEntries skipped: 5");
  EXPECT_EQ(ReadWholeFile(target + "\\b\\b.mp3") + ReadWholeFile(target + "\\c\\c.mp3"), "bc");
  EXPECT_EQ(ReadWholeFile(clash) + ReadWholeFile(theirs), "minetheirs") << "nothing is moved onto a file";
  EXPECT_EQ(session.standin().State().playlist.size(), 7u) << "cleared only once the box is closed";
  Answer(done);
  ASSERT_TRUE(dialog.Finish());
  EXPECT_TRUE(session.standin().State().playlist.empty());
  close();
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
