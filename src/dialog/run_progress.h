// The whole-playlist run's progress window: entry i of n, the file being
// handled, and a Cancel button. It is owned by Winamp's window; between
// entries the run lets every window of the thread answer what waits for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/toolkit.h"

namespace vandrel::dialog {

class RunProgress : public platform::FormEvents {
 public:
  // Shows the window over `owner`; without a window the run goes on all the same.
  RunProgress(platform::WindowHandle owner, std::int32_t count);
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  // Shows entry `index` (from 0) and its file, and lets Winamp and the other
  // windows paint and answer; at most every few hundredths of a second, so
  // that a long run of quick files is not slowed by its own repainting.
  void Show(std::int32_t index, const std::wstring& song);
  // Cancel was clicked, or the window closed.
  bool Cancelled() const { return cancelled_; }

  void OnClick(platform::ControlId control) override;
  void OnMouseUp(platform::ControlId) override {}
  void OnDriveChanged(platform::ControlId) override {}
  void OnClosed() override { cancelled_ = true; }

 private:
  std::int32_t count_;
  bool cancelled_ = false;
  bool shown_ = false;
  std::uint64_t shownAt_ = 0;
  platform::ControlId entry_ = 0, file_ = 0, cancel_ = 0;
  std::unique_ptr<platform::Form> form_;  // last: gone before the rest
};

}  // namespace vandrel::dialog
