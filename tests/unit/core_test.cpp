// The plug-in object, its hotkey and hook, and the reading of Winamp's playlist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/vandrel.h"
#include "hotkey/hook.h"
#include "settings/profile.h"
#include "settings/values.h"
#include "support/fakes.h"
#include "winamp/bridge.h"

namespace vandrel {
namespace {

using testing::FakeWindows;
using Texts = std::vector<std::wstring>;
constexpr auto npos = std::wstring::npos;
constexpr wchar_t kIni[] = L"C:\\Plugins\\vandrel.ini";
// A settings file whose last-used profile "p" holds `entries`.
std::wstring Profile(const std::wstring& entries) {
  return L"[iniConfig]\r\nLastUsed=p\r\n[p]\r\n" + entries;
}
constexpr wchar_t kFirstRun[] =
    L"Seems like the first time you are running [Vandrel], please configure the plugin!";

class CoreTest : public ::testing::Test {
 protected:
  ~CoreTest() override {
    for (auto* plugin : {&plugin_, &second_}) plugin->IZekWinAmpGenPlugin_Quit();
  }
  void Start(const std::wstring& profileText = L"") {
    if (!profileText.empty()) profile.SetText(kIni, profileText);
    plugin_.IZekWinAmpGenPlugin_Initialize(wrapper);
  }
  std::wstring Description() { return wrapper->descriptions.back(); }

  FakeWindows windows;
  testing::FakeUi ui;
  testing::FakeFiles files;
  testing::FakeProfile profile{files};
  platform::ScopedServices services{{&windows, &ui, &files, &profile}};
  std::shared_ptr<testing::FakeWrapper> wrapper = std::make_shared<testing::FakeWrapper>();
  core::Vandrel plugin_, second_;
};

TEST_F(CoreTest, FirstStartHooksWinampAndAsksForConfigurationAndQuitUndoesIt) {
  Start();
  EXPECT_EQ(core::PluginInstance(), &plugin_);
  EXPECT_EQ(wrapper->descriptions, (Texts{L"Vandrel", L"Vandrel [No HotKey]"}));
  EXPECT_EQ(windows.proc, FakeWindows::kHookProc);
  EXPECT_EQ(ui.Texts(), Texts{kFirstRun});
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Information);
  EXPECT_FALSE(files.IsFile(kIni)) << "starting writes nothing";

  // A second instance is refused, and its Quit leaves the first alone.
  try {
    second_.IZekWinAmpGenPlugin_Initialize(wrapper);
    ADD_FAILURE() << "a second instance must be refused";
  } catch (const Error& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80040001u);
    EXPECT_EQ(e.Description(), L"Already have a plugin instance");
  }
  second_.IZekWinAmpGenPlugin_Quit();
  EXPECT_EQ(core::PluginInstance(), &plugin_);

  plugin_.SetKey(1);
  plugin_.IZekWinAmpGenPlugin_Quit();
  EXPECT_EQ(windows.proc, FakeWindows::kWinampProc);
  EXPECT_EQ(hotkey::UnhookWinampWindow(FakeWindows::kWinamp), -1) << "unhooked once only";
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(core::PluginInstance(), nullptr);
  second_.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_EQ(windows.proc, FakeWindows::kHookProc) << "a new instance hooks again";
}

TEST_F(CoreTest, TheLastUsedProfileIsAppliedByPositionAsFarAsItGoes) {
  Start(Profile(
      L"KEY=11\r\nMoveToFolder=1\r\nsavingplace=D:\r\nsortingOption=True\r\ncreateArtistFolder=1\r\n"));
  EXPECT_EQ(plugin_.Key(), 11);
  EXPECT_EQ(Description(), L"Vandrel [Win+K]");
  EXPECT_TRUE(plugin_.moveToFolder());
  EXPECT_EQ(plugin_.savingPlace(), L"D:\\");
  EXPECT_FALSE(plugin_.sortingOption()) << "only \"1\" is true";
  EXPECT_TRUE(plugin_.createArtistFolder());
  EXPECT_TRUE(ui.shown.empty());
  plugin_.IZekWinAmpGenPlugin_Quit();

  // Entries out of place are skipped.
  Start(Profile(
      L"moveToFolder=1\r\nKey=3\r\nsavingPlace=C:\\x\r\ncreateArtistFolder=0\r\nsortingOption=1\r\n"));
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\x");
  EXPECT_FALSE(plugin_.sortingOption());
  EXPECT_TRUE(plugin_.moveToFolder() && plugin_.createArtistFolder()) << "as they were";
  plugin_.IZekWinAmpGenPlugin_Quit();

  // An empty, missing or short profile.
  Start(L"[iniConfig]\r\nLastUsed=\r\n");
  EXPECT_EQ(ui.Texts(), Texts{kFirstRun});
  plugin_.IZekWinAmpGenPlugin_Quit();

  Start(L"[iniConfig]\r\nLastUsed=gone\r\n");
  EXPECT_EQ(ui.shown.back().text, L"An unknown error has occured");
  EXPECT_EQ(ui.shown.back().icon, platform::Icon::Critical);
  plugin_.IZekWinAmpGenPlugin_Quit();

  // What comes before the missing entries is applied, then Initialize fails.
  try {
    Start(Profile(L"Key=2\r\nmoveToFolder=0\r\n"));
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), L"Subscript out of range");
  }
  EXPECT_EQ(plugin_.Key(), 2);
  EXPECT_FALSE(plugin_.moveToFolder()) << "was true";
}

