// How frmConfig's pages place their controls: one table per page, each
// control with its place, caption, font, colours and place in the Tab key's
// order. Places are in pixels at 96 dots per inch, relative to the enclosing
// group or page.
#pragma once

#include <optional>
#include <vector>

#include "dialog/frm_config.h"
#include "platform/toolkit.h"

namespace vandrel::dialog::layout {

inline constexpr platform::Rgb kBackground{224, 224, 224};
inline constexpr platform::Rgb kPaleYellow{255, 255, 192};
inline constexpr platform::Rgb kWhite{255, 255, 255};

inline const platform::FontSpec kVerdana{L"Verdana", 8.25, false};
inline const platform::FontSpec kVerdanaBold{L"Verdana", 8.25, true};
inline const platform::FontSpec kVerdanaLargeBold{L"Verdana", 9.75, true};

using C = FrmConfig::Controls;

struct Placement {
  platform::ControlId C::*id;
  platform::ControlKind kind;
  platform::ControlId C::*parent;  // the page's own table: its page
  int x, y, width, height;
  const wchar_t* caption;
  std::optional<platform::FontSpec> font;
  std::optional<platform::Rgb> background;
  bool transparent;
  int tab;
};

// The client area: the strip of tabs along its top, the pages below it, and
// Close at the same place on every page.
inline constexpr int kClientWidth = 591;
inline constexpr int kStripHeight = 24;
inline constexpr int kPageTop = 4 + kStripHeight;
inline constexpr int kClientHeight = kPageTop + 408;
// The pages' places on the strip, in the order the frame adds them.
inline constexpr int kUndoPageIndex = 2;

// Every control of a page, parents before their contents.
const std::vector<Placement>& FirstPage();
const std::vector<Placement>& ProfilePage();
const std::vector<Placement>& UndoPage();
// Controls the pages gained later: made after Close, so that the controls
// made before keep their numbers.
const std::vector<Placement>& ProfilePageLater();
const std::vector<Placement>& UndoPageLater();

}  // namespace vandrel::dialog::layout
