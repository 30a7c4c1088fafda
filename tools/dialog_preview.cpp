// Shows the configuration dialog with two profiles and a plug-in whose
// settings match the first, for a screenshot: dialog_preview [seconds [page]]
// shows the page (from 0) and prints the window's place on the screen as
// WxH+X+Y; it closes itself after the seconds (default 10).
#include <windows.h>

#include <cstdlib>
#include <string>

#include <commctrl.h>

#include <cstdio>

#include "dialog/config.h"
#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "support/win/stub_plugin.h"

// Closes the dialog when the preview's time is up (a stdcall timer procedure,
// as the x86 build needs).
void CALLBACK CloseDialog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  vandrel::dialog::UnloadConfig();
}

int g_page = 0;

// Chooses the page as a click on its tab does, and tells where the dialog is.
void CALLBACK ShowPage(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND dialog = FindWindowW(L"VandrelForm", nullptr);
  HWND tabs = GetDlgItem(dialog, vandrel::platform::win32::kToolkitItemBase + 1);
  SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(g_page), 0);
  NMHDR chosen{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(dialog, WM_NOTIFY, chosen.idFrom, reinterpret_cast<LPARAM>(&chosen));
  RECT r{};
  GetWindowRect(dialog, &r);
  std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
  std::fflush(stdout);
}

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  g_page = argc > 2 ? std::atoi(argv[2]) : 0;
  vandrel::platform::win32::InstallServices(nullptr);
  for (const char* folder : {"C:\\Music", "C:\\Music\\Sorted", "C:\\Music\\Sorted\\a", "C:\\Music\\Sorted\\b",
                             "C:\\Music\\Sorted\\metallica"}) {
    CreateDirectoryA(folder, nullptr);
  }
  const char* ini = "C:\\Music\\vandrel_preview.ini";
  DeleteFileA(ini);
  const char* sections[][2] = {{"rockmix",
                                "Key=11\0moveToFolder=1\0savingPlace=C:\\Music\\Sorted\0"
                                "sortingOption=1\0createArtistFolder=0\0modifiers=3\0alwaysActive=1\0"},
                               {"iniConfig", "LastUsed=rockmix\0"},
                               {"trash",
                                "Key=20\0moveToFolder=0\0savingPlace=C:\\\0sortingOption=0\0"
                                "createArtistFolder=0\0"}};
  for (auto& section : sections) WritePrivateProfileSectionA(section[0], section[1], ini);
  vandrel::settings::SettingsIni().SetFileName(L"C:\\Music\\vandrel_preview.ini");

  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000u, &CloseDialog);
  SetTimer(nullptr, 0, 500, &ShowPage);
  vandrel::testing::StubPlugin plugin(nullptr, L"C:\\Music\\Sorted");
  vandrel::dialog::ShowConfig(&plugin);
  DeleteFileA(ini);
  return 0;
}
