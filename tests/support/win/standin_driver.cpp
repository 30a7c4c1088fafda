#include "support/win/standin_driver.h"

#include <cstring>
#include <sstream>

#include "../../../tools/standin/standin_protocol.h"
#include "support/win/desktop.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {

namespace {

std::string Quote(const std::string& arg) { return "\"" + arg + "\""; }  // no '"' nor final '\' in ours

PROCESS_INFORMATION StartProcess(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    CloseHandle(info.hThread);
  return info;
}

// "key value" lines, as the stand-in writes them.
StandinState ParseState(const std::string& text) {
  StandinState s;
  std::istringstream lines(text);
  for (std::string key, value; lines >> key && std::getline(lines, value);) {
    value.erase(0, value.empty() ? 0 : 1);
    const size_t bar = value.find('|');
    if (key == "ready" || key == "unicode") (key == "ready" ? s.ready : s.unicode) = value == "1";
    if (key == "position") s.position = std::stoi(value);
    if (key == "playback")
      s.playback = value == "playing"  ? Playback::kPlaying
                   : value == "paused" ? Playback::kPaused
                                       : Playback::kStopped;
    if (key == "held") s.held = value;
    if (key == "handling") s.handling = value == "1";
    if (key == "entry" || key == "command" || key == "failed" || key == "record" || key == "uninstalled")
      (key == "entry"         ? s.playlist
       : key == "command"     ? s.log
       : key == "record"      ? s.records
       : key == "uninstalled" ? s.uninstalled
                              : s.failed)
          .push_back(value);
    if (key == "mlunfreed") s.ml_unfreed = std::stoi(value);
    if (key == "plugin")
      s.plugins.push_back({value.substr(0, bar), bar == value.npos ? "" : value.substr(bar + 1)});
    if (key == "hotkey") {
      std::istringstream fields(value);
      StandinHotkey& h = s.hotkeys.emplace_back();
      std::getline(fields, h.id, '\t');
      fields >> h.flags >> h.message >> h.wParam >> h.lParam >> h.window;
      std::getline(fields.ignore(1), h.name);
    }
    if (key == "timing")
      std::istringstream(value) >> s.hotkey_taken >> s.play_received >> s.counter_frequency >>
          s.own_handling >> s.hotkey_done;
  }
  return s;
}

}  // namespace

bool PressKeys(const std::vector<WORD>& held, WORD vk, int repeats) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_LWIN ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs.push_back(input);
  };
  for (WORD h : held) key(h, false);
  for (int i = 0; i < repeats; ++i) key(vk, false);
  key(vk, true);
  for (auto h = held.rbegin(); h != held.rend(); ++h) key(*h, true);
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

HWND FindMessageBox(const std::string& title, DWORD timeout_ms) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        do box = FindWindowExA(nullptr, box, "#32770", title.c_str());
        while (box != nullptr && !IsWindowVisible(box));
        return box != nullptr;
      },
      timeout_ms);
  return box;
}

std::string NoticeText(DWORD timeout_ms, const std::string& awaited) {
  std::string text = "<no notice, or it took the focus>";
  WaitUntil(
      [&] {
        HWND notice = FindWindowA("VandrelNotice", nullptr);
        if (!notice || GetForegroundWindow() == notice) return false;
        char shown[512] = {};
        GetWindowTextA(notice, shown, sizeof shown);
        text = shown;
        return awaited.empty() || text == awaited;
      },
      timeout_ms);
  return text;
}

std::string MessageBoxText(HWND box) {
  char text[2048] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text control
  return text;
}

bool ClickButton(HWND box, int id) {
  return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

std::string Answer(HWND box, int button) {
  if (box == nullptr) return "<no box>";
  const std::string text = MessageBoxText(box);
  ClickButton(box, button);
  WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
  return text;
}

std::string ProgramFolder() {
  char path[MAX_PATH * 4] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, std::strrchr(path, '\\') + 1);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms) {
  for (const ULONGLONG end = GetTickCount64() + timeout_ms; !condition(); Sleep(20))
    if (GetTickCount64() >= end) return false;
  return true;
}

