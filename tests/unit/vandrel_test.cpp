#include <gtest/gtest.h>

#include <memory>

#include "core/vandrel.h"
#include "platform/error.h"
#include "settings/ini_class.h"
#include "settings/values.h"
#include "support/fake_profile.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"
#include "support/fake_wrapper.h"

namespace vandrel {
namespace {

using testing::FakeWindows;

constexpr wchar_t kIni[] = L"C:\\Program Files\\Winamp\\Plugins\\vandrel.ini";
constexpr wchar_t kFirstRun[] =
    L"Seems like the first time you are running [Vandrel], please configure the plugin!";

class VandrelTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto* plugin : {&plugin_, &second_}) {
      if (core::PluginInstance() == plugin) plugin->IZekWinAmpGenPlugin_Quit();
    }
  }
  void Start() { plugin_.IZekWinAmpGenPlugin_Initialize(wrapper); }
  void WriteProfile(const std::wstring& text) { profile.SetText(kIni, text); }

  FakeWindows windows;
  testing::FakeUi ui;
  testing::FakeProfile profile;
  platform::ScopedServices services{{&windows, &ui, nullptr, &profile}};
  std::shared_ptr<testing::FakeWrapper> wrapper = std::make_shared<testing::FakeWrapper>();
  core::Vandrel plugin_;
  core::Vandrel second_;
};

TEST_F(VandrelTest, FirstStartHooksWinampDropsTheHotkeyAndAsksForConfiguration) {
  Start();
  EXPECT_EQ(core::PluginInstance(), &plugin_);
  EXPECT_EQ(wrapper->descriptions, (std::vector<std::wstring>{L"Vandrel", L"Vandrel [No HotKey]"}));
  EXPECT_NE(windows.procs[FakeWindows::kWinamp], FakeWindows::kWinampProc);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, kFirstRun);
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Information);
  EXPECT_EQ(settings::SettingsIni().FileName(), kIni);
  EXPECT_FALSE(profile.Exists(kIni)) << "starting writes nothing";
}

TEST_F(VandrelTest, ASecondInstanceIsRefusedAndItsQuitLeavesTheFirstAlone) {
  Start();
  try {
    second_.IZekWinAmpGenPlugin_Initialize(wrapper);
    FAIL() << "a second instance must be refused";
  } catch (const Error& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80040001u);
    EXPECT_EQ(e.Description(), L"Already have a plugin instance");
  }
  EXPECT_EQ(core::PluginInstance(), &plugin_);
  second_.IZekWinAmpGenPlugin_Quit();
  EXPECT_EQ(core::PluginInstance(), &plugin_);
  EXPECT_NE(windows.procs[FakeWindows::kWinamp], FakeWindows::kWinampProc) << "the first hook stays";
}

TEST_F(VandrelTest, QuitUnhooksReleasesTheHotkeyAndAllowsANewInstance) {
  WriteProfile(
      L"[p]\r\nKey=1\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n"
      L"[iniConfig]\r\nLastUsed=p\r\n");
  Start();
  ASSERT_EQ(windows.registered.size(), 1u);
  plugin_.IZekWinAmpGenPlugin_Quit();
  EXPECT_EQ(windows.procs[FakeWindows::kWinamp], FakeWindows::kWinampProc);
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(windows.atomsDeleted.size(), 1u);
  EXPECT_EQ(core::PluginInstance(), nullptr);
  second_.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_EQ(core::PluginInstance(), &second_);
  EXPECT_NE(windows.procs[FakeWindows::kWinamp], FakeWindows::kWinampProc) << "hooked again";
}

TEST_F(VandrelTest, TheLastUsedProfileIsAppliedByPosition) {
  WriteProfile(
      L"[iniConfig]\r\nLastUsed=rock\r\n[rock]\r\nKEY=11\r\nMoveToFolder=1\r\nsavingplace=D:\r\n"
      L"sortingOption=True\r\ncreateArtistFolder=1\r\n");
  Start();
  EXPECT_EQ(plugin_.Key(), 11);
  EXPECT_EQ(wrapper->description, L"Vandrel [Win+K]");
  EXPECT_EQ(windows.registered.begin()->second, 75u);
  EXPECT_TRUE(plugin_.moveToFolder());
  EXPECT_EQ(plugin_.savingPlace(), L"D:\\");
  EXPECT_FALSE(plugin_.sortingOption()) << "only \"1\" is true";
  EXPECT_TRUE(plugin_.createArtistFolder());
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(VandrelTest, EntriesOutOfPlaceAreSkipped) {
  WriteProfile(
      L"[iniConfig]\r\nLastUsed=mixed\r\n[mixed]\r\nmoveToFolder=1\r\nKey=3\r\nsavingPlace=C:\\x\r\n"
      L"createArtistFolder=1\r\nsortingOption=1\r\n");
  Start();
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_FALSE(plugin_.moveToFolder());
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\x");
  EXPECT_FALSE(plugin_.sortingOption());
  EXPECT_FALSE(plugin_.createArtistFolder());
}

TEST_F(VandrelTest, AnEmptyLastUsedIsAFirstRunAndAMissingProfileShowsTheSystemsText) {
  WriteProfile(L"[iniConfig]\r\nLastUsed=\r\n");
  Start();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, kFirstRun);
  plugin_.IZekWinAmpGenPlugin_Quit();

  ui.shown.clear();
  WriteProfile(L"[iniConfig]\r\nLastUsed=gone\r\n");
  Start();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Critical);
  EXPECT_EQ(ui.shown[0].text, L"An unknown error has occured") << "a missing section leaves no system error";
  EXPECT_EQ(wrapper->description, L"Vandrel [No HotKey]");
}

