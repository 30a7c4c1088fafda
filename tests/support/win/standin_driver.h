// Drives the stand-in Winamp (tools/standin) from a Windows test program.
//
// The stand-in runs as a child process started from winamp_standin.exe
// beside the test program. Its state is read through its private control
// message (tools/standin/standin_protocol.h): the state text is read out of
// its memory with ReadProcessMemory, as the plug-in reads file names. Only
// one stand-in should run at a time: the plug-in finds Winamp by class name.
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
  bool ready = false;  // plug-ins loaded and initialised
  int position = 0;
  Playback playback = Playback::kStopped;
  std::string held;  // the file held open while playing, or empty
  std::vector<std::string> playlist;
  // Commands received through Winamp's messages, in order: "Play", "Pause",
  // "Stop", "Next", "StartOfPlaylist", "IPC_GETLISTPOS", "IPC_GETLISTLENGTH",
  // "IPC_GETPLAYLISTFILE <n>", "IPC_DELETE <n>", "Command <id>", "IPC <code> <n>".
  std::vector<std::string> log;
  std::vector<StandinPlugin> plugins;
  std::vector<std::string> failed;  // "gen_x.dll|reason" for plug-ins not loaded
  bool hooked = false;              // a plug-in's procedure is in front of the window's
  // Performance-counter readings: the message loop taking the last hotkey
  // message, and the last Play arriving; with the counter's frequency.
  long long hotkey_taken = 0;
  long long play_received = 0;
  long long counter_frequency = 1;
};

struct StandinOptions {
  std::string m3u;                 // /playlist=
  std::vector<std::string> files;  // further entries, after the m3u's
  std::string plugins_folder;      // /plugins=
  std::string ini_directory;       // /inidir=: Winamp's settings folder (IPC 1335, 335)
  bool play = false;               // /play: start playing entry 0
  // Wait until the plug-ins' init() has returned. Turn off when init() is
  // expected to show a message box (the window is still waited for).
  bool wait_ready = true;
};

class Standin {
 public:
  Standin() = default;
  Standin(const Standin&) = delete;
  Standin& operator=(const Standin&) = delete;
  // Shuts the stand-in down if still running; kills it if it won't go.
  ~Standin();

  // Ends any stand-in still running (left by an earlier, failed test), then
  // starts winamp_standin.exe and waits (up to `timeout_ms`) for its window.
  // False, with a reason in error(), when it did not come up.
  bool Start(const StandinOptions& options, DWORD timeout_ms = 30000);

  HWND window() const { return window_; }
  DWORD process_id() const { return process_id_; }
  HANDLE process() const { return process_; }
  bool running() const;
  const std::string& error() const { return error_; }

  // The whole state; an empty state with ready == false when unreachable.
  StandinState State() const;
  Playback PlaybackState() const { return State().playback; }
  std::vector<std::string> Log() const { return State().log; }

  // Sent (they have taken effect on return); none is written to the log.
  bool Play();
  bool Stop();
  bool SetPosition(int position);
  bool ClearLog();
  // Posted: calls config() of plug-in `index`, which typically opens a
  // modal dialog; returns at once.
  bool OpenConfig(int index = 0);
  // Posts the shutdown (each plug-in's quit(), then FreeLibrary) and waits
  // for the process to end. Returns its exit code (0 clean, 2 a plug-in left
  // the window subclassed), or -1 when it did not end in time.
  int Shutdown(DWORD timeout_ms = 30000);

 private:
  bool Send(WPARAM control, LPARAM arg, LRESULT* answer = nullptr) const;

  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HWND window_ = nullptr;
  UINT control_message_ = 0;
  std::string error_;
};

// The folder holding the running test program, with a trailing '\'.
std::string ProgramFolder();

// Polls `condition` every 20 ms until it holds or `timeout_ms` passes.
// The timeout is only a safety net: tests wait for an event, not a time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = 20000);

// Makes `folder` a Winamp Plugins folder: copies vandrel.dll and
// gen_vandrel.dll from beside the test program, and writes `ini_text` as
// vandrel.ini when not empty. False when a copy fails.
bool PreparePluginsFolder(const std::string& folder, const std::string& ini_text = "");

// Writes an .m3u playlist of `entries` (one per line) to `path`.
bool WriteM3u(const std::string& path, const std::vector<std::string>& entries);

}  // namespace vandrel::testing