TEST_F(CoreTest, KeyRegistersWindowsKeyAndLetterAndSaysWhatItDid) {
  Start();
  plugin_.SetKey(1);
  EXPECT_EQ(Description(), L"Vandrel [Win+A]");
  plugin_.SetKey(26);
  EXPECT_EQ(Description(), L"Vandrel [Win+Z]");
  EXPECT_EQ(windows.registered.begin()->second, 90u);
  plugin_.SetKey(0);
  EXPECT_EQ(Description(), L"Vandrel [No HotKey]");
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(windows.atomsDeleted, std::vector<std::uint16_t>{0xC0DE}) << "the atom goes with the last key";

  ui.shown.clear();
  plugin_.SetKey(5);
  plugin_.SetKey(27);
  plugin_.SetKey(-1);
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(Description(), L"Vandrel [No HotKey]");
  EXPECT_EQ(
      ui.Texts(),
      (Texts{L"Hotkey number 27 is not one of the letters A to Z (1 to 26).\r\n\r\nNo hotkey is set.",
             L"Hotkey number -1 is not one of the letters A to Z (1 to 26).\r\n\r\nNo hotkey is set."}));
  EXPECT_TRUE(ui.shown[0].title == L"Vandrel Error" && ui.shown[0].icon == platform::Icon::Exclamation);
  EXPECT_THROW(plugin_.SetKey(INT32_MAX), Error) << "the sum overflows";

  // A key another program holds: the box, no hotkey, the description as it was.
  plugin_.SetKey(11);
  ui.shown.clear();
  windows.takenKeys.insert(68);
  plugin_.SetKey(4);
  EXPECT_EQ(plugin_.Key(), 0);
  EXPECT_EQ(Description(), L"Vandrel [Win+K]");
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_NE(hotkey::HotKeyId(), 0) << "the atom is kept";
  EXPECT_EQ(
      ui.Texts(),
      Texts{L"Failed to register hotkey.\r\n\r\nKey is possibly in use by another application or "
            L"by Windows\r\n(eg D, E, F, M and R are reserved by Explorer).\r\n\r\nWin+D: Hot key is "
            L"already registered.\r\n\r\nChoose another combination, for example Ctrl+Alt and a letter."});
  EXPECT_EQ(ui.shown[0].title, L"Vandrel Error");
}

TEST_F(CoreTest, TheProfilesModifiersAreRegisteredWithTheLetterOnceAndNeverRepeat) {
  const wchar_t kBad[] =
      L" are not a combination of Alt (1), Ctrl (2), Shift (4) and Win (8).\r\n\r\nNo hotkey is set.";
  struct Case {
    const wchar_t* entry;  // the sixth line of the profile
    const wchar_t* description;
    unsigned registered;  // modifier bits passed to Windows, 0: nothing registered
    std::wstring box;
  } cases[] = {
      {L"", L"Vandrel [Win+K]", 0x4008, L""},  // profiles from before the entry existed
      {L"modifiers=3", L"Vandrel [Ctrl+Alt+K]", 0x4003, L""},
      {L"Modifiers=15", L"Vandrel [Ctrl+Alt+Shift+Win+K]", 0x400F, L""},
      {L"modifiers=0", L"Vandrel [No HotKey]", 0, L"Hotkey modifiers 0" + std::wstring(kBad)},
      {L"modifiers=24", L"Vandrel [No HotKey]", 0, L"Hotkey modifiers 24" + std::wstring(kBad)},
      {L"modifiers=ctrl", L"Vandrel [No HotKey]", 0, L"Hotkey modifiers -1" + std::wstring(kBad)},
  };
  for (const Case& c : cases) {
    windows.registeredModifiers = 0;
    ui.shown.clear();
    Start(Profile(L"Key=11\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n" +
                  std::wstring(c.entry) + L"\r\n"));
    EXPECT_EQ(Description(), c.description) << c.entry;
    EXPECT_EQ(windows.registeredModifiers, c.registered) << c.entry;
    EXPECT_EQ(ui.shown.empty() ? L"" : ui.shown[0].text, c.box) << c.entry;
    plugin_.IZekWinAmpGenPlugin_Quit();
  }
}

