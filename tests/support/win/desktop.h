// Keyboard input and message boxes, as a user meets them (standin_driver.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

bool PressWinKey(char letter);  // Windows key + 'A'..'Z', pressed and released
// A visible message box of any process titled exactly `title`, or nullptr.
HWND FindMessageBox(const std::string& title, DWORD timeout_ms = 20000);
std::string MessageBoxText(HWND box);
std::vector<int> MessageBoxButtons(HWND box);     // IDOK, IDCANCEL, IDRETRY, ...
bool ClickButton(HWND box, int id);               // posted; returns at once
std::string Answer(HWND box, int button = IDOK);  // clicks, waits until gone; the box's text

}  // namespace vandrel::testing
