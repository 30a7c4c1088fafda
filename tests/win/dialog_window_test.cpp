// The configuration dialog as a Windows user meets it: owned by Winamp's
// window and centred on it, every page laid out inside the dialog and the
// dialog inside its screen at 96, 120, 144 and 192 dots per inch, and worked
// by the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialog/config.h"
#include "dialog/frm_config.h"
#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/stub_plugin.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

using Steps = std::vector<std::function<void()>>;
Steps g_steps;  // played one per timer tick while the dialog is up
void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_steps.empty()) return;
  auto step = std::move(g_steps.front());
  g_steps.erase(g_steps.begin());
  step();
}

int Dpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

HWND Dialog() { return FindWindowW(L"VandrelForm", nullptr); }
HWND Item(int control) { return GetDlgItem(Dialog(), platform::win32::kToolkitItemBase + control); }
int Focused() { return GetDlgCtrlID(GetFocus()) - platform::win32::kToolkitItemBase; }
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

int Page() { return static_cast<int>(SendMessageW(Item(1), TCM_GETCURSEL, 0, 0)); }

// The Tab key's round on each page, controls numbered by creation: the strip
// of tabs (1), then on the first page the profile list (6) and the Settings
// group, the modifiers and the letter (19), How to act, the drive and folder
// lists (26), the new folder, Automate with "?" (31); on the second "keep
// active" (33), the tag box, the playlist-entry choice and the library box; on
// the third "Undo last" (42), the undo shortcut, the notices' box, the journal
// and its "Open in editor" (54); Close (56) on every page.
const std::vector<std::vector<int>> kReadingOrder = {
    {1, 6, 7, 8, 10, 11, 15, 16, 17, 18, 19, 21, 22, 23, 25, 26, 27, 28, 30, 31, 56},
    {1, 33, 35, 58, 57, 38, 39, 56},
    {1, 42, 44, 45, 46, 47, 48, 49, 51, 53, 54, 61, 62, 63, 56}};

class DialogWindow : public ::testing::Test {
 protected:
  DialogWindow() {
    platform::win32::InstallServices(nullptr);
    for (const char* folder : {"C:\\dlg", "C:\\dlg\\a", "C:\\dlg\\b"}) CreateDirectoryA(folder, nullptr);
    DeleteFileA(kIni);
    for (const char* name : {"rockmix", "trash"})
      WritePrivateProfileSectionA(name,
                                  "Key=11\0moveToFolder=1\0savingPlace=C:\\dlg\0sortingOption=0\0"
                                  "createArtistFolder=0\0modifiers=3\0",
                                  kIni);
    WritePrivateProfileStringA("iniConfig", "LastUsed", "rockmix", kIni);
    settings::SettingsIni().SetFileName(L"C:\\dlg\\vandrel.ini");
  }
  ~DialogWindow() override { DestroyWindow(owner); }
  // The scaling the programs of a run start with: none set (a run stopped
  // part way may have left one).
  static void SetUpTestSuite() {
    if (!std::getenv("VANDREL_DPI_RUN"))
      RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
  }

  // Shows the dialog as Configure does while `steps` play; the last must close it.
  void Run(Steps steps) {
    steps.push_back([] { dialog::UnloadConfig(); });
    g_steps = std::move(steps);
    UINT_PTR timer = SetTimer(nullptr, 0, 200, &NextStep);
    dialog::ShowConfig(&plugin);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_steps.size(), 1u) << "the keys closed the dialog";
  }
  static std::string Read(const char* section, const char* key) {
    char value[64] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, kIni);
    return value;
  }
  // Where the dialog is and what owns it; `around` is where it should be centred.
  void ExpectPlaced(const RECT& around) {
    HWND dialog = Dialog();
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r{};
    GetClientRect(dialog, &r);
    EXPECT_EQ(r.right * 96 / Dpi(), 591) << "client size from the frame";
    EXPECT_LE(r.bottom * 96 / Dpi(), 440);
    RECT save{};  // inside two groups, where the layout puts it, under the strip of tabs
    GetWindowRect(Item(11), &save);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&save), 2);
    EXPECT_EQ(save.left * 96 / Dpi(), 8 + 168 + 8);
    EXPECT_EQ(save.top * 96 / Dpi(), 28 + 8 + 80 + 48);
    GetWindowRect(dialog, &r);
    EXPECT_NEAR(Centre(r).x, Centre(around).x, 1);
    EXPECT_NEAR(Centre(r).y, Centre(around).y, 1);
  }

  static constexpr char kIni[] = "C:\\dlg\\vandrel.ini";
  HWND owner = CreateWindowExW(0, L"STATIC", L"Winamp", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 400, 300,
                               nullptr, nullptr, nullptr, nullptr);
  testing::StubPlugin plugin{owner, L"C:\\dlg"};
};

