// The Win32 toolkit and the real configuration dialog under Wine: controls
// where they were placed and what reaches the owner; the dialog modal over
// its owner and nothing of it left behind after it closed. What the dialog
// shows and does is proved end to end with the stand-in.
#include <gtest/gtest.h>
#include <windows.h>

#include "dialog/config.h"
#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "support/win/stub_plugin.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

namespace win32 = platform::win32;
using platform::ControlKind;

struct Recorder : platform::FormEvents {
  std::vector<std::string> seen;
  void OnClick(platform::ControlId id) override { seen.push_back("click " + std::to_string(id)); }
  void OnMouseUp(platform::ControlId) override {}
  void OnDriveChanged(platform::ControlId) override {}
  void OnClosed() override { seen.push_back("closed"); }
};

TEST(Toolkit, NestedControlsSitWhereTheyWerePlacedAndOnlyTheirClicksReachTheOwner) {
  win32::InstallServices(nullptr);
  Recorder events;
  auto form = win32::Win32Toolkit().CreateForm({L"toolkit test", 591, 408, {224, 224, 224}}, events);
  ASSERT_TRUE(form);
  auto add = [&](ControlKind kind, platform::ControlId parent, int x, int y, const wchar_t* caption) {
    return form->AddControl({kind, parent, x, y, 129, 25, caption, platform::FontSpec{L"Verdana", 9.75, true},
                             platform::Rgb{255, 255, 192}});
  };
  const auto group = add(ControlKind::Group, 0, 8, 8, L" Settings ");
  const auto inner = add(ControlKind::Group, group, 168, 80, L" Save Settings As ");
  const auto button = add(ControlKind::Button, inner, 8, 48, L"Save Settings");
  HWND window = reinterpret_cast<HWND>(form->Handle());
  HWND control = GetDlgItem(window, win32::kToolkitItemBase + button);
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 8 + 168 + 8);
  EXPECT_EQ(rect.top, 8 + 80 + 48);
  EXPECT_EQ(form->Text(button), L"Save Settings");

  // Enter and Escape click nothing; closing is reported once.
  SendMessageA(control, BM_CLICK, 0, 0);
  SendMessageA(window, WM_COMMAND, IDOK, 0);
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  form->Close();
  EXPECT_EQ(events.seen, (std::vector<std::string>{"click " + std::to_string(button), "closed"}));
  EXPECT_FALSE(form->IsOpen());
}

HWND g_owner = nullptr;
bool g_ownerDisabled = false;
std::vector<HGDIOBJ> g_gdi;  // the fonts and brushes the open dialog used

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_ownerDisabled = !IsWindowEnabled(g_owner);
  HWND dialog = FindWindowA("VandrelForm", "nearly new Vandrel");
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    HDC dc = GetDC(child);
    g_gdi.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
    for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN})
      g_gdi.push_back(reinterpret_cast<HGDIOBJ>(
          SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child))));
    ReleaseDC(child, dc);
  }
  dialog::UnloadConfig();
}

TEST(Toolkit, TheDialogRunsModallyAndLeavesNoWindowFontOrBrushBehind) {
  win32::InstallServices(nullptr);
  testing::TempFolder folder;
  settings::SettingsIni().SetFileName(std::wstring(folder.path().begin(), folder.path().end()) + L"\\v.ini");
  g_owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            nullptr, nullptr);
  testing::StubPlugin plugin(g_owner, L"C:\\");
  // Each opening is closed from a timer, inside the dialog's own message loop.
  auto once = [&] {
    ASSERT_NE(SetTimer(nullptr, 0, 1, LookAndClose), 0u);
    dialog::ShowConfig(&plugin);
  };
  once();  // the first creates what stays for the process (stock objects)
  EXPECT_TRUE(g_ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(g_owner));
  EXPECT_FALSE(dialog::ConfigDialogOpen());
  g_gdi.clear();
  for (int i = 0; i < 5; ++i) once();
  int owned = 0;
  for (HGDIOBJ object : g_gdi) {
    bool stock = object == nullptr || object == GetSysColorBrush(COLOR_BTNFACE) ||
                 object == GetSysColorBrush(COLOR_WINDOW);
    for (int id : {DEFAULT_GUI_FONT, NULL_BRUSH, SYSTEM_FONT, WHITE_BRUSH})
      stock |= object == GetStockObject(id);
    if (stock) continue;
    ++owned;
    EXPECT_EQ(GetObjectType(object), 0u) << "GDI object " << object << " outlived the dialog";
  }
  EXPECT_GE(owned, 5 * 4) << "the fonts and brushes of every opening were seen";
  WNDCLASSA info{};
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "VandrelForm", &info)) << "class unregistered";
  DestroyWindow(g_owner);
}

}  // namespace
}  // namespace vandrel
