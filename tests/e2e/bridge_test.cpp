// The Winamp bridge against the stand-in Winamp in another process: the
// file name read out of its memory, the playlist length, clearing.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"
#include "winamp/bridge.h"

namespace vandrel::testing {
namespace {

class BridgeE2E : public ::testing::Test {
 protected:
  platform::Services services_{&platform::win32::Win32Windows(), &platform::win32::Win32Ui(), nullptr,
                               nullptr};
  platform::ScopedServices scoped_{services_};
};

TEST_F(BridgeE2E, ReadsNamesOutOfWinampsProcessUpTo255Bytes) {
  const std::string name255 = "C:\\" + std::string(248, 'a') + ".mp3";
  const std::string name256 = "C:\\" + std::string(249, 'b') + ".mp3";
  const std::string accented = "C:\\Music\\\xC4rzte - Junge.mp3";
  Standin standin;
  StandinOptions options;
  options.files = {name255, name256, accented};
  ASSERT_TRUE(standin.Start(options)) << standin.error();

  EXPECT_EQ(winamp::GetCurrentFileName(), std::wstring(name255.begin(), name255.end()));
  ASSERT_TRUE(standin.SetPosition(1));
  EXPECT_EQ(winamp::GetCurrentFileName(), L"");
  ASSERT_TRUE(standin.SetPosition(2));
  EXPECT_EQ(winamp::GetCurrentFileName(), L"C:\\Music\\\u00C4rzte - Junge.mp3");
  EXPECT_EQ(winamp::GetPlaylistLength(), 3);

  ASSERT_TRUE(standin.ClearLog());
  winamp::ClearPlaylist();
  EXPECT_TRUE(standin.State().playlist.empty());
  EXPECT_EQ(standin.Log(), (std::vector<std::string>{"IPC_GETLISTPOS", "IPC_DELETE 2"}));
  EXPECT_EQ(standin.Shutdown(), 0);
}

TEST_F(BridgeE2E, WithoutWinampEveryOperationAnswersAtOnce) {
  ASSERT_EQ(FindWindowA("Winamp v1.x", nullptr), nullptr);
  EXPECT_EQ(winamp::GetCurrentFileName(), L"");
  EXPECT_EQ(winamp::GetPlaylistLength(), 0);
  winamp::ClearPlaylist();
}

}  // namespace
}  // namespace vandrel::testing
