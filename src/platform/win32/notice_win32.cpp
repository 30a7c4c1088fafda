// The notice: a small window of text in a corner of a monitor's work area,
// shown for a moment without ever taking the focus or the keyboard; with an
// "Undo" of its own at its right end, a static control that tells of clicks.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/win32.h"
#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

namespace {

constexpr UINT_PTR kTimeUp = 1;
constexpr int kUndoId = 1;
constexpr wchar_t kUndoText[] = L"Undo";
// At 96 dots per inch; they grow with the display's scaling.
constexpr int kMargin = 12, kPadding = 10, kWidest = 420;

HINSTANCE ModuleOfThisCode() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module);
  return module;
}

class Notice {
 public:
  Notice(const std::wstring& text, HWND winamp, unsigned milliseconds, std::function<void()> undo)
      : text_(text), undo_(std::move(undo)), instance_(ModuleOfThisCode()) {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
      dpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    auto scaled = [&](int length) { return MulDiv(length, dpi, 96); };
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      // The system's message font at 96 dots per inch, grown with the display.
      LOGFONTW font = metrics.lfMessageFont;
      font.lfHeight = -MulDiv(9, dpi, 72);
      font_ = CreateFontIndirectW(&font);
    }

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Notice::Proc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_HAND);
    wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
    wc.lpszClassName = kNoticeClass;
    classAtom_ = RegisterClassExW(&wc);
    if (classAtom_ == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;

    // Its size from the text; its place the bottom right corner of the work
    // area (where the notification area is) of the monitor showing Winamp.
    RECT textRect{0, 0, scaled(kWidest), 0}, undoRect{0, 0, 0, 0};
    if (HDC dc = GetDC(nullptr)) {
      HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, text_.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
      if (undo_) DrawTextW(dc, kUndoText, -1, &undoRect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      ReleaseDC(nullptr, dc);
    }
    padding_ = scaled(kPadding);
    // The Undo sits after the text, a padding apart, as wide as its word.
    undoWidth_ = undo_ ? undoRect.right + padding_ : 0;
    const int width = textRect.right + undoWidth_ + 2 * padding_ + 2,
              height = std::max(textRect.bottom, undoRect.bottom) + 2 * padding_ + 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(winamp, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kNoticeClass,
                              text_.c_str(), WS_POPUP | WS_BORDER, work.right - scaled(kMargin) - width,
                              work.bottom - scaled(kMargin) - height, width, height, nullptr, nullptr,
                              instance_, this);
    if (!window_) return;
    if (undo_) {
      HWND undoControl =
          CreateWindowExW(0, L"STATIC", kUndoText, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_RIGHT,
                          width - 2 - padding_ - undoRect.right, padding_, undoRect.right, undoRect.bottom,
                          window_, reinterpret_cast<HMENU>(kUndoId), instance_, nullptr);
      SendMessageW(undoControl, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    SetTimer(window_, kTimeUp, milliseconds, nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }

  ~Notice() {
    if (window_) {
      HWND window = window_;
      window_ = nullptr;
      KillTimer(window, kTimeUp);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      DestroyWindow(window);
    }
    if (font_) DeleteObject(font_);
    if (classAtom_ != 0) UnregisterClassW(kNoticeClass, instance_);
  }
  Notice(const Notice&) = delete;
  Notice& operator=(const Notice&) = delete;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HWND window);

  std::wstring text_;
  std::function<void()> undo_;
  int undoWidth_ = 0;
  HINSTANCE instance_;
  HFONT font_ = nullptr;
  ATOM classAtom_ = 0;
  HWND window_ = nullptr;
  int padding_ = kPadding;
};

// The one notice on screen; a newer one replaces it.
std::unique_ptr<Notice>& Shown() {
  static std::unique_ptr<Notice> notice;
  return notice;
}

void Notice::Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  InflateRect(&rect, -padding_, -padding_);
  rect.right -= undoWidth_;
  HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawTextW(dc, text_.c_str(), -1, &rect, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  SelectObject(dc, old);
  EndPaint(window, &paint);
}

LRESULT CALLBACK Notice::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* notice = reinterpret_cast<Notice*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_PAINT:
        if (notice) {
          notice->Paint(window);
          return 0;
        }
        break;
      case WM_CTLCOLORSTATIC:
        // The Undo in the colour of a link, on the notice's own background.
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_HOTLIGHT));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
      case WM_COMMAND:
        // A click on its Undo: the notice goes first (what the undo shows
        // may replace it), then the undo runs.
        if (LOWORD(wParam) == kUndoId && HIWORD(wParam) == STN_CLICKED && notice && Shown().get() == notice) {
          std::function<void()> undo = std::move(notice->undo_);
          Shown().reset();
          if (undo) undo();
          return 0;
        }
        break;
      case WM_TIMER:
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        // Its time is up, or a click dismissed it.
        if (notice && Shown().get() == notice) Shown().reset();
        return 0;
      default:
        break;
    }
  } catch (...) {
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void ShowNotice(const std::wstring& text, WindowHandle winamp, unsigned milliseconds,
                std::function<void()> undo) {
  Shown().reset();
  Shown() = std::make_unique<Notice>(text, reinterpret_cast<HWND>(winamp), milliseconds, std::move(undo));
}

void HideNotice() { Shown().reset(); }

}  // namespace vandrel::platform::win32
