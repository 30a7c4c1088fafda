// The toolkit for Win32: a Unicode top-level window with standard controls, so
// folder names and texts outside the ANSI code page show and read back whole; a drive
// selector (a drop-down of the logical drives) and a folder list (a list box
// of the folders above the current one and its sub-folders). Fonts and
// brushes belong to the form and go with it.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <type_traits>

#include "platform/toolkit.h"
#include "platform/win32/win32.h"
#include "platform/win32/win32_services.h"

#include <commctrl.h>
#include <shlobj.h>

namespace vandrel::platform::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"VandrelForm";
constexpr UINT_PTR kSubclassId = 1;

struct GdiDeleter {
  void operator()(void* object) const {
    if (object) DeleteObject(static_cast<HGDIOBJ>(object));
  }
};
using GdiObject = std::unique_ptr<void, GdiDeleter>;

struct FindCloser {
  void operator()(HANDLE find) const {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};

// Keeps the system from asking for a medium while a drive is probed.
class QuietErrors {
 public:
  QuietErrors() : saved_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { SetErrorMode(saved_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT saved_;
};

HINSTANCE OwnInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnInstance), &module);
  return module;
}

COLORREF ToColorRef(const Rgb& rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

// The full form of a folder path ("d:" is that drive's current folder), its
// drive letter in capitals as the system writes paths (the drive selector's
// "d:" would otherwise reach the saved folder as d:\...); empty when the
// system cannot make one.
std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2];
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH * 2) return std::wstring();
  std::wstring full(buffer, length);
  if (full.size() >= 2 && full[1] == L':' && full[0] >= L'a' && full[0] <= L'z')
    full[0] = static_cast<wchar_t>(full[0] - L'a' + L'A');
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return full;
}

std::wstring WithSlash(const std::wstring& folder) {
  return folder.back() == L'\\' ? folder : folder + L"\\";
}

// The sub-folders of `folder`, sorted without regard to case; false when the
// folder cannot be opened.
bool ListSubFolders(const std::wstring& folder, std::vector<std::wstring>& names) {
  QuietErrors quiet;
  WIN32_FIND_DATAW data;
  std::unique_ptr<void, FindCloser> find(FindFirstFileW((WithSlash(folder) + L"*").c_str(), &data));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    return false;
  }
  do {
    std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
      names.push_back(name);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  return true;
}

wchar_t LowerLetter(wchar_t letter) {
  return letter >= L'A' && letter <= L'Z' ? static_cast<wchar_t>(letter - L'A' + L'a') : letter;
}

// Where Windows offers it (Windows 10 1607 on), the form's windows are made
// per-monitor aware: the form scales itself for the monitor it is on, and
// again when moved to one with other scaling (WM_DPICHANGED). Elsewhere the
// form is what the program's own awareness makes it, scaled once for the
// display as it opens.
using DpiContext = HANDLE;  // DPI_AWARENESS_CONTEXT
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(static_cast<INT_PTR>(-4));

struct DpiFunctions {
  DpiContext(WINAPI* setThreadContext)(DpiContext) = nullptr;
  UINT(WINAPI* forWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustRect)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  DpiFunctions() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    Load(user32, "SetThreadDpiAwarenessContext", setThreadContext);
    Load(user32, "GetDpiForWindow", forWindow);
    Load(user32, "AdjustWindowRectExForDpi", adjustRect);
  }
  template <typename F>
  static void Load(HMODULE module, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};
const DpiFunctions& Dpi() {
  static const DpiFunctions functions;
  return functions;
}

// The thread made per-monitor aware while windows of the form are made or
// rescaled, and given back its own awareness afterwards.
class PerMonitorAware {
 public:
  PerMonitorAware() {
    if (Dpi().setThreadContext) saved_ = Dpi().setThreadContext(kPerMonitorAwareV2);
  }
  ~PerMonitorAware() {
    if (saved_) Dpi().setThreadContext(saved_);
  }
  PerMonitorAware(const PerMonitorAware&) = delete;
  PerMonitorAware& operator=(const PerMonitorAware&) = delete;

 private:
  DpiContext saved_ = nullptr;
};

