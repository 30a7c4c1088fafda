// The Win32 toolkit and the real configuration dialog under Wine: controls
// where they were placed and what reaches the owner, the modal loop, and no
// window or GDI object left behind after opening and closing the dialog many
// times. What the dialog shows, its folder list and drive selector (the drive
// letter in capitals, the drive that is not ready) are proved end to end with
// the stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "dialog/config.h"
#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "support/win/stub_plugin.h"

namespace vandrel {
namespace {

namespace win32 = platform::win32;
using platform::ControlKind;
using platform::ControlSpec;

struct Recorder : platform::FormEvents {
  std::vector<std::string> seen;
  void OnClick(platform::ControlId id) override { seen.push_back("click " + std::to_string(id)); }
  void OnMouseUp(platform::ControlId) override {}
  void OnDriveChanged(platform::ControlId) override {}
  void OnClosed() override { seen.push_back("closed"); }
};

// A new folder under the temporary folder, unique to this run.
std::string TempFolder(const char* name) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string folder = std::string(base) + name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                       std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

HWND Item(HWND form, platform::ControlId id) { return GetDlgItem(form, win32::kToolkitItemBase + id); }

// The child control with this id, and its rectangle in the form's client area.
RECT ChildRect(HWND form, int id) {
  RECT rect{};
  HWND child = Item(form, id);
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int ThreadWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM counter) -> BOOL {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { win32::InstallServices(nullptr); }

  std::unique_ptr<platform::Form> NewForm() {
    platform::FormSpec spec{L"toolkit test", 591, 408, {224, 224, 224}};
    auto form = win32::Win32Toolkit().CreateForm(spec, events);
    EXPECT_TRUE(form);
    return form;
  }
  platform::ControlId Add(platform::Form& form, ControlKind kind, platform::ControlId parent, int x, int y,
                          int w, int h, const std::wstring& caption = L"",
                          std::optional<platform::FontSpec> font = std::nullopt,
                          std::optional<platform::Rgb> colour = std::nullopt) {
    ControlSpec spec;
    spec.kind = kind;
    spec.parent = parent;
    spec.x = x;
    spec.y = y;
    spec.width = w;
    spec.height = h;
    spec.caption = caption;
    spec.font = font;
    spec.background = colour;
    return form.AddControl(spec);
  }

  Recorder events;
};

TEST_F(ToolkitTest, NestedControlsSitWhereTheyWerePlacedAndOnlyTheirClicksReachTheOwner) {
  auto form = NewForm();
  HWND window = reinterpret_cast<HWND>(form->Handle());

  auto group = Add(*form, ControlKind::Group, 0, 8, 8, 321, 169, L" Settings ");
  auto inner = Add(*form, ControlKind::Group, group, 168, 80, 145, 81, L" Save Settings As ");
  auto button = Add(*form, ControlKind::Button, inner, 8, 48, 129, 25, L"Save Settings",
                    platform::FontSpec{L"Verdana", 9.75, true}, platform::Rgb{255, 255, 192});
  RECT r = ChildRect(window, button);
  EXPECT_EQ(r.left, 8 + 168 + 8);
  EXPECT_EQ(r.top, 8 + 80 + 48);
  EXPECT_EQ(form->Text(button), L"Save Settings");

  // A click on the button reaches the owner, Enter and Escape click nothing;
  // closing is reported once.
  SendMessageA(Item(window, button), BM_CLICK, 0, 0);
  SendMessageA(window, WM_COMMAND, IDOK, 0);
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  form->Close();
  EXPECT_EQ(events.seen, (std::vector<std::string>{"click " + std::to_string(button), "closed"}));
  EXPECT_FALSE(form->IsOpen());
  EXPECT_EQ(form->Text(button), L"");  // harmless once closed
}

bool g_ownerWasDisabled = false;
HWND g_owner = nullptr;
std::vector<HGDIOBJ> g_gdiSeen;  // fonts and brushes the open dialog used

// Every font and brush that the dialog's controls use, from the controls
// themselves (WM_GETFONT) and from the dialog's answers to WM_CTLCOLOR*.
void CollectGdiObjects(HWND dialog) {
  struct Walk {
    HWND dialog;
    std::vector<HGDIOBJ>* seen;
  } walk{dialog, &g_gdiSeen};
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM data) -> BOOL {
        auto* w = reinterpret_cast<Walk*>(data);
        w->seen->push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
        HDC dc = GetDC(child);
        for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
          w->seen->push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(
              w->dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child))));
        }
        ReleaseDC(child, dc);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
}

bool IsStock(HGDIOBJ object) {
  for (int stock : {DEFAULT_GUI_FONT, NULL_BRUSH, SYSTEM_FONT, WHITE_BRUSH}) {
    if (object == GetStockObject(stock)) return true;
  }
  return object == nullptr || object == GetSysColorBrush(COLOR_BTNFACE) ||
         object == GetSysColorBrush(COLOR_WINDOW);
}

TEST_F(ToolkitTest, DialogOpensModallyAndFiftyOpeningsLeaveNothingBehind) {
  std::string folder = TempFolder("vandrel_dialog");
  std::string ini = folder + "\\vandrel.ini";
  WritePrivateProfileStringA("rockmix", "Key", "11", ini.c_str());
  settings::SettingsIni().SetFileName(std::wstring(ini.begin(), ini.end()));
  g_owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            nullptr, nullptr);
  ASSERT_TRUE(g_owner);
  testing::StubPlugin plugin(g_owner, std::wstring(folder.begin(), folder.end()));

  auto once = [&] {
    // The timer fires inside the dialog's own message loop.
    UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      g_ownerWasDisabled = !IsWindowEnabled(g_owner);
      CollectGdiObjects(FindWindowA("VandrelForm", "nearly new Vandrel"));
      dialog::UnloadConfig();
    });
    ASSERT_NE(timer, 0u);
    dialog::ShowConfig(&plugin);
  };

  once();  // the first opening creates what stays for the process (classes, stock objects)
  EXPECT_TRUE(g_ownerWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(g_owner));
  EXPECT_FALSE(dialog::ConfigDialogOpen());

  DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  int windowsBefore = ThreadWindows();
  g_gdiSeen.clear();
  for (int i = 0; i < 50; ++i) once();
  // GetGuiResources answers 0 under Wine, so each font and brush the dialog
  // used is looked up after it closed: none may still exist.
  int owned = 0;
  for (HGDIOBJ object : g_gdiSeen) {
    if (IsStock(object)) continue;
    ++owned;
    EXPECT_EQ(GetObjectType(object), 0u) << "GDI object " << object << " outlived the dialog";
  }
  EXPECT_GE(owned, 50 * 4) << "fonts and brushes of every opening were seen";
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "VandrelForm", &info)) << "class unregistered";
  DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  printf(
      "GetGuiResources: GDI %lu -> %lu, USER %lu -> %lu; thread windows %d -> %d; %d fonts/brushes checked\n",
      gdiBefore, gdiAfter, userBefore, userAfter, windowsBefore, ThreadWindows(), owned);
  EXPECT_EQ(ThreadWindows(), windowsBefore);
  EXPECT_LE(gdiAfter, gdiBefore);
  EXPECT_LE(userAfter, userBefore);
  DestroyWindow(g_owner);
  DeleteFileA(ini.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace vandrel
