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

std::string FixedVersion(const std::string& path) {
  std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoA(path.c_str(), 0, data.size(), data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
    return "";
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS));
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(SetupProgram())) << SetupProgram() << " is missing: build the target 'release' (needs makensis)";
    TearDown();
    winamp = root.Folder("Winamp Player");  // a blank in the name, as in "Program Files"
    root.File("Winamp Player\\winamp.exe", "not really Winamp");
    plugins = winamp + "\\Plugins";
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWinampUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kWinampKey);
  }
  static std::string SetupProgram() { return ProgramFolder() + "vandrel-setup-x64.exe"; }
  int RunSetup(const std::string& arguments) { return RunProgram("\"" + SetupProgram() + "\" " + arguments); }
  std::string Uninstaller() const { return plugins + "\\vandrel-uninstall.exe"; }
  // In place: _?= keeps NSIS from running a copy from the temp folder.
  int RunUninstallerInPlace() { return RunProgram("\"" + Uninstaller() + "\" /S _?=" + plugins); }

  TempFolder root;
  std::string winamp, plugins;
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
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "UninstallString"), "\"" + Uninstaller() + "\"");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), plugins);
  // Both DLLs carry the version the setup's name is built from.
  for (const char* dll : {"gen_vandrel.dll", "vandrel.dll"})
    EXPECT_EQ(FixedVersion(plugins + "\\" + dll), std::string(VANDREL_VERSION_TEXT) + ".0") << dll;

  const std::string settings = "[iniConfig]\r\nLastUsed=rock\r\n[rock]\r\nKey=11\r\n";
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.ini", settings));
  EXPECT_EQ(RunUninstallerInPlace(), 0);
  EXPECT_FALSE(FileExists(plugins + "\\gen_vandrel.dll") || FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.ini"), settings);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOwnKey, "InstallLocation"), "<none>");
  EXPECT_TRUE(FileExists(winamp + "\\winamp.exe"));

  // Without the per-user record, Winamp's uninstall entry names the folder.
  // The uninstaller run as Add or Remove Programs runs it (NSIS hands over to
  // a copy in the temp folder, so this returns at once) removes itself too.
  RegDeleteTreeA(HKEY_CURRENT_USER, kWinampKey);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kWinampUninstallKey, "UninstallString",
                       "\"" + winamp + "\\UninstWA.exe\""));
  ASSERT_EQ(RunSetup("/S"), 0);
  EXPECT_TRUE(FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(RunProgram("\"" + Uninstaller() + "\" /S"), 0);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(Uninstaller()); }, 120000));
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
  EXPECT_FALSE(FileExists(Uninstaller()));
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
  auto setup = std::async(std::launch::async, [&] { return RunProgram("\"" + SetupProgram() + "\""); });
  HWND box = FindMessageBox(std::string("Vandrel ") + VANDREL_VERSION_TEXT + " Setup");
  EXPECT_NE(MessageBoxText(box).find("Winamp is running."), std::string::npos) << MessageBoxText(box);
  EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDRETRY, IDCANCEL}));
  ClickButton(box, IDCANCEL);
  EXPECT_EQ(setup.get(), kRefused);
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.dll"), "older build");
  EXPECT_TRUE(FileExists(plugins + "\\gen_vandrel.dll") && FileExists(Uninstaller()));
  EXPECT_FALSE(FolderExists(recorded + "\\Plugins"));
  EXPECT_EQ(standin.Shutdown(), 0);

  // Once Winamp is closed the same command goes through.
  EXPECT_EQ(RunSetup("/S /D=" + winamp), 0);
  EXPECT_NE(ReadWholeFile(plugins + "\\vandrel.dll"), "older build");
}

}  // namespace
}  // namespace vandrel::testing
