// The settings dialog end to end: opened by the stand-in Winamp through the
// real plug-in pair, worked from outside through its controls and boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Lines = std::vector<std::string>;

// Item ids of the dialog's controls: kToolkitItemBase + the order it adds them.
namespace item {
constexpr int Profiles = 106, Load = 107, Delete = 108, SaveAs = 110, Save = 111, Ctrl = 115, Alt = 116,
              Win = 118, Key = 119, MoveToFolder = 121, Sorting = 122, Artist = 123, Drive = 125,
              Folders = 126, NewFolderName = 127, NewFolder = 128, WholePlaylist = 130, ArtistFromTags = 135,
              PlaylistEntry = 138, UndoLast = 142, Close = 156;
}  // namespace item

// Actions sent and handled: the dialog answers each sent action through Handled, in order.
long g_sent = 0, g_handled = 0;
void CALLBACK Handled(HWND, UINT, ULONG_PTR, LRESULT) { ++g_handled; }

LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result) ? result : -1;
}

void Pump() {
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
}

// The configuration dialog driven from outside its process, each action sent
// as the messages a user's input produces. An action with a handler returns
// once handled, or earlier with the box titled "Vandrel" the handler shows:
// answer it (and any that follow), then Finish() waits for the handler.
class ConfigDialog {
 public:
  bool WaitOpen(HWND owner) {  // open, its opening sequence over, modal over `owner`
    return WaitUntil([&] {
      window_ = FindWindowA("VandrelForm", "nearly new Vandrel");
      return window_ != nullptr && IsWindowVisible(window_) && !IsWindowEnabled(owner);
    });
  }
  bool WaitClosed() const {
    return WaitUntil([&] { return !IsWindow(window_); });
  }
  std::string Text(int item) const {
    char text[1024] = {};
    Query(Item(item), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  bool Checked(int item) const { return Query(Item(item), BM_GETCHECK) == BST_CHECKED; }
  Lines Entries(int item) const {  // a list's or drop-down's
    Lines entries;
    for (LRESULT i = 0, count = Query(Item(item), Combo(item) ? CB_GETCOUNT : LB_GETCOUNT); i < count; ++i) {
      // Asked for in UTF-16: Wine hands an entry across processes as UTF-16 either way.
      wchar_t text[1024] = {};
      char ansi[2048] = {};
      DWORD_PTR got = 0;
      SendMessageTimeoutW(Item(item), Combo(item) ? CB_GETLBTEXT : LB_GETTEXT, i,
                          reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 20000, &got);
      WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
      entries.emplace_back(ansi);
    }
    return entries;
  }
  int Selected(int item) const {
    return static_cast<int>(Query(Item(item), Combo(item) ? CB_GETCURSEL : LB_GETCURSEL));
  }
  std::string SelectedText(int item) const {
    const Lines entries = Entries(item);
    const int selected = Selected(item);
    return selected < 0 || selected >= static_cast<int>(entries.size()) ? "" : entries[selected];
  }
  std::string Folder() const {  // the folder list's entries from the root down to the highlighted one
    const Lines entries = Entries(item::Folders);
    std::string path;
    for (int i = 0, last = Selected(item::Folders); i <= last && i < static_cast<int>(entries.size()); ++i) {
      const size_t start = std::min(entries[i].find_first_not_of(' '), entries[i].size());
      path += (path.empty() || path.back() == '\\' ? "" : "\\") + entries[i].substr(start);
    }
    return path;
  }
  void Type(int item, const std::string& text) {
    Query(Item(item), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Tick(int item, bool ticked) { Query(Item(item), BM_SETCHECK, ticked ? BST_CHECKED : 0); }
  void Choose(int item, int index) { Query(Item(item), CB_SETCURSEL, index); }

  // Actions with a handler: the box shown meanwhile, or nullptr.
  HWND Click(int button) {
    return Deliver(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(Item(button)),
                   window_);
  }
  HWND ClickEntry(int list, int index) {     // button down and up over the entry
    Query(Item(list), LB_SETCURSEL, index);  // scrolled into view
    RECT rect{};
    Query(Item(list), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    HWND box = Deliver(WM_LBUTTONDOWN, MK_LBUTTON, at, Item(list));
    return box ? box : Deliver(WM_LBUTTONUP, 0, at, Item(list));
  }
  HWND ChooseDrive(const std::string& drive) {
    const Lines drives = Entries(item::Drive);
    Query(Item(item::Drive), CB_SETCURSEL, std::find(drives.begin(), drives.end(), drive) - drives.begin());
    return Deliver(WM_COMMAND, MAKEWPARAM(item::Drive, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(item::Drive)), window_);
  }
  bool Finish() {  // every action sent so far handled
    const bool done = WaitUntil([&] { return Pump(), g_handled >= g_sent; });
    EXPECT_TRUE(done) << "the dialog is still busy: " << MessageBoxText(FindMessageBox("Vandrel", 0));
    return done;
  }

 private:
  HWND Item(int item) const { return GetDlgItem(window_, item); }
  bool Combo(int item) const {
    return item == item::Key || item == item::Drive || item == item::PlaylistEntry;
  }
  HWND Deliver(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
    // Sent with a callback rather than waited on: a handler that shows a box
    // would otherwise keep this thread from answering it.
    EXPECT_TRUE(SendMessageCallbackA(target, message, wParam, lParam, &Handled, 0));
    const long expected = ++g_sent;
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
      Pump();
      return g_handled >= expected || (box = FindMessageBox("Vandrel", 0)) != nullptr;
    })) << "message "
        << message << " was neither handled nor showed a box";
    return box;
  }

  HWND window_ = nullptr;
};

Lines Split(const std::string& text) {  // blank lines left out
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

TEST(Dialog, SaveDeleteAndLoadProfilesThroughTheControlsThenRunTheWholePlaylist) {
  // The loaded profile moves onto another drive, into letter and artist folders.
  TempFolder music, elsewhere(ScratchDrive().empty() ? "" : ScratchDrive() + "\\");
  const std::string kept = music.Folder("Kept"), target = elsewhere.Folder("Target");
  const std::string song = music.File("Artist - Song.mp3", "song"),
                    clash = music.File("Song - One.mp3", "mine");
  const std::string b = music.File("b.mp3", "b"), c = music.File("c.mp3", "c");
  const std::string theirs = elsewhere.File("Target\\s\\song\\Song - One.mp3", "theirs");
  const std::string test = ProfileSection("test", {7, true, kept, true, false}),
                    other = ProfileSection("other", {24, true, target, true, true, 3});
  // Winamp's Plugins folder cannot be written: the profiles move, with the
  // file, to Winamp's settings folder, and every save below goes there.
  PluginSession session(/*readOnlyPlugins=*/true);
  ASSERT_TRUE(session.Start(
      {song, music.Path("missing.mp3"), "\\\\server\\share\\x.mp3", b, clash, "\\\\server\\share\\y.mp3", c},
      test + other + "[iniConfig]\r\nLastUsed=test\r\n"));
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
  EXPECT_EQ(dialog.Entries(item::Profiles), (Lines{"test", "other"}));

  // "new folder" makes the cleaned name inside the folder shown and opens it.
  dialog.Type(item::NewFolderName, "My Songs");
  EXPECT_EQ(dialog.Click(item::NewFolder), nullptr);
  EXPECT_EQ(dialog.Folder(), kept + "\\mysongs");

  // Two profiles saved under cleaned names, the first with values on every
  // page (loaded back into the controls), the second in the drive's root.
  dialog.Type(item::SaveAs, "Rock Mix");
  dialog.Choose(item::Key, 11);
  dialog.Tick(item::Win, false);
  dialog.Tick(item::Ctrl, true);
  dialog.Tick(item::Alt, true);
  dialog.Tick(item::Artist, true);
  dialog.Choose(item::PlaylistEntry, 2);
  dialog.Tick(item::ArtistFromTags, true);
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  dialog.Choose(item::PlaylistEntry, 0);
  dialog.Tick(item::ArtistFromTags, false);
  dialog.Tick(item::Sorting, false);
  EXPECT_EQ(dialog.Click(item::Load), nullptr);
  EXPECT_EQ(session.Description(), "Vandrel [Ctrl+Alt+K]");
  EXPECT_TRUE(dialog.Selected(item::PlaylistEntry) == 2 && dialog.Checked(item::ArtistFromTags) &&
              dialog.Checked(item::Sorting));
  dialog.Choose(item::PlaylistEntry, 0);
  dialog.Tick(item::ArtistFromTags, false);
  EXPECT_EQ(dialog.ClickEntry(item::Folders, 0), nullptr);
  EXPECT_EQ(dialog.Folder(), "C:\\");
  dialog.Type(item::SaveAs, "trash");
  dialog.Choose(item::Key, 20);
  dialog.Tick(item::MoveToFolder, false);
  dialog.Tick(item::Sorting, false);
  dialog.Tick(item::Artist, false);
  EXPECT_EQ(dialog.Click(item::Save), nullptr);
  // As the dialog saves them: with the later entries, off.
  const std::string rockmix = ProfileSection("rockmix", {11, true, kept + "\\mysongs", true, true, 3}) +
                              "alwaysActive=0\r\nplaylistEntry=2\r\nartistFromTags=1\r\nlibraryEntry=0\r\n"
                              "companionFiles=0\r\nremoveEmptyFolders=0\r\n";
  const std::string trash = ProfileSection("trash", {20, false, "C:\\", false, false, 3}) +
                            "alwaysActive=0\r\nplaylistEntry=0\r\nartistFromTags=0\r\nlibraryEntry=0\r\n"
                            "companionFiles=0\r\nremoveEmptyFolders=0\r\n";
  const std::string config = "[iniConfig]\r\nLastUsed=trash\r\n";
  EXPECT_EQ(Split(ReadWholeFile(session.Ini())), Split(test + other + config + rockmix + trash));

  // Delete rockmix, confirmed: not one of its lines is left.
  EXPECT_EQ(dialog.ClickEntry(item::Profiles, 2), nullptr);
  HWND confirm = dialog.Click(item::Delete);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(confirm, IDCANCEL))) << "OK and Cancel";
  EXPECT_EQ(Answer(confirm), "Are you sure you want to delete settings 'rockmix'?");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(dialog.Entries(item::Profiles), (Lines{"test", "other", "trash"}));
  EXPECT_EQ(Split(ReadWholeFile(session.Ini())), Split(test + other + config + trash));

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
  EXPECT_EQ(dialog.ClickEntry(item::Profiles, 1), nullptr);
  EXPECT_EQ(dialog.Text(item::SaveAs), "other");
  EXPECT_EQ(dialog.Click(item::Load), nullptr);
  EXPECT_EQ(session.Description(), "Vandrel [Ctrl+Alt+X]");
  EXPECT_EQ(dialog.Folder(), target);

  close();
  ASSERT_TRUE(session.Press('X', "Play", {VK_CONTROL, VK_MENU}));
  EXPECT_EQ(ReadWholeFile(target + "\\a\\artist\\Artist - Song.mp3"), "song");
  const Lines lines = Split(ReadWholeFile(session.Ini()));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "LastUsed=other"), lines.end());

  // Opened again on the loaded profile, shuffle on: the run over the whole
  // playlist by place, Winamp stopped once and never moved on, a progress
  // window owned by Winamp, the network refused once, the playlist cleared
  // after the count.
  ASSERT_TRUE(session.standin().SetShuffle(true) && session.standin().SetPosition(4));
  ASSERT_TRUE(open() && session.standin().ClearLog());
  EXPECT_EQ(dialog.SelectedText(item::Profiles), "other");
  EXPECT_EQ(Answer(dialog.Click(item::WholePlaylist)),
            "Perform full playlist?\r\n\r\nMove 7 files to " + target + ".");
  HWND network = FindMessageBox("Vandrel");
  HWND progress = FindWindowW(nullptr, L"Vandrel: whole playlist");
  EXPECT_TRUE(progress && GetWindow(progress, GW_OWNER) == session.standin().window());
  EXPECT_EQ(Answer(network), "Can't move file from network!");
  HWND done = FindMessageBox("Vandrel");
  EXPECT_EQ(MessageBoxText(done),
            "Done!\r\n\r\nPlaylist cleared!\r\n\r\nFiles deleted or moved: 2\r\nEntries skipped: 5");
  EXPECT_EQ(ReadWholeFile(target + "\\b\\b.mp3") + ReadWholeFile(target + "\\c\\c.mp3"), "bc");
  EXPECT_EQ(ReadWholeFile(clash) + ReadWholeFile(theirs), "minetheirs") << "nothing is moved onto a file";
  EXPECT_EQ(session.standin().State().playlist.size(), 7u) << "cleared only once the box is closed";
  EXPECT_EQ(session.Commands(), (Lines{"Stop"}));
  Answer(done);
  ASSERT_TRUE(dialog.Finish());
  EXPECT_TRUE(session.standin().State().playlist.empty());
  close();
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Dialog, ACancelledRunThatRemovesEntriesLeavesExactlyTheOnesItDidNotDisposeOf) {
  TempFolder music;
  PluginSession session;
  ProfileText removing;
  removing.playlistEntry = 1;
  const std::string a = music.File("a.mp3"), b = music.File("b.mp3"), c = music.File("c.mp3"),
                    network = "\\\\server\\share\\n.mp3";
  ASSERT_TRUE(session.Start({a, network, b, c}, SettingsFile(removing)));
  ConfigDialog dialog;
  ASSERT_TRUE(session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()));
  EXPECT_EQ(Answer(dialog.Click(item::WholePlaylist)).rfind("Perform full playlist?", 0), 0u);
  // Cancelled while the second entry's box is up: the run ends before the third.
  HWND refused = FindMessageBox("Vandrel");
  PostMessageW(FindWindowW(nullptr, L"Vandrel: whole playlist"), WM_CLOSE, 0, 0);
  EXPECT_EQ(Answer(refused), "Can't move file from network!");
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")).rfind("Cancelled!", 0), 0u);
  ASSERT_TRUE(dialog.Finish());
  EXPECT_EQ(session.standin().State().playlist, (Lines{network, b, c}));
  EXPECT_TRUE(!FileExists(a) && FileExists(b) && FileExists(c));
  EXPECT_EQ(dialog.Click(item::Close), nullptr);
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(Dialog, UndoLastPutsAMovedSongItsFoldersAndItsEntryBack) {
  TempFolder music, target;
  PluginSession session;
  ProfileText moving;
  moving.moveToFolder = true;
  moving.savingPlace = target.path();
  moving.sortingOption = true;
  moving.playlistEntry = 1;
  const std::string a = music.File("a.mp3"), b = music.File("b.mp3");
  ASSERT_TRUE(session.Start({a, b}, SettingsFile(moving)));
  ASSERT_TRUE(session.Press('K'));
  ASSERT_TRUE(FileExists(target.Path("a\\a.mp3")));
  EXPECT_EQ(NoticeText(), "Moved to " + target.Path("a") + ": a.mp3");
  ConfigDialog dialog;
  ASSERT_TRUE(session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()));
  EXPECT_EQ(Answer(dialog.Click(item::UndoLast)),
            "Undo the move of\r\n" + a + "\r\nto\r\n" + target.Path("a\\a.mp3") + "?");
  EXPECT_EQ(NoticeText(5000, "Put back: a.mp3"), "Put back: a.mp3");
  ASSERT_TRUE(dialog.Finish());
  EXPECT_TRUE(FileExists(a) && !FileExists(target.Path("a")));
  EXPECT_EQ(session.standin().State().playlist, (Lines{a, b}));
  EXPECT_EQ(dialog.Click(item::Close), nullptr);
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing

