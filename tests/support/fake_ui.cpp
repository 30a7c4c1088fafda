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

std::wstring FakeUi::FromAnsi(const std::string& bytes) {
  std::wstring out(bytes.size(), L'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::string FakeUi::ToAnsi(const std::wstring& text) {
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return out;
}

}  // namespace vandrel::testing
