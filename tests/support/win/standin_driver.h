// Drives the stand-in Winamp (tools/standin, winamp_standin.exe beside the
// test program) from outside: its state is read out of its memory after its
// private control message (tools/standin/standin_protocol.h), as the plug-in
// reads file names. One stand-in at a time: the plug-in finds Winamp by class.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vandrel::testing {

enum class Playback { kStopped, kPlaying, kPaused };

struct StandinPlugin {
  std::string file;         // e.g. gen_vandrel.dll
  std::string description;  // read live from the plug-in's struct
};

struct StandinState {
  bool ready = false;  // plug-ins loaded and their init() returned
  int position = 0;
  Playback playback = Playback::kStopped;
  std::string held;  // the file held open while playing, or empty
  std::vector<std::string> playlist;
  // Commands received, in order: "Play", "Pause", "Stop", "Next",
  // "StartOfPlaylist", "IPC_GETPLAYLISTFILE <n>", "IPC_DELETE <n>", ...
  std::vector<std::string> log;
  std::vector<StandinPlugin> plugins;
  std::vector<std::string> failed;  // "gen_x.dll|reason"
  // Performance-counter readings: the last hotkey message taken, the last
  // Play received; with the counter's frequency.
  long long hotkey_taken = 0, play_received = 0, counter_frequency = 1;
};

struct StandinOptions {
  std::string m3u;                 // /playlist=
  std::vector<std::string> files;  // further entries
  std::string plugins_folder;      // /plugins=
  bool play = false;               // start playing entry 0
  bool wait_ready = true;          // wait for init(); off when init() shows a box
};

class Standin {
 public:
  Standin() = default;
  Standin(const Standin&) = delete;
  Standin& operator=(const Standin&) = delete;
  ~Standin();  // shuts it down if still running; kills it if it won't go

  // Ends any stand-in left by an earlier test, starts a new one and waits
  // for its window. False, with error(), when it did not come up.
  bool Start(const StandinOptions& options, DWORD timeout_ms = 30000);
  HWND window() const { return window_; }
  const std::string& error() const { return error_; }

  StandinState State() const;  // empty, ready == false, when unreachable
  std::vector<std::string> Log() const { return State().log; }
  // Sent (done on return) or, OpenConfig, posted: calls config() of plug-in
  // `index`, which shows a modal dialog. None is logged.
  bool SetPosition(int position) const;
  bool ClearLog() const;
  bool OpenConfig(int index = 0) const;
  // Posts the shutdown (each plug-in's quit(), then FreeLibrary) and waits.
  // The exit code: 0 clean, 2 a plug-in left the window subclassed, -1 not ended.
  int Shutdown(DWORD timeout_ms = 30000);

 private:
  bool Send(WPARAM control, LPARAM arg, LRESULT* answer = nullptr) const;
  bool running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
  UINT control_message_ = 0;
  std::string error_;
};

std::string ProgramFolder();  // the test program's folder, with a trailing '\'
// Polls `condition` every 20 ms until it holds or `timeout_ms` passes (a
// safety net only: tests wait for an event, not a time).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = 20000);
// Copies vandrel.dll and gen_vandrel.dll from beside the test program into
// `folder`, with `ini_text` as vandrel.ini unless empty.
bool PreparePluginsFolder(const std::string& folder, const std::string& ini_text = "");
// Runs `command` and waits (ending it after `timeout_ms`); its exit code, -1
// when it did not start.
int RunProgram(std::string command, DWORD timeout_ms = 120000);
bool WriteM3u(const std::string& path, const std::vector<std::string>& entries);

}  // namespace vandrel::testing
