// The configuration dialog as a Windows user meets it: owned by Winamp's
// window and centred on it, every text inside its control at 96 and 144 dots
// per inch, and worked by the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "dialog/config.h"
#include "dialog/frm_config.h"
#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/stub_plugin.h"

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

// The Tab key's round, controls numbered by creation: the profile list (2) and the
// Settings group, the modifiers, the letter and "keep active" (30), How to act
// with the tag box (36) and its playlist-entry choice (33), the drive and folder
// lists (18), the new folder, Automate with "?" (23), "Undo last" (35) with the
// undo shortcut and the notices' box (43), Close (25).
const std::vector<int> kReadingOrder = {2,  3,  4,  6,  7,  26, 27, 28, 29, 11, 30, 13, 14, 15, 36, 33,
                                        17, 18, 19, 20, 22, 23, 35, 37, 38, 39, 40, 41, 42, 43, 25};

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
    RECT save{};  // inside two groups, where the layout puts it
    GetWindowRect(Item(7), &save);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&save), 2);
    EXPECT_EQ(save.left * 96 / Dpi(), 8 + 168 + 8);
    EXPECT_EQ(save.top * 96 / Dpi(), 8 + 80 + 48);
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
  for (int control : kReadingOrder)
    steps.push_back([control] {
      EXPECT_EQ(Focused(), control);
      testing::PressKeys({}, VK_TAB);
    });
  steps.push_back([] {
    EXPECT_EQ(Focused(), 2);
    testing::PressKeys({VK_SHIFT}, VK_TAB);
  });
  // Arrows pick a profile without filling the name box; Enter loads it.
  steps.push_back([] {
    EXPECT_EQ(Focused(), 25);
    SetFocus(Item(2));
    testing::PressKeys({}, VK_DOWN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("iniConfig", "LastUsed"), "rockmix");
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("iniConfig", "LastUsed"), "trash");
    SetFocus(Item(18));  // the folder list: the arrows pick, Enter opens
    testing::PressKeys({}, VK_DOWN);
  });
  steps.push_back([] {
    EXPECT_EQ(SendMessageW(Item(18), LB_GETCOUNT, 0, 0), 4);
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(SendMessageW(Item(18), LB_GETCOUNT, 0, 0), 3) << "C:\\, dlg, a";
    SetFocus(Item(6));  // Enter in the name box saves
    SetWindowTextW(Item(6), L"typed");
    testing::PressKeys({}, VK_RETURN);
  });
  steps.push_back([] {
    EXPECT_EQ(Read("typed", "savingPlace"), "C:\\dlg\\a");
    PostMessageW(Item(23), BM_CLICK, 0, 0);
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

  kit.ShowNotice(L"brief", winamp, 200);
  notice = FindWindowW(platform::win32::kNoticeClass, nullptr);
  PumpFor(600);
  EXPECT_FALSE(IsWindow(notice)) << "gone after its time";
  kit.ShowNotice(L"until Quit", winamp, 60000);
  kit.HideNotice();
  EXPECT_EQ(FindWindowW(platform::win32::kNoticeClass, nullptr), nullptr);
}

TEST_F(DialogWindow, EveryTextFitsItsControlAt96And144DotsPerInch) {
  dialog::FrmConfig frm(&plugin);
  ASSERT_TRUE(frm.Load(reinterpret_cast<platform::WindowHandle>(owner)));
  HDC dc = GetDC(Dialog());
  for (HWND c = GetWindow(Dialog(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t text[256] = L"", kind[16] = L"";
    GetWindowTextW(c, text, 256);
    GetClassNameW(c, kind, 16);
    LONG style = GetWindowLongW(c, GWL_STYLE);
    if (!*text || lstrcmpiW(kind, L"EDIT") == 0) continue;
    RECT room{};
    GetClientRect(c, &room);
    const bool check = lstrcmpiW(kind, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    const bool group = lstrcmpiW(kind, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
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
  ReleaseDC(Dialog(), dc);
  if (std::getenv("VANDREL_DPI_RUN")) {
    EXPECT_EQ(Dpi(), 144);
    return;
  }

  // Again at 150% in a program of its own: the system reads the scaling when a program starts.
  HKEY desktop = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &desktop);
  DWORD dpi = 144;
  RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
  SetEnvironmentVariableW(L"VANDREL_DPI_RUN", L"1");
  const int code = testing::RunProgram("\"" + testing::ProgramFolder() +
                                       "win_dialog_window_test.exe\" --gtest_filter=*EveryTextFits*");
  RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
  SetEnvironmentVariableW(L"VANDREL_DPI_RUN", nullptr);
  EXPECT_EQ(code, 0) << "at 144 dots per inch";
}

}  // namespace
}  // namespace vandrel
