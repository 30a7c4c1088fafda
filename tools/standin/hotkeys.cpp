#include "hotkeys.h"

#include "player.h"

namespace vandrel::standin {

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace

LRESULT GlobalHotkeys::Register(const char* name) {
  if (name == nullptr) return 0;
  // Winamp's Global Hotkeys plug-in registers its name first, at its start.
  if (add_ == 0) add_ = numbers_["GenHotkeysAdd"] = 65537;
  const auto known = numbers_.find(name);
  if (known != numbers_.end()) return known->second;
  const LRESULT number = 65537 + static_cast<LRESULT>(numbers_.size());
  numbers_[name] = number;
  return number;
}

void GlobalHotkeys::Add(WPARAM address) {
  const auto* posted = reinterpret_cast<const HotkeyEntry*>(address);
  if (posted == nullptr) return;
  Kept kept{L"", posted->id ? posted->id : "", *posted};
  if (posted->name != nullptr) {
    kept.name = (posted->flags & kUnicodeName) ? std::wstring(reinterpret_cast<const wchar_t*>(posted->name))
                                               : FromAnsi(posted->name);
  }
  kept.entry.name = nullptr;  // the poster's texts are copied, never kept
  kept.entry.id = nullptr;
  entries_.push_back(std::move(kept));
}

bool GlobalHotkeys::Send(size_t index, HWND main_window) const {
  if (index >= entries_.size()) return false;
  const HotkeyEntry& entry = entries_[index].entry;
  SendMessageW(entry.wnd != nullptr ? entry.wnd : main_window, entry.uMsg, entry.wParam, entry.lParam);
  return true;
}

std::vector<std::string> GlobalHotkeys::Describe() const {
  std::vector<std::string> lines;
  for (const Kept& kept : entries_) {
    const HotkeyEntry& e = kept.entry;
    lines.push_back(kept.id + "\t" + std::to_string(e.flags) + "\t" + std::to_string(e.uMsg) + "\t" +
                    std::to_string(e.wParam) + "\t" + std::to_string(e.lParam) + "\t" +
                    std::to_string(reinterpret_cast<UINT_PTR>(e.wnd)) + "\t" + Utf8(kept.name));
  }
  return lines;
}

}  // namespace vandrel::standin
