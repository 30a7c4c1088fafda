// The Win32 toolkit under Wine: where controls sit and what reaches the owner.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <thread>

#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"
#include "support/win/desktop.h"

namespace vandrel {
namespace {

using platform::ControlKind;

struct Recorder : platform::FormEvents {
  std::vector<platform::ControlId> clicks;
  int closed = 0;
  void OnClick(platform::ControlId id) override { clicks.push_back(id); }
  void OnMouseUp(platform::ControlId) override {}
  void OnDriveChanged(platform::ControlId) override {}
  void OnClosed() override { ++closed; }
};

TEST(Toolkit, NestedControlsSitWhereTheyWerePlacedAndOnlyTheirClicksReachTheOwner) {
  platform::win32::InstallServices(nullptr);
  Recorder events;
  auto form =
      platform::win32::Win32Toolkit().CreateForm({L"toolkit test", 591, 408, {224, 224, 224}}, events);
  auto add = [&](ControlKind kind, platform::ControlId parent, int x, int y) {
    return form->AddControl({kind, parent, x, y, 129, 25, L"x", platform::FontSpec{L"Verdana", 9.75, true},
                             platform::Rgb{255, 255, 192}});
  };
  const auto button =
      add(ControlKind::Button, add(ControlKind::Group, add(ControlKind::Group, 0, 8, 8), 168, 80), 8, 48);
  HWND window = reinterpret_cast<HWND>(form->Handle());
  HWND control = GetDlgItem(window, platform::win32::kToolkitItemBase + button);
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 8 + 168 + 8);
  EXPECT_EQ(rect.top, 8 + 80 + 48);
  // A click reaches the owner; Enter and Escape click nothing; closing is reported once.
  SendMessageA(control, BM_CLICK, 0, 0);
  SendMessageA(window, WM_COMMAND, IDOK, 0);
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  form->Close();
  EXPECT_EQ(events.clicks, std::vector<platform::ControlId>{button});
  EXPECT_EQ(events.closed, 1);
}

// Steps played one per timer tick while a form runs modally.
std::vector<std::function<void()>> g_steps;
void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_steps.empty()) return;
  auto step = std::move(g_steps.front());
  g_steps.erase(g_steps.begin());
  step();
}
void RunModalWith(platform::Form& form, HWND owner, std::vector<std::function<void()>> steps) {
  g_steps = std::move(steps);
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &NextStep);
  form.RunModal(reinterpret_cast<platform::WindowHandle>(owner));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_steps.empty());
}
POINT Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(Toolkit, TheFormIsOwnedCentredOnItsOwnerOrTheScreenAndOwnsTheBoxesItIsGiven) {
  platform::win32::InstallServices(nullptr);
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  RECT screen{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  for (int ownerAt : {300, -5000}) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, ownerAt,
                                 ownerAt / 2, 500, 400, nullptr, nullptr, nullptr, nullptr);
    Recorder events;
    platform::FormSpec spec{
        L"owned form", 300, 200, {224, 224, 224}, reinterpret_cast<platform::WindowHandle>(owner)};
    auto form = platform::win32::Win32Toolkit().CreateForm(spec, events);
    HWND window = reinterpret_cast<HWND>(form->Handle());
    HWND boxOwner = nullptr;
    RunModalWith(*form, owner, {[&] {
      SCOPED_TRACE(ownerAt);
      EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
      EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
      RECT client{};
      GetClientRect(window, &client);
      EXPECT_EQ(client.right * 96, 300 * dpi) << "client size";
      POINT at = Centre(window), expected = Centre(owner);
      if (ownerAt < 0) expected = {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
      EXPECT_NEAR(at.x, expected.x, 1);
      EXPECT_NEAR(at.y, expected.y, 1);
      platform::win32::Win32Ui().SetBoxOwner(form->Handle());
      std::thread user([&] {
        HWND box = testing::FindMessageBox("box owner", 5000);
        boxOwner = GetWindow(box, GW_OWNER);
        testing::Answer(box);
      });
      platform::win32::Win32Ui().MessageBox(L"?", L"box owner", platform::Icon::Information,
                                            platform::Buttons::Ok);
      user.join();
      form->Close();
    }});
    EXPECT_EQ(boxOwner, window);
    DestroyWindow(owner);
  }
}

}  // namespace
}  // namespace vandrel