namespace vandrel::testing {
namespace {

// Killed part way through a run (as a crash or a power cut would), the player
// leaves a journal line for every song the run moved; started again, the
// undo shortcut brings back the newest.
TEST(Dialog, ARunKilledPartWayLeavesALineForEverySongMovedAndUndoBringsBackTheNewest) {
  TempFolder music, target;
  std::vector<std::string> songs;
  std::string list;
  for (int i = 0; i < 1000; ++i)
    list += (songs.emplace_back(music.File("s" + std::to_string(i) + ".mp3"))) + "\r\n";
  ASSERT_TRUE(WriteWholeFile(music.Path("list.m3u"), list));
  ProfileText moving;
  moving.moveToFolder = true;
  moving.savingPlace = target.path();
  const std::string ini = SettingsFile(moving) + "UndoKey=26\r\nUndoModifiers=3\r\n";
  PluginSession session;
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u")}, ini));
  ConfigDialog dialog;
  ASSERT_TRUE(session.standin().OpenConfig(0) && dialog.WaitOpen(session.standin().window()));
  EXPECT_EQ(Answer(dialog.Click(item::WholePlaylist)).rfind("Perform full playlist?", 0), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !FileExists(songs[50]); }, 60000));
  ASSERT_TRUE(session.standin().Kill());
  // A killed process leaves its global atoms behind; later tests look for the hotkey's.
  for (int i = 0; i < 100 && GlobalFindAtomA("XOLTVbHotKeyAtom"); ++i)
    GlobalDeleteAtom(GlobalFindAtomA("XOLTVbHotKeyAtom"));
  size_t moved = 0;
  while (moved < songs.size() && !FileExists(songs[moved])) ++moved;
  ASSERT_LT(moved, songs.size()) << "killed part way";
  for (size_t i = moved; i < songs.size(); ++i) ASSERT_TRUE(FileExists(songs[i])) << "the run goes in order";
  const std::string journal =
      ReadWholeFile(session.Ini().substr(0, session.Ini().rfind('\\') + 1) + "vandrel-journal.txt");
  // The kill may fall between the newest move and its line: that one alone may lack it.
  size_t lines = 0;
  while (lines < moved && journal.find("\tmoved\t" + songs[lines] + "\t") != std::string::npos) ++lines;
  EXPECT_GE(lines + 1, moved) << "lines lost: " << moved - lines;
  ASSERT_GT(lines, 0u);
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u")}, ini));
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU}, 'Z'));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(songs[lines - 1]); })) << "the newest journalled comes back";
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

}  // namespace
}  // namespace vandrel::testing
