#include "support/win/desktop.h"

#include "support/win/standin_driver.h"

namespace vandrel::testing {

namespace {

INPUT Key(WORD vk, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_LWIN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

struct BoxSearch {
  std::string title;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  if (search->title == title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

struct ChildList {
  std::vector<HWND> children;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<ChildList*>(param)->children.push_back(window);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  ChildList list;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&list));
  return list.children;
}

}  // namespace

bool PressWinKey(char letter) {
  const WORD vk = static_cast<WORD>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
  INPUT inputs[] = {Key(VK_LWIN, false), Key(vk, false), Key(vk, true), Key(VK_LWIN, true)};
  return SendInput(4, inputs, sizeof(INPUT)) == 4;
}

HWND FindMessageBox(const std::string& title, DWORD timeout_ms) {
  BoxSearch search{title, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeout_ms);
  return search.found;
}

bool WaitMessageBoxGone(HWND box, DWORD timeout_ms) {
  return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeout_ms);
}

std::string MessageBoxText(HWND box) {
  // A message box's text is the static control with id 0xFFFF; fall back to
  // the first static control that has text.
  HWND text = GetDlgItem(box, 0xFFFF);
  if (text != nullptr) return TextOf(text);
  for (HWND child : Children(box)) {
    if (ClassOf(child) == "Static" && GetWindowTextLengthA(child) > 0) return TextOf(child);
  }
  return "";
}

std::vector<int> MessageBoxButtons(HWND box) {
  std::vector<int> ids;
  for (HWND child : Children(box)) {
    if (ClassOf(child) == "Button" && IsWindowVisible(child)) ids.push_back(GetDlgCtrlID(child));
  }
  return ids;
}

bool ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

}  // namespace vandrel::testing