TEST_F(DialogWindow, OwnedByWinampCentredOnItAndWorkedByTheKeyboard) {
  RECT winamp{};
  GetWindowRect(owner, &winamp);
  Steps steps = {[&] { ExpectPlaced(winamp); }};
  // Each page walked with Tab from the strip round to it; Ctrl+Tab goes on.
  for (int page = 0; page < 3; ++page) {
    for (int control : kReadingOrder[page])
      steps.push_back([control, page] {
        EXPECT_EQ(Page(), page);
        EXPECT_EQ(Focused(), control);
        testing::PressKeys({}, VK_TAB);
      });
    steps.push_back([] { testing::PressKeys({VK_CONTROL}, VK_TAB); });
  }
  steps.push_back([] {
    EXPECT_TRUE(Page() == 0 && Focused() == 1) << "from the last page to the first";
    testing::PressKeys({VK_CONTROL, VK_SHIFT}, VK_TAB);
  });
  steps.push_back([] {
    EXPECT_EQ(Page(), 2);
    testing::PressKeys({VK_CONTROL}, VK_TAB);
  });
  steps.push_back([] {
    EXPECT_EQ(Page(), 0);
    testing::PressKeys({VK_SHIFT}, VK_TAB);
  });
  // Arrows pick a profile without filling the name box; Enter loads it.
  steps.push_back([] {
    EXPECT_EQ(Focused(), 56);
    SetFocus(Item(6));
    testing::PressKeys({}, VK_DOWN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("iniConfig", "LastUsed"), "rockmix");
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("iniConfig", "LastUsed"), "trash");
    SetFocus(Item(26));  // the folder list: the arrows pick, Enter opens
    testing::PressKeys({}, VK_DOWN);
  });
  steps.push_back([] {
    EXPECT_EQ(SendMessageW(Item(26), LB_GETCOUNT, 0, 0), 4);
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(SendMessageW(Item(26), LB_GETCOUNT, 0, 0), 3) << "C:\\, dlg, a";
    SetFocus(Item(10));  // Enter in the name box saves
    SetWindowTextW(Item(10), L"typed");
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("typed", "savingPlace"), "C:\\dlg\\a");
    PostMessageW(Item(31), BM_CLICK, 0, 0);
  });
  steps.push_back([] {  // a box over the dialog belongs to it
    HWND box = testing::FindMessageBox("Vandrel");
    EXPECT_EQ(GetWindow(box, GW_OWNER), Dialog());
    testing::ClickButton(box, IDOK);
  });
  steps.push_back([] { testing::PressKeys({}, VK_ESCAPE); });
  Run(steps);

  // Off every screen, Winamp's window leaves the dialog in the middle of the screen; Alt+F4 closes it.
  SetWindowPos(owner, nullptr, -5000, -5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT screen{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  Run({[&] {
    ExpectPlaced(screen);
    testing::PressKeys({VK_MENU}, VK_F4);
  }});
}

void PumpFor(DWORD milliseconds) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(10))
    platform::win32::Win32Toolkit().PumpMessages();
}

