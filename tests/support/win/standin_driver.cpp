#include "support/win/standin_driver.h"

#include <fstream>
#include <sstream>

#include "../../../tools/standin/standin_protocol.h"

namespace vandrel::testing {

namespace {

// Quotes one argument so that the C runtime's parser gives it back as is.
std::string Quote(const std::string& arg) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

struct Search {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK FindOwnWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->process_id && std::string(name) == standin::kWindowClass) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A stand-in left behind by a test that failed half-way would answer the
// plug-in's FindWindowA in place of the new one: end it first.
void EndLeftoverStandins() {
  for (int i = 0; i < 10; ++i) {
    HWND window = FindWindowA(standin::kWindowClass, nullptr);
    if (window == nullptr) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return;
    TerminateProcess(process, 98);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

Playback ParsePlayback(const std::string& value) {
  if (value == "playing") return Playback::kPlaying;
  if (value == "paused") return Playback::kPaused;
  return Playback::kStopped;
}

StandinState ParseState(const std::string& text) {
  StandinState state;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t space = line.find(' ');
    const std::string key = line.substr(0, space);
    const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (key == "ready") {
      state.ready = value == "1";
    } else if (key == "position") {
      state.position = std::stoi(value);
    } else if (key == "playback") {
      state.playback = ParsePlayback(value);
    } else if (key == "held") {
      state.held = value;
    } else if (key == "entry") {
      state.playlist.push_back(value);
    } else if (key == "command") {
      state.log.push_back(value);
    } else if (key == "plugin") {
      const size_t bar = value.find('|');
      state.plugins.push_back({value.substr(0, bar), bar == std::string::npos ? "" : value.substr(bar + 1)});
    } else if (key == "failed") {
      state.failed.push_back(value);
    } else if (key == "hooked") {
      state.hooked = value == "1";
    } else if (key == "timing") {
      std::istringstream numbers(value);
      numbers >> state.hotkey_taken >> state.play_received >> state.counter_frequency;
    }
  }
  return state;
}

}  // namespace

std::string ProgramFolder() {
  char path[MAX_PATH * 4] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

Standin::~Standin() {
  if (process_ == nullptr) return;
  if (running() && Shutdown(15000) == -1) TerminateProcess(process_, 99);
  if (process_ != nullptr) {
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
  }
}

bool Standin::running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Standin::Start(const StandinOptions& options, DWORD timeout_ms) {
  if (process_ != nullptr) {
    error_ = "already started";
    return false;
  }
  control_message_ = RegisterWindowMessageA(standin::kControlMessage);
  EndLeftoverStandins();
  const std::string exe = ProgramFolder() + "winamp_standin.exe";
  std::string command = Quote(exe);
  if (!options.m3u.empty()) command += " " + Quote("/playlist=" + options.m3u);
  if (!options.plugins_folder.empty()) command += " " + Quote("/plugins=" + options.plugins_folder);
  if (!options.ini_directory.empty()) command += " " + Quote("/inidir=" + options.ini_directory);
  if (options.play) command += " /play";
  for (const std::string& file : options.files) command += " " + Quote(file);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    error_ = "CreateProcess failed for " + exe + ", error " + std::to_string(GetLastError());
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;

  const bool up = WaitUntil(
      [&] {
        if (!running()) return true;
        if (window_ == nullptr) {
          Search search{process_id_, nullptr};
          EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&search));
          window_ = search.found;
          if (window_ == nullptr) return false;
        }
        return !options.wait_ready || State().ready;
      },
      timeout_ms);
  if (!running()) {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    error_ = "the stand-in exited with code " + std::to_string(code);
    return false;
  }
  if (!up) {
    error_ = window_ == nullptr ? "no stand-in window" : "the stand-in's plug-ins did not get ready";
    return false;
  }
  return true;
}

bool Standin::Send(WPARAM control, LPARAM arg, LRESULT* answer) const {
  if (window_ == nullptr) return false;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window_, control_message_, control, arg, SMTO_NORMAL, 20000, &result))
    return false;
  if (answer != nullptr) *answer = static_cast<LRESULT>(result);
  return true;
}

StandinState Standin::State() const {
  LRESULT address = 0;
  if (!Send(standin::kQueryState, 0, &address) || address == 0) return {};
  standin::StateBlock header{};
  SIZE_T got = 0;
  const auto* remote = reinterpret_cast<const char*>(address);
  if (!ReadProcessMemory(process_, remote, &header, sizeof header, &got) || got != sizeof header) return {};
  std::string text(header.size, '\0');
  if (header.size > 0 &&
      (!ReadProcessMemory(process_, remote + sizeof header, text.data(), text.size(), &got) ||
       got != text.size())) {
    return {};
  }
  return ParseState(text);
}

bool Standin::Play() { return Send(standin::kPlay, 0); }
bool Standin::Stop() { return Send(standin::kStop, 0); }
bool Standin::SetPosition(int position) { return Send(standin::kSetPosition, position); }
bool Standin::ClearLog() { return Send(standin::kClearLog, 0); }

bool Standin::OpenConfig(int index) {
  return window_ != nullptr && PostMessageA(window_, control_message_, standin::kOpenConfig, index);
}

int Standin::Shutdown(DWORD timeout_ms) {
  if (process_ == nullptr) return -1;
  if (running() && window_ != nullptr) PostMessageA(window_, control_message_, standin::kShutdown, 0);
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  window_ = nullptr;
  return static_cast<int>(code);
}

bool PreparePluginsFolder(const std::string& folder, const std::string& ini_text) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string from = ProgramFolder();
  for (const char* name : {"vandrel.dll", "gen_vandrel.dll"}) {
    if (!CopyFileA((from + name).c_str(), (folder + "\\" + name).c_str(), FALSE)) return false;
  }
  if (ini_text.empty()) return true;
  std::ofstream ini(folder + "\\vandrel.ini", std::ios::binary | std::ios::trunc);
  ini << ini_text;
  return static_cast<bool>(ini.flush());
}

bool WriteM3u(const std::string& path, const std::vector<std::string>& entries) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "#EXTM3U\r\n";
  for (const std::string& entry : entries) out << entry << "\r\n";
  return static_cast<bool>(out.flush());
}

}  // namespace vandrel::testing
