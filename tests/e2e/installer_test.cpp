// The setup program (installer/vandrel.nsi, built for x64 beside this test as
// vandrel-setup-x64.exe) run silently as a user or a deployment script would:
// it finds Winamp's folder where Winamp's installer records it, puts the DLL
// pair into its Plugins folder where the stand-in loads it, refuses while
// Winamp runs, and its uninstaller keeps the user's settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"
#include "version.h"

namespace vandrel::testing {
namespace {

constexpr char kWinampKey[] = "Software\\Winamp";
constexpr char kWinampUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr char kOwnUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vandrel";
constexpr char kUninstaller[] = "vandrel-uninstall.exe";
constexpr int kRefused = 2;  // the setup's exit code when it gives up
constexpr DWORD kProcessTimeoutMs = 120000;

struct Handle {
  HANDLE handle = nullptr;
  explicit Handle(HANDLE h) : handle(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

struct Key {
  HKEY key = nullptr;
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key != nullptr) RegCloseKey(key);
  }
};

// A string value of the registry, or nullopt when the key or value is missing.
std::optional<std::string> ReadString(HKEY root, const char* subkey, const char* name) {
  Key key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key.key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  std::string value(size, '\0');
  if (RegQueryValueExA(key.key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(value.find('\0') == std::string::npos ? size : value.find('\0'));
  return value;
}

bool KeyExists(HKEY root, const char* subkey) {
  Key key;
  return RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key.key) == ERROR_SUCCESS;
}

// One string value of the registry, put back as it was when the test ends.
class RegistryValue {
 public:
  RegistryValue(HKEY root, std::string subkey, std::string name)
      : root_(root), subkey_(std::move(subkey)), name_(std::move(name)) {
    saved_ = ReadString(root_, subkey_.c_str(), name_.c_str());
  }
  RegistryValue(const RegistryValue&) = delete;
  RegistryValue& operator=(const RegistryValue&) = delete;
  ~RegistryValue() {
    if (saved_) {
      Set(*saved_);
    } else {
      Remove();
    }
  }

  bool Set(const std::string& value) {
    Key key;
    if (RegCreateKeyExA(root_, subkey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key.key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    return RegSetValueExA(key.key, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }
  void Remove() {
    Key key;
    if (RegOpenKeyExA(root_, subkey_.c_str(), 0, KEY_SET_VALUE, &key.key) == ERROR_SUCCESS) {
      RegDeleteValueA(key.key, name_.c_str());
    }
  }

 private:
  HKEY root_;
  std::string subkey_, name_;
  std::optional<std::string> saved_;
};

// A program started with `command_line` as given (the setup parses /D=
// itself: no quotes around it).
class Process {
 public:
  explicit Process(const std::string& command_line) : command_line_(command_line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
      ADD_FAILURE() << "could not start " << command_line << ": error " << GetLastError();
      return;
    }
    Handle thread(info.hThread);
    process_.handle = info.hProcess;
  }

  // Its exit code, or -1 when it did not start or end (it is then ended).
  int Wait() {
    if (process_.handle == nullptr) return -1;
    if (WaitForSingleObject(process_.handle, kProcessTimeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(process_.handle, 99);
      ADD_FAILURE() << command_line_ << " did not end";
      return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.handle, &code);
    return static_cast<int>(code);
  }

 private:
  std::string command_line_;
  Handle process_{nullptr};
};

int RunProgram(const std::string& command_line) { return Process(command_line).Wait(); }

std::string SetupProgram() { return ProgramFolder() + "vandrel-setup-x64.exe"; }
int RunSetup(const std::string& arguments) { return RunProgram("\"" + SetupProgram() + "\" " + arguments); }

// Every file under `folder` (relative name -> contents).
std::map<std::string, std::string> Snapshot(const std::string& folder, const std::string& prefix = "") {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA found;
  Handle search(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (search.handle == INVALID_HANDLE_VALUE) return files;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      files[prefix + name + "\\"] = "";
      files.merge(Snapshot(folder + "\\" + name, prefix + name + "\\"));
    } else {
      files[prefix + name] = ReadWholeFile(folder + "\\" + name);
    }
  } while (FindNextFileA(search.handle, &found));
  return files;
}

// The version a DLL's version resource reports: the fixed part as
// "major.minor.patch.build" and the "ProductVersion" text.
struct FileVersion {
  std::string fixed, product;
};

FileVersion VersionOf(const std::string& path) {
  FileVersion version;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return version;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return version;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr) {
    version.fixed = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                    std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                    std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                    std::to_string(LOWORD(fixed->dwFileVersionLS));
  }
  char* text = nullptr;
  if (VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                     reinterpret_cast<void**>(&text), &length) &&
      text != nullptr) {
    version.product = text;
  }
  return version;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(SetupProgram()))
        << SetupProgram() << " is missing: build the target 'release' (needs makensis)";
    ASSERT_TRUE(root.ok());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnUninstallKey);
    // Winamp's folder as its own installer leaves it (a blank in the name, as
    // in "Program Files").
    winamp = root.Folder("Winamp Player");
    root.File("Winamp Player\\winamp.exe", "not really Winamp");
    plugins = winamp + "\\Plugins";
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOwnUninstallKey); }

  std::string Uninstaller() const { return plugins + "\\" + kUninstaller; }
  // Runs the uninstaller in place and waits for it (_?= keeps NSIS from
  // running a copy from the temp folder; the uninstaller then stays behind).
  int RunUninstallerInPlace() { return RunProgram("\"" + Uninstaller() + "\" /S _?=" + plugins); }

  void ExpectInstalledIn(const std::string& folder) {
    for (const char* file : {"gen_vandrel.dll", "vandrel.dll", kUninstaller}) {
      EXPECT_TRUE(FileExists(folder + "\\" + file)) << folder << "\\" << file;
    }
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kOwnUninstallKey, "UninstallString"),
              "\"" + folder + "\\" + kUninstaller + "\"");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kOwnUninstallKey, "InstallLocation"), folder);
  }

  TempFolder root;
  std::string winamp, plugins;
  RegistryValue winamp_folder{HKEY_CURRENT_USER, kWinampKey, ""};
  RegistryValue winamp_uninstall{HKEY_LOCAL_MACHINE, kWinampUninstallKey, "UninstallString"};
};

