// Keyboard input and message boxes, as a user meets them (standin_driver.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

// Holds `held` down, presses `vk` ('A'..'Z' or another virtual key) with
// `repeats` key-down events (as a keyboard's auto-repeat sends them while it
// is held), lets go.
bool PressKeys(const std::vector<WORD>& held, WORD vk, int repeats = 1);
inline bool PressWinKey(char letter) { return PressKeys({VK_LWIN}, letter); }
// A visible message box of any process titled exactly `title`, or nullptr.
HWND FindMessageBox(const std::string& title, DWORD timeout_ms = 20000);
std::string MessageBoxText(HWND box);
// The text of the notice on screen, once one is up (it must not have the
// focus); with `awaited`, once it says that (an older one may still be up).
std::string NoticeText(DWORD timeout_ms = 5000, const std::string& awaited = "");
bool ClickButton(HWND box, int id);               // posted; returns at once
std::string Answer(HWND box, int button = IDOK);  // clicks, waits until gone; the box's text

}  // namespace vandrel::testing
