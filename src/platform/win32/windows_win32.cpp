// Windows, hotkeys and Winamp's window and memory, for real.
#include "platform/win32/win32.h"

#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

namespace {

HMODULE g_module = nullptr;
WindowSystem::HookHandler g_hookHandler = nullptr;
// How many messages are inside the hook right now. A host may unload the
// plug-in from a message that passed through the hook (Winamp's quit path);
// the code below the unhook must then stay loaded until those frames return.
int g_hookDepth = 0;

struct HookDepth {
  HookDepth() { ++g_hookDepth; }
  ~HookDepth() { --g_hookDepth; }
  HookDepth(const HookDepth&) = delete;
  HookDepth& operator=(const HookDepth&) = delete;
};

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }

void PinOwnModule() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&PinOwnModule), &self);
}

LRESULT CALLBACK HookTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing may leave a window procedure: Winamp would go down with it.
  HookDepth depth;
  try {
    if (g_hookHandler != nullptr) {
      return g_hookHandler(reinterpret_cast<WindowHandle>(window), message, wParam, lParam);
    }
  } catch (...) {
  }
  return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                 : DefWindowProcA(window, message, wParam, lParam);
}

// How many of the `wanted` bytes at `address` in this process are committed
// and readable, region by region.
std::size_t ReadableBytes(std::uintptr_t address, std::size_t wanted) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  std::size_t readable = 0;
  while (address != 0 && readable < wanted) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<LPCVOID>(address + readable), &region, sizeof region) == 0 ||
        region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
        (region.Protect & kReadable) == 0) {
      break;
    }
    readable = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize - address;
  }
  return std::min(readable, wanted);
}

class Win32WindowSystem final : public WindowSystem {
 public:
  // A Unicode window is read and subclassed through the W functions: the A
  // ones would turn it into an ANSI window (its Unicode title would read '?').
  ProcAddress GetWindowProc(WindowHandle window) override {
    return static_cast<ProcAddress>(IsWindowUnicode(H(window)) ? GetWindowLongPtrW(H(window), GWLP_WNDPROC)
                                                               : GetWindowLongPtrA(H(window), GWLP_WNDPROC));
  }
  void SetWindowProc(WindowHandle window, ProcAddress proc) override {
    if (g_hookDepth > 0 && proc != reinterpret_cast<ProcAddress>(&HookTrampoline)) {
      // Unhooking from inside the hook: keep this module for the process's
      // life, since its frames are still on the stack.
      PinOwnModule();
    }
    if (IsWindowUnicode(H(window))) {
      SetWindowLongPtrW(H(window), GWLP_WNDPROC, static_cast<LONG_PTR>(proc));
    } else {
      SetWindowLongPtrA(H(window), GWLP_WNDPROC, static_cast<LONG_PTR>(proc));
    }
  }
  std::intptr_t CallWindowProc(ProcAddress proc, WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) override {
    // The hook receives messages in the window's character set and passes
    // them on in the same one.
    auto previous = reinterpret_cast<WNDPROC>(proc);
    if (previous == nullptr) return 0;
    return IsWindowUnicode(H(window)) ? ::CallWindowProcW(previous, H(window), message, wParam, lParam)
                                      : ::CallWindowProcA(previous, H(window), message, wParam, lParam);
  }
  void KeepModuleLoaded() override { PinOwnModule(); }
  ProcAddress HookProcAddress(HookHandler handler) override {
    g_hookHandler = handler;
    return reinterpret_cast<ProcAddress>(&HookTrampoline);
  }
  std::uint16_t GlobalAddAtom(const std::wstring& name) override {
    return ::GlobalAddAtomA(Win32Ui().ToAnsi(name).c_str());
  }
  void GlobalDeleteAtom(std::uint16_t atom) override { ::GlobalDeleteAtom(atom); }
  OpResult RegisterHotKey(WindowHandle window, std::int32_t id, unsigned modifiers, unsigned vk) override {
    return ResultOf(::RegisterHotKey(H(window), id, modifiers, vk) != FALSE);
  }
  void UnregisterHotKey(WindowHandle window, std::int32_t id) override { ::UnregisterHotKey(H(window), id); }
  void DiscardQueuedHotKeys(WindowHandle window, std::int32_t id) override {
    std::vector<MSG> others;
    MSG message;
    while (PeekMessageW(&message, H(window), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
      if (static_cast<std::int32_t>(message.wParam) != id) others.push_back(message);
    }
    for (const MSG& other : others) PostMessageW(other.hwnd, other.message, other.wParam, other.lParam);
  }
  std::vector<unsigned> HeldKeys() override {
    std::vector<unsigned> held;
    for (unsigned key = VK_BACK; key < 0xFF; ++key) {
      if (key == VK_MBUTTON || key == VK_XBUTTON1 || key == VK_XBUTTON2) continue;
      if (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) held.push_back(key);
    }
    return held;
  }
  unsigned KeyRepeatWait() override {
    // The delay setting counts quarter seconds from 0 (250 ms); the speed
    // setting runs from 0 (about 2.5 repeats a second) to 31 (about 30).
    UINT delay = 1;
    DWORD speed = 31;
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    const unsigned interval = 400 - std::min<DWORD>(speed, 31) * 367 / 31;
    return std::max(250 * (std::min<UINT>(delay, 3) + 1), interval);
  }
  void DiscardQueuedKeyPresses(unsigned modifiers, const std::vector<unsigned>& keys) override {
    std::vector<MSG> others;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
      const unsigned pressed = LOWORD(message.lParam) & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN);
      if (pressed != modifiers || std::find(keys.begin(), keys.end(), HIWORD(message.lParam)) == keys.end())
        others.push_back(message);
    }
    for (const MSG& other : others) {
      if (other.hwnd == nullptr) {
        PostThreadMessageW(GetCurrentThreadId(), other.message, other.wParam, other.lParam);
      } else {
        PostMessageW(other.hwnd, other.message, other.wParam, other.lParam);
      }
    }
  }
  std::uint32_t TickCount() override { return GetTickCount(); }
  std::intptr_t SendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override {
    if (window == 0) return 0;
    return ::SendMessageA(H(window), message, wParam, lParam);
  }
  bool IsWindow(WindowHandle window) override { return window != 0 && ::IsWindow(H(window)) != FALSE; }
  bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    return window != 0 && ::PostMessageW(H(window), message, wParam, lParam) != FALSE;
  }
  std::uint32_t GetWindowProcessId(WindowHandle window) override {
    DWORD processId = 0;
    if (window != 0) GetWindowThreadProcessId(H(window), &processId);
    return processId;
  }
  ProcessHandle OpenProcessForRead(std::uint32_t processId) override {
    if (processId == 0) return 0;
    return reinterpret_cast<ProcessHandle>(OpenProcess(PROCESS_VM_READ, FALSE, processId));
  }
  std::size_t ReadProcessMemory(ProcessHandle process, std::uintptr_t address, char* buffer,
                                std::size_t size) override {
    if (process == 0) return 0;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(reinterpret_cast<HANDLE>(process), reinterpret_cast<LPCVOID>(address), buffer,
                             size, &read)) {
      return 0;
    }
    return read;
  }
  void CloseProcess(ProcessHandle process) override { CloseHandle(reinterpret_cast<HANDLE>(process)); }
  // Names Winamp hands over in its own memory are read in place (asking the
  // system to copy them costs a round trip to the Wine server for each),
  // never past what is committed and readable.
  std::wstring ReadOwnWideText(std::uintptr_t address, std::size_t maxChars) override {
    if (address == 0 || address % sizeof(wchar_t) != 0) return std::wstring();
    const std::size_t room = ReadableBytes(address, maxChars * sizeof(wchar_t)) / sizeof(wchar_t);
    const auto* from = reinterpret_cast<const wchar_t*>(address);
    const std::size_t length = wcsnlen(from, room);
    return std::wstring(from, length < room ? length + 1 : length);  // with its NUL when it ended
  }
  std::wstring OwnModuleFileName() override {
    char path[512];
    DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    return Win32Ui().FromAnsi(std::string(path, length));
  }
  std::wstring TextInOwnProcess(std::uintptr_t address, bool wide) override {
    constexpr std::size_t kLongest = 32768;
    if (address == 0) return std::wstring();
    if (wide) {
      std::wstring text = ReadOwnWideText(address, kLongest);
      return text.substr(0, text.find(L'\0'));
    }
    const auto* text = reinterpret_cast<const char*>(address);
    return Win32Ui().FromAnsi(std::string(text, strnlen(text, ReadableBytes(address, kLongest))));
  }
};

