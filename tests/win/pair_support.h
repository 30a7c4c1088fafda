// Helpers shared by the tests of the DLL pair: a window of Winamp's class, a
// folder holding copies of the DLLs with a settings file, and a watcher that
// answers the plug-in's message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/win/desktop.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {

inline std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

// A settings file whose last used profile has no hotkey: the plug-in starts
// without its first-run message.
inline constexpr char kQuietSettings[] =
    "[iniConfig]\r\nLastUsed=test\r\n[test]\r\nKey=0\r\nmoveToFolder=0\r\nsavingPlace=C:\\\r\n"
    "sortingOption=0\r\ncreateArtistFolder=0\r\n";

// Copies `file` from the test program's folder into `folder` as `as`.
inline bool CopyBuiltFile(const TempFolder& folder, const std::string& file, const std::string& as = "") {
  return CopyFileA((ExeFolder() + "\\" + file).c_str(), folder.Path(as.empty() ? file : as).c_str(), FALSE) !=
         0;
}

// The window procedure currently in force.
inline LONG_PTR WindowProcOf(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

// A top-level window of class "Winamp v1.x" on this thread; `proc` answers it.
class WinampWindow {
 public:
  explicit WinampWindow(WNDPROC proc = DefWindowProcA) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Winamp v1.x";
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "Winamp v1.x", "Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    if (window_ != nullptr) ShowWindow(window_, SW_SHOW);
    ownProc_ = WindowProcOf(window_);
  }
  ~WinampWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA("Winamp v1.x", GetModuleHandleA(nullptr));
  }
  WinampWindow(const WinampWindow&) = delete;
  WinampWindow& operator=(const WinampWindow&) = delete;

  HWND get() const { return window_; }
  // The procedure the window was created with.
  LONG_PTR OwnProc() const { return ownProc_; }

 private:
  HWND window_ = nullptr;
  LONG_PTR ownProc_ = 0;
};

using ServerFn = HRESULT(STDAPICALLTYPE*)();

// A function the module exports, as type Fn.
template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Answers every message box titled "Vandrel" or "Vandrel Error" with OK and
// keeps their texts, for as long as it lives.
class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { Run(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  void Run() {
    while (!stop_) {
      for (const char* title : {"Vandrel", "Vandrel Error"}) {
        HWND box = FindMessageBox(title, 50);
        if (box == nullptr) continue;
        const std::string text = MessageBoxText(box);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(text);
        }
        ClickButton(box, IDOK);
        WaitMessageBoxGone(box);
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

}  // namespace vandrel::testing
