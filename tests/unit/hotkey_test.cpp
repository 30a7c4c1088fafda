#include <gtest/gtest.h>

#include "hotkey/hook.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"

namespace vandrel {
namespace {

using testing::FakeWindows;

struct CountingTarget : hotkey::Target {
  int hits = 0;
  void OnHotKey() override { ++hits; }
};

class HotkeyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    hotkey::SetHotKey(FakeWindows::kWinamp, 0);
    hotkey::UnhookWinampWindow(FakeWindows::kWinamp);
    hotkey::ForgetPrevWndProc();
    hotkey::SetTarget(nullptr);
  }
  FakeWindows windows;
  testing::FakeUi ui;
  platform::ScopedServices services{{&windows, &ui, nullptr, nullptr}};
};

TEST_F(HotkeyTest, OneAtomServesEveryKeyAndIsDeletedWithTheLastOne) {
  EXPECT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 0), 0);
  EXPECT_EQ(windows.atomsAdded, 0);

  ASSERT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 65), 0);
  std::int32_t id = hotkey::HotKeyId();
  EXPECT_EQ(id, static_cast<std::int16_t>(0xC0DE)) << "the atom is widened with its sign";
  EXPECT_LT(id, 0);
  ASSERT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 66), 0);
  EXPECT_EQ(windows.atomsAdded, 1);
  EXPECT_EQ(hotkey::HotKeyId(), id);
  EXPECT_EQ(windows.registered, (std::map<std::int32_t, unsigned>{{id, 66u}}));

  ASSERT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 0), 0);
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(windows.atomsDeleted, std::vector<std::uint16_t>{0xC0DE});
  EXPECT_EQ(hotkey::HotKeyId(), 0);
}

TEST_F(HotkeyTest, ARefusedKeyDropsTheOldOneButKeepsTheAtomForLater) {
  ASSERT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 65), 0);
  windows.takenKeys.insert(68);
  EXPECT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 68), -1);
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_NE(hotkey::HotKeyId(), 0);
  EXPECT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 0), 0);
  EXPECT_EQ(windows.atomsDeleted.size(), 1u);
}

TEST_F(HotkeyTest, NoAtomMeansNoHotkey) {
  windows.nextAtom = 0;
  EXPECT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 65), -1);
  EXPECT_EQ(hotkey::HotKeyId(), 0);
  EXPECT_TRUE(windows.registered.empty());
}

TEST_F(HotkeyTest, TheHookTakesOnlyItsOwnHotkeyAndPassesEverythingElseOn) {
  CountingTarget target;
  hotkey::SetTarget(&target);
  EXPECT_EQ(hotkey::UnhookWinampWindow(FakeWindows::kWinamp), -1) << "nothing to unhook yet";
  ASSERT_EQ(hotkey::HookWinampWindow(FakeWindows::kWinamp), 0);
  EXPECT_EQ(hotkey::HookWinampWindow(FakeWindows::kWinamp), -1);
  EXPECT_EQ(hotkey::PrevWndProc(), FakeWindows::kWinampProc) << "a second hook must not save itself";

  // No hotkey yet: even a hotkey message reaches Winamp.
  EXPECT_EQ(windows.Deliver(FakeWindows::kWinamp, 0x312, 0, 0), FakeWindows::kWinampProcResult);
  ASSERT_EQ(hotkey::SetHotKey(FakeWindows::kWinamp, 65), 0);
  auto id = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(hotkey::HotKeyId()));

  EXPECT_EQ(windows.Deliver(FakeWindows::kWinamp, 0x312, id, 0x410008), 0);
  EXPECT_EQ(target.hits, 1);
  EXPECT_EQ(windows.Deliver(FakeWindows::kWinamp, 0x312, 7, 0), FakeWindows::kWinampProcResult);
  EXPECT_EQ(windows.Deliver(FakeWindows::kWinamp, 0x111, 40045, 0), FakeWindows::kWinampProcResult);
  EXPECT_EQ(target.hits, 1);
  ASSERT_EQ(windows.reachedWinampProc.size(), 3u);
  EXPECT_EQ(windows.reachedWinampProc[2].wParam, 40045u);

  // With no plug-in in the slot the hotkey is still swallowed.
  hotkey::SetTarget(nullptr);
  EXPECT_EQ(windows.Deliver(FakeWindows::kWinamp, 0x312, id, 0), 0);
  EXPECT_EQ(windows.reachedWinampProc.size(), 3u);

  EXPECT_EQ(hotkey::UnhookWinampWindow(FakeWindows::kWinamp), 0);
  EXPECT_EQ(windows.procs[FakeWindows::kWinamp], FakeWindows::kWinampProc);
}

}  // namespace
}  // namespace vandrel
