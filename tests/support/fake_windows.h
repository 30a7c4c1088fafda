// A fake window system with a fake Winamp: a playlist held in "Winamp's
// memory", the player's state, the hotkeys and atoms, window procedures, and a
// record of every message sent.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vandrel::testing {

struct SentMessage {
  platform::WindowHandle window;
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class FakeWindows : public platform::WindowSystem {
 public:
  static constexpr platform::WindowHandle kWinamp = 0x1234;
  static constexpr platform::ProcAddress kWinampProc = 0x7000;
  static constexpr std::intptr_t kWinampProcResult = 4242;

  // Winamp.
  bool winampPresent = true;
  std::vector<std::string> playlist;  // ANSI names as Winamp stores them
  // Wide names (message 214) at the same indexes; empty: a Winamp before 5.13,
  // which answers 214 with 0.
  std::vector<std::wstring> widePlaylist;
  // What IPC_USES_RECYCLEBIN (651) answers.
  std::intptr_t usesRecycleBin = 0;
  std::int32_t position = 0;
  bool playing = false;
  std::vector<SentMessage> sent;
  // Commands (WM_COMMAND ids) in the order they arrived.
  std::vector<std::uintptr_t> Commands() const;

  // Hotkeys and atoms.
  std::uint16_t nextAtom = 0xC0DE;
  int atomsAdded = 0;
  std::vector<std::uint16_t> atomsDeleted;
  std::set<unsigned> takenKeys;                 // virtual keys another program holds
  std::map<std::int32_t, unsigned> registered;  // id -> virtual key

  // Window procedures.
  std::map<platform::WindowHandle, platform::ProcAddress> procs{{kWinamp, kWinampProc}};
  HookHandler hookHandler = nullptr;
  std::vector<SentMessage> reachedWinampProc;
  // Delivers a message to the window as Windows would: through its current procedure.
  std::intptr_t Deliver(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam);

  // Processes.
  int processesOpened = 0;
  int processesClosed = 0;

  std::wstring moduleFileName = L"C:\\Program Files\\Winamp\\Plugins\\vandrel.dll";

  platform::ProcAddress GetWindowProc(platform::WindowHandle window) override;
  void SetWindowProc(platform::WindowHandle window, platform::ProcAddress proc) override;
  std::intptr_t CallWindowProc(platform::ProcAddress proc, platform::WindowHandle window, unsigned message,
                               std::uintptr_t wParam, std::intptr_t lParam) override;
  platform::ProcAddress HookProcAddress(HookHandler handler) override;
  std::uint16_t GlobalAddAtom(const std::wstring& name) override;
  void GlobalDeleteAtom(std::uint16_t atom) override;
  void KeepModuleLoaded() override {}
  platform::OpResult RegisterHotKey(platform::WindowHandle window, std::int32_t id, unsigned modifiers,
                                    unsigned vk) override;
  void UnregisterHotKey(platform::WindowHandle window, std::int32_t id) override;
  std::intptr_t SendMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  std::uint32_t GetWindowProcessId(platform::WindowHandle window) override;
  platform::ProcessHandle OpenProcessForRead(std::uint32_t processId) override;
  std::size_t ReadProcessMemory(platform::ProcessHandle process, std::uintptr_t address, char* buffer,
                                std::size_t size) override;
  void CloseProcess(platform::ProcessHandle process) override;
  std::wstring ReadOwnWideText(std::uintptr_t address, std::size_t maxChars) override;
  std::wstring OwnModuleFileName() override { return moduleFileName; }

 private:
  static constexpr platform::ProcAddress kHookProc = 0x9000;
  static constexpr std::uintptr_t kNameBase = 0x100000;
  static constexpr std::uintptr_t kNameStride = 0x1000;
  static constexpr std::uintptr_t kWideNameBase = 0x800000;
};

}  // namespace vandrel::testing