TEST_F(CoreTest, ThePlaylistEntryChoiceIsLoadedAndAnyOtherValueIsToldOnceAndLeavesTheEntry) {
  const std::wstring six =
      L"Key=11\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n"
      L"modifiers=3\r\nalwaysActive=0\r\n";
  for (auto [entry, mode] : {std::pair{L"playlistEntry=2", 2},
                             {L"PlaylistEntry=1", 1},
                             {L"", 0},
                             {L"x=2", 0},
                             {L"playlistEntry=3", 0},
                             {L"playlistEntry=01", 0}}) {
    ui.shown.clear();
    Start(Profile(six + entry + L"\r\n"));
    EXPECT_EQ(plugin_.playlistEntry(), mode) << entry;
    const bool bad = std::wstring(entry).starts_with(L"playlistEntry=") && mode == 0;
    EXPECT_EQ(ui.Texts(),
              bad ? Texts{settings::BadPlaylistEntryMessage(L"p", std::wstring(entry).substr(14))} : Texts{})
        << entry;
    plugin_.IZekWinAmpGenPlugin_Quit();
  }
}

TEST_F(CoreTest, TheArtistTagChoiceIsReadAtItsPlaceAndAnActiveProfileActsWithItsOwn) {
  const std::wstring seven =
      L"Key=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Keep\r\nsortingOption=0\r\ncreateArtistFolder=1\r\n"
      L"modifiers=3\r\nalwaysActive=0\r\n";
  for (auto [tail, on] : {std::pair{L"playlistEntry=0\r\nartistFromTags=1", true},
                          {L"playlistEntry=0\r\nartistFromTags=-1", false},
                          {L"playlistEntry=0\r\nx=1", false},
                          {L"artistFromTags=1", false},
                          {L"playlistEntry=0", false}}) {
    Start(Profile(seven + tail + L"\r\n"));
    EXPECT_EQ(plugin_.artistFromTags(), on) << tail;
    plugin_.IZekWinAmpGenPlugin_Quit();
  }
  // The last working profile has it off; an always-active one acts with its own.
  std::wstring tags = L"[tags]\r\n" + seven + L"playlistEntry=0\r\nartistFromTags=1\r\n";
  tags.replace(tags.find(L"11"), 2, L"12").replace(tags.find(L"alwaysActive=0"), 14, L"alwaysActive=1");
  Start(Profile(seven + L"playlistEntry=0\r\n" + tags));
  files.AddFolder(L"D:\\Keep");
  files.AddFile(L"C:\\a.mp3");
  windows.playlist = {"C:\\a.mp3"};
  windows.tags[3026] = L"Nena";
  windows.Deliver(0x312, static_cast<std::uintptr_t>(windows.IdOf('L', 0x4003)));
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\nena\\a.mp3"));
}

TEST_F(CoreTest, SavingPlaceInfoAndPlaylistStart) {
  Start();
  ui.shown.clear();
  plugin_.SetsavingPlace(L"C:");
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\");
  plugin_.SetsavingPlace(L"C:\\Music");
  plugin_.SetsavingPlace(L"C");
  plugin_.SetsavingPlace(L"   ");
  EXPECT_EQ(plugin_.savingPlace(), L"C:\\Music");
  plugin_.SetsavingPlace(L"");
  EXPECT_EQ(plugin_.savingPlace(), L"");
  EXPECT_EQ(ui.Texts(), (Texts{L"C\r\nInvalid path!", L"   \r\nInvalid path!"}));
  EXPECT_EQ(ui.shown[0].title, L"Vandrel");

  plugin_.Info();
  EXPECT_EQ(
      ui.shown.back().text,
      L"Plugin Description: \r\nVandrel [No HotKey]\r\n\r\nWrapper Description: \r\nTest wrapper\r\n\r\n"
      L"WinAmp Window Handle: 0x1234\r\nWrapper DLL Handle: 0x10000000\r\nWrapper Version: 2.5\r\n\r\n"
      L"Settings File: \r\nC:\\Plugins\\vandrel.ini");
  plugin_.MoveToPlaylistStart();
  EXPECT_EQ(windows.commands, (std::vector<std::uintptr_t>{40047, 40154}));
}

