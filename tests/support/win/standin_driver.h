// Drives the stand-in Winamp (winamp_standin.exe beside the test program) from
// outside, reading its state out of its memory (standin_protocol.h).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vandrel::testing {

enum class Playback { kStopped, kPlaying, kPaused };

struct StandinPlugin {
  std::string file, description;  // gen_x.dll, and the description its struct holds now
};

// An entry posted to the stand-in's Global Hotkeys plug-in, as it copied it.
struct StandinHotkey {
  std::string id, name;  // the name in UTF-8
  unsigned long long flags = 0, message = 0, wParam = 0, lParam = 0, window = 0;
};

struct StandinState {
  bool ready = false;     // plug-ins loaded and their init() returned
  bool unicode = false;   // the main window is Unicode and its title reads back whole
  bool handling = false;  // a hotkey's handler is still running
  int position = 0;
  Playback playback = Playback::kStopped;
  std::string held;  // the file held open while playing
  std::vector<std::string> playlist;
  std::vector<std::string> log;  // "Play", "Stop", "Next", "IPC_GETPLAYLISTFILE <n>", ... in order
  std::vector<StandinPlugin> plugins;
  std::vector<std::string> failed;       // "gen_x.dll|reason"
  std::vector<std::string> uninstalled;  // "gen_x.dll|answer" of its winampUninstallPlugin()
  std::vector<StandinHotkey> hotkeys;
  // The Media Library's records ("PATH\tRATING\tPLAYCOUNT\tLASTPLAY\tADDED")
  // and its query results not yet freed.
  std::vector<std::string> records;
  int ml_unfreed = 0;
  // Performance-counter readings of the last hotkey taken and Play received,
  // and the ticks the player spent on its own handling in between.
  long long hotkey_taken = 0, play_received = 0, counter_frequency = 1, own_handling = 0;
  long long hotkey_done = 0;  // its handler returned
};

struct StandinOptions {
  std::string m3u;                 // /playlist=
  std::vector<std::string> files;  // further entries
  std::string plugins_folder;      // /plugins=
  bool play = false;               // start playing entry 0
  bool wait_ready = true;          // wait for init(); off when init() shows a box
  std::string ini_directory = {};  // /inidir=: Winamp's settings folder (IPC 1335, 335)
  std::string library = {};        // /library=: a Media Library with these records; none when empty
};

class Standin {
 public:
  Standin() = default;
  Standin(const Standin&) = delete;
  ~Standin();  // shuts it down, or kills it

  // Ends any stand-in left by an earlier test, starts one and waits for its
  // window (and init). False, with error(), when it did not come up.
  bool Start(const StandinOptions& options, DWORD timeout_ms = 30000);
  HWND window() const { return window_; }
  const std::string& error() const { return error_; }
  StandinState State() const;  // ready == false when unreachable
  std::vector<std::string> Log() const { return State().log; }
  bool SetPosition(int position) const;
  bool ClearLog() const;
  bool SetShuffle(bool on) const;
  bool SetRecycleBin(bool on) const;     // what IPC_USES_RECYCLEBIN answers
  bool OpenConfig(int index = 0) const;  // posted: config() shows a modal dialog
  bool Busy(DWORD ms) const;             // posted: the stand-in's queue waits
  bool SendHotkey(int index) const;      // posted: the entry's message may show a box
  bool Uninstall(int index) const;       // posted: Winamp's Uninstall button, which may show a box
  // Posts the shutdown (each quit(), then FreeLibrary) and waits; the exit
  // code: 0 clean, 2 a plug-in left the window subclassed, -1 not ended.
  int Shutdown(DWORD timeout_ms = 30000);
  // Ends the process at once, as a crash or a power cut would.
  bool Kill();

 private:
  bool Send(WPARAM control, LPARAM arg, LRESULT* answer = nullptr) const;
  bool running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
  UINT control_message_ = 0;
  std::string error_;
};

std::string ProgramFolder();  // with a trailing '\'
// Polls `condition` every 20 ms until it holds or `timeout_ms` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = 20000);
// Copies the DLL pair from beside the test program into `folder`, with
// `ini_text` as vandrel.ini unless empty.
bool PreparePluginsFolder(const std::string& folder, const std::string& ini_text = "");
// Runs `command` and waits; its exit code, -1 when it did not start or end.
int RunProgram(std::string command, DWORD timeout_ms = 120000);
bool WriteM3u(const std::string& path, const std::vector<std::string>& entries);

}  // namespace vandrel::testing
