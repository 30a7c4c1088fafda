#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"
#include "winamp/bridge.h"

namespace vandrel {
namespace {

using testing::FakeWindows;

class BridgeTest : public ::testing::Test {
 protected:
  FakeWindows windows;
  testing::FakeUi ui;
  platform::ScopedServices services{{&windows, &ui, nullptr, nullptr}};
};

TEST_F(BridgeTest, ReadsTheCurrentEntrysNameOutOfWinampsMemoryUpTo255Bytes) {
  std::string name255 = "C:\\" + std::string(252, 'a');
  std::string name256 = "C:\\" + std::string(253, 'b');
  windows.playlist = {"C:\\Music\\One.mp3", "C:\\Music\\\xC4rzte - Junge.mp3", name255, name256};
  windows.position = 1;
  EXPECT_EQ(winamp::GetCurrentFileName(), L"C:\\Music\\\u00C4rzte - Junge.mp3");
  EXPECT_EQ(windows.processesOpened, 1);
  EXPECT_EQ(windows.processesClosed, 1);
  windows.position = 2;
  EXPECT_EQ(winamp::GetCurrentFileName(), std::wstring(name255.begin(), name255.end()));
  windows.position = 3;
  EXPECT_EQ(winamp::GetCurrentFileName(), L"");
}

TEST_F(BridgeTest, ClearSendsTheCurrentPositionAndWithoutWinampNothingHappens) {
  windows.playlist = {"a", "b", "c"};
  windows.position = 2;
  EXPECT_EQ(winamp::GetPlaylistLength(), 3);
  winamp::ClearPlaylist();
  EXPECT_TRUE(windows.playlist.empty());
  EXPECT_EQ(windows.sent.back().lParam, 101);
  EXPECT_EQ(windows.sent.back().wParam, 2u);
  EXPECT_EQ(windows.processesOpened, 0);

  windows.winampPresent = false;
  windows.playlist = {"C:\\x.mp3"};
  EXPECT_EQ(winamp::GetCurrentFileName(), L"");
  EXPECT_EQ(winamp::GetPlaylistLength(), 0);
  winamp::ClearPlaylist();
  EXPECT_EQ(windows.playlist.size(), 1u);
  EXPECT_EQ(windows.processesOpened, 0);
}

TEST(TrimAtNul, CutsAtTheFirstNulAndRefusesTextWithout) {
  EXPECT_EQ(winamp::TrimAtNul(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(winamp::TrimAtNul(std::string("\0", 1)), "");
  EXPECT_THROW(winamp::TrimAtNul("   "), Error);
}

}  // namespace
}  // namespace vandrel
