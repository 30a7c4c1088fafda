// The dialog's message boxes: modal, titled "Vandrel".
#pragma once

#include <string>

#include "platform/platform.h"

namespace vandrel::dialog {

inline platform::Answer ShowBox(const std::wstring& text, platform::Icon icon,
                                platform::Buttons buttons = platform::Buttons::Ok) {
  return platform::Ui().MessageBox(text, L"Vandrel", icon, buttons);
}

}  // namespace vandrel::dialog
