// gen_vandrel.dll: the Winamp general-purpose plug-in that creates the Vandrel
// object and drives it through init, config and quit.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "com/interfaces.h"
#include "gen_wrapper.h"
#include "plugin_loader.h"
#include "uninstall.h"
#include "winamp_gen.h"

namespace vandrel::wrapper {
namespace {

using Microsoft::WRL::ComPtr;

int Init();
void Config();
void Quit();

HMODULE g_self = nullptr;
char g_description[256] = "Vandrel";
winampGeneralPurposePlugin g_plugin = {
    kGenPluginHeaderVersion, g_description, Init, Config, Quit, nullptr, nullptr};

// The COM apartment of Winamp's main thread, joined for the plug-in's life.
class Apartment {
 public:
  Apartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (joined_) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  bool joined_;
};

// Everything the running plug-in holds; destroyed in reverse order: the
// object, the wrapper object, the load reference on vandrel.dll, the apartment.
struct Session {
  Apartment apartment;
  PluginLibrary library;
  ComPtr<GenWrapper> wrapper;
  ComPtr<IZekWinAmpGenPlugin> plugin;
  int configDepth = 0;
  bool quitCalled = false;
  bool quitSucceeded = false;
};

// Released by quit (or by config, when quit arrived inside it); never by
// the DLL's unloading, where COM must not be called.
Session* g_session = nullptr;

void ShowFailure(const wchar_t* what, HRESULT hr, const std::wstring& description) noexcept {
  try {
    wchar_t number[16];
    std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    const std::wstring text =
        std::wstring(L"Vandrel: ") + what + L" failed.\r\n\r\nError " + number + L": " + description;
    HWND owner = IsWindow(g_plugin.hwndParent) ? g_plugin.hwndParent : nullptr;
    MessageBoxW(owner, text.c_str(), L"Vandrel", MB_OK | MB_ICONEXCLAMATION);
  } catch (...) {
    MessageBoxW(nullptr, L"Vandrel: a call into the plug-in failed.", L"Vandrel", MB_OK | MB_ICONEXCLAMATION);
  }
}

void ReleaseSession() {
  Session* session = g_session;
  g_session = nullptr;
  const ULONG left = session->plugin.Reset();
  session->wrapper.Reset();
  session->library.Free(left == 0 && session->quitSucceeded);
  delete session;
  FinishUninstall(g_self);
}

int Init() {
  try {
    if (g_session != nullptr) return 0;
    auto session = std::make_unique<Session>();
    session->wrapper.Attach(new GenWrapper(g_plugin, g_description, sizeof(g_description)));
    const Failure failure = CreatePlugin(g_self, session->library, session->plugin);
    if (FAILED(failure.hr) || !session->plugin) {
      ShowFailure(L"creating the plug-in object", FAILED(failure.hr) ? failure.hr : E_NOINTERFACE,
                  failure.description);
      return 1;
    }
    // From here on the object is kept, whatever Initialize says, so that
    // quit still reaches it and it can undo what it did.
    g_session = session.release();
    ComPtr<IZekWinAmpGenPlugin> plugin = g_session->plugin;
    const HRESULT hr = plugin->Initialize(g_session->wrapper.Get());
    if (FAILED(hr))
      ShowFailure(L"Initialize", hr, FailureDescription(plugin.Get(), IID_IZekWinAmpGenPlugin, hr));
    return 0;
  } catch (...) {
    ShowFailure(L"init", E_UNEXPECTED, L"Unexpected failure in the wrapper.");
    return g_session != nullptr ? 0 : 1;
  }
}

// Holds an extra reference on this DLL while config runs: a host that frees
// its plug-ins right after quit, with config's modal loop still below on the
// stack, must not take the code away. After a quit inside config the
// reference is kept on purpose (the host is shutting down anyway).
class SelfPin {
 public:
  SelfPin() {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&g_plugin),
                       &module_);
  }
  ~SelfPin() {
    if (module_ != nullptr && !keep_) FreeLibrary(module_);
  }
  SelfPin(const SelfPin&) = delete;
  SelfPin& operator=(const SelfPin&) = delete;
  void Keep() { keep_ = true; }

 private:
  HMODULE module_ = nullptr;
  bool keep_ = false;
};

void Config() {
  try {
    Session* session = g_session;
    if (session == nullptr || session->quitCalled) return;
    SelfPin pin;
    {
      ComPtr<IZekWinAmpGenPlugin> plugin = session->plugin;
      ++session->configDepth;
      const HRESULT hr = plugin->Configure();
      --session->configDepth;
      if (FAILED(hr)) {
        ShowFailure(L"Configure", hr, FailureDescription(plugin.Get(), IID_IZekWinAmpGenPlugin, hr));
      }
    }
    // quit arrived while the dialog was open: release now that it is closed.
    if (session->configDepth == 0 && session->quitCalled) {
      pin.Keep();
      ReleaseSession();
    }
  } catch (...) {
    ShowFailure(L"config", E_UNEXPECTED, L"Unexpected failure in the wrapper.");
  }
}

void Quit() {
  try {
    Session* session = g_session;
    if (session == nullptr) FinishUninstall(g_self);  // no plug-in object ran
    if (session == nullptr || session->quitCalled) return;
    session->quitCalled = true;
    {
      ComPtr<IZekWinAmpGenPlugin> plugin = session->plugin;
      const HRESULT hr = plugin->Quit();
      session->quitSucceeded = SUCCEEDED(hr);
      if (FAILED(hr)) ShowFailure(L"Quit", hr, FailureDescription(plugin.Get(), IID_IZekWinAmpGenPlugin, hr));
    }
    // Inside config's modal loop the object is still in use: config releases it.
    if (session->configDepth == 0) ReleaseSession();
  } catch (...) {
    ShowFailure(L"quit", E_UNEXPECTED, L"Unexpected failure in the wrapper.");
  }
}

}  // namespace
}  // namespace vandrel::wrapper

extern "C" winampGeneralPurposePlugin* __cdecl winampGetGeneralPurposePlugin(void) {
  return &vandrel::wrapper::g_plugin;
}

extern "C" int __cdecl winampUninstallPlugin(HINSTANCE instance, HWND parent, int) {
  try {
    vandrel::wrapper::Uninstall(instance, parent, vandrel::wrapper::g_plugin.hwndParent);
  } catch (...) {
    // Nothing more is removed than Winamp removes itself.
  }
  return vandrel::wrapper::kGenPluginUninstallReboot;
}

// Run by rundll32 after an uninstall (FinishUninstall): never by Winamp.
extern "C" void CALLBACK VandrelRemoveAfterExit(HWND, HINSTANCE, LPSTR arguments, int) {
  try {
    vandrel::wrapper::RemoveAfterExit(vandrel::wrapper::g_self, arguments);
  } catch (...) {
    // Left for the user to delete.
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    vandrel::wrapper::g_self = instance;
  }
  return TRUE;
}