int RunProgram(std::string command, DWORD timeout_ms) {
  const PROCESS_INFORMATION info = StartProcess(command);
  DWORD code = static_cast<DWORD>(-1);
  if (info.hProcess == nullptr) return -1;
  if (WaitForSingleObject(info.hProcess, timeout_ms) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, code);
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

Standin::~Standin() {
  if (process_ == nullptr) return;
  if (running() && Shutdown(15000) == -1) TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

bool Standin::Start(const StandinOptions& options, DWORD timeout_ms) {
  control_message_ = RegisterWindowMessageA(standin::kControlMessage);
  // One left behind by a test that failed half-way would hold the hotkeys.
  for (HWND left; (left = FindWindowA(standin::kWindowClass, nullptr)) != nullptr;) {
    DWORD pid = 0;
    GetWindowThreadProcessId(left, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr || !TerminateProcess(process, 98)) break;
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  std::string command = Quote(ProgramFolder() + "winamp_standin.exe");
  for (const auto& [flag, value] : {std::pair{"/playlist=", &options.m3u},
                                    {"/plugins=", &options.plugins_folder},
                                    {"/inidir=", &options.ini_directory},
                                    {"/library=", &options.library}})
    if (!value->empty()) command += " " + Quote(flag + *value);
  if (options.play) command += " /play";
  for (const std::string& file : options.files) command += " " + Quote(file);
  const PROCESS_INFORMATION info = StartProcess(command);
  if ((process_ = info.hProcess) == nullptr) {
    error_ = "could not start " + command + ", error " + std::to_string(GetLastError());
    return false;
  }
  const bool up = WaitUntil(
      [&] {
        for (HWND w = nullptr;
             window_ == nullptr && (w = FindWindowExA(nullptr, w, standin::kWindowClass, nullptr));) {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid == info.dwProcessId) window_ = w;
        }
        return !running() || (window_ != nullptr && (!options.wait_ready || State().ready));
      },
      timeout_ms);
  if (!running()) error_ = "the stand-in exited";
  if (!up) error_ = window_ == nullptr ? "no stand-in window" : "its plug-ins did not get ready";
  return up && running();
}

bool Standin::Send(WPARAM control, LPARAM arg, LRESULT* answer) const {
  DWORD_PTR result = 0;
  if (window_ == nullptr ||
      !SendMessageTimeoutA(window_, control_message_, control, arg, SMTO_NORMAL, 20000, &result))
    return false;
  if (answer != nullptr) *answer = static_cast<LRESULT>(result);
  return true;
}

StandinState Standin::State() const {
  LRESULT address = 0;
  if (!Send(standin::kQueryState, 0, &address) || address == 0) return {};
  const auto* remote = reinterpret_cast<const char*>(address);
  standin::StateBlock header{};
  std::string text;
  auto read = [&](const char* from, void* into, SIZE_T size) {
    SIZE_T got = 0;
    return size == 0 || (ReadProcessMemory(process_, from, into, size, &got) && got == size);
  };
  if (!read(remote, &header, sizeof header)) return {};
  text.resize(header.size);
  return read(remote + sizeof header, text.data(), text.size()) ? ParseState(text) : StandinState{};
}

bool Standin::SetPosition(int position) const { return Send(standin::kSetPosition, position); }
bool Standin::ClearLog() const { return Send(standin::kClearLog, 0); }
bool Standin::SetShuffle(bool on) const { return Send(standin::kSetShuffle, on ? 1 : 0); }
bool Standin::SetRecycleBin(bool on) const { return Send(standin::kSetRecycleBin, on ? 1 : 0); }

bool Standin::OpenConfig(int index) const {
  return window_ != nullptr && PostMessageA(window_, control_message_, standin::kOpenConfig, index);
}
bool Standin::SendHotkey(int index) const {
  return PostMessageA(window_, control_message_, standin::kSendHotkey, index);
}
bool Standin::Uninstall(int index) const {
  return PostMessageA(window_, control_message_, standin::kUninstall, index);
}
bool Standin::Busy(DWORD ms) const { return PostMessageA(window_, control_message_, standin::kBusy, ms); }

int Standin::Shutdown(DWORD timeout_ms) {
  if (running() && window_ != nullptr) PostMessageA(window_, control_message_, standin::kShutdown, 0);
  DWORD code = 0;
  if (process_ == nullptr || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_, &code))
    return -1;
  window_ = nullptr;
  return static_cast<int>(code);
}

bool Standin::Kill() {
  window_ = nullptr;
  return process_ != nullptr && TerminateProcess(process_, 9) &&
         WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
}

bool PreparePluginsFolder(const std::string& folder, const std::string& ini_text) {
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"vandrel.dll", "gen_vandrel.dll"})
    if (!CopyFileA((ProgramFolder() + name).c_str(), (folder + "\\" + name).c_str(), FALSE)) return false;
  return ini_text.empty() || WriteWholeFile(folder + "\\vandrel.ini", ini_text);
}

bool WriteM3u(const std::string& path, const std::vector<std::string>& entries) {
  std::string text = "#EXTM3U\r\n";
  for (const std::string& entry : entries) text += entry + "\r\n";
  return WriteWholeFile(path, text);
}

}  // namespace vandrel::testing
