// What a real Winamp does to a plug-in, end to end: a Unicode main window that
// other plug-ins subclass before and after ours, held keys, another window of
// Winamp's class; its Global Hotkeys plug-in; a first start with two wrappers, and
// shutdown with the dialog open.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/plugin_session.h"

namespace vandrel::testing {
namespace {

// A window of Winamp's class in this process, in front of the stand-in's: a
// plug-in that looked Winamp up by class would talk to it.
struct DecoyWinamp {
  DecoyWinamp() {
    WNDCLASSA decoy{0,       DefWindowProcA, 0,       0,       GetModuleHandleA(nullptr),
                    nullptr, nullptr,        nullptr, nullptr, "Winamp v1.x"};
    RegisterClassA(&decoy);
    window = CreateWindowExA(WS_EX_TOPMOST, "Winamp v1.x", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                             nullptr, nullptr, nullptr, nullptr);
  }
  ~DecoyWinamp() { DestroyWindow(window); }
  HWND window;
};

class Host : public ::testing::TestWithParam<const char*> {};

TEST_P(Host, AnotherSubclassInAnyOrderAHeldKeyAndADecoyWindow) {
  TempFolder music;
  PluginSession session;
  session.subclassPluginAs = GetParam();
  ProfileText profile;
  profile.modifiers = 3;  // Ctrl+Alt
  const std::string first = music.File("One.mp3"), second = music.File("Two.mp3");
  ASSERT_TRUE(session.Start({first, second, music.File("Three.mp3")}, SettingsFile(profile)));
  ASSERT_EQ(session.standin().State().plugins.size(), 2u);
  EXPECT_TRUE(session.standin().State().unicode) << "hooking must keep Winamp's window Unicode";

  DecoyWinamp decoy;
  ASSERT_EQ(FindWindowA("Winamp v1.x", nullptr), decoy.window);
  // Held through four key repeats: one action, on the stand-in's own entry.
  ASSERT_TRUE(session.Press('K', "Play", {VK_CONTROL, VK_MENU}, 4));
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(first); }));
  Sleep(300);  // time for repeated hotkey messages, were any sent
  EXPECT_TRUE(FileExists(second)) << "holding the keys disposed of a second song";
  EXPECT_EQ(session.Commands(), (std::vector<std::string>{"Stop", "Next", "Play"}));

  // Whichever quits first, no message may be lost and nothing may point into
  // an unloaded DLL: the stand-in frees the plug-ins and probes its window.
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

INSTANTIATE_TEST_SUITE_P(Order, Host, ::testing::Values("gen_aaa_subclass.dll", "gen_zzz_subclass.dll"));

TEST(Shortcuts, ThreeActiveProfilesActTheirWaysAClashIsToldAndQuitFreesEveryKey) {
  TempFolder music, keep, later;
  PluginSession session;
  auto active = [](int key, const std::string& folder, bool sorting) {
    return ProfileText{key, !folder.empty(), folder, sorting, false, 3, true};
  };
  ProfileText none;
  none.key = 0;
  const std::string ini = ProfileSection("test", none) + ProfileSection("del", active(4, "", false)) +
                          ProfileSection("keep", active(11, keep.path(), false)) +
                          ProfileSection("later", active(12, later.path(), true)) +
                          ProfileSection("dupe", active(12, keep.path(), false)) +
                          "[iniConfig]\r\nLastUsed=test\r\n";
  const std::string one = music.File("One.mp3"), two = music.File("Two.mp3"), three = music.File("Three.mp3");
  ASSERT_TRUE(session.Start({one, two, three}, ini, /*waitReady=*/false));
  const std::string clash = Answer(FindMessageBox("Vandrel Error"));
  EXPECT_NE(clash.find("'later' and 'dupe' both keep the shortcut Ctrl+Alt+L"), std::string::npos) << clash;
  ASSERT_TRUE(WaitUntil([&] { return session.standin().State().ready; }));
  EXPECT_EQ(session.Description(), "Vandrel [Ctrl+Alt+D, Ctrl+Alt+K, Ctrl+Alt+L]");

  for (char letter : {'K', 'D', 'L'}) {
    ASSERT_TRUE(session.Press(letter, "Play", {VK_CONTROL, VK_MENU})) << letter;
    EXPECT_EQ(session.Commands(), (std::vector<std::string>{"Stop", "Next", "Play"})) << letter;
  }
  EXPECT_TRUE(FileExists(keep.Path("One.mp3")));
  EXPECT_FALSE(FileExists(two) || FileExists(keep.Path("Two.mp3")));
  EXPECT_TRUE(FileExists(later.Path("t\\Three.mp3"))) << "the sorting profile's letter folder";

  EXPECT_EQ(session.standin().Shutdown(), 0);
  for (char letter : {'D', 'K', 'L'}) {
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, letter)) << letter << " still held";
    UnregisterHotKey(nullptr, 1);
  }
}

