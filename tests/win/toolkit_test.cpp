// The Win32 toolkit under Wine: where controls sit and what reaches the owner.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"

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
  // A click reaches the owner, Enter clicks the focused button again; Escape closes, reported once.
  SendMessageA(control, BM_CLICK, 0, 0);
  SendMessageA(window, WM_COMMAND, IDOK, 0);
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  form->Close();
  EXPECT_EQ(events.clicks, (std::vector<platform::ControlId>{button, button}));
  EXPECT_EQ(events.closed, 1);
}

}  // namespace
}  // namespace vandrel
