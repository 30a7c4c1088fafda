// The setup program (installer/vandrel.nsi, built for x64 beside this test)
// run as a user or a deployment script would: where it finds Winamp, what it
// puts into the Plugins folder and the registry, when it refuses, and what
// its uninstaller takes away.
#include <gtest/gtest.h>
#include <windows.h>

#include <future>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"
#include "version.h"

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

// Winamp's folder as its installer leaves it (a blank in the name, as in
// "Program Files"), the registry without our entries again afterwards.
class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(setup)) << setup << " is missing: build the target 'release' (needs makensis)";
    TearDown();
    root.File("Winamp Player\\winamp.exe", "not really Winamp");
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWinampUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kWinampKey);
  }
  int RunSetup(const std::string& arguments) { return RunProgram("\"" + setup + "\" " + arguments); }
  // In place: _?= keeps NSIS from running a copy from the temp folder.
  int RunUninstallerInPlace() { return RunProgram("\"" + uninstaller + "\" /S _?=" + plugins); }

  const std::string setup = ProgramFolder() + "vandrel-setup-x64.exe";
  TempFolder root;
  const std::string winamp = root.Path("Winamp Player"), plugins = winamp + "\\Plugins";
  const std::string uninstaller = plugins + "\\vandrel-uninstall.exe";
};

TEST_F(Installer, InstallsWhereWinampIsRecordedAndTheUninstallerKeepsTheSettings) {
  // Both records present: the per-user one names the folder in use.
  const std::string older = root.Folder("Old Winamp");
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kWinampKey, nullptr, winamp));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kWinampUninstallKey, "UninstallString",
                       "\"" + older + "\\UninstWA.exe\""));
  ASSERT_EQ(RunSetup("/S"), 0);
  for (const char* file : {"gen_vandrel.dll", "vandrel.dll", "vandrel-uninstall.exe"})
    EXPECT_TRUE(FileExists(plugins + "\\" + file)) << file;
  EXPECT_FALSE(FolderExists(older + "\\Plugins"));
  EXPECT_FALSE(FileExists(plugins + "\\vandrel.ini"));  // the setup writes no settings
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "UninstallString"), "\"" + uninstaller + "\"");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), plugins);

  const std::string settings = "[iniConfig]\r\nLastUsed=rock\r\n[rock]\r\nKey=11\r\n";
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.ini", settings));
  EXPECT_EQ(RunUninstallerInPlace(), 0);
  EXPECT_FALSE(FileExists(plugins + "\\gen_vandrel.dll") || FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.ini"), settings);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");

  // Without the per-user record, Winamp's uninstall entry names the folder.
  // The uninstaller run as Add or Remove Programs runs it (NSIS hands over to
  // a copy in the temp folder, so this returns at once) removes itself too.
  RegDeleteTreeA(HKEY_CURRENT_USER, kWinampKey);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kWinampUninstallKey, "UninstallString",
                       "\"" + winamp + "\\UninstWA.exe\""));
  ASSERT_EQ(RunSetup("/S"), 0);
  EXPECT_TRUE(FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(RunProgram("\"" + uninstaller + "\" /S"), 0);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(uninstaller); }, 120000));
  EXPECT_FALSE(FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");
}

TEST_F(Installer, RefusesAFileItCannotReplaceAndWhileWinampRunsChangingNothing) {
  // A folder given with /D= wins over the recorded one, where installing would succeed.
  const std::string recorded = root.Folder("Recorded Player");
  root.File("Recorded Player\\winamp.exe", "not really Winamp");
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kWinampKey, nullptr, recorded));
  const std::string older = root.File("Winamp Player\\Plugins\\gen_vandrel.dll", "older build");
  HANDLE held = CreateFileA(older.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(RunSetup("/S /D=" + winamp), kRefused);
  CloseHandle(held);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");
  EXPECT_FALSE(FileExists(uninstaller));
  EXPECT_FALSE(FolderExists(recorded + "\\Plugins"));

  ASSERT_EQ(RunSetup("/S /D=" + winamp), 0);
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.dll", "older build"));
  TempFolder noPlugins;
  Standin standin;
  ASSERT_TRUE(standin.Start({"", {}, noPlugins.path()})) << standin.error();
  EXPECT_EQ(RunSetup("/S /D=" + winamp), kRefused);
  EXPECT_EQ(RunSetup("/S /D=" + recorded), kRefused);
  EXPECT_EQ(RunUninstallerInPlace(), kRefused);
  // Run by a user, it says why and gives up on Cancel.
  auto interactive = std::async(std::launch::async, [&] { return RunProgram("\"" + setup + "\""); });
  HWND box = FindMessageBox(std::string("Vandrel ") + VANDREL_VERSION_TEXT + " Setup");
  EXPECT_NE(MessageBoxText(box).find("Winamp is running."), std::string::npos) << MessageBoxText(box);
  EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDRETRY, IDCANCEL}));
  ClickButton(box, IDCANCEL);
  EXPECT_EQ(interactive.get(), kRefused);
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.dll"), "older build");
  EXPECT_TRUE(FileExists(plugins + "\\gen_vandrel.dll") && FileExists(uninstaller));
  EXPECT_EQ(standin.Shutdown(), 0);

  // Once Winamp is closed the same command goes through.
  EXPECT_EQ(RunSetup("/S /D=" + winamp), 0);
  EXPECT_NE(ReadWholeFile(plugins + "\\vandrel.dll"), "older build");
}

}  // namespace
}  // namespace vandrel::testing
