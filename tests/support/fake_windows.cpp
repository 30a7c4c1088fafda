#include "support/fake_windows.h"

#include <algorithm>
#include <cstring>

namespace vandrel::testing {

std::vector<std::uintptr_t> FakeWindows::Commands() const {
  std::vector<std::uintptr_t> commands;
  for (const SentMessage& m : sent) {
    if (m.message == 0x111) commands.push_back(m.wParam);
  }
  return commands;
}

std::intptr_t FakeWindows::Deliver(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  return CallWindowProc(procs[window], window, message, wParam, lParam);
}

platform::ProcAddress FakeWindows::GetWindowProc(platform::WindowHandle window) { return procs[window]; }

void FakeWindows::SetWindowProc(platform::WindowHandle window, platform::ProcAddress proc) {
  procs[window] = proc;
}

std::intptr_t FakeWindows::CallWindowProc(platform::ProcAddress proc, platform::WindowHandle window,
                                          unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (proc == kHookProc && hookHandler != nullptr) return hookHandler(window, message, wParam, lParam);
  if (proc == kWinampProc) {
    reachedWinampProc.push_back({window, message, wParam, lParam});
    return kWinampProcResult;
  }
  return 0;
}

platform::ProcAddress FakeWindows::HookProcAddress(HookHandler handler) {
  hookHandler = handler;
  return kHookProc;
}

std::uint16_t FakeWindows::GlobalAddAtom(const std::wstring&) {
  if (nextAtom != 0) ++atomsAdded;
  return nextAtom;
}

void FakeWindows::GlobalDeleteAtom(std::uint16_t atom) { atomsDeleted.push_back(atom); }

platform::OpResult FakeWindows::RegisterHotKey(platform::WindowHandle, std::int32_t id, unsigned,
                                               unsigned vk) {
  if (takenKeys.count(vk) != 0) return {1409, L"Hot key is already registered."};
  registered[id] = vk;
  return {};
}

void FakeWindows::UnregisterHotKey(platform::WindowHandle, std::int32_t id) { registered.erase(id); }

std::intptr_t FakeWindows::SendMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
  sent.push_back({window, message, wParam, lParam});
  if (window != kWinamp || !winampPresent) return 0;
  auto count = static_cast<std::int32_t>(playlist.size());
  if (message == 0x400) {
    switch (lParam) {
      case 125:
        return position;
      case 124:
        return count;
      case 214:
        if (static_cast<std::int32_t>(wParam) < 0 ||
            static_cast<std::int32_t>(wParam) >= static_cast<std::int32_t>(widePlaylist.size()))
          return 0;
        return static_cast<std::intptr_t>(kWideNameBase + wParam * kNameStride);
      case 651:
        return usesRecycleBin;
      case 211:
        if (static_cast<std::int32_t>(wParam) < 0 || static_cast<std::int32_t>(wParam) >= count) return 0;
        return static_cast<std::intptr_t>(kNameBase + wParam * kNameStride);
      case 101:
        playlist.clear();
        position = 0;
        playing = false;
        return 0;
      default:
        return 0;
    }
  }
  if (message == 0x111) {
    switch (wParam) {
      case 40047:
        playing = false;
        break;
      case 40045:
        playing = count > 0;
        break;
      case 40048:
        if (count > 0) position = (position + 1) % count;
        break;
      case 40154:
        position = 0;
        break;
      default:
        break;
    }
  }
  return 0;
}

std::uint32_t FakeWindows::GetWindowProcessId(platform::WindowHandle window) {
  return window == kWinamp && winampPresent ? 777 : 0;
}

platform::ProcessHandle FakeWindows::OpenProcessForRead(std::uint32_t processId) {
  if (processId != 777) return 0;
  ++processesOpened;
  return 0x55;
}

std::size_t FakeWindows::ReadProcessMemory(platform::ProcessHandle process, std::uintptr_t address,
                                           char* buffer, std::size_t size) {
  if (process != 0x55 || address < kNameBase) return 0;
  std::uintptr_t index = (address - kNameBase) / kNameStride;
  if (index >= playlist.size()) return 0;
  // Winamp's memory: the name, its NUL, then whatever follows (here: 'x').
  std::string memory = playlist[index] + '\0';
  memory.resize(size > memory.size() ? size : memory.size(), 'x');
  std::memcpy(buffer, memory.data(), size);
  return size;
}

std::wstring FakeWindows::ReadOwnWideText(std::uintptr_t address, std::size_t maxChars) {
  if (address < kWideNameBase) return {};
  std::uintptr_t index = (address - kWideNameBase) / kNameStride;
  if (index >= widePlaylist.size()) return {};
  // The name, its NUL, then whatever follows (here: 'x').
  std::wstring memory = widePlaylist[index] + L'\0';
  memory.resize(std::max(maxChars, memory.size()), L'x');
  memory.resize(maxChars);
  std::size_t nul = memory.find(L'\0');
  return nul == std::wstring::npos ? memory : memory.substr(0, nul + 1);
}

void FakeWindows::CloseProcess(platform::ProcessHandle process) {
  if (process == 0x55) ++processesClosed;
}

}  // namespace vandrel::testing