TEST(GlobalHotkeys, TheEntriesAreListedAndAProfilesEntryActsWithItsSettings) {
  TempFolder music, keep;
  PluginSession session;
  ProfileText keeping{0, true, keep.path()};
  const std::string one = music.File("One.mp3"), two = music.File("Two.mp3");
  ASSERT_TRUE(session.Start({one, two, music.File("Three.mp3")},
                            SettingsFile(ProfileText{}) + ProfileSection("keep", keeping)));
  std::vector<StandinHotkey> entries;
  ASSERT_TRUE(WaitUntil([&] { return (entries = session.standin().State().hotkeys).size() >= 4; }));
  const std::pair<std::string, std::string> expected[] = {{"Vandrel_working", "dispose of the playing song"},
                                                          {"Vandrel_profile_test", "test"},
                                                          {"Vandrel_profile_keep", "keep"},
                                                          {"Vandrel_undo", "undo the last disposal"}};
  ASSERT_EQ(entries.size(), 4u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].id, expected[i].first);
    EXPECT_EQ(entries[i].name, "Vandrel: " + expected[i].second);
    EXPECT_EQ(entries[i].flags, 0x100u) << "a wide name";
    EXPECT_EQ(entries[i].window, 0u) << "Winamp's window";
  }

  // As Global Hotkeys does when the user's key is pressed: keep's entry
  // moves, the working one deletes.
  for (int entry : {2, 0}) {
    ASSERT_TRUE(session.standin().ClearLog() && session.standin().SendHotkey(entry));
    ASSERT_TRUE(WaitUntil([&] {
      const StandinState state = session.standin().State();
      return !state.handling && !state.log.empty() && state.log.back() == "Play";
    }));
    EXPECT_EQ(session.Commands(), (std::vector<std::string>{"Stop", "Next", "Play"}));
  }
  EXPECT_TRUE(FileExists(keep.Path("One.mp3")));
  EXPECT_FALSE(FileExists(two) || FileExists(keep.Path("Two.mp3")));
  EXPECT_EQ(session.standin().Shutdown(), 0);
}

TEST(PluginPair, AFirstStartAsksForSettingsASecondWrapperIsRefusedAndShutdownClosesTheDialog) {
  TempFolder plugins, music;
  ASSERT_TRUE(PreparePluginsFolder(plugins.path()));
  ASSERT_TRUE(
      CopyFileA(plugins.Path("gen_vandrel.dll").c_str(), plugins.Path("gen_vandrel2.dll").c_str(), 0));
  Standin standin;
  ASSERT_TRUE(standin.Start({"", {music.File("a.mp3")}, plugins.path(), false, /*wait_ready=*/false}))
      << standin.error();

  // No settings file: the first object asks to be configured. The second
  // wrapper's object, made from the same vandrel.dll, is refused.
  EXPECT_EQ(Answer(FindMessageBox("Vandrel")),
            "Seems like the first time you are running [Vandrel], please configure the plugin!");
  const std::string refused = Answer(FindMessageBox("Vandrel"));
  EXPECT_NE(refused.find("0x80040001"), std::string::npos) << refused;
  EXPECT_NE(refused.find("Already have a plugin instance"), std::string::npos) << refused;
  ASSERT_TRUE(WaitUntil([&] { return standin.State().ready; }));
  const StandinState state = standin.State();
  ASSERT_EQ(state.plugins.size(), 2u);
  EXPECT_TRUE(state.failed.empty());
  int running = 0;
  for (const StandinPlugin& plugin : state.plugins) running += plugin.description == "Vandrel [No HotKey]";
  EXPECT_EQ(running, 1);

  // Winamp's quit arrives through the hook while the dialog's modal loop
  // runs: the dialog closes and every frame returns into loaded code.
  ASSERT_TRUE(standin.OpenConfig(0));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, "nearly new Vandrel")) != nullptr; }));
  EXPECT_EQ(standin.Shutdown(), 0);
  EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace vandrel::testing