TEST_F(CoreTest, TheHookTakesOnlyTheHotkeyWhichActsAndAFailureIsToldInABox) {
  windows.nextAtom = 0;  // no atom, no hotkey
  Start();
  plugin_.SetKey(1);
  EXPECT_TRUE(windows.registered.empty());
  windows.nextAtom = 0xC0DE;
  plugin_.SetKey(1);
  plugin_.SetKey(2);
  const std::int32_t id = windows.registered.begin()->first;
  EXPECT_EQ(id, static_cast<std::int16_t>(0xC0DE)) << "the atom widened with its sign";
  EXPECT_EQ(windows.atomsAdded, 1) << "one atom serves every key";
  EXPECT_EQ(hotkey::HookWinampWindow(FakeWindows::kWinamp), -1) << "hooked once only";

  files.AddFile(L"C:\\a.mp3");
  files.failing[L"RemoveFile c:\\a.mp3"] = 32;
  windows.playlist = {"C:\\a.mp3"};
  ui.shown.clear();
  EXPECT_EQ(windows.Deliver(0x312, 7), FakeWindows::kWinampResult) << "another hotkey goes on to Winamp";
  EXPECT_EQ(windows.Deliver(0x111, static_cast<std::uintptr_t>(id)), FakeWindows::kWinampResult);
  // A press while the action's box is up (keys held, or pressed again) is swallowed.
  ui.onBox = [&] { EXPECT_EQ(windows.Deliver(0x312, static_cast<std::uintptr_t>(id)), 0); };
  EXPECT_EQ(windows.Deliver(0x312, static_cast<std::uintptr_t>(id)), 0);
  ui.onBox = nullptr;
  EXPECT_EQ(ui.Texts(), Texts{L"Could not delete the file\r\nC:\\a.mp3\r\n\r\nSystem error 32"});
  EXPECT_EQ(ui.shown[0].icon, platform::Icon::Exclamation);
  files.failing.clear();
  EXPECT_EQ(windows.Deliver(0x312, static_cast<std::uintptr_t>(id)), 0);
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3"));

  // Unhooked below another plug-in's subclass, the hook stays in the chain and only forwards.
  windows.proc = 0x5000;
  hotkey::UnhookWinampWindow(FakeWindows::kWinamp);
  EXPECT_EQ(windows.hook(FakeWindows::kWinamp, 0x312, id, 0), FakeWindows::kWinampResult);
  windows.proc = FakeWindows::kHookProc;
  EXPECT_EQ(hotkey::HookWinampWindow(FakeWindows::kWinamp), 0) << "and takes up the work again";
}

// A profile that moves to `folder` (deletes when empty); `active` adds the seventh entry.
std::wstring Section(const std::wstring& name, int key, int modifiers, const std::wstring& folder,
                     bool active) {
  return L"[" + name + L"]\r\nKey=" + std::to_wstring(key) + L"\r\nmoveToFolder=" +
         (folder.empty() ? L"0" : L"1") + L"\r\nsavingPlace=" + folder +
         L"\r\nsortingOption=0\r\ncreateArtistFolder=0\r\nmodifiers=" + std::to_wstring(modifiers) + L"\r\n" +
         (active ? L"alwaysActive=1\r\n" : L"");
}

