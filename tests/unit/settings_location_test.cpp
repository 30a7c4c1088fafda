// Where Initialize keeps the settings file.
#include <gtest/gtest.h>

#include <memory>

#include "core/settings_location.h"
#include "core/vandrel.h"
#include "settings/ini_class.h"
#include "support/fakes.h"

namespace vandrel {
namespace {

using testing::FakeFiles;
constexpr wchar_t kPlugins[] = L"C:\\Program Files\\Winamp\\Plugins";
constexpr wchar_t kBeside[] = L"C:\\Program Files\\Winamp\\Plugins\\vandrel.ini";
constexpr wchar_t kMoved[] = L"C:\\AppData\\Winamp\\Plugins\\vandrel.ini";

std::string Settings(int key) {
  return "[p]\r\nKey=" + std::to_string(key) +
         "\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n[iniConfig]"
         "\r\nLastUsed=p\r\n";
}

// Winamp naming C:\AppData\Winamp through message `named` (1335 or 335, 0: neither), read as that kind.
struct Winamp : testing::FakeWindows {
  std::intptr_t named = 0;
  std::intptr_t SendMessage(platform::WindowHandle w, unsigned m, std::uintptr_t wp,
                            std::intptr_t lp) override {
    if (m == 0x400 && (lp == 1335 || lp == 335)) return lp == named || (named == 1335 && lp == 335) ? lp : 0;
    return FakeWindows::SendMessage(w, m, wp, lp);
  }
  std::wstring TextInOwnProcess(std::uintptr_t at, bool wide) override {
    return at == (wide ? 1335u : 335u) ? L"C:\\AppData\\Winamp" : L"";
  }
};

struct Place {
  const char* name;
  std::intptr_t named;
  bool writable, makeRefused;
  int besideKey, movedKey;  // profiles already there, 0 for no file
  const wchar_t* expected;
  int loadedKey;
};

void PrintTo(const Place& place, std::ostream* out) { *out << place.name; }  // listed by name

class SettingsLocation : public ::testing::TestWithParam<Place> {};

TEST_P(SettingsLocation, IsChosenOnceAtStartAndLoadedFrom) {
  const Place& p = GetParam();
  FakeFiles files;
  testing::FakeProfile profile{files};
  testing::FakeUi ui;
  Winamp windows;
  platform::ScopedServices services{{&windows, &ui, &files, &profile}};
  files.AddFolder(kPlugins);
  files.AddFolder(L"C:\\AppData\\Winamp");
  const std::wstring probe = kPlugins + std::wstring(L"\\") + core::kWriteTestName;
  if (!p.writable) files.failing[L"ReplaceAllBytes " + FakeFiles::Key(probe)] = 5;
  if (p.makeRefused) files.failing[L"MakeFolder " + FakeFiles::Key(L"C:\\AppData\\Winamp\\Plugins")] = 5;
  if (p.besideKey) files.AddFile(kBeside, Settings(p.besideKey));
  if (p.movedKey) files.AddFile(kMoved, Settings(p.movedKey));
  windows.named = p.named;
  windows.moduleFileName = kPlugins + std::wstring(L"\\vandrel.dll");

  core::Vandrel plugin;
  plugin.IZekWinAmpGenPlugin_Initialize(std::make_shared<testing::FakeWrapper>());
  EXPECT_EQ(settings::SettingsIni().FileName(), p.expected);
  EXPECT_EQ(plugin.Key(), p.loadedKey);
  EXPECT_FALSE(files.IsFile(probe));
  EXPECT_EQ(files.files[FakeFiles::Key(kBeside)], p.besideKey ? Settings(p.besideKey) : "")
      << "the old file stays";
  EXPECT_EQ(ui.shown.size(), p.loadedKey ? 0u : 1u) << "no box but the first start's";
  plugin.IZekWinAmpGenPlugin_Quit();
}

INSTANTIATE_TEST_SUITE_P(Places, SettingsLocation,
                         ::testing::Values(Place{"NoFolderNamed", 0, false, false, 11, 0, kBeside, 11},
                                           Place{"PluginsWritable", 1335, true, false, 11, 0, kBeside, 11},
                                           Place{"CopiedOver", 1335, false, false, 11, 0, kMoved, 11},
                                           Place{"AnsiAnswerOnly", 335, false, false, 0, 0, kMoved, 0},
                                           Place{"CopyThereKept", 1335, false, false, 11, 20, kMoved, 20},
                                           Place{"PluginsNotMade", 1335, false, true, 11, 0, kBeside, 11}),
                         [](const ::testing::TestParamInfo<Place>& info) { return info.param.name; });

}  // namespace
}  // namespace vandrel
