// Keyboard input and message boxes, as a user would meet them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

// Presses and releases Windows key + `letter` ('A'..'Z') with SendInput.
bool PressWinKey(char letter);

// A visible dialog-class (#32770) top-level window titled exactly `title`,
// of any thread or process; waits up to `timeout_ms`. nullptr when none.
HWND FindMessageBox(const std::string& title, DWORD timeout_ms = 20000);

// True once no such box is left (waits up to `timeout_ms`).
bool WaitMessageBoxGone(HWND box, DWORD timeout_ms = 20000);

// The message text of a message box (its static control with text).
std::string MessageBoxText(HWND box);

// Control ids of the box's push buttons (IDOK, IDCANCEL, IDYES, ...).
std::vector<int> MessageBoxButtons(HWND box);

// Presses button `id` (IDOK, IDCANCEL, IDYES, IDNO) of a dialog by posting
// its WM_COMMAND; returns at once.
bool ClickButton(HWND dialog, int id);

}  // namespace vandrel::testing
