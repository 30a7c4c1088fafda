#include "support/fake_ui.h"

namespace vandrel::testing {

platform::Answer FakeUi::MessageBox(const std::wstring& text, const std::wstring& title, platform::Icon icon,
                                    platform::Buttons buttons) {
  shown.push_back({text, title, icon, buttons});
  if (buttons == platform::Buttons::Ok) return platform::Answer::Ok;
  if (answers.empty()) return platform::Answer::Ok;
  platform::Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::wstring FakeUi::Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) {
    if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c + 32);
    } else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
      c = static_cast<wchar_t>(c + 32);
    }
  }
  return out;
}

}  // namespace vandrel::testing