TEST_F(CoreTest, ActiveProfilesKeepTheirShortcutsBesideTheWorkingOneAndActWithTheirOwnSettings) {
  constexpr unsigned kCtrlAlt = 0x4003;
  const std::wstring head = L"[iniConfig]\r\nLastUsed=work\r\n" + Section(L"work", 11, 3, L"", true);
  const std::wstring keep = Section(L"keep", 12, 3, L"D:\\Keep", true);
  const std::wstring rest = Section(L"twin", 12, 3, L"D:\\Twin", true) +    // keep's shortcut
                            Section(L"shadow", 11, 3, L"D:\\Keep", true) +  // the working one's
                            Section(L"taken", 20, 3, L"", true) + Section(L"old", 4, 2, L"", false) +
                            Section(L"del", 4, 2, L"", true) + L"playlistEntry=1\r\n";
  windows.takenKeys.insert('T');
  Start(head + keep + rest);
  const Texts boxes = ui.Texts();
  ASSERT_EQ(boxes.size(), 3u) << "each refusal told, the working profile's own shortcut silently";
  for (auto [box, names] : {std::pair{0, Texts{L"'keep'", L"'twin'"}}, {1, Texts{L"'shadow'", L"'work'"}}})
    for (const std::wstring& name : names) EXPECT_NE(boxes[box].find(name), npos) << boxes[box];
  EXPECT_EQ(boxes[2].find(L"Failed to register hotkey for the settings 'taken'."), 0u) << boxes[2];
  EXPECT_EQ(Description(), L"Vandrel [Ctrl+Alt+K, Ctrl+Alt+L, Ctrl+D]");
  const std::int32_t working = windows.IdOf('K', kCtrlAlt), keepId = windows.IdOf('L', kCtrlAlt),
                     del = windows.IdOf('D', 0x4002);
  ASSERT_TRUE(working && keepId && del && working != keepId && keepId != del);

  // Each press with its own profile's settings; a press during another's
  // action waits for it, one of the running shortcut belongs to it.
  files.AddFolder(L"D:\\Keep");
  for (const wchar_t* song : {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3"}) files.AddFile(song);
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"};
  windows.Deliver(0x312, static_cast<std::uintptr_t>(keepId));
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\a.mp3"));
  EXPECT_NE(files.files[L"c:\\plugins\\vandrel-journal.txt"].find("\tkeep\t0\r\n"), std::string::npos)
      << "journalled under the profile that acted";
  windows.position = 1;
  windows.Deliver(0x312, static_cast<std::uintptr_t>(del));
  EXPECT_FALSE(files.IsFile(L"C:\\b.mp3"));
  EXPECT_EQ(windows.playlist, (std::vector<std::string>{"C:\\a.mp3", "C:\\c.mp3"})) << "del's own choice";
  windows.position = 1;
  files.failing[L"RemoveFile c:\\c.mp3"] = 5;
  ui.shown.clear();
  bool pressed = false;
  ui.onBox = [&] {
    if (std::exchange(pressed, true)) return;
    for (std::int32_t id : {del, keepId, keepId}) windows.Deliver(0x312, static_cast<std::uintptr_t>(id));
    EXPECT_TRUE(files.IsFile(L"C:\\c.mp3")) << "nothing acts while the box is up";
  };
  windows.Deliver(0x312, static_cast<std::uintptr_t>(del));
  ui.onBox = nullptr;
  EXPECT_EQ(ui.shown.size(), 1u) << "the failed delete was not pressed again";
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\c.mp3")) << "the waiting press acted after it";

  // Told once; a profile's shortcut passes to the next in line when it goes,
  // and gives way to the working one.
  ui.shown.clear();
  plugin_.RefreshShortcuts(true);
  EXPECT_TRUE(ui.shown.empty());
  profile.SetText(kIni, head + rest);
  plugin_.RefreshShortcuts(true);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(plugin_.ActiveProfiles().front().name, L"twin");
  plugin_.SetShortcut(3, 12);
  EXPECT_EQ(Description(), L"Vandrel [Ctrl+Alt+L, Ctrl+Alt+K, Ctrl+D]") << "work's own K is free now";
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find(L"'twin' keep the shortcut Ctrl+Alt+L active"), npos) << ui.shown[0].text;
  std::wstring many = head;
  for (int key = 1; key <= 9; ++key) many += Section(L"p" + std::to_wstring(key), key, 3, L"", true);
  profile.SetText(kIni, many);
  plugin_.RefreshShortcuts(true);
  EXPECT_EQ(Description(), L"Vandrel [Ctrl+Alt+L and 10 more]") << "the first and how many more, past 80";

  plugin_.IZekWinAmpGenPlugin_Quit();
  EXPECT_TRUE(windows.registered.empty());
  EXPECT_EQ(windows.atomsDeleted.size(), static_cast<std::size_t>(windows.atomsAdded));
}

// What a post to the Global Hotkeys plug-in carried, read when every post is made.
std::wstring Posted(const FakeWindows::Post& post) {
  const auto& e = *reinterpret_cast<const winamp::HotkeyEntry*>(post.wParam);
  const auto* id = reinterpret_cast<const unsigned char*>(e.id);
  const bool zeros = std::all_of(std::begin(e.extended), std::end(e.extended), [](int x) { return x == 0; });
  return std::to_wstring(post.message) + L" " + std::to_wstring(post.lParam) + L" " +
         reinterpret_cast<const wchar_t*>(e.name) + L"|" + std::to_wstring(e.flags) + L" " +
         std::to_wstring(e.message) + L" " + std::to_wstring(e.wParam) + L" " + std::to_wstring(e.lParam) +
         L" " + std::wstring(id, id + std::strlen(e.id)) + L" " + std::to_wstring(e.window) +
         (zeros ? L"" : L" extended");
}

TEST_F(CoreTest, GlobalHotkeysEntriesArePostedOnceEachAndActAsTheirShortcuts) {
  const std::wstring work = L"[iniConfig]\r\nLastUsed=work\r\n" + Section(L"work", 11, 3, L"", false) +
                            Section(L"keep", 12, 3, L"D:\\Keep", false) +
                            Section(L"caf\u00E9", 0, 8, L"", false);
  Start(work);
  EXPECT_EQ(windows.ipcNames, (std::vector<std::string>{"GenHotkeysAdd", "Vandrel_GlobalHotkey"}));
  profile.SetText(kIni, work + Section(L"later", 0, 8, L"", false));
  plugin_.RefreshShortcuts(true);  // as after Save: the new profile only
  plugin_.RefreshShortcuts(true);
  plugin_.IZekWinAmpGenPlugin_Quit();
  Start();
  Texts posted;
  for (const FakeWindows::Post& post : windows.posts) posted.push_back(Posted(post));
  ASSERT_EQ(posted.size(), 6u) << "each id once a session";
  const std::uintptr_t first = reinterpret_cast<const winamp::HotkeyEntry*>(windows.posts[0].wParam)->wParam;
  const std::wstring names[] = {L"Vandrel: dispose of the playing song|256 1024 $ 65538 Vandrel_working 0",
                                L"Vandrel: work|256 1024 $ 65538 Vandrel_profile_work 0",
                                L"Vandrel: keep|256 1024 $ 65538 Vandrel_profile_keep 0",
                                L"Vandrel: caf\u00E9|256 1024 $ 65538 Vandrel_profile_caf\u00C3\u00A9 0",
                                L"Vandrel: undo the last disposal|256 1024 $ 65538 Vandrel_undo 0",
                                L"Vandrel: later|256 1024 $ 65538 Vandrel_profile_later 0"};
  for (std::size_t i = 0; i < posted.size(); ++i) {
    std::wstring expected = L"1024 65537 " + names[i];
    expected.replace(expected.find(L'$'), 1, std::to_wstring(first + i));
    EXPECT_EQ(posted[i], expected);
  }

  // Each entry's message acts as its shortcut; Winamp's own messages pass on.
  auto press = [&](std::size_t entry) { return windows.Deliver(0x400, first + entry, 65538); };
  files.AddFolder(L"D:\\Keep");
  for (const wchar_t* song : {L"C:\\a.mp3", L"C:\\b.mp3"}) files.AddFile(song);
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3"};
  EXPECT_EQ(press(0), 0);
  EXPECT_FALSE(files.IsFile(L"C:\\a.mp3")) << "the working settings delete";
  windows.position = 1;
  EXPECT_EQ(press(2), 0);
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\b.mp3")) << "keep's saved settings move, though not always active";
  EXPECT_EQ(windows.Deliver(0x400, first + 2, 125), FakeWindows::kWinampResult);
  EXPECT_EQ(windows.Deliver(0x400, first + 2, 65537), FakeWindows::kWinampResult);
  EXPECT_EQ(press(4), 0);
  EXPECT_TRUE(files.IsFile(L"C:\\b.mp3")) << "undone";

  // A profile gone since the start: its entry does nothing and says so once.
  profile.SetText(kIni, L"[iniConfig]\r\nLastUsed=work\r\n" + Section(L"work", 11, 3, L"", false));
  ui.shown.clear();
  press(2);
  press(2);
  EXPECT_EQ(ui.Texts(), Texts{L"The Global Hotkeys entry \"Vandrel: keep\" does nothing: there are no saved "
                              L"settings named \"keep\" any more."});
  EXPECT_EQ(ui.shown[0].title, L"Vandrel");
  EXPECT_TRUE(files.IsFile(L"C:\\b.mp3"));

  // Without a Global Hotkeys plug-in nothing is posted.
  windows.globalHotkeys = false;
  windows.posts.clear();
  second_.IZekWinAmpGenPlugin_Quit();
  plugin_.IZekWinAmpGenPlugin_Quit();
  second_.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_TRUE(windows.posts.empty());
}

TEST_F(CoreTest, AnEntrysRepeatsWhileItsKeysAreHeldAndPressesDuringAnActionFollowTheShortcutsRules) {
  Start(L"[iniConfig]\r\nLastUsed=work\r\n" + Section(L"work", 0, 3, L"", false) +
        Section(L"keep", 0, 3, L"D:\\Keep", false));
  const std::uintptr_t first = reinterpret_cast<const winamp::HotkeyEntry*>(windows.posts[0].wParam)->wParam;
  files.AddFolder(L"D:\\Keep");
  for (const wchar_t* song : {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3", L"C:\\d.mp3"}) files.AddFile(song);
  windows.playlist = {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3", "C:\\d.mp3"};
  auto gone = [&] {
    int count = 0;
    for (const std::string& song : windows.playlist)
      count += !files.IsFile(std::wstring(song.begin(), song.end()));
    return count;
  };
  auto press = [&](std::size_t entry) {
    windows.position = gone();  // the next song still there
    windows.Deliver(0x400, first + entry, 65538);
  };

  windows.held = {0x11, 0xA2, 0x12, 'K'};  // Ctrl (and its left key), Alt, K
  press(0);
  EXPECT_EQ(windows.discarded, (std::vector<std::vector<unsigned>>{{3, 'K'}})) << "its queued presses";
  for (int repeat = 0; repeat < 3; ++repeat, windows.tick += 700) press(0);
  EXPECT_EQ(gone(), 1) << "repeats of the held keys";
  windows.held = {0x11, 0x12};
  windows.tick += 30;
  press(0);
  windows.held = {0x11, 0x12, 'K'};
  windows.tick += 30;
  press(0);
  windows.tick += 2000;
  press(0);
  EXPECT_EQ(gone(), 3) << "pressed again: after a release, and long after";

  // While an action's box is up its own entry is swallowed, another's waits.
  windows.held.clear();
  files.failing[L"RemoveFile c:\\d.mp3"] = 5;
  ui.onBox = [&] {
    ui.onBox = nullptr;
    press(0);
    press(2);
  };
  press(0);
  EXPECT_TRUE(files.IsFile(L"D:\\Keep\\d.mp3"));
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(CoreTest, SettingsPathKeyNumbersAndCleanNames) {
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\songs.dll\\vandrel.dll"), L"C:\\songs.dll\\vandrel.ini");
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\Plugins\\VANDREL.DLL"), L"C:\\Plugins\\VANDREL.ini");
  EXPECT_EQ(core::SettingsPathForModule(L"C:\\Plugins\\vandrel"), L"C:\\Plugins\\vandrel.ini");
  for (auto [text, value] : {std::pair{L"11", 11}, {L" -1 ", -1}, {L"2.5", 2}, {L"3.5", 4}})
    EXPECT_EQ(settings::ToInt32(text), value) << text;
  for (const wchar_t* text : {L"", L"K", L"1x", L"99999999999"}) EXPECT_THROW(settings::ToInt32(text), Error);
  const std::pair<std::wstring, std::wstring> names[] = {
      {L"My Rock-Mix", L"myrockmix"},
      {L"\u00DCber/Pop 100%", L"berpop100"},
      {L"\"Jazz\" 'n' `Blues\u00B4 {A}\\B\u00DF\u00E4\u00F6\u00FC[]", L"jazznbluesab"},
      {L"v1.0_(Live)", L"v1.0_(live)"},
      {L"INIconfigRock iniconfig", L"rock"},
      {L"iniINICONFIGconfig", L""},  // taking one out must not leave another behind
  };
  for (const auto& [input, expected] : names) {
    std::wstring text = input;
    EXPECT_EQ(settings::CleanName(text), expected) << input;
    EXPECT_EQ(text, expected) << input;
  }
}

}  // namespace
}  // namespace vandrel
