// A general-purpose plug-in for the tests that does what many real ones do:
// at init() it subclasses Winamp's main window (Unicode, as Winamp's is), and
// at quit() it puts back the procedure it saved, whoever sits above it.
// Loaded under a name that sorts before or after gen_vandrel.dll, it is
// initialised and quit before or after Vandrel.
#include <windows.h>

namespace {

struct GeneralPurposePlugin {
  int version;
  const char* description;
  int (*init)();
  void (*config)();
  void (*quit)();
  HWND hwndParent;
  HINSTANCE hDllInstance;
};

int Init();
void Config() {}
void Quit();

GeneralPurposePlugin g_plugin = {0x10, "Subclassing test plug-in", Init, Config, Quit, nullptr, nullptr};
WNDPROC g_saved = nullptr;

LRESULT CALLBACK Forward(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcW(g_saved, window, message, wparam, lparam);
}

int Init() {
  g_saved = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_plugin.hwndParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Forward)));
  return g_saved != nullptr ? 0 : 1;
}

void Quit() { SetWindowLongPtrW(g_plugin.hwndParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_saved)); }

}  // namespace

extern "C" __declspec(dllexport) GeneralPurposePlugin* winampGetGeneralPurposePlugin() { return &g_plugin; }
