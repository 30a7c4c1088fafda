// A stand-in for Winamp's main window, for tests and the demo.
//
//   winamp_standin.exe [/playlist=list.m3u] [/plugins=folder] [/inidir=folder] [/tags=tags.txt] [/play]
//                      [file ...]
//
// Its window has Winamp's class name and answers the messages a plug-in sends
// to Winamp (see player.cpp); it loads gen_*.dll plug-ins like Winamp; tests
// drive and read it through the messages in standin_protocol.h.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "hotkeys.h"
#include "library.h"
#include "player.h"
#include "plugins.h"
#include "standin_protocol.h"

namespace vandrel::standin {
namespace {

struct App {
  Player player;
  Plugins plugins;
  GlobalHotkeys hotkeys;
  Library library;
  HWND library_window = nullptr;  // none: a Winamp without the Media Library
  UINT control_message = 0;
  bool ready = false;
  bool closed = false;
  int exit_code = kExitClean;
  std::vector<char> state_block;
  HWND window = nullptr;
  // Performance-counter readings for the benchmark: when the message loop
  // took the last hotkey message, when the last Play arrived, and how long
  // the player's own handling of messages took in between (Play's excluded).
  LONGLONG hotkey_taken = 0;
  LONGLONG play_received = 0;
  LONGLONG own_handling = 0;
  LONGLONG hotkey_done = 0;      // the last WM_HOTKEY's handler returned
  bool handling_hotkey = false;  // a WM_HOTKEY is being dispatched
};

LONGLONG Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

App* g_app = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

const char* PlaybackName(Playback playback) {
  switch (playback) {
    case Playback::kPlaying:
      return "playing";
    case Playback::kPaused:
      return "paused";
    default:
      return "stopped";
  }
}

std::string StateText(const App& app) {
  const Player& player = app.player;
  std::string text;
  text += "ready " + std::string(app.ready ? "1" : "0") + "\n";
  text += "position " + std::to_string(player.position()) + "\n";
  text += "playback " + std::string(PlaybackName(player.playback())) + "\n";
  text += "held " + player.held() + "\n";
  for (int i = 0; i < player.size(); ++i) text += "entry " + player.entry(i) + "\n";
  for (const std::string& command : player.log()) text += "command " + command + "\n";
  for (const std::string& plugin : app.plugins.Describe()) text += "plugin " + plugin + "\n";
  for (const std::string& failure : app.plugins.failures()) text += "failed " + failure + "\n";
  for (const std::string& plugin : app.plugins.uninstalled()) text += "uninstalled " + plugin + "\n";
  for (const std::string& hotkey : app.hotkeys.Describe()) text += "hotkey " + hotkey + "\n";
  for (const std::string& record : app.library.Describe()) text += "record " + record + "\n";
  text += "mlunfreed " + std::to_string(app.library.Unfreed()) + "\n";
  // Whether a plug-in has put its own procedure in front of the window's.
  const bool hooked = app.window != nullptr && IsWindow(app.window) &&
                      GetWindowLongPtrW(app.window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc);
  text += "hooked " + std::string(hooked ? "1" : "0") + "\n";
  wchar_t title[64] = {};
  const bool unicode = app.window != nullptr && IsWindowUnicode(app.window) &&
                       GetWindowTextW(app.window, title, 64) > 0 && std::wcscmp(title, kWindowTitle) == 0;
  text += "unicode " + std::string(unicode ? "1" : "0") + "\n";
  text += "handling " + std::string(app.handling_hotkey ? "1" : "0") + "\n";
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  text += "timing " + std::to_string(app.hotkey_taken) + " " + std::to_string(app.play_received) + " " +
          std::to_string(frequency.QuadPart) + " " + std::to_string(app.own_handling) + " " +
          std::to_string(app.hotkey_done) + "\n";
  return text;
}

LRESULT QueryState(App& app) {
  const std::string text = StateText(app);
  app.state_block.assign(sizeof(StateBlock) + text.size() + 1, '\0');
  StateBlock header{static_cast<std::uint32_t>(text.size())};
  std::memcpy(app.state_block.data(), &header, sizeof header);
  std::memcpy(app.state_block.data() + sizeof header, text.data(), text.size());
  return reinterpret_cast<LRESULT>(app.state_block.data());
}

// Winamp calls every plug-in's quit() before its window goes away.
void Close(App& app) {
  if (app.closed) return;
  app.closed = true;
  app.player.Stop();
  app.plugins.Quit();
}

// After quit(), from a message of its own (no plug-in's frame on the stack):
// every plug-in is unloaded, and a message must still pass whatever
// procedures the plug-ins left in front of the window's own.
void Finish(App& app, HWND window) {
  app.plugins.Free();
  if (SendMessageW(window, app.control_message, kProbe, 0) != 1) app.exit_code = kExitHookLeft;
  DestroyWindow(window);
}

LRESULT OnControl(App& app, HWND window, WPARAM control, LPARAM arg) {
  switch (control) {
    case kQueryState:
      return QueryState(app);
    case kPlay:
      app.player.Play();
      break;
    case kStop:
      app.player.Stop();
      break;
    case kSetPosition:
      app.player.SetPosition(static_cast<int>(arg));
      break;
    case kClearLog:
      app.player.ClearLog();
      break;
    case kSetRecycleBin:
      app.player.SetRecycleBin(arg);
      break;
    case kSetShuffle:
      app.player.SetShuffle(arg != 0);
      break;
    case kSetReleaseDelay:
      app.player.SetReleaseDelay(static_cast<DWORD>(arg));
      break;
    case kBusy:
      Sleep(static_cast<DWORD>(arg));
      break;
    case kOpenConfig:
      return app.plugins.Configure(static_cast<size_t>(arg)) ? 1 : 0;
    case kUninstall:
      return app.plugins.Uninstall(static_cast<size_t>(arg), window) ? 1 : 0;
    case kSendHotkey:
      return app.hotkeys.Send(static_cast<size_t>(arg), window) ? 1 : 0;
    case kShutdown:
      Close(app);
      PostMessageW(window, app.control_message, kFinish, 0);
      break;
    case kFinish:
      Finish(app, window);
      return 1;
    case kProbe:
      return 1;
    default:
      return 0;
  }
  InvalidateRect(window, nullptr, TRUE);
  return 1;
}

// What the window shows: the head of the state and the last commands, cheap
// to build however long the playlist and the log (a long run is painted
// between entries, as Winamp's window is).
std::string PaintText(const App& app) {
  const Player& player = app.player;
  std::string text = "ready " + std::string(app.ready ? "1" : "0") + "\nposition " +
                     std::to_string(player.position()) + "\nplayback " + PlaybackName(player.playback()) +
                     "\nheld " + player.held() + "\nentries " + std::to_string(player.size()) + "\n";
  const std::vector<std::string>& log = player.log();
  for (std::size_t i = log.size() > 12 ? log.size() - 12 : 0; i < log.size(); ++i)
    text += "command " + log[i] + "\n";
  return text;
}

void OnPaint(App& app, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  InflateRect(&area, -8, -8);
  const std::string text = PaintText(app);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_LEFT | DT_NOPREFIX);
  EndPaint(window, &paint);
}

LRESULT HandleMessage(App& app, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == app.control_message && message != 0) return OnControl(app, window, wparam, lparam);
  switch (message) {
    case WM_USER: {
      if (lparam == kIpcRegisterWinampIpcMessage)
        return app.hotkeys.Register(reinterpret_cast<const char*>(wparam));
      if (app.hotkeys.IsAdd(lparam)) {
        app.hotkeys.Add(wparam);
        return 1;
      }
      // The library's window, as gen_ml hands it out; a Winamp without it
      // answers 1, as it does any message it does not know.
      if (lparam == app.hotkeys.Register("LibraryGetWnd") && wparam == static_cast<WPARAM>(-1))
        return app.library_window != nullptr ? reinterpret_cast<LRESULT>(app.library_window) : 1;
      const LONGLONG start = Counter();
      const LRESULT answer = app.player.OnIpc(wparam, lparam);
      // Of the queries only clearing the playlist changes what is shown.
      if (lparam == kIpcDelete) InvalidateRect(window, nullptr, TRUE);
      app.own_handling += Counter() - start;
      return answer;
    }
    case WM_COMMAND: {
      const LONGLONG start = Counter();
      if (LOWORD(wparam) == 40045) app.play_received = start;
      app.player.OnCommand(LOWORD(wparam));
      InvalidateRect(window, nullptr, TRUE);
      if (LOWORD(wparam) != 40045) app.own_handling += Counter() - start;
      return 0;
    }
    case WM_PAINT:
      OnPaint(app, window);
      return 0;
    case WM_CLOSE:
      Close(app);
      PostMessageW(window, app.control_message, kFinish, 0);
      return 0;
    case WM_DESTROY:
      Close(app);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// The playlist editor's window: its commands change the main window's list.
LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_app == nullptr || (message != WM_USER && message != WM_COPYDATA))
    return DefWindowProcW(window, message, wparam, lparam);
  LRESULT answer = 0;
  if (message == WM_USER) {
    answer = g_app->player.OnEditor(wparam, lparam);
  } else {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data == nullptr || data->dwData != kIpcPeInsertFileNameW || data->cbData < sizeof(PeInsertFileNameW))
      return 0;
    PeInsertFileNameW insert;
    std::memcpy(&insert, data->lpData, sizeof insert);
    insert.file[MAX_PATH - 1] = L'\0';
    g_app->player.Insert(insert.file, insert.index);
    answer = 1;
  }
  InvalidateRect(g_app->window, nullptr, TRUE);
  return answer;
}