TEST_F(DialogWindow, TheNoticeNeverTakesTheFocusAndGoesWhenClickedReplacedOrItsTimeIsUp) {
  auto& kit = platform::win32::Win32Toolkit();
  const auto winamp = reinterpret_cast<platform::WindowHandle>(owner);
  SetForegroundWindow(owner);
  kit.ShowNotice(L"first", winamp, 60000);
  kit.ShowNotice(L"Moved to D:\\Keep\\a: Artist - Title.mp3", winamp, 60000);
  HWND notice = FindWindowW(platform::win32::kNoticeClass, nullptr);
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(FindWindowExW(nullptr, notice, platform::win32::kNoticeClass, nullptr), nullptr) << "replaced";
  PumpFor(100);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(GetForegroundWindow(), owner);
  // Inside the work area of Winamp's monitor, tall enough for its text at this scaling.
  RECT r{}, inside{};
  GetWindowRect(notice, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_TRUE(IntersectRect(&inside, &r, &monitor.rcWork) && EqualRect(&inside, &r));
  EXPECT_GE(r.bottom - r.top, 9 * Dpi() / 72);

  const POINT at = Centre(r);
  SetCursorPos(at.x, at.y);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  PumpFor(300);
  EXPECT_FALSE(IsWindow(notice)) << "a click dismisses it";
  EXPECT_EQ(GetForegroundWindow(), owner);

  // Its Undo, a visible control at its right end: a click there undoes, and the notice goes.
  int undone = 0;
  kit.ShowNotice(L"Deleted for good: a.mp3", winamp, 60000, [&] { ++undone; });
  notice = FindWindowW(platform::win32::kNoticeClass, nullptr);
  HWND undo = FindWindowExW(notice, nullptr, L"Static", L"Undo");
  ASSERT_NE(undo, nullptr);
  EXPECT_TRUE(IsWindowVisible(undo));
  GetWindowRect(undo, &r);
  RECT whole{};
  GetWindowRect(notice, &whole);
  EXPECT_GT(r.left, Centre(whole).x) << "at its right end";
  SetCursorPos(Centre(r).x, Centre(r).y);
  SendInput(2, click, sizeof(INPUT));
  PumpFor(300);
  EXPECT_EQ(undone, 1);
  EXPECT_FALSE(IsWindow(notice));
  EXPECT_EQ(GetForegroundWindow(), owner);

  kit.ShowNotice(L"brief", winamp, 200);
  notice = FindWindowW(platform::win32::kNoticeClass, nullptr);
  PumpFor(600);
  EXPECT_FALSE(IsWindow(notice)) << "gone after its time";
  kit.ShowNotice(L"until Quit", winamp, 60000);
  kit.HideNotice();
  EXPECT_EQ(FindWindowW(platform::win32::kNoticeClass, nullptr), nullptr);
}

// The page shown: every control inside the dialog, over no other (a group
// holds what lies inside it), its text inside it.
void ExpectPageLaidOut() {
  HWND dialog = Dialog();
  RECT client{};
  GetClientRect(dialog, &client);
  struct Shown {
    HWND window;
    RECT at;
    bool group;
  };
  std::vector<Shown> shown;
  HDC dc = GetDC(dialog);
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    if (!(style & WS_VISIBLE)) continue;
    wchar_t text[256] = L"", kind[32] = L"";
    GetWindowTextW(c, text, 256);
    GetClassNameW(c, kind, 32);
    const bool check = lstrcmpiW(kind, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    const bool group = lstrcmpiW(kind, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
    RECT at{}, inside{};
    GetWindowRect(c, &at);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_TRUE(IntersectRect(&inside, &at, &client) && EqualRect(&inside, &at))
        << GetDlgCtrlID(c) - platform::win32::kToolkitItemBase << " at " << at.left << "," << at.top << " to "
        << at.right << "," << at.bottom << ", outside the dialog's " << client.right << "x" << client.bottom
        << " at " << Dpi();
    for (const auto& [other, there, otherGroup] : shown) {
      RECT both{};
      if (!IntersectRect(&both, &at, &there)) continue;
      EXPECT_TRUE((group && EqualRect(&both, &there)) || (otherGroup && EqualRect(&both, &at)))
          << GetDlgCtrlID(c) - platform::win32::kToolkitItemBase << " over "
          << GetDlgCtrlID(other) - platform::win32::kToolkitItemBase << " at " << Dpi();
    }
    shown.push_back({c, at, group});
    if (!*text || lstrcmpiW(kind, L"EDIT") == 0 || lstrcmpiW(kind, WC_TABCONTROLW) == 0) continue;
    RECT room{};
    GetClientRect(c, &room);
    room.right -= check                        ? GetSystemMetrics(SM_CXMENUCHECK) + 4
                  : group                      ? 16
                  : lstrcmpiW(kind, L"STATIC") ? 4
                                               : 0;
    RECT need = room;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &need,
              DT_CALCRECT | (check || !lstrcmpiW(kind, L"STATIC") ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    EXPECT_TRUE(need.right <= room.right && (group || need.bottom <= room.bottom))
        << text << ": needs " << need.right << "x" << need.bottom << ", has " << room.right << "x"
        << room.bottom << " at " << Dpi();
  }
  ReleaseDC(dialog, dc);
}

// The screens the layout is checked on: the dots per inch, and the screen's
// size (0: the X server's own, 1280 x 1024), made by a Wine desktop of that
// size. The click on Close needs the desktop inside the X server's screen.
// Wine keeps a desktop's size as the screen's for the programs after it, so
// that one comes last and the X server's size is given back after it.
struct Screen {
  int dpi, width, height;
};
constexpr Screen kScreens[] = {{96, 0, 0}, {120, 0, 0}, {192, 0, 0}, {144, 1024, 768}};

TEST_F(DialogWindow, EveryPageFitsTheDialogAndTheDialogItsScreen) {
  if (const char* expected = std::getenv("VANDREL_DPI_RUN")) {
    ASSERT_EQ(Dpi(), std::atoi(expected));
    Steps steps;
    for (int page = 0; page < 3; ++page) {
      steps.push_back([page] {
        EXPECT_EQ(Page(), page);
        ExpectPageLaidOut();
        testing::PressKeys({VK_CONTROL}, VK_TAB);
      });
    }
    // Inside the work area of its monitor; where it cannot be, its top left is.
    steps.push_back([] {
      RECT r{}, inside{};
      GetWindowRect(Dialog(), &r);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      GetMonitorInfoW(MonitorFromWindow(Dialog(), MONITOR_DEFAULTTONEAREST), &monitor);
      const RECT& work = monitor.rcWork;
      EXPECT_TRUE(PtInRect(&work, POINT{r.left, r.top}));
      if (r.right - r.left <= work.right - work.left && r.bottom - r.top <= work.bottom - work.top) {
        EXPECT_TRUE(IntersectRect(&inside, &r, &work) && EqualRect(&inside, &r)) << "at " << Dpi();
      }
    });
    // Close closes it by a click: clicked again a few times, as the first one
    // may only wake the Wine desktop that holds the dialog.
    for (int attempt = 0; attempt < 5; ++attempt) {
      steps.push_back([] {
        RECT r{};
        GetWindowRect(Item(56), &r);
        SetCursorPos(Centre(r).x, Centre(r).y);
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, click, sizeof(INPUT));
      });
      steps.insert(steps.end(), 4, [] {});  // time for the click
    }
    steps.push_back([] { dialog::UnloadConfig(); });
    g_steps = std::move(steps);
    UINT_PTR timer = SetTimer(nullptr, 0, 200, &NextStep);
    dialog::ShowConfig(&plugin);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(g_steps.empty()) << "closed by the click on Close";
    return;
  }

  // Each screen in a program of its own: the system reads the scaling when a program starts.
  HKEY desktop = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &desktop);
  const std::string xScreen =
      std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN));
  for (const Screen& screen : kScreens) {
    DWORD dpi = static_cast<DWORD>(screen.dpi);
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
    SetEnvironmentVariableA("VANDREL_DPI_RUN", std::to_string(screen.dpi).c_str());
    const std::string report = "C:\\dlg\\layout-" + std::to_string(screen.dpi) + ".xml";
    DeleteFileA(report.c_str());
    std::string command =
        "\"" + testing::ProgramFolder() +
        "win_dialog_window_test.exe\" --gtest_filter=*FitsTheDialog* --gtest_output=xml:" + report;
    if (screen.width)
      command = "explorer.exe /desktop=vandrel" + std::to_string(screen.dpi) + "," +
                std::to_string(screen.width) + "x" + std::to_string(screen.height) + " " + command;
    testing::RunProgram(command);
    std::string xml;
    EXPECT_TRUE(testing::WaitUntil(
        [&] {
          return !(xml = testing::ReadWholeFile(report)).empty() &&
                 xml.find("</testsuites>") != std::string::npos;
        },
        60000));
    EXPECT_NE(xml.find("failures=\"0\""), std::string::npos) << "at " << screen.dpi << ":\n" << xml;
  }
  RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
  SetEnvironmentVariableW(L"VANDREL_DPI_RUN", nullptr);
  testing::RunProgram("explorer.exe /desktop=vandrel," + xScreen + " cmd.exe /c exit");
  EXPECT_TRUE(testing::WaitUntil([&] {
    return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
               std::to_string(GetSystemMetrics(SM_CYSCREEN)) ==
           xScreen;
  }));
}

}  // namespace
}  // namespace vandrel