TEST_F(VandrelTest, AShortProfileOrABadKeyEndsInitializeWithAnErrorAfterWhatWasApplied) {
  WriteProfile(L"[iniConfig]\r\nLastUsed=short\r\n[short]\r\nKey=2\r\nmoveToFolder=1\r\n");
  try {
    Start();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), L"Subscript out of range");
  }
  EXPECT_EQ(plugin_.Key(), 2);
  EXPECT_TRUE(plugin_.moveToFolder());
  plugin_.IZekWinAmpGenPlugin_Quit();

  WriteProfile(
      L"[iniConfig]\r\nLastUsed=bad\r\n[bad]\r\nKey=K\r\nmoveToFolder=1\r\nsavingPlace=\r\n"
      L"sortingOption=0\r\ncreateArtistFolder=0\r\n");
  EXPECT_THROW(Start(), Error);
  EXPECT_EQ(core::PluginInstance(), &plugin_) << "the steps before stay in effect";
}

TEST_F(VandrelTest, KeyRegistersTheLetterAndDescribesItAndOtherNumbersTurnItOff) {
  Start();
  plugin_.SetKey(1);
  EXPECT_EQ(wrapper->description, L"Vandrel [Win+A]");
  plugin_.SetKey(26);
  EXPECT_EQ(wrapper->description, L"Vandrel [Win+Z]");
  EXPECT_EQ(windows.registered.begin()->second, 90u);
  plugin_.SetKey(0);
  EXPECT_EQ(wrapper->description, L"Vandrel [No HotKey]");
  EXPECT_TRUE(windows.registered.empty());

  // A number that is no letter turns the hotkey off and says so.
  plugin_.SetKey(5);
  ui.shown.clear();
  plugin_.SetKey(27);
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(wrapper->description, L"Vandrel [No HotKey]");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, L"Vandrel Error");
  plugin_.SetKey(-1);
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_THROW(plugin_.SetKey(INT32_MAX), Error) << "the sum overflows";
}

TEST_F(VandrelTest, ARefusedKeyShowsTheErrorBoxAndLeavesTheDescription) {
  Start();
  plugin_.SetKey(11);
  ui.shown.clear();
  windows.takenKeys.insert(68);
  plugin_.SetKey(4);
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_EQ(wrapper->description, L"Vandrel [Win+K]");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, L"Vandrel Error");
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Exclamation);
  EXPECT_EQ(
      ui.shown[0].text,
      L"Failed to register hotkey.\r\n\r\nKey is possibly in use by another application or by Windows\r\n"
      L"(eg D, E, F, M and R are reserved by Explorer).");
}

TEST_F(VandrelTest, SavingPlaceChecksItsInput) {
  Start();
  ui.shown.clear();
  plugin_.SetsavingPlace(L"C:");
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\");
  plugin_.SetsavingPlace(L"C:\\Music");
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\Music");
  EXPECT_TRUE(ui.shown.empty());
  plugin_.SetsavingPlace(L"C");
  plugin_.SetsavingPlace(L"   ");
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\Music");
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[0].text, L"C\r\nInvalid path!");
  EXPECT_EQ(ui.shown[1].text, L"   \r\nInvalid path!");
  plugin_.SetsavingPlace(L"");
  EXPECT_EQ(plugin_.savingPlace(), L"");
  EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(VandrelTest, AFailingWrapperEndsTheCallWithItsError) {
  wrapper->failDescriptionWrites = true;
  EXPECT_THROW(Start(), Error);
  EXPECT_EQ(core::PluginInstance(), &plugin_);
  wrapper->failDescriptionWrites = false;
}

TEST(SettingsPath, ReplacesOnlyTheModulesOwnExtension) {
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\Plugins\\XOLT.dll"), L"C:\\Plugins\\XOLT.ini");
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\songs.dll\\vandrel.dll"), L"C:\\songs.dll\\vandrel.ini");
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\Plugins\\VANDREL.DLL"), L"C:\\Plugins\\VANDREL.ini");
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\Plugins\\vandrel"), L"C:\\Plugins\\vandrel.ini");
}

TEST(ProfileNumbers, ConvertLikeTheKeyEntryNeeds) {
  EXPECT_EQ(settings::ToInt32(L"11"), 11);
  EXPECT_EQ(settings::ToInt32(L" -1 "), -1);
  EXPECT_EQ(settings::ToInt32(L"2.5"), 2);
  EXPECT_EQ(settings::ToInt32(L"3.5"), 4);
  EXPECT_THROW(settings::ToInt32(L""), Error);
  EXPECT_THROW(settings::ToInt32(L"K"), Error);
  EXPECT_THROW(settings::ToInt32(L"1x"), Error);
  EXPECT_THROW(settings::ToInt32(L"99999999999"), Error);
}

}  // namespace
}  // namespace vandrel
