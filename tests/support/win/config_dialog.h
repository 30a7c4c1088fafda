// The configuration dialog as a user meets it, driven from outside the
// process that shows it: controls found by item id, each action sent as the
// messages a user's input produces. An action returns once the dialog has
// handled it, or earlier with the box titled "Vandrel" that its handler shows
// meanwhile: answer it (and any that follow), then Finish() waits for the handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

// Item ids: kToolkitItemBase + the order in which the dialog adds its controls.
namespace item {
inline constexpr int List1 = 102, Load = 103, Delete = 104, SaveAs = 106, Save = 107, Key = 111,
                     MoveToFolder = 113, Sorting = 114, Artist = 115, Drive = 117, Folders = 118,
                     NewFolderName = 119, NewFolder = 120, WholePlaylist = 122, Close = 125;
}  // namespace item

class ConfigDialog {
 public:
  bool WaitOpen(HWND owner);  // open, and modal over `owner`
  bool WaitClosed() const;

  std::string Text(int item) const;
  bool Checked(int item) const;
  std::vector<std::string> Entries(int item) const;  // a list's or drop-down's
  std::string SelectedText(int item) const;
  // The folder list's folder: its entries from the root down to the highlighted one.
  std::string Folder() const;

  void Type(int item, const std::string& text);
  void Tick(int item, bool ticked);
  void Choose(int item, int index);  // a drop-down entry

  // Actions with a handler: the box shown meanwhile, or nullptr.
  HWND Click(int button);
  HWND ClickEntry(int list, int index);        // button down and up over the entry
  HWND ChooseDrive(const std::string& drive);  // "d:"
  bool Finish();                               // every action sent so far handled

 private:
  HWND Item(int item) const { return GetDlgItem(window_, item); }
  int Selected(int item) const;
  HWND Deliver(UINT message, WPARAM wParam, LPARAM lParam, HWND target);

  HWND window_ = nullptr;
};

}  // namespace vandrel::testing