LRESULT CALLBACK LibraryProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_app == nullptr || message != kWmMlIpc) return DefWindowProcW(window, message, wparam, lparam);
  const LRESULT answer = g_app->library.OnIpc(wparam, lparam, g_app->player.log());
  InvalidateRect(g_app->window, nullptr, TRUE);
  return answer;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_app == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  try {
    return HandleMessage(*g_app, window, message, wparam, lparam);
  } catch (...) {
    return 0;
  }
}

struct Options {
  std::string playlist;
  std::string plugins;
  std::string iniDirectory;
  std::string tags;
  std::string library;
  bool play = false;
  std::vector<std::string> files;
};

Options ParseArguments(int argc, char** argv) {
  Options options;
  const std::string playlist = "/playlist=", plugins = "/plugins=", iniDirectory = "/inidir=",
                    tags = "/tags=", library = "/library=";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind(playlist, 0) == 0) {
      options.playlist = arg.substr(playlist.size());
    } else if (arg.rfind(plugins, 0) == 0) {
      options.plugins = arg.substr(plugins.size());
    } else if (arg.rfind(iniDirectory, 0) == 0) {
      options.iniDirectory = arg.substr(iniDirectory.size());
    } else if (arg.rfind(tags, 0) == 0) {
      options.tags = arg.substr(tags.size());
    } else if (arg.rfind(library, 0) == 0) {
      options.library = arg.substr(library.size());
    } else if (arg == "/play") {
      options.play = true;
    } else {
      options.files.push_back(arg);
    }
  }
  return options;
}

