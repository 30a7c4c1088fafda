#include "support/win/config_dialog.h"

#include <gtest/gtest.h>

#include <iterator>

#include "support/win/desktop.h"
#include "support/win/standin_driver.h"

namespace vandrel::testing {

namespace {

// Actions sent and handled, counted over the whole program: the dialog
// answers each sent action through HandledCallback, in order.
long g_sent = 0;
long g_handled = 0;

void CALLBACK HandledCallback(HWND, UINT, ULONG_PTR, LRESULT) { ++g_handled; }

// Runs this thread's pending sent messages and callbacks.
void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, ConfigDialog::kTimeout, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

bool IsCombo(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "ComboBox") == 0;
}

std::string Trimmed(const std::string& label) {
  std::size_t first = label.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : label.substr(first);
}

bool Same(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Join(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

bool ConfigDialog::WaitOpen(HWND owner, DWORD timeout_ms) {
  window_ = nullptr;
  // The window shows early in its opening sequence; the owner is disabled
  // once the sequence is over and the modal loop begins.
  return WaitUntil(
      [&] {
        window_ = FindWindowA(config_dialog::kClass, config_dialog::kCaption);
        return window_ != nullptr && IsWindowVisible(window_) && !IsWindowEnabled(owner);
      },
      timeout_ms);
}

bool ConfigDialog::WaitClosed(DWORD timeout_ms) const {
  return WaitUntil([&] { return !IsWindow(window_); }, timeout_ms);
}

std::string ConfigDialog::Text(int item) const {
  HWND control = Item(item);
  LRESULT length = Query(control, WM_GETTEXTLENGTH);
  if (length < 0) return "<no answer>";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT got = Query(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return text;
}

bool ConfigDialog::Checked(int item) const { return Query(Item(item), BM_GETCHECK) == BST_CHECKED; }

std::vector<std::string> ConfigDialog::Entries(int item) const {
  HWND control = Item(item);
  const bool combo = IsCombo(control);
  std::vector<std::string> entries;
  LRESULT count = Query(control, combo ? CB_GETCOUNT : LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    // Asked for in UTF-16: Wine hands an entry's text across processes as
    // UTF-16 whichever form of the message was sent.
    wchar_t text[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kTimeout, &got) ||
        static_cast<LRESULT>(got) < 0 || got >= std::size(text)) {
      got = 0;
    }
    char ansi[2048] = {};
    int length =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(got), ansi, sizeof ansi, nullptr, nullptr);
    entries.emplace_back(ansi, static_cast<std::size_t>(length > 0 ? length : 0));
  }
  return entries;
}

int ConfigDialog::Selected(int item) const {
  HWND control = Item(item);
  LRESULT selected = Query(control, IsCombo(control) ? CB_GETCURSEL : LB_GETCURSEL);
  return selected < 0 ? -1 : static_cast<int>(selected);
}

std::string ConfigDialog::SelectedText(int item) const {
  const int selected = Selected(item);
  std::vector<std::string> entries = Entries(item);
  return selected < 0 || selected >= static_cast<int>(entries.size())
             ? std::string()
             : entries[static_cast<std::size_t>(selected)];
}

std::string ConfigDialog::Folder() const {
  std::vector<std::string> entries = Entries(config_dialog::Dir1);
  const int selected = Selected(config_dialog::Dir1);
  if (selected < 0 || selected >= static_cast<int>(entries.size())) return std::string();
  std::string path = entries[0];
  for (int i = 1; i <= selected; ++i) path = Join(path, Trimmed(entries[static_cast<std::size_t>(i)]));
  return path;
}

void ConfigDialog::Type(int item, const std::string& text) {
  Query(Item(item), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ConfigDialog::Tick(int item, bool ticked) {
  Query(Item(item), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED);
}

void ConfigDialog::Choose(int item, int index) {
  Query(Item(item), CB_SETCURSEL, static_cast<WPARAM>(index));
}

HWND ConfigDialog::Deliver(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
  // Sent with a callback rather than waited on: a handler that shows a box
  // would otherwise keep this thread from answering it.
  if (!SendMessageCallbackA(target, message, wParam, lParam, &HandledCallback, 0)) {
    ADD_FAILURE() << "could not send message " << message << " to the dialog";
    return nullptr;
  }
  const long expected = ++g_sent;
  HWND box = nullptr;
  const bool settled = WaitUntil([&] {
    Pump();
    if (g_handled >= expected) return true;
    box = FindMessageBox("Vandrel", 0);
    return box != nullptr;
  });
  if (!settled) ADD_FAILURE() << "the dialog neither handled message " << message << " nor showed a box";
  return box;
}

bool ConfigDialog::Finish(DWORD timeout_ms) {
  const bool done = WaitUntil(
      [&] {
        Pump();
        return g_handled >= g_sent;
      },
      timeout_ms);
  if (!done) {
    HWND box = FindMessageBox("Vandrel", 0);
    ADD_FAILURE() << "the dialog is still busy"
                  << (box ? ", showing: " + MessageBoxText(box) : std::string());
  }
  return done;
}

HWND ConfigDialog::Click(int button) {
  return Deliver(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(Item(button)), window_);
}

HWND ConfigDialog::ClickEntry(int list, int index) {
  HWND control = Item(list);
  Query(control, LB_SETCURSEL, static_cast<WPARAM>(index));  // scrolled into view
  RECT rect{};
  Query(control, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  if (HWND box = Deliver(WM_LBUTTONDOWN, MK_LBUTTON, at, control)) return box;
  return Deliver(WM_LBUTTONUP, 0, at, control);
}

HWND ConfigDialog::ChooseDrive(const std::string& drive) {
  HWND control = Item(config_dialog::Drive1);
  std::vector<std::string> drives = Entries(config_dialog::Drive1);
  int index = -1;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (Same(drives[i], drive)) index = static_cast<int>(i);
  }
  if (index < 0) {
    ADD_FAILURE() << "drive " << drive << " is not in the drive selector";
    return nullptr;
  }
  Query(control, CB_SETCURSEL, static_cast<WPARAM>(index));
  return Deliver(WM_COMMAND, MAKEWPARAM(config_dialog::Drive1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control), window_);
}

bool ConfigDialog::OpenFolder(const std::string& folder) {
  auto noBox = [&](HWND box, const std::string& step) {
    if (box) ADD_FAILURE() << step << " showed: " << Answer(box);
    return box == nullptr;
  };
  if (folder.size() < 3 || folder[1] != ':') return false;
  if (!Same(Folder().substr(0, 2), folder.substr(0, 2)) &&
      !noBox(ChooseDrive(folder.substr(0, 2)), "choosing drive " + folder.substr(0, 2)))
    return false;
  const std::string root = folder.substr(0, 3);
  if (!Same(Folder(), root) && !noBox(ClickEntry(config_dialog::Dir1, 0), "opening " + root)) return false;
  std::string reached = root;
  for (std::size_t start = 3; start < folder.size();) {
    std::size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    const std::string name = folder.substr(start, end - start);
    start = end + 1;
    std::vector<std::string> entries = Entries(config_dialog::Dir1);
    int index = -1;
    for (std::size_t i = static_cast<std::size_t>(Selected(config_dialog::Dir1) + 1); i < entries.size();
         ++i) {
      if (Same(Trimmed(entries[i]), name)) {
        index = static_cast<int>(i);
        break;
      }
    }
    if (index < 0) {
      ADD_FAILURE() << "no sub-folder " << name << " listed in " << reached;
      return false;
    }
    if (!noBox(ClickEntry(config_dialog::Dir1, index), "opening " + name)) return false;
    reached = Join(reached, name);
  }
  const bool there = Same(Folder(), folder);
  if (!there) ADD_FAILURE() << "the folder list shows " << Folder() << ", not " << folder;
  return there;
}

std::string Answer(HWND box, int button) {
  if (box == nullptr) return "<no box>";
  std::string text = MessageBoxText(box);
  ClickButton(box, button);
  WaitMessageBoxGone(box);
  return text;
}

}  // namespace vandrel::testing
