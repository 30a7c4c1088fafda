// A small windowing toolkit: one top-level window (a form) holding generic
// controls. The form knows nothing of what its controls mean; its owner places
// them, reads and sets their state, and handles their events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vandrel::platform {

// Controls are named by the number AddControl gives them (1, 2, ...). The
// form's client area is 0 and is the parent of the outermost controls.
using ControlId = int;
inline constexpr ControlId kClientArea = 0;

enum class ControlKind {
  Group,          // a frame with a caption, holding other controls
  Label,          // static text
  List,           // a list box: single selection
  DropDown,       // a drop-down list: the user can only pick an entry
  CheckBox,       // ticks itself when clicked
  TextBox,        // one line of text
  Button,         // a push button
  DriveSelector,  // a drop-down of the machine's drives
  FolderList,     // the current folder, the folders above it and its sub-folders
  Tabs,           // a strip of tabs, one for each page it holds
  Page,           // a page of a strip of tabs (its parent), captioned on its tab
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct FontSpec {
  std::wstring face;
  double points = 8.25;
  bool bold = false;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A page holds controls as a group does; only the chosen page of a strip of
// tabs shows its controls (and lets Tab reach them). The first page is chosen
// at first; Select on the strip chooses another, as does the user with a
// click on a tab, the arrow keys on the strip or Ctrl+Tab and Ctrl+Shift+Tab
// anywhere in the form. A page's place is relative to its strip's.
struct ControlSpec {
  ControlKind kind = ControlKind::Label;
  ControlId parent = kClientArea;  // the client area, a group or a page; for a page its strip
  // Relative to the parent, in pixels at 96 dots per inch: the form scales
  // them, and the fonts, with the display (and again when the form moves to a
  // monitor with other scaling).
  int x = 0, y = 0, width = 0, height = 0;
  std::wstring caption;
  std::optional<FontSpec> font;   // none: the system's dialog font
  std::optional<Rgb> background;  // none: the system's colours
  bool transparent = false;       // drawn over its parent's background
  int tabIndex = 0;               // place in the Tab key's order, from 0
};

struct FormSpec {
  std::wstring caption;
  int clientWidth = 0;  // at 96 dots per inch, as the controls' places
  int clientHeight = 0;
  Rgb background;
  // The window that owns the form (0: none). An owned form stays above its
  // owner but not above other programs, and has no taskbar button of its own.
  WindowHandle owner = 0;
};

// Events of a form's controls, handed to the form's owner. The handlers run
// inside the form's window procedure, which catches whatever they throw.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  // A button or a check box was clicked (a check box has ticked itself), or
  // the user chose another page of a strip of tabs.
  virtual void OnClick(ControlId control) = 0;
  // A mouse button was released over a list or a folder list.
  virtual void OnMouseUp(ControlId control) = 0;
  // The user picked a drive in a drive selector (not sent when set by SetDrive).
  virtual void OnDriveChanged(ControlId control) = 0;
  // Enter in a list, folder list or text box, or a double click on a list or
  // folder list. (Enter on a button clicks it; Esc closes the form.)
  virtual void OnDefaultAction(ControlId) {}
  // The form went away, by whatever means (close box, Close, the system).
  virtual void OnClosed() = 0;
};

// One top-level window with its controls. Destroying the object destroys the
// window and releases every font and brush it made. Once the window is gone
// every operation is harmless: reads give empty results, writes do nothing.
class Form {
 public:
  virtual ~Form() = default;

  // Creates a control; 0 when the system refuses.
  virtual ControlId AddControl(const ControlSpec& spec) = 0;

  virtual WindowHandle Handle() = 0;
  virtual bool IsOpen() = 0;
  // Shows the form centred on `owner` (on the screen when `owner` is 0 or lies
  // off every screen) and returns when it has closed. `owner` is disabled
  // meanwhile and enabled again before the form goes away.
  virtual void RunModal(WindowHandle owner) = 0;
  // Shows the form centred on its owner (FormSpec::owner) and returns at
  // once; the form's events arrive while the caller pumps messages.
  virtual void Show() = 0;
  // Takes or gives back the user's input to the whole form.
  virtual void Enable(bool enabled) = 0;
  // Closes the form (OnClosed follows); a closed form ignores it.
  virtual void Close() = 0;

  // Caption of a label, group, button or check box; contents of a text box.
  virtual std::wstring Text(ControlId control) = 0;
  virtual void SetText(ControlId control, const std::wstring& text) = 0;

  // Lists and drop-downs (and a strip of tabs: its pages, by SelectedIndex,
  // Select and ItemCount). Indexes count from 0; -1 is "no entry".
  virtual void AddItem(ControlId control, const std::wstring& text) = 0;
  virtual void RemoveItem(ControlId control, int index) = 0;
  virtual void ClearItems(ControlId control) = 0;
  virtual int ItemCount(ControlId control) = 0;
  virtual std::wstring ItemText(ControlId control, int index) = 0;
  virtual int SelectedIndex(ControlId control) = 0;
  // Selects an entry (-1 clears the selection); false for an index out of range.
  virtual bool Select(ControlId control, int index) = 0;

  virtual bool Checked(ControlId control) = 0;
  virtual void SetChecked(ControlId control, bool checked) = 0;

  // Drive selector. Drives are named "c:", "d:", ... in lower case.
  virtual std::vector<std::wstring> Drives(ControlId control) = 0;
  // Shows the drive named by the first letter of `path`; false (nothing
  // changed) when there is no such drive or it is not ready.
  virtual bool SetDrive(ControlId control, const std::wstring& path) = 0;
  virtual std::wstring Drive(ControlId control) = 0;

  // Folder list. A drive alone ("d:") means that drive's current folder.
  // SetFolder fails (nothing changed) when the folder cannot be opened.
  virtual bool SetFolder(ControlId control, const std::wstring& path) = 0;
  virtual std::wstring FolderPath(ControlId control) = 0;
  // The highlighted entry's path; the current folder when none is highlighted.
  virtual std::wstring HighlightedPath(ControlId control) = 0;
  // Reads the current folder's listing again.
  virtual void Refresh(ControlId control) = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // A hidden form; null when the system refuses to make the window. `events`
  // must outlive the form.
  virtual std::unique_ptr<Form> CreateForm(const FormSpec& spec, FormEvents& events) = 0;
  // Handles the messages waiting for this thread's windows, then returns
  // (a quit message is left for the loop that owns it).
  virtual void PumpMessages() = 0;
  // Milliseconds from some fixed moment, never going back: paces repaints.
  virtual std::uint64_t Milliseconds() = 0;
  // A notice of a line or two for about `milliseconds`, in the corner of the
  // work area (by the notification area) of the monitor that shows `winamp` (a window),
  // scaled with the display. It never takes the focus or the keyboard; a
  // click dismisses it; a newer one replaces it. With `undo`, it carries an
  // "Undo" of its own at its right end: a click there takes the notice away
  // and then calls `undo`.
  virtual void ShowNotice(const std::wstring& text, WindowHandle winamp, unsigned milliseconds,
                          std::function<void()> undo = nullptr) = 0;
  // Takes the notice off the screen, if one is up.
  virtual void HideNotice() = 0;
  // The system's folder picker over `owner`, titled `title`: the folder the
  // user chose, or empty when none was chosen.
  virtual std::wstring PickFolder(WindowHandle owner, const std::wstring& title) = 0;
};

inline Toolkit& Widgets() { return *Current().toolkit; }

}  // namespace vandrel::platform