TEST_F(InstallerTest, InstallsWhereWinampIsRecordedAndTheStandinLoadsThePair) {
  // Both records present: the per-user one names the folder in use.
  const std::string older = root.Folder("Old Winamp");
  ASSERT_TRUE(winamp_folder.Set(winamp));
  ASSERT_TRUE(winamp_uninstall.Set("\"" + older + "\\UninstWA.exe\""));

  ASSERT_EQ(RunSetup("/S"), 0);
  ExpectInstalledIn(plugins);
  EXPECT_FALSE(FolderExists(older + "\\Plugins"));
  EXPECT_FALSE(FileExists(plugins + "\\vandrel.ini"));  // the setup writes no settings

  // Both DLLs carry the version the setup's file name is built from.
  const std::string version = VANDREL_VERSION_TEXT;
  for (const char* dll : {"gen_vandrel.dll", "vandrel.dll"}) {
    const FileVersion found = VersionOf(plugins + "\\" + dll);
    EXPECT_EQ(found.fixed, version + ".0") << dll;
    EXPECT_EQ(found.product, version) << dll;
  }

  // Winamp started on that folder: the first-run message, then the entry in
  // its list of general-purpose plug-ins.
  {
    Standin standin;
    StandinOptions options;
    options.plugins_folder = plugins;
    options.wait_ready = false;
    ASSERT_TRUE(standin.Start(options)) << standin.error();
    const HWND box = FindMessageBox("Vandrel");
    ASSERT_NE(box, nullptr) << "no first-run message";
    EXPECT_NE(MessageBoxText(box).find("first time"), std::string::npos) << MessageBoxText(box);
    ClickButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return standin.State().ready; }));
    const StandinState state = standin.State();
    EXPECT_TRUE(state.failed.empty()) << state.failed.front();
    ASSERT_EQ(state.plugins.size(), 1u);
    EXPECT_EQ(state.plugins[0].file, "gen_vandrel.dll");
    EXPECT_EQ(state.plugins[0].description, "Vandrel [No HotKey]");
    EXPECT_EQ(standin.Shutdown(), 0);
  }

  // The uninstaller takes the pair and leaves the user's profiles.
  const std::string settings =
      "[iniConfig]\r\nLastUsed=rock\r\n[rock]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=C:\\Sorted\r\n"
      "sortingOption=0\r\ncreateArtistFolder=0\r\n";
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.ini", settings));
  EXPECT_EQ(RunUninstallerInPlace(), 0);
  EXPECT_FALSE(FileExists(plugins + "\\gen_vandrel.dll"));
  EXPECT_FALSE(FileExists(plugins + "\\vandrel.dll"));
  EXPECT_EQ(ReadWholeFile(plugins + "\\vandrel.ini"), settings);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnUninstallKey));
  EXPECT_TRUE(FileExists(winamp + "\\winamp.exe"));
}

