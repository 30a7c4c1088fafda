// The part of Winamp's Global Hotkeys plug-in: it takes the entries that
// plug-ins post to Winamp and sends an entry's message when its key is
// pressed (here: when a test asks).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace vandrel::standin {

// An entry as plug-ins post it.
struct HotkeyEntry {
  char* name;  // wchar_t* with kUnicodeName
  DWORD flags;
  UINT uMsg;
  WPARAM wParam;
  LPARAM lParam;
  char* id;
  HWND wnd;  // nullptr: Winamp's main window
  int extended[6];
};
inline constexpr DWORD kUnicodeName = 0x100;

class GlobalHotkeys {
 public:
  // IPC_REGISTER_WINAMP_IPCMESSAGE: one number per name, the same for the
  // same name, above every fixed IPC number; "GenHotkeysAdd" gets the first.
  LRESULT Register(const char* name);
  bool IsAdd(LPARAM code) const { return code != 0 && code == add_; }
  // Copies the entry at `address` (a post from a plug-in in this process).
  void Add(WPARAM address);
  // Sends entry `index`'s message to its window; false when there is none.
  bool Send(size_t index, HWND main_window) const;
  // "ID\tFLAGS\tMESSAGE\tWPARAM\tLPARAM\tWINDOW\tNAME" per entry, the name in UTF-8.
  std::vector<std::string> Describe() const;

 private:
  struct Kept {
    std::wstring name;
    std::string id;
    HotkeyEntry entry;
  };
  std::map<std::string, LRESULT> numbers_;
  LRESULT add_ = 0;
  std::vector<Kept> entries_;
};

}  // namespace vandrel::standin