int Run(HINSTANCE instance) {
  const Options options = ParseArguments(__argc, __argv);
  App app;
  g_app = &app;
  app.control_message = RegisterWindowMessageA(kControlMessage);
  // Winamp 5's main window is a Unicode window; so is this one.

  std::vector<std::wstring> entries;
  if (!options.playlist.empty()) ReadM3u(options.playlist, &entries);
  for (const std::string& file : options.files) entries.push_back(FromAnsi(file));
  for (const std::wstring& entry : entries) app.player.Append(entry);
  app.player.SetIniDirectory(options.iniDirectory);
  if (!options.tags.empty()) app.player.LoadTags(options.tags);

  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kWindowClassW;
  if (!RegisterClassW(&window_class)) return kExitNoWindow;
  HWND window = CreateWindowExW(0, kWindowClassW, kWindowTitle, WS_OVERLAPPEDWINDOW, 40, 40, 640, 400,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return kExitNoWindow;
  app.window = window;
  WNDCLASSW editor_class = {};
  editor_class.lpfnWndProc = EditorProc;
  editor_class.hInstance = instance;
  editor_class.lpszClassName = L"Winamp PE";
  RegisterClassW(&editor_class);
  app.player.SetEditorWindow(CreateWindowExW(0, L"Winamp PE", L"Playlist Editor", WS_POPUP, 0, 0, 10, 10,
                                             window, nullptr, instance, nullptr));
  if (!options.library.empty() && app.library.Load(options.library)) {
    WNDCLASSW library_class = {};
    library_class.lpfnWndProc = LibraryProc;
    library_class.hInstance = instance;
    library_class.lpszClassName = L"Winamp Gen";
    RegisterClassW(&library_class);
    app.library_window = CreateWindowExW(0, L"Winamp Gen", L"Winamp Library", WS_POPUP, 0, 0, 10, 10, window,
                                         nullptr, instance, nullptr);
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);

  if (!options.plugins.empty()) app.plugins.LoadFolder(options.plugins, window);
  if (options.play) app.player.Play();
  app.ready = true;
  InvalidateRect(window, nullptr, TRUE);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_HOTKEY) {
      app.hotkey_taken = Counter();
      app.own_handling = 0;
    }
    TranslateMessage(&msg);
    app.handling_hotkey =
        msg.message == WM_HOTKEY || (msg.message == app.control_message && msg.wParam == kSendHotkey);
    DispatchMessageW(&msg);
    if (msg.message == WM_HOTKEY) app.hotkey_done = Counter();
    app.handling_hotkey = false;
  }
  Close(app);
  app.plugins.Free();
  const int code = app.exit_code;
  g_app = nullptr;
  return code;
}

}  // namespace
}  // namespace vandrel::standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return vandrel::standin::Run(instance); }
