// Every file Winamp plays, end to end with the stand-in: a name outside the
// ANSI code page read through IPC_GETPLAYLISTFILEW, and a file the player lets
// go of only a while after Stop, once soon enough and once too late.
#include <windows.h>

#include <gtest/gtest.h>

#include "../../tools/standin/standin_protocol.h"
#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

using Commands = std::vector<std::string>;

std::wstring Wide(const std::string& ansi) {
  std::wstring out(ansi.size(), L'\0');
  out.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                     out.data(), static_cast<int>(ansi.size()))));
  return out;
}

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  out.resize(
      static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                              out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

bool WideExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(EveryFile, WideNameGoesAndAFileLetGoLateIsWaitedForAboutTwoSeconds) {
  TempFolder music;
  PluginSession session;
  const std::wstring folder = Wide(music.path());
  const std::wstring japanese = folder + L"\\\u97F3\u697D - \u66F2.mp3";
  HANDLE file = CreateFileW(japanese.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const std::string soon = music.File("Soon - Released.mp3");
  const std::string late = music.File("Late - Released.mp3");
  ASSERT_TRUE(WriteWholeFile(music.Path("list.m3u8"), "\xEF\xBB\xBF" + Utf8(japanese) + "\r\n" + soon +
                                                          "\r\n" + late + "\r\n" + music.File("last.mp3") +
                                                          "\r\n"));
  // The stand-in takes "/playlist=" among its files as the playlist.
  ASSERT_TRUE(session.Start({"/playlist=" + music.Path("list.m3u8")}, SettingsFile({})));
  ASSERT_EQ(session.standin().State().playlist.size(), 4u);
  ASSERT_NE(session.standin().State().playlist[0].find('?'), std::string::npos) << "211 gives the '?' form";

  ASSERT_TRUE(session.Press('K'));
  EXPECT_FALSE(WideExists(japanese));
  EXPECT_EQ(session.Commands(), (Commands{"Stop", "Next", "Play"}));

  // From now on the player lets go of its file a while after Stop.
  const UINT control = RegisterWindowMessageA(standin::kControlMessage);
  HWND player = session.standin().window();
  ASSERT_TRUE(SendMessageA(player, control, standin::kSetReleaseDelay, 600));
  ASSERT_TRUE(session.Press('K'));
  EXPECT_FALSE(FileExists(soon));
  EXPECT_EQ(session.Commands(), (Commands{"Stop", "Next", "Play"}));

  ASSERT_TRUE(SendMessageA(player, control, standin::kSetReleaseDelay, 4000));
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
  EXPECT_EQ(session.Commands(), Commands{"Stop"});
  EXPECT_EQ(session.standin().State().playback, Playback::kStopped);
}

}  // namespace
}  // namespace vandrel::testing
