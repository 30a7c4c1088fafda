// Keyboard input and message boxes, as a user meets them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

// Presses and releases Windows key + `letter` ('A'..'Z') with SendInput.
bool PressWinKey(char letter);
// A visible message box (#32770) of any process titled exactly `title`,
// waited for up to `timeout_ms`; nullptr when none came.
HWND FindMessageBox(const std::string& title, DWORD timeout_ms = 20000);
std::string MessageBoxText(HWND box);
std::vector<int> MessageBoxButtons(HWND box);  // IDOK, IDCANCEL, IDRETRY, ...
// Posts a click on button `id` of a box; returns at once.
bool ClickButton(HWND box, int id);
// Clicks `button` and waits until the box is gone; the box's text.
std::string Answer(HWND box, int button = IDOK);

}  // namespace vandrel::testing
