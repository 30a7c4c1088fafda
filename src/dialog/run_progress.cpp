#include "dialog/run_progress.h"

namespace vandrel::dialog {

RunProgress::RunProgress(platform::WindowHandle owner, std::int32_t count) : count_(count) {
  form_ =
      platform::Widgets().CreateForm({L"Vandrel: whole playlist", 400, 112, {240, 240, 240}, owner}, *this);
  if (!form_) return;
  using platform::ControlKind, platform::kClientArea;
  entry_ = form_->AddControl({ControlKind::Label, kClientArea, 12, 12, 376, 16, L"", {}, {}, false, 1});
  file_ = form_->AddControl({ControlKind::Label, kClientArea, 12, 32, 376, 36, L"", {}, {}, false, 2});
  cancel_ =
      form_->AddControl({ControlKind::Button, kClientArea, 160, 76, 80, 24, L"Cancel", {}, {}, false, 0});
  form_->Show();
}

// Often enough for Winamp's window to answer at once, as Windows sees it.
constexpr std::uint64_t kShowEveryMs = 40;

void RunProgress::Show(std::int32_t index, const std::wstring& song) {
  auto& widgets = platform::Widgets();
  const std::uint64_t now = widgets.Milliseconds();
  if (shown_ && now - shownAt_ < kShowEveryMs) return;
  shown_ = true;
  shownAt_ = now;
  if (form_) {
    form_->SetText(entry_, L"Entry " + std::to_wstring(index + 1) + L" of " + std::to_wstring(count_));
    form_->SetText(file_, song);
  }
  widgets.PumpMessages();
}

void RunProgress::OnClick(platform::ControlId control) {
  if (control == cancel_) cancelled_ = true;
}

}  // namespace vandrel::dialog