class Win32UserInterface final : public UserInterface {
 public:
  Answer MessageBox(const std::wstring& text, const std::wstring& title, Icon icon,
                    Buttons buttons) override {
    UINT flags = MB_SETFOREGROUND;
    switch (icon) {
      case Icon::Information:
        flags |= MB_ICONINFORMATION;
        break;
      case Icon::Question:
        flags |= MB_ICONQUESTION;
        break;
      case Icon::Exclamation:
        flags |= MB_ICONEXCLAMATION;
        break;
      case Icon::Critical:
        flags |= MB_ICONERROR;
        break;
    }
    flags |= buttons == Buttons::OkCancel      ? MB_OKCANCEL
             : buttons == Buttons::YesNoCancel ? MB_YESNOCANCEL | MB_DEFBUTTON1
                                               : MB_OK;
    HWND owner = reinterpret_cast<HWND>(BoxOwner());
    if (owner && !IsWindow(owner)) owner = nullptr;
    int answer = ::MessageBoxA(owner, ToAnsi(text).c_str(), ToAnsi(title).c_str(), flags);
    switch (answer) {
      case IDOK:
        return Answer::Ok;
      case IDYES:
        return Answer::Yes;
      case IDNO:
        return Answer::No;
      default:
        return Answer::Cancel;
    }
  }
  std::wstring Lower(const std::wstring& text) override {
    std::wstring out = text;
    if (!out.empty()) CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
  }
  std::wstring FromAnsi(const std::string& bytes) override {
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
  }
  std::string ToAnsi(const std::wstring& text) override {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
  }
  // The file's "edit" verb where its kind has one, else its "open" verb;
  // Notepad where the system knows neither.
  OpResult OpenInEditor(const std::wstring& path) override {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return ResultOf(false);
    auto run = [&](const wchar_t* verb, const wchar_t* file, const wchar_t* arguments) {
      return reinterpret_cast<INT_PTR>(
                 ShellExecuteW(nullptr, verb, file, arguments, nullptr, SW_SHOWNORMAL)) > 32;
    };
    const std::wstring quoted = L"\"" + path + L"\"";
    if (run(L"edit", path.c_str(), nullptr) || run(L"open", path.c_str(), nullptr) ||
        run(nullptr, L"notepad.exe", quoted.c_str()))
      return {};
    SetLastError(ERROR_NO_ASSOCIATION);
    return ResultOf(false);
  }
};

}  // namespace

WindowSystem& Win32Windows() {
  static Win32WindowSystem windows;
  return windows;
}

UserInterface& Win32Ui() {
  static Win32UserInterface ui;
  return ui;
}

void SetOwnModule(void* module) { g_module = static_cast<HMODULE>(module); }

}  // namespace vandrel::platform::win32
