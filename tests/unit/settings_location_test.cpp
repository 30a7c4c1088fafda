// Where Initialize puts the settings file, from what Winamp names through
// its window and what the file system allows.
#include <gtest/gtest.h>

#include <memory>

#include "core/settings_location.h"
#include "core/vandrel.h"
#include "settings/ini_class.h"
#include "support/fake_files.h"
#include "support/fake_profile.h"
#include "support/fake_ui.h"
#include "support/fake_windows.h"
#include "support/fake_wrapper.h"

namespace vandrel {
namespace {

constexpr wchar_t kPlugins[] = L"C:\\Program Files\\Winamp\\Plugins";
constexpr wchar_t kBeside[] = L"C:\\Program Files\\Winamp\\Plugins\\vandrel.ini";
constexpr wchar_t kWinampDir[] = L"C:\\Users\\Me\\AppData\\Roaming\\Winamp";
constexpr wchar_t kMoved[] = L"C:\\Users\\Me\\AppData\\Roaming\\Winamp\\Plugins\\vandrel.ini";

std::string Settings(int key) {
  return "[p]\r\nKey=" + std::to_string(key) +
         "\r\nmoveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n"
         "[iniConfig]\r\nLastUsed=p\r\n";
}

// Winamp naming its settings folder: the address it answers stands for the
// text, so the text is only found when read as the answer's kind.
class WinampNamingFolder : public testing::FakeWindows {
 public:
  const wchar_t* folder = nullptr;
  bool wide = true;  // else only the ANSI message answers, as with older players
  std::intptr_t SendMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override {
    if (message == 0x400 && folder != nullptr && (lParam == 335 || (lParam == 1335 && wide))) return lParam;
    return FakeWindows::SendMessage(window, message, wParam, lParam);
  }
  std::wstring TextInOwnProcess(std::uintptr_t address, bool asWide) override {
    return address == (asWide ? 1335u : 335u) ? folder : L"";
  }
};

struct Place {
  const char* name;
  const wchar_t* winampFolder;  // nullptr: Winamp names none
  bool wide;
  bool pluginsWritable;
  bool oldFileBeside;  // profile K beside the module
  bool copyThere;      // Winamp's Plugins folder holds profile T already
  bool makeRefused;    // that Plugins folder cannot be made
  const wchar_t* expected;
  const wchar_t* description;
};

class SettingsLocation : public ::testing::TestWithParam<Place> {
 protected:
  testing::FakeFileSystem files;
  testing::FakeProfile profile{files};
  testing::FakeUi ui;
  WinampNamingFolder windows;
  platform::ScopedServices services{{&windows, &ui, &files, &profile}};
  std::shared_ptr<testing::FakeWrapper> wrapper = std::make_shared<testing::FakeWrapper>();
  core::Vandrel plugin;
};

TEST_P(SettingsLocation, InitializeChoosesTheFileOnceAndLoadsFromIt) {
  const Place& p = GetParam();
  files.AddFolder(kPlugins);
  files.AddFolder(kWinampDir);
  const std::wstring winampPlugins = std::wstring(kWinampDir) + L"\\Plugins";
  const std::wstring probe = kPlugins + std::wstring(L"\\") + core::kWriteTestName;
  if (!p.pluginsWritable) files.FailOperation(testing::FakeFileSystem::Op::ReplaceAllBytes, probe, 5);
  if (p.oldFileBeside) files.AddFile(kBeside, Settings(11));
  if (p.copyThere) files.AddFile(kMoved, Settings(20));
  if (p.makeRefused) files.FailOperation(testing::FakeFileSystem::Op::MakeFolder, winampPlugins, 5);
  windows.folder = p.winampFolder;
  windows.wide = p.wide;

  plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
  EXPECT_EQ(settings::SettingsIni().FileName(), p.expected);
  EXPECT_EQ(wrapper->description, p.description);
  EXPECT_FALSE(files.Exists(probe)) << "the test file is gone";
  EXPECT_EQ(files.IsFolder(winampPlugins), p.expected == kMoved || p.copyThere);
  EXPECT_EQ(files.Contents(kBeside), p.oldFileBeside ? Settings(11) : "") << "the old file stays as it was";
  plugin.Info();
  EXPECT_TRUE(ui.shown.back().text.ends_with(L"\r\nSettings File: \r\n" + std::wstring(p.expected)));
  plugin.IZekWinAmpGenPlugin_Quit();
}

INSTANTIATE_TEST_SUITE_P(Places, SettingsLocation,
                         ::testing::Values(Place{"WinampNamesNoFolder", nullptr, true, false, true, false,
                                                 false, kBeside, L"Vandrel [Win+K]"},
                                           Place{"PluginsFolderWritable", kWinampDir, true, true, true, false,
                                                 false, kBeside, L"Vandrel [Win+K]"},
                                           Place{"CopiedIntoWinampsFolder", kWinampDir, true, false, true,
                                                 false, false, kMoved, L"Vandrel [Win+K]"},
                                           Place{"AnsiAnswerNothingToCopy", kWinampDir, false, false, false,
                                                 false, false, kMoved, L"Vandrel [No HotKey]"},
                                           Place{"CopyThereIsKept", kWinampDir, true, false, true, true,
                                                 false, kMoved, L"Vandrel [Win+T]"},
                                           Place{"PluginsCannotBeMade", kWinampDir, true, false, true, false,
                                                 true, kBeside, L"Vandrel [Win+K]"}),
                         [](const ::testing::TestParamInfo<Place>& info) { return info.param.name; });

}  // namespace
}  // namespace vandrel