TEST_F(InstallerTest, FallsBackToWinampsUninstallEntryAndTheUninstallerRemovesItself) {
  winamp_folder.Remove();
  ASSERT_TRUE(winamp_uninstall.Set("\"" + winamp + "\\UninstWA.exe\""));

  ASSERT_EQ(RunSetup("/S"), 0);
  ExpectInstalledIn(plugins);

  // As Add or Remove Programs runs it: NSIS hands over to a copy of the
  // uninstaller in the temp folder, so this returns at once.
  EXPECT_EQ(RunProgram("\"" + Uninstaller() + "\" /S"), 0);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(Uninstaller()); }, kProcessTimeoutMs));
  EXPECT_FALSE(FileExists(plugins + "\\gen_vandrel.dll"));
  EXPECT_FALSE(FileExists(plugins + "\\vandrel.dll"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnUninstallKey));
  EXPECT_TRUE(FolderExists(plugins));  // Winamp's folder stays
}

TEST_F(InstallerTest, AFileThatCannotBeReplacedInTheFolderGivenFailsTheInstall) {
  ASSERT_TRUE(MakeFolders(plugins));
  ASSERT_TRUE(WriteWholeFile(plugins + "\\gen_vandrel.dll", "older build"));
  // Held open without sharing, as another program might.
  Handle held(CreateFileA((plugins + "\\gen_vandrel.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);

  // A folder given with /D= wins over the recorded one: installing into the
  // recorded folder would succeed.
  const std::string recorded = root.Folder("Recorded Player");
  root.File("Recorded Player\\winamp.exe", "not really Winamp");
  ASSERT_TRUE(winamp_folder.Set(recorded));

  EXPECT_EQ(RunSetup("/S /D=" + winamp), kRefused);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnUninstallKey));
  EXPECT_FALSE(FileExists(Uninstaller()));
  EXPECT_FALSE(FolderExists(recorded + "\\Plugins"));
}

TEST_F(InstallerTest, RefusesWhileWinampRunsAndChangesNothing) {
  ASSERT_EQ(RunSetup("/S /D=" + winamp), 0);
  // An older build in place, which the running Winamp would hold open.
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.dll", "older build"));
  ASSERT_TRUE(WriteWholeFile(plugins + "\\vandrel.ini", "[iniConfig]\r\n"));
  const std::string fresh = root.Folder("Fresh Player");
  const auto before = Snapshot(root.path());
  const auto arp_before = ReadString(HKEY_LOCAL_MACHINE, kOwnUninstallKey, "UninstallString");

  TempFolder no_plugins;
  Standin standin;
  StandinOptions options;
  options.plugins_folder = no_plugins.path();
  ASSERT_TRUE(standin.Start(options)) << standin.error();

  EXPECT_EQ(RunSetup("/S /D=" + winamp), kRefused);
  EXPECT_EQ(RunSetup("/S /D=" + fresh), kRefused);
  EXPECT_EQ(RunUninstallerInPlace(), kRefused);
  EXPECT_EQ(Snapshot(root.path()), before);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kOwnUninstallKey, "UninstallString"), arp_before);

  // Run by a user, it says why and gives up on Cancel.
  Process setup("\"" + SetupProgram() + "\"");
  const HWND box = FindMessageBox(std::string("Vandrel ") + VANDREL_VERSION_TEXT + " Setup");
  ASSERT_NE(box, nullptr) << "the setup showed no message";
  EXPECT_NE(MessageBoxText(box).find("Winamp is running."), std::string::npos) << MessageBoxText(box);
  EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDRETRY, IDCANCEL}));
  ClickButton(box, IDCANCEL);
  EXPECT_EQ(setup.Wait(), kRefused);
  EXPECT_EQ(Snapshot(root.path()), before);
  EXPECT_EQ(standin.Shutdown(), 0);

  // Once Winamp is closed the same command goes through.
  EXPECT_EQ(RunSetup("/S /D=" + winamp), 0);
  EXPECT_NE(ReadWholeFile(plugins + "\\vandrel.dll"), "older build");
}

}  // namespace
}  // namespace vandrel::testing
