// The setup program (installer/vandrel.nsi, built for x64 beside this test)
// run as a user or a deployment script would: where it finds Winamp, which
// pair it puts into the Plugins folder, what it writes into the registry,
// when it refuses (exit code 2), and what its uninstaller takes away.
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

// The machine type in a PE file's header; 0 when it is none.
unsigned Machine(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  if (bytes.size() < 0x40) return 0;
  const auto at = [&](std::size_t offset) { return static_cast<unsigned char>(bytes[offset]); };
  const std::size_t pe = at(0x3C) | at(0x3D) << 8 | at(0x3E) << 16 | static_cast<std::size_t>(at(0x3F)) << 24;
  if (pe + 6 > bytes.size() || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
  return at(pe + 4) | at(pe + 5) << 8;
}

// Just the header of a program for `machine`: all the setup reads of a player.
std::string ExeHeader(unsigned machine) {
  std::string bytes(0x46, '\0');
  bytes.replace(0, 2, "MZ");
  bytes[0x3C] = 0x40;
  bytes.replace(0x40, 4, std::string("PE\0\0", 4));
  bytes[0x44] = static_cast<char>(machine & 0xFF);
  bytes[0x45] = static_cast<char>(machine >> 8);
  return bytes;
}

// Winamp's folder as its installer leaves it: a blank in the name, as in "Program Files".
TEST(Installer, InstallsWhereWinampIsRecordedRefusesWhileItRunsAndUninstallsKeepingTheSettings) {
  const std::string setup = "\"" + ProgramFolder() + "vandrel-setup-x64.exe\" /S /D=";
  ASSERT_TRUE(FileExists(setup.substr(1, setup.find('"', 1) - 1)))
      << "build the target 'release' (needs makensis)";
  TempFolder root;
  const std::string winamp = root.Folder("Winamp Player"), plugins = winamp + "\\Plugins";
  const std::string older = root.Folder("Old Winamp"), uninstaller = plugins + "\\vandrel-uninstall.exe";
  // A 64-bit player (WACUP x64: the stand-in built for x64 under its name)
  // here, a 32-bit one in the older folder, neither in a third.
  ASSERT_TRUE(
      CopyFileA((ProgramFolder() + "winamp_standin.exe").c_str(), (winamp + "\\winamp.exe").c_str(), FALSE));
  root.File("Old Winamp\\wacup.exe", ExeHeader(0x14c));
  const std::string nowhere = root.Folder("No player");
  root.File("No player\\winamp.exe", "not really a player");
  EXPECT_EQ(RunProgram(setup + nowhere), kRefused);
  EXPECT_FALSE(FolderExists(nowhere + "\\Plugins"));
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
  EXPECT_EQ(Machine(plugins + "\\gen_vandrel.dll"), 0x8664u);
  EXPECT_EQ(Machine(plugins + "\\vandrel.dll"), 0x8664u);
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
  EXPECT_EQ(Machine(older + "\\Plugins\\gen_vandrel.dll"), 0x14cu);
  EXPECT_EQ(Machine(older + "\\Plugins\\vandrel.dll"), 0x14cu);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWinampUninstallKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnKey);
}

}  // namespace
}  // namespace vandrel::testing
