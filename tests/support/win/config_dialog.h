// The configuration dialog as a user meets it, driven from outside the
// process that shows it (the stand-in Winamp's): its controls found by item
// id, and each action sent as the messages a user's input produces.
//
// An action returns once the dialog has handled it, or earlier with the box
// titled "Vandrel" that its handler shows meanwhile; answer the box (and any
// that follow), then Finish() waits until the handler has returned. A
// missing answer fails the test when the safety timeout runs out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/win/config_dialog_items.h"

namespace vandrel::testing {

class ConfigDialog {
 public:
  static constexpr DWORD kTimeout = 20000;

  // Waits until the dialog is open, its opening sequence done and it runs
  // modally over `owner` (owner disabled). False when it did not come.
  bool WaitOpen(HWND owner, DWORD timeout_ms = kTimeout);
  // Waits until the dialog window is gone.
  bool WaitClosed(DWORD timeout_ms = kTimeout) const;

  HWND window() const { return window_; }
  HWND Item(int item) const { return GetDlgItem(window_, item); }

  // --- What the controls show.
  std::string Text(int item) const;
  bool Checked(int item) const;
  std::vector<std::string> Entries(int item) const;  // a list's or drop-down's entries
  int Selected(int item) const;                      // -1 when none
  std::string SelectedText(int item) const;
  // The folder list's current folder, read from its entries: the folders
  // from the root down to the highlighted one, which is the current folder
  // after every folder change.
  std::string Folder() const;

  // --- Actions without a handler of the dialog's own (sent; done on return).
  void Type(int item, const std::string& text);
  void Tick(int item, bool ticked);
  void Choose(int item, int index);  // a drop-down entry picked

  // --- Actions with a handler: nullptr when handled with no box shown.
  HWND Click(int button);
  // Selects entry `index` of a list and clicks it (button down and up over it).
  HWND ClickEntry(int list, int index);
  // Picks drive "d:" in the drive selector.
  HWND ChooseDrive(const std::string& drive);
  // Opens `folder` ("D:\a\b") as a user would: the drive first when it is
  // another, then the root, then one click per folder on the way down. Fails
  // the test (and stops) when a step shows a box or lands elsewhere.
  bool OpenFolder(const std::string& folder);

  // Waits until every action sent so far has been handled.
  bool Finish(DWORD timeout_ms = kTimeout);

 private:
  HWND Deliver(UINT message, WPARAM wParam, LPARAM lParam, HWND target);

  HWND window_ = nullptr;
  long sent_ = 0;
};

// Answers message box `box` with `button` and waits until it is gone; its text.
std::string Answer(HWND box, int button = IDOK);

}  // namespace vandrel::testing
