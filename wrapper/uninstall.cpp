#include "uninstall.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "plugin_loader.h"

namespace vandrel::wrapper {
namespace {

constexpr UINT kIpcGetIniDirectoryW = 1335;  // WM_USER; a wchar_t* in Winamp's process, ours
constexpr const wchar_t* kSettingsFiles[] = {L"vandrel.ini", L"vandrel-journal.txt"};

// The plug-in file that goes at quit, once Uninstall asked for it.
std::wstring g_pendingRemoval;

// Owns a kernel handle.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~OwnedHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// True when a file can be made in `folder` (its attributes do not tell).
bool CanWrite(const std::wstring& folder) {
  const std::wstring probe = folder + L"vandrel-write-test.tmp";
  const OwnedHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.get() != nullptr;
}

// The system's rundll32 (the one of this DLL's architecture) runs
// VandrelRemoveAfterExit from this DLL, which waits for this process to end.
bool StartRemover(HMODULE self) {
  wchar_t system[MAX_PATH] = {};
  wchar_t module[MAX_PATH * 4] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  const DWORD named = GetModuleFileNameW(self, module, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH || named == 0 || named >= MAX_PATH * 4) return false;
  std::wstring command = L"\"" + std::wstring(system) + L"\\rundll32.exe\" \"" + module +
                         L"\",VandrelRemoveAfterExit " + std::to_wstring(GetCurrentProcessId());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &started))
    return false;
  const OwnedHandle process(started.hProcess), thread(started.hThread);
  return true;
}

// The folders that may hold the settings: beside this DLL, and the Plugins
// folder of the player's own settings folder.
std::vector<std::wstring> SettingsFolders(const std::wstring& beside, HWND winamp) {
  std::vector<std::wstring> folders{beside};
  if (!IsWindow(winamp)) return folders;
  const auto* named =
      reinterpret_cast<const wchar_t*>(SendMessageW(winamp, WM_USER, 0, kIpcGetIniDirectoryW));
  if (named == nullptr || *named == L'\0') return folders;
  std::wstring folder = named;
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  folder += L"Plugins\\";
  if (CompareStringOrdinal(folder.c_str(), -1, beside.c_str(), -1, TRUE) != CSTR_EQUAL)
    folders.push_back(folder);
  return folders;
}

}  // namespace

void Uninstall(HMODULE self, HWND parent, HWND winamp) {
  const std::wstring folder = ModuleFolder(self);
  if (folder.empty()) return;
  std::wstring told;
  if (MessageBoxW(parent,
                  L"Do you also want to remove the saved settings?\r\n\r\nYes deletes Vandrel's profiles "
                  L"(vandrel.ini) and its journal, which undo reads. No keeps them for a later install.",
                  L"Vandrel", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
    for (const std::wstring& place : SettingsFolders(folder, winamp)) {
      for (const wchar_t* name : kSettingsFiles) {
        const std::wstring file = place + name;
        if (!DeleteFileW(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
            GetLastError() != ERROR_PATH_NOT_FOUND)
          told += file + L"\r\n";
      }
    }
  }
  const std::wstring plugin = folder + L"vandrel.dll";
  if (CanWrite(folder)) {
    g_pendingRemoval = plugin;
  } else {
    told += plugin + L"\r\n";
  }
  if (!told.empty()) {
    MessageBoxW(
        parent,
        (L"Winamp removes gen_vandrel.dll when it starts again, but Vandrel cannot delete these files "
         L"(their folder cannot be written, or they are in use). Delete them by hand once Winamp is "
         L"closed:\r\n\r\n" +
         told)
            .c_str(),
        L"Vandrel", MB_OK | MB_ICONINFORMATION);
  }
}

void FinishUninstall(HMODULE self) {
  if (g_pendingRemoval.empty()) return;
  const std::wstring plugin = std::move(g_pendingRemoval);
  g_pendingRemoval.clear();
  // vandrel.dll stays loaded while Winamp runs when quit came through the
  // window procedure it put in front of Winamp's (it keeps itself loaded
  // then, since its frames are still on the stack): it goes once Winamp's
  // process has ended.
  if (DeleteFileW(plugin.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND || StartRemover(self)) return;
  MoveFileExW(plugin.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveAfterExit(HMODULE self, const char* processId) {
  const DWORD id = std::strtoul(processId != nullptr ? processId : "", nullptr, 10);
  if (id != 0) {
    const OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (process.get() != nullptr) WaitForSingleObject(process.get(), INFINITE);
  }
  const std::wstring plugin = ModuleFolder(self) + L"vandrel.dll";
  DeleteFileW(plugin.c_str());
}

}  // namespace vandrel::wrapper
