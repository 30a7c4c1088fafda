// The setup program (installer/vandrel.nsi, built for x64 beside this test)
// run as a user or a deployment script would: where it finds Winamp, what it
// puts into the Plugins folder and the registry, when it refuses (exit code
// 2), and what its uninstaller takes away.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

constexpr char kOwnKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vandrel";
constexpr char kWinampKey[] = "Software\\Winamp";
constexpr char kWinampUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr int kRefused = 2;  // the setup's exit code when it gives up

std::string Value(HKEY root, const char* key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  return RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS ? value
                                                                                              : "<none>";
}

bool SetValue(HKEY root, const char* key, const char* name, const std::string& value) {
  return RegSetKeyValueA(root, key, name, REG_SZ, value.c_str(), value.size() + 1) == ERROR_SUCCESS;
}

// Winamp's folder as its installer leaves it: a blank in the name, as in "Program Files".
TEST(Installer, InstallsWhereWinampIsRecordedRefusesWhileItRunsAndUninstallsKeepingTheSettings) {
  const std::string setup = "\"" + ProgramFolder() + "vandrel-setup-x64.exe\" /S /D=";
  ASSERT_TRUE(FileExists(setup.substr(1, setup.find('"', 1) - 1)))
      << "build the target 'release' (needs makensis)";
  TempFolder root;
  const std::string winamp = root.Folder("Winamp Player"), plugins = winamp + "\\Plugins";
  const std::string older = root.Folder("Old Winamp"), uninstaller = plugins + "\\vandrel-uninstall.exe";
  root.File("Winamp Player\\winamp.exe", "not really Winamp");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnKey);
  // Both records present: the per-user one names the folder in use.
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kWinampKey, nullptr, winamp));
  ASSERT_TRUE(
      SetValue(HKEY_LOCAL_MACHINE, kWinampUninstallKey, "UninstallString", "\"" + older + "\\u.exe\""));

  // A file that cannot be replaced fails the install, in the folder given
  // with /D= rather than the recorded one (where it would succeed).
  const std::string held = root.File("Old Winamp\\Plugins\\vandrel.dll", "older build");
  HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(RunProgram(setup + older), kRefused);
  CloseHandle(handle);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");
  EXPECT_FALSE(FolderExists(plugins));

  ASSERT_EQ(RunProgram(setup.substr(0, setup.size() - 3)), 0);
  for (const char* file : {"gen_vandrel.dll", "vandrel.dll", "vandrel-uninstall.exe"})
    EXPECT_TRUE(FileExists(plugins + "\\" + file)) << file;
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "UninstallString"), "\"" + uninstaller + "\"");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), plugins);
  EXPECT_FALSE(FileExists(older + "\\Plugins\\gen_vandrel.dll"));

  // While Winamp runs, neither the setup nor the uninstaller changes anything.
  const std::string settings = "[iniConfig]\r\nLastUsed=rock\r\n";
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.ini", settings) &&
              WriteWholeFile(plugins + "\\vandrel.dll", "old"));
  // In place: _?= keeps NSIS from running a copy from the temp folder.
  const std::string uninstall = "\"" + uninstaller + "\" /S _?=" + plugins;
  {
    TempFolder none;
    Standin standin;
    ASSERT_TRUE(standin.Start({"", {}, none.path()})) << standin.error();
    EXPECT_EQ(RunProgram(setup + winamp), kRefused);
    EXPECT_EQ(RunProgram(uninstall), kRefused);
    EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.dll"), "old");
    EXPECT_TRUE(FileExists(uninstaller));
    EXPECT_EQ(standin.Shutdown(), 0);
  }

  // Winamp closed: the uninstaller takes the pair and its entry, and leaves the user's profiles.
  EXPECT_EQ(RunProgram(uninstall), 0);
  EXPECT_FALSE(FileExists(plugins + "\\gen_vandrel.dll") || FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.ini"), settings);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");
  // Without the per-user record, Winamp's uninstall entry names the folder.
  RegDeleteTreeA(HKEY_CURRENT_USER, kWinampKey);
  ASSERT_EQ(RunProgram(setup.substr(0, setup.size() - 3)), 0);
  EXPECT_TRUE(FileExists(older + "\\Plugins\\gen_vandrel.dll"));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWinampUninstallKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnKey);
}

}  // namespace
}  // namespace vandrel::testing