bool DriveReady(wchar_t letter) {
  QuietErrors quiet;
  wchar_t root[] = {letter, L':', L'\\', L'\0'};
  DWORD attributes = GetFileAttributesW(root);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Win32Form;

struct Control {
  ControlKind kind = ControlKind::Label;
  HWND window = nullptr;
  int x = 0, y = 0, width = 0, height = 0;  // in the form's client area, at 96 dots per inch
  int tabIndex = 0;
  int depth = 0;  // groups inside groups
  bool transparent = false;
  GdiObject brush;
  std::optional<FontSpec> fontSpec;
  HFONT font = nullptr;
  Control* page = nullptr;  // the page it lies on (itself for a page); none: every page
  Control* tabs = nullptr;  // a page's strip
  int pageIndex = 0;        // a page's place on its strip
  // Drive selector.
  std::vector<std::wstring> drives;
  // Folder list.
  std::wstring folder;
  std::vector<std::wstring> entries;
};

class Win32Form : public Form {
 public:
  Win32Form(const FormSpec& spec, FormEvents& events) : events_(&events) {
    instance_ = OwnInstance();
    // Layouts are given at 96 dots per inch and grow with the display's
    // scaling, as the fonts do.
    if (HDC screen = GetDC(nullptr)) {
      dpi_ = systemDpi_ = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    clientWidth_ = spec.clientWidth;
    clientHeight_ = spec.clientHeight;
    PerMonitorAware aware;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Form::FormProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kFormClass;
    classAtom_ = RegisterClassExW(&wc);
    if (classAtom_ == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;

    background_.reset(CreateSolidBrush(ToColorRef(spec.background)));
    // Not WS_CLIPCHILDREN: group boxes leave their inside to the form's background.
    HWND owner = reinterpret_cast<HWND>(spec.owner);
    CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, spec.caption.c_str(), kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, 0, 0, owner && IsWindow(owner) ? owner : nullptr, nullptr, instance_,
                    this);
    if (!window_) return;
    if (Dpi().forWindow) dpi_ = static_cast<int>(Dpi().forWindow(window_));
    const SIZE size = FrameSize();
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  ~Win32Form() override {
    events_ = nullptr;  // the owner is going away: no more events
    if (window_) {
      EnableOwner();
      DestroyWindow(window_);
    }
    if (classAtom_ != 0) UnregisterClassW(kFormClass, instance_);
  }

  bool Created() const { return window_ != nullptr; }

  int Scaled(int length) const { return MulDiv(length, dpi_, 96); }

  ControlId AddControl(const ControlSpec& spec) override {
    if (!window_) return 0;
    PerMonitorAware aware;
    auto control = std::make_unique<Control>();
    control->kind = spec.kind;
    control->tabIndex = spec.tabIndex;
    control->transparent = spec.transparent;
    control->fontSpec = spec.font;
    if (Control* parent = Find(spec.parent)) {
      control->x = parent->x;
      control->y = parent->y;
      control->depth = parent->depth + 1;
      control->page = parent->page;
      if (spec.kind == ControlKind::Page && parent->kind == ControlKind::Tabs) {
        control->tabs = parent;
        control->pageIndex = static_cast<int>(SendMessageW(parent->window, TCM_GETITEMCOUNT, 0, 0));
        control->page = control.get();
      }
    }
    if (spec.kind == ControlKind::Page && !control->tabs) return 0;
    control->x += spec.x;
    control->y += spec.y;
    control->width = spec.width;
    control->height = spec.height;

    const wchar_t* className = L"STATIC";
    // Only the chosen page's controls are shown; a page itself never is.
    const bool shown = spec.kind != ControlKind::Page && OnChosenPage(*control);
    DWORD style = WS_CHILD | (shown ? WS_VISIBLE : 0) | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (spec.kind) {
      case ControlKind::Group:
        className = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::Label:
        style |= SS_LEFT;
        break;
      case ControlKind::List:
      case ControlKind::FolderList:
        className = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::DropDown:
      case ControlKind::DriveSelector:
        className = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
      case ControlKind::Tabs:
        className = WC_TABCONTROLW;
        style |= TCS_TABS | TCS_FOCUSONBUTTONDOWN | WS_TABSTOP;
        break;
      case ControlKind::Page:
        style |= WS_DISABLED;
        break;
      case ControlKind::CheckBox:
        className = L"BUTTON";
        style |= BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP;
        break;
      case ControlKind::TextBox:
        className = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        className = L"BUTTON";
        style |= (spec.background ? BS_OWNERDRAW : BS_PUSHBUTTON) | WS_TABSTOP;
        break;
    }
    const ControlId id = static_cast<ControlId>(controls_.size() + 1);
    std::wstring caption = spec.kind == ControlKind::TextBox ? std::wstring() : spec.caption;
    const RECT at = Placed(*control);
    control->window = CreateWindowExW(
        exStyle, className, caption.c_str(), style, at.left, at.top, at.right - at.left, at.bottom - at.top,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolkitItemBase + id)), instance_, nullptr);
    if (!control->window) return 0;
    if (control->tabs) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(control->tabs->window, TCM_INSERTITEMW, static_cast<WPARAM>(control->pageIndex),
                   reinterpret_cast<LPARAM>(&item));
    }

    if (spec.background) control->brush.reset(CreateSolidBrush(ToColorRef(*spec.background)));
    control->font = Font(spec.font);
    SendMessageW(control->window, WM_SETFONT, reinterpret_cast<WPARAM>(control->font), FALSE);
    if (spec.kind == ControlKind::List || spec.kind == ControlKind::FolderList) {
      SetWindowSubclass(control->window, &Win32Form::ListProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    }
    Control& added = *control;
    controls_.push_back(std::move(control));
    if (spec.kind == ControlKind::DriveSelector) FillDrives(added, CurrentFolder().front());
    if (spec.kind == ControlKind::FolderList) ShowFolder(added, CurrentFolder(), std::wstring());
    ArrangeOrder();
    return id;
  }

  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(window_); }
  bool IsOpen() override { return window_ != nullptr && !closing_; }

  void RunModal(WindowHandle owner) override {
    if (!window_) return;
    owner_ = reinterpret_cast<HWND>(owner);
    if (owner_ && IsWindow(owner_)) {
      SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
      if (IsWindowEnabled(owner_)) {
        EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
      }
    }
    CenterOn(owner_);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    MSG message;
    while (window_) {
      BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {  // the program is ending: pass the quit on
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (got == -1) break;
      if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) &&
          (message.hwnd == window_ || IsChild(window_, message.hwnd)) &&
          NextPage(GetKeyState(VK_SHIFT) & 0x8000))
        continue;
      if (!IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    Close();
  }

  void Show() override {
    if (!window_) return;
    CenterOn(GetWindow(window_, GW_OWNER));
    ShowWindow(window_, SW_SHOW);
  }

  void Enable(bool enabled) override {
    if (window_) EnableWindow(window_, enabled ? TRUE : FALSE);
  }

  void Close() override {
    if (!window_ || closing_) return;
    EnableOwner();
    DestroyWindow(window_);
  }

  std::wstring Text(ControlId id) override {
    Control* c = Find(id);
    return c ? WindowText(c->window) : std::wstring();
  }
  void SetText(ControlId id, const std::wstring& text) override {
    if (Control* c = Find(id)) SetWindowTextW(c->window, text.c_str());
  }

  void AddItem(ControlId id, const std::wstring& text) override {
    if (Control* c = Find(id))
      SendMessageW(c->window, Msg(*c, LB_ADDSTRING, CB_ADDSTRING), 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void RemoveItem(ControlId id, int index) override {
    if (Control* c = Find(id)) SendMessageW(c->window, Msg(*c, LB_DELETESTRING, CB_DELETESTRING), index, 0);
  }
  void ClearItems(ControlId id) override {
    if (Control* c = Find(id)) SendMessageW(c->window, Msg(*c, LB_RESETCONTENT, CB_RESETCONTENT), 0, 0);
  }
  int ItemCount(ControlId id) override {
    Control* c = Find(id);
    if (!c) return 0;
    return std::max(0, static_cast<int>(SendMessageW(
                           c->window, Msg(*c, LB_GETCOUNT, CB_GETCOUNT, TCM_GETITEMCOUNT), 0, 0)));
  }
  std::wstring ItemText(ControlId id, int index) override {
    Control* c = Find(id);
    if (!c || index < 0 || index >= ItemCount(id)) return std::wstring();
    return ItemWide(*c, index);
  }
  int SelectedIndex(ControlId id) override {
    Control* c = Find(id);
    if (!c) return -1;
    auto selected =
        static_cast<int>(SendMessageW(c->window, Msg(*c, LB_GETCURSEL, CB_GETCURSEL, TCM_GETCURSEL), 0, 0));
    return selected < 0 ? -1 : selected;
  }
  bool Select(ControlId id, int index) override {
    Control* c = Find(id);
    if (!c || index < -1 || index >= ItemCount(id)) return false;
    if (c->kind == ControlKind::Tabs && index < 0) return false;
    SendMessageW(c->window, Msg(*c, LB_SETCURSEL, CB_SETCURSEL, TCM_SETCURSEL), static_cast<WPARAM>(index),
                 0);
    if (c->kind == ControlKind::Tabs) ShowChosenPage(*c);
    return true;
  }

  bool Checked(ControlId id) override {
    Control* c = Find(id);
    return c && SendMessageW(c->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetChecked(ControlId id, bool checked) override {
    if (Control* c = Find(id)) SendMessageW(c->window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  std::vector<std::wstring> Drives(ControlId id) override {
    std::vector<std::wstring> drives;
    if (Control* c = Find(id)) {
      for (const std::wstring& d : c->drives) drives.push_back(d);
    }
    return drives;
  }
  bool SetDrive(ControlId id, const std::wstring& path) override {
    Control* c = Find(id);
    if (!c || c->kind != ControlKind::DriveSelector || path.size() < 2 || path[1] != L':') return false;
    wchar_t letter = LowerLetter(path[0]);
    FillDrives(*c, 0);
    auto it = std::find(c->drives.begin(), c->drives.end(), std::wstring{letter, L':'});
    if (it == c->drives.end() || !DriveReady(letter)) return false;
    SendMessageW(c->window, CB_SETCURSEL, static_cast<WPARAM>(it - c->drives.begin()), 0);
    return true;
  }
  std::wstring Drive(ControlId id) override {
    Control* c = Find(id);
    if (!c) return std::wstring();
    int selected = SelectedIndex(id);
    if (selected < 0 || selected >= static_cast<int>(c->drives.size())) return std::wstring();
    return c->drives[static_cast<std::size_t>(selected)];
  }

  bool SetFolder(ControlId id, const std::wstring& path) override {
    Control* c = Find(id);
    if (!c || c->kind != ControlKind::FolderList || path.empty()) return false;
    std::wstring full = FullPath(path);
    if (full.size() < 3 || full[1] != L':') return false;  // drive folders only
    return ShowFolder(*c, full, std::wstring());
  }
  std::wstring FolderPath(ControlId id) override {
    Control* c = Find(id);
    return c ? c->folder : std::wstring();
  }
  std::wstring HighlightedPath(ControlId id) override {
    Control* c = Find(id);
    if (!c) return std::wstring();
    int selected = SelectedIndex(id);
    if (selected < 0 || selected >= static_cast<int>(c->entries.size())) return c->folder;
    return c->entries[static_cast<std::size_t>(selected)];
  }
  void Refresh(ControlId id) override {
    Control* c = Find(id);
    if (!c || c->kind != ControlKind::FolderList) return;
    std::wstring highlighted = HighlightedPath(id);
    ShowFolder(*c, c->folder, highlighted);
  }

 private:
  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
      if (message == WM_NCCREATE) {
        auto* form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
      }
      auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (form) return form->OnMessage(message, wParam, lParam);
    } catch (...) {
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
    try {
      if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &Win32Form::ListProc, kSubclassId);
      LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP) {
        auto* form = reinterpret_cast<Win32Form*>(data);
        auto id = static_cast<ControlId>(GetDlgCtrlID(window) - kToolkitItemBase);
        if (form->events_ && form->IsOpen()) form->events_->OnMouseUp(id);
      }
      return result;
    } catch (...) {
      return 0;
    }
  }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {  // Esc
          Close();
          return 0;
        }
        if (lParam == 0 && LOWORD(wParam) == IDOK) {  // Enter
          OnEnter();
          return 0;
        }
        auto id = static_cast<ControlId>(LOWORD(wParam)) - kToolkitItemBase;
        Control* c = Find(id);
        if (!c || c->window != reinterpret_cast<HWND>(lParam) || !events_ || closing_) break;
        if (HIWORD(wParam) == BN_CLICKED &&
            (c->kind == ControlKind::Button || c->kind == ControlKind::CheckBox))
          events_->OnClick(id);
        if (HIWORD(wParam) == CBN_SELCHANGE && c->kind == ControlKind::DriveSelector)
          events_->OnDriveChanged(id);
        if (HIWORD(wParam) == LBN_DBLCLK &&
            (c->kind == ControlKind::List || c->kind == ControlKind::FolderList))
          events_->OnDefaultAction(id);
        return 0;
      }
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        Control* c = FindByWindow(header->hwndFrom);
        if (c && c->kind == ControlKind::Tabs && header->code == TCN_SELCHANGE) PageChosen(*c);
        break;
      }
      case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        Rescale(HIWORD(wParam));
        SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      case WM_ACTIVATE:
        // Keep the keyboard on the control that had it (after a message box,
        // say), or on the first control when the form opens.
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus && IsChild(window_, focus)) lastFocus_ = focus;
        } else {
          HWND focus =
              lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetNextDlgTabItem(window_, nullptr, FALSE);
          if (focus) {
            SetFocus(focus);
            return 0;
          }
        }
        break;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX: {
        Control* c = FindByWindow(reinterpret_cast<HWND>(lParam));
        auto dc = reinterpret_cast<HDC>(wParam);
        if (c && c->transparent) {
          SetBkMode(dc, TRANSPARENT);
          return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        if (c && c->brush) {
          LOGBRUSH logBrush;
          GetObjectW(static_cast<HGDIOBJ>(c->brush.get()), sizeof logBrush, &logBrush);
          SetBkColor(dc, logBrush.lbColor);
          return reinterpret_cast<LRESULT>(c->brush.get());
        }
        break;
      }
      case WM_ERASEBKGND: {
        RECT rect;
        GetClientRect(window_, &rect);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, static_cast<HBRUSH>(background_.get()));
        return 1;
      }
      case WM_DRAWITEM:
        if (DrawButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
      case WM_CLOSE:
        Close();
        return 0;
      case WM_DESTROY:
        closing_ = true;
        if (events_) events_->OnClosed();
        return 0;
      case WM_NCDESTROY: {
        HWND window = window_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        controls_.clear();
        return DefWindowProcW(window, message, wParam, lParam);
      }
      default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
  }

  // Enter clicks the button that has the keyboard, or is the default action
  // of the list or text box that has it.
  void OnEnter() {
    Control* c = FindByWindow(GetFocus());
    if (!c || !events_ || closing_) return;
    const ControlId id = GetDlgCtrlID(c->window) - kToolkitItemBase;
    if (c->kind == ControlKind::Button) events_->OnClick(id);
    if (c->kind == ControlKind::List || c->kind == ControlKind::FolderList || c->kind == ControlKind::TextBox)
      events_->OnDefaultAction(id);
  }

  bool DrawButton(const DRAWITEMSTRUCT& item) {
    Control* c = FindByWindow(item.hwndItem);
    if (!c || item.CtlType != ODT_BUTTON || !c->brush) return false;
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, static_cast<HBRUSH>(c->brush.get()));
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    HGDIOBJ oldFont = SelectObject(item.hDC, c->font);
    SetBkMode(item.hDC, TRANSPARENT);
    std::wstring caption = WindowText(item.hwndItem);
    if (pressed) OffsetRect(&rect, 1, 1);
    DrawTextW(item.hDC, caption.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, oldFont);
    if (item.itemState & ODS_FOCUS) {
      RECT focus = item.rcItem;
      InflateRect(&focus, -4, -4);
      DrawFocusRect(item.hDC, &focus);
    }
    return true;
  }

  // Keyboard order: the controls by their tab place; the groups behind them
  // all, outer ones last, so no frame paints over what it holds.
  void ArrangeOrder() {
    std::vector<Control*> order;
    for (auto& c : controls_) order.push_back(c.get());
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
      bool aGroup = a->kind == ControlKind::Group, bGroup = b->kind == ControlKind::Group;
      if (aGroup != bGroup) return bGroup;
      if (aGroup) return a->depth > b->depth;
      return a->tabIndex < b->tabIndex;
    });
    HWND after = HWND_TOP;
    for (Control* c : order) {
      SetWindowPos(c->window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = c->window;
    }
  }

  // The font at the form's scaling; none: the system's dialog font, grown
  // from the display's scaling to the form's.
  HFONT Font(const std::optional<FontSpec>& spec) {
    auto key = spec ? std::make_tuple(spec->face, spec->points, spec->bold)
                    : std::make_tuple(std::wstring(), 0.0, false);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return static_cast<HFONT>(it->second.get());
    LOGFONTW logFont{};
    HGDIOBJ system = GetStockObject(DEFAULT_GUI_FONT);
    if (!spec && dpi_ == systemDpi_) return static_cast<HFONT>(system);
    if (spec) {
      logFont.lfHeight = -static_cast<LONG>(std::lround(spec->points * dpi_ / 72.0));
      logFont.lfWeight = spec->bold ? FW_BOLD : FW_NORMAL;
      logFont.lfCharSet = DEFAULT_CHARSET;
      lstrcpynW(logFont.lfFaceName, spec->face.c_str(), LF_FACESIZE);
    } else if (GetObjectW(system, sizeof logFont, &logFont)) {
      logFont.lfHeight = MulDiv(logFont.lfHeight, dpi_, systemDpi_);
    }
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font) return static_cast<HFONT>(system);
    fonts_.emplace(key, GdiObject(font));
    return font;
  }

  // The window's outer size for the client area at the form's scaling.
  SIZE FrameSize() const {
    RECT rect{0, 0, Scaled(clientWidth_), Scaled(clientHeight_)};
    if (Dpi().adjustRect && Dpi().forWindow)
      Dpi().adjustRect(&rect, kStyle, FALSE, WS_EX_CONTROLPARENT, static_cast<UINT>(dpi_));
    else
      AdjustWindowRectEx(&rect, kStyle, FALSE, WS_EX_CONTROLPARENT);
    return {rect.right - rect.left, rect.bottom - rect.top};
  }

  // A control's place at the form's scaling. Edges are scaled, not sizes, so
  // controls that meet at 96 dots per inch meet at every scaling.
  RECT Placed(const Control& c) const {
    RECT r{Scaled(c.x), Scaled(c.y), Scaled(c.x + c.width), Scaled(c.y + c.height)};
    if (c.kind == ControlKind::DropDown || c.kind == ControlKind::DriveSelector)
      r.bottom += Scaled(200);  // room for the list when it drops down
    return r;
  }

  // The form at a new scaling: every control's place and font anew, and the
  // old fonts released once no control uses them.
  void Rescale(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    PerMonitorAware aware;
    dpi_ = dpi;
    auto old = std::move(fonts_);
    fonts_.clear();
    for (auto& c : controls_) {
      const RECT at = Placed(*c);
      SetWindowPos(c->window, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      c->font = Font(c->fontSpec);
      SendMessageW(c->window, WM_SETFONT, reinterpret_cast<WPARAM>(c->font), TRUE);
    }
    InvalidateRect(window_, nullptr, TRUE);
  }

  // Whether the control lies on no page or on its strip's chosen page.
  bool OnChosenPage(const Control& c) const {
    if (!c.page) return true;
    const Control& page = *c.page;
    return static_cast<int>(SendMessageW(page.tabs->window, TCM_GETCURSEL, 0, 0)) == page.pageIndex;
  }

  // Shows the chosen page's controls and hides the other pages' of the strip;
  // the keyboard leaves a control that went out of sight for the strip.
  void ShowChosenPage(Control& tabs) {
    HWND focus = GetFocus();
    for (auto& c : controls_) {
      if (!c->page || c->page->tabs != &tabs || c->kind == ControlKind::Page) continue;
      const bool shown = OnChosenPage(*c);
      if (!shown && focus == c->window) SetFocus(tabs.window);
      ShowWindow(c->window, shown ? SW_SHOWNA : SW_HIDE);
    }
    InvalidateRect(window_, nullptr, TRUE);
  }

  void PageChosen(Control& tabs) {
    ShowChosenPage(tabs);
    if (events_ && !closing_) events_->OnClick(GetDlgCtrlID(tabs.window) - kToolkitItemBase);
  }

  // Ctrl+Tab (`back`: Ctrl+Shift+Tab): the next or previous page of the
  // form's first strip of tabs, the keyboard on the strip; false without one.
  bool NextPage(bool back) {
    for (auto& c : controls_) {
      if (c->kind != ControlKind::Tabs) continue;
      const int count = static_cast<int>(SendMessageW(c->window, TCM_GETITEMCOUNT, 0, 0));
      if (count < 2) return false;
      const int chosen = static_cast<int>(SendMessageW(c->window, TCM_GETCURSEL, 0, 0));
      SendMessageW(c->window, TCM_SETCURSEL, static_cast<WPARAM>((chosen + (back ? count - 1 : 1)) % count),
                   0);
      SetFocus(c->window);
      PageChosen(*c);
      return true;
    }
    return false;
  }

  // Lists the drives; shows `select` (a letter), or with 0 the drive shown before.
  void FillDrives(Control& c, wchar_t select) {
    wchar_t buffer[512];
    DWORD length = GetLogicalDriveStringsW(512, buffer);
    std::vector<std::wstring> drives;
    for (DWORD i = 0; i < length && length < 512;) {
      std::wstring root(buffer + i);
      if (root.empty()) break;
      i += static_cast<DWORD>(root.size()) + 1;
      drives.push_back(std::wstring{LowerLetter(root[0]), L':'});
    }
    if (drives == c.drives && select == 0) return;
    std::wstring shown = select ? std::wstring{LowerLetter(select), L':'} : SelectedDrive(c);
    c.drives = drives;
    SendMessageW(c.window, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& d : drives)
      SendMessageW(c.window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
    auto it = std::find(drives.begin(), drives.end(), shown);
    if (it != drives.end()) SendMessageW(c.window, CB_SETCURSEL, static_cast<WPARAM>(it - drives.begin()), 0);
  }

  std::wstring SelectedDrive(const Control& c) {
    auto selected = static_cast<int>(SendMessageW(c.window, CB_GETCURSEL, 0, 0));
    if (selected < 0 || selected >= static_cast<int>(c.drives.size())) return std::wstring();
    return c.drives[static_cast<std::size_t>(selected)];
  }

  // Lists `folder`: each folder from the root down to it, then its
  // sub-folders one step further in. Highlights `highlight` when listed, else
  // the folder itself. False (nothing changed) when it cannot be opened.
  bool ShowFolder(Control& c, const std::wstring& folder, const std::wstring& highlight) {
    if (folder.size() < 3) return false;
    std::vector<std::wstring> subFolders;
    if (!ListSubFolders(folder, subFolders)) return false;
    std::vector<std::wstring> paths, labels;
    std::wstring root = folder.substr(0, 3);
    paths.push_back(root);
    labels.push_back(root);
    std::size_t start = 3;
    while (start < folder.size()) {
      std::size_t end = folder.find(L'\\', start);
      if (end == std::wstring::npos) end = folder.size();
      paths.push_back(folder.substr(0, end));
      labels.push_back(std::wstring(2 * (paths.size() - 1), L' ') + folder.substr(start, end - start));
      start = end + 1;
    }
    const std::size_t current = paths.size() - 1;
    const std::wstring indent(2 * paths.size(), L' ');
    for (const std::wstring& name : subFolders) {
      paths.push_back(WithSlash(folder) + name);
      labels.push_back(indent + name);
    }
    c.folder = folder;
    c.entries = paths;
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(c.window, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& label : labels) {
      SendMessageW(c.window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    }
    std::size_t selected = current;
    for (std::size_t i = 0; i < paths.size() && !highlight.empty(); ++i) {
      if (lstrcmpiW(paths[i].c_str(), highlight.c_str()) == 0) selected = i;
    }
    SendMessageW(c.window, LB_SETCURSEL, selected, 0);
    SendMessageW(c.window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c.window, nullptr, TRUE);
    return true;
  }

  static std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    if (length == 0 || length >= MAX_PATH * 2) return L"C:\\";
    return FullPath(std::wstring(buffer, length));
  }

  static UINT Msg(const Control& c, UINT listMessage, UINT comboMessage, UINT tabsMessage = 0) {
    if (c.kind == ControlKind::Tabs) return tabsMessage;
    return c.kind == ControlKind::DropDown || c.kind == ControlKind::DriveSelector ? comboMessage
                                                                                   : listMessage;
  }
  std::wstring ItemWide(const Control& c, int index) {
    bool combo = Msg(c, 0, 1) == 1;  // a drop-down
    auto length = SendMessageW(c.window, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
    if (length < 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    auto got = SendMessageW(c.window, combo ? CB_GETLBTEXT : LB_GETTEXT, index,
                            reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
  }

  Control* Find(ControlId id) {
    if (!window_ || id < 1 || id > static_cast<int>(controls_.size())) return nullptr;
    return controls_[static_cast<std::size_t>(id - 1)].get();
  }
  Control* FindByWindow(HWND window) {
    if (!window) return nullptr;
    for (auto& c : controls_) {
      if (c->window == window) return c.get();
    }
    return nullptr;
  }

  // Centres the form on `owner`, kept inside the owner's screen; on the
  // primary screen when there is no owner or it lies off every screen.
  void CenterOn(HWND owner) {
    RECT around{}, form{};
    HMONITOR monitor = nullptr;
    if (owner && IsWindow(owner) && !IsIconic(owner) && GetWindowRect(owner, &around))
      monitor = MonitorFromRect(&around, MONITOR_DEFAULTTONULL);
    const bool onScreen = monitor != nullptr;
    if (!onScreen) monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info) || !GetWindowRect(window_, &form)) return;
    const RECT& screen = info.rcWork;
    if (!onScreen) around = screen;
    const int width = form.right - form.left, height = form.bottom - form.top;
    int x = (around.left + around.right - width) / 2;
    int y = (around.top + around.bottom - height) / 2;
    x = std::max<int>(screen.left, std::min<int>(x, screen.right - width));
    y = std::max<int>(screen.top, std::min<int>(y, screen.bottom - height));
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void EnableOwner() {
    if (ownerDisabled_ && owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
  }

  FormEvents* events_;
  HINSTANCE instance_ = nullptr;
  ATOM classAtom_ = 0;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  HWND lastFocus_ = nullptr;
  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  int dpi_ = 96;
  int systemDpi_ = 96;
  int clientWidth_ = 0, clientHeight_ = 0;  // at 96 dots per inch
  bool ownerDisabled_ = false;
  bool closing_ = false;
  GdiObject background_;
  std::map<std::tuple<std::wstring, double, bool>, GdiObject> fonts_;
  std::vector<std::unique_ptr<Control>> controls_;
};

class Win32ToolkitImpl : public Toolkit {
 public:
  std::unique_ptr<Form> CreateForm(const FormSpec& spec, FormEvents& events) override {
    auto form = std::make_unique<Win32Form>(spec, events);
    if (!form->Created()) return nullptr;
    return form;
  }

  std::uint64_t Milliseconds() override { return GetTickCount64(); }
  void ShowNotice(const std::wstring& text, WindowHandle winamp, unsigned milliseconds,
                  std::function<void()> undo) override {
    win32::ShowNotice(text, winamp, milliseconds, std::move(undo));
  }
  void HideNotice() override { win32::HideNotice(); }

  std::wstring PickFolder(WindowHandle owner, const std::wstring& title) override {
    // The picker wants COM on this thread; it is let go of only where it was started here.
    struct ComOnThread {
      HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      ~ComOnThread() {
        if (SUCCEEDED(started)) CoUninitialize();
      }
    } com;
    BROWSEINFOW info{};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    std::unique_ptr<ITEMIDLIST, decltype(&CoTaskMemFree)> chosen(SHBrowseForFolderW(&info), &CoTaskMemFree);
    wchar_t path[MAX_PATH] = {};
    if (!chosen || !SHGetPathFromIDListW(chosen.get(), path)) return L"";
    return path;
  }

  void PumpMessages() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
};

}  // namespace

Toolkit& Win32Toolkit() {
  static Win32ToolkitImpl toolkit;
  return toolkit;
}

}  // namespace vandrel::platform::win32
