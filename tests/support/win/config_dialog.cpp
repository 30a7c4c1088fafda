#include "support/win/config_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"

namespace vandrel::testing {

namespace {

// Actions sent and handled over the whole program: the dialog answers each
// sent action through Handled, in order.
long g_sent = 0, g_handled = 0;
void CALLBACK Handled(HWND, UINT, ULONG_PTR, LRESULT) { ++g_handled; }

LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result) ? result : -1;
}

bool IsCombo(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "ComboBox") == 0;
}

void Pump() {
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
}

}  // namespace

bool ConfigDialog::WaitOpen(HWND owner) {
  // The owner is disabled once the opening sequence is over and the modal loop runs.
  return WaitUntil([&] {
    window_ = FindWindowA("VandrelForm", "nearly new Vandrel");
    return window_ != nullptr && IsWindowVisible(window_) && !IsWindowEnabled(owner);
  });
}

bool ConfigDialog::WaitClosed() const {
  return WaitUntil([&] { return !IsWindow(window_); });
}

std::string ConfigDialog::Text(int item) const {
  char text[1024] = {};
  Query(Item(item), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool ConfigDialog::Checked(int item) const { return Query(Item(item), BM_GETCHECK) == BST_CHECKED; }

std::vector<std::string> ConfigDialog::Entries(int item) const {
  const bool combo = IsCombo(Item(item));
  std::vector<std::string> entries;
  for (LRESULT i = 0, count = Query(Item(item), combo ? CB_GETCOUNT : LB_GETCOUNT); i < count; ++i) {
    // Asked for in UTF-16: Wine hands an entry's text across processes as
    // UTF-16 whichever form of the message was sent.
    wchar_t text[1024] = {};
    char ansi[2048] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(Item(item), combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 20000, &got);
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    entries.emplace_back(ansi);
  }
  return entries;
}

int ConfigDialog::Selected(int item) const {
  return static_cast<int>(Query(Item(item), IsCombo(Item(item)) ? CB_GETCURSEL : LB_GETCURSEL));
}

std::string ConfigDialog::SelectedText(int item) const {
  const std::vector<std::string> entries = Entries(item);
  const int selected = Selected(item);
  return selected < 0 || selected >= static_cast<int>(entries.size()) ? "" : entries[selected];
}

std::string ConfigDialog::Folder() const {
  const std::vector<std::string> entries = Entries(item::Folders);
  std::string path;
  for (int i = 0, last = Selected(item::Folders); i <= last && i < static_cast<int>(entries.size()); ++i) {
    const std::string name =
        entries[i].substr(std::min(entries[i].find_first_not_of(' '), entries[i].size()));
    path += (path.empty() || path.back() == '\\' ? "" : "\\") + name;
  }
  return path;
}

void ConfigDialog::Type(int item, const std::string& text) {
  Query(Item(item), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void ConfigDialog::Tick(int item, bool ticked) { Query(Item(item), BM_SETCHECK, ticked ? BST_CHECKED : 0); }
void ConfigDialog::Choose(int item, int index) { Query(Item(item), CB_SETCURSEL, index); }

HWND ConfigDialog::Deliver(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
  // Sent with a callback rather than waited on: a handler that shows a box
  // would otherwise keep this thread from answering it.
  EXPECT_TRUE(SendMessageCallbackA(target, message, wParam, lParam, &Handled, 0));
  const long expected = ++g_sent;
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    Pump();
    return g_handled >= expected || (box = FindMessageBox("Vandrel", 0)) != nullptr;
  })) << "message "
      << message << " was neither handled nor showed a box";
  return box;
}

bool ConfigDialog::Finish() {
  const bool done = WaitUntil([&] { return Pump(), g_handled >= g_sent; });
  EXPECT_TRUE(done) << "the dialog is still busy: " << MessageBoxText(FindMessageBox("Vandrel", 0));
  return done;
}

HWND ConfigDialog::Click(int button) {
  return Deliver(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(Item(button)), window_);
}

HWND ConfigDialog::ClickEntry(int list, int index) {
  Query(Item(list), LB_SETCURSEL, index);  // scrolled into view
  RECT rect{};
  Query(Item(list), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  HWND box = Deliver(WM_LBUTTONDOWN, MK_LBUTTON, at, Item(list));
  return box ? box : Deliver(WM_LBUTTONUP, 0, at, Item(list));
}

HWND ConfigDialog::ChooseDrive(const std::string& drive) {
  const std::vector<std::string> drives = Entries(item::Drive);
  Query(Item(item::Drive), CB_SETCURSEL, std::find(drives.begin(), drives.end(), drive) - drives.begin());
  return Deliver(WM_COMMAND, MAKEWPARAM(item::Drive, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(item::Drive)), window_);
}

}  // namespace vandrel::testing
