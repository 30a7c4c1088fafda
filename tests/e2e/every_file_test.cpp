// Every file Winamp plays, end to end with the stand-in: a name outside the
// ANSI code page read through IPC_GETPLAYLISTFILEW, and a file the player lets
// go of too late after Stop, waited for about two seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include "../../tools/standin/standin_protocol.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

TEST(EveryFile, WideNameGoesAndAFileLetGoLateIsWaitedForAboutTwoSeconds) {
  TempFolder music;
  PluginSession session;
  const std::string name = "\xE9\x9F\xB3\xE6\xA5\xBD - \xE6\x9B\xB2.mp3";  // UTF-8 of the name below
  const std::wstring japanese =
      std::wstring(music.path().begin(), music.path().end()) + L"\\\u97F3\u697D - \u66F2.mp3";
  CloseHandle(CreateFileW(japanese.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string late = music.File("Late - Released.mp3");
  ASSERT_TRUE(WriteWholeFile(music.Path("list.m3u8"), "\xEF\xBB\xBF" + music.Path(name) + "\r\n" + late +
                                                          "\r\n" + music.File("last.mp3") + "\r\n"));
  // The stand-in takes "/playlist=" among its files as the playlist.
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u8")}, SettingsFile({})));
  ASSERT_EQ(session.standin().State().playlist.size(), 3u);
  ASSERT_NE(session.standin().State().playlist[0].find('?'), std::string::npos) << "211 gives the '?' form";
  ASSERT_TRUE(session.Press('K'));
  EXPECT_EQ(GetFileAttributesW(japanese.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(session.Commands(), (std::vector<std::string>{"Stop", "Next", "Play"}));

  // From now on the player lets go of its file only 4 s after Stop.
  ASSERT_TRUE(SendMessageA(session.standin().window(), RegisterWindowMessageA(standin::kControlMessage),
                           standin::kSetReleaseDelay, 4000));
  session.standin().ClearLog();
  const DWORD pressed = GetTickCount();
  ASSERT_TRUE(PressWinKey('K'));
  HWND box = FindMessageBox("Vandrel");
  ASSERT_NE(box, nullptr);
  const DWORD waited = GetTickCount() - pressed;
  EXPECT_GE(waited, 1900u);
  EXPECT_LT(waited, 3900u) << "gave up before the player let go";
  EXPECT_NE(Answer(box).find(late), std::string::npos);
  EXPECT_TRUE(FileExists(late));
  EXPECT_EQ(session.Commands(), std::vector<std::string>{"Stop"});
  EXPECT_EQ(session.standin().State().playback, Playback::kStopped);
}

}  // namespace
}  // namespace vandrel::testing
