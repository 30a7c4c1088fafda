// The DLL pair under Wine, in this process: vandrel.dll as a COM server (its
// registration, class factory and unloading, how errors reach the caller),
// gen_vandrel.dll loaded the way Winamp loads a general-purpose plug-in, and
// the hook's sweep of Winamp's queue for a held key's repeats.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "../../wrapper/winamp_gen.h"
#include "com/interfaces.h"
#include "platform/win32/win32_services.h"
#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

using Microsoft::WRL::ComPtr;

template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Winamp's side, in this thread: the current entry's name, and the commands
// and file-name requests received.
char g_currentName[512];
std::vector<UINT> g_commands;

LRESULT CALLBACK WinampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || (message == WM_USER && lParam == 211))
    g_commands.push_back(message == WM_COMMAND ? LOWORD(wParam) : 211);
  if (message == WM_USER && lParam == 125) return 0;
  if (message == WM_USER && lParam == 211) return reinterpret_cast<LRESULT>(g_currentName);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The wrapper object as a test sees it: fails the next description write,
// with an error object, when told to.
struct FakeWrapper final : IGenWrapper, ISupportErrorInfo {
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = IsEqualIID(iid, IID_ISupportErrorInfo) ? static_cast<ISupportErrorInfo*>(this) : nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGenWrapper))
      *object = static_cast<IGenWrapper*>(this);
    return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, IID_IGenWrapper) ? S_OK : S_FALSE;
  }
  STDMETHODIMP put_PluginDescription(BSTR) override {
    if (SUCCEEDED(failNextWrite)) return S_OK;
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> info;
    CreateErrorInfo(&create);
    create->SetDescription(const_cast<LPOLESTR>(L"The plug-in list is gone"));
    create.As(&info);
    SetErrorInfo(0, info.Get());
    return std::exchange(failNextWrite, S_OK);
  }
  STDMETHODIMP get_WinAmpWindowHandle(INT_PTR* value) override {
    *value = reinterpret_cast<INT_PTR>(FindWindowA("Winamp v1.x", nullptr));
    return S_OK;
  }
  STDMETHODIMP get_PluginDescription(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_WrapperVersion(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP get_WrapperDescription(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_WrapperDllHandle(INT_PTR*) override { return E_NOTIMPL; }

  ULONG refs = 0;
  HRESULT failNextWrite = S_OK;
};

// The thread's error object: its description and source.
std::pair<std::wstring, std::wstring> TakeErrorInfo() {
  ComPtr<IErrorInfo> info;
  BSTR description = nullptr, source = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) info->GetDescription(&description), info->GetSource(&source);
  std::pair<std::wstring, std::wstring> texts{description ? description : L"", source ? source : L""};
  SysFreeString(description);
  SysFreeString(source);
  return texts;
}

class PairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    WNDCLASSA wc{0,       WinampProc, 0,       0,       GetModuleHandleA(nullptr),
                 nullptr, nullptr,    nullptr, nullptr, "Winamp v1.x"};
    RegisterClassA(&wc);
    winamp =
        CreateWindowExA(0, "Winamp v1.x", "Winamp", 0, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ownProc = GetWindowLongPtrA(winamp, GWLP_WNDPROC);
  }
  void TearDown() override {
    if (module != nullptr) FreeLibrary(module);
    DestroyWindow(winamp);
    CoUninitialize();
  }
  bool Hooked() const { return GetWindowLongPtrA(winamp, GWLP_WNDPROC) != ownProc; }
  // `files` from beside this program into `into`, with settings that have no
  // hotkey (no first-run box), and the first of them loaded.
  void Load(const TempFolder& into, std::initializer_list<const char*> files) {
    for (const char* file : files)
      ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), into.Path(file).c_str(), FALSE)) << file;
    ASSERT_TRUE(WriteWholeFile(into.Path("vandrel.ini"),
                               "[iniConfig]\r\nLastUsed=test\r\n[test]\r\nKey=0\r\nmoveToFolder=0\r\n"
                               "savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n"));
    ASSERT_NE(module = LoadLibraryA(into.Path(*files.begin()).c_str()), nullptr);
  }
  ComPtr<IClassFactory> Factory(REFCLSID clsid = CLSID_Vandrel, HRESULT expected = S_OK) {
    ComPtr<IClassFactory> factory;
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    EXPECT_EQ(Export<GetClassObjectFn>(module, "DllGetClassObject")(clsid, IID_PPV_ARGS(&factory)), expected);
    return factory;
  }
  HRESULT CanUnloadNow() { return Export<HRESULT(STDAPICALLTYPE*)()>(module, "DllCanUnloadNow")(); }
  // gen_vandrel.dll's struct, with Winamp's side filled in.
  winampGeneralPurposePlugin* Wrapper() {
    auto* plugin = Export<winampGeneralPurposePlugin*(__cdecl*)()>(module, "winampGetGeneralPurposePlugin")();
    plugin->hwndParent = winamp;
    plugin->hDllInstance = module;
    return plugin;
  }
  // Runs `action` while another thread answers the boxes titled "Vandrel"
  // or "Vandrel Error"; the boxes' texts.
  static std::string Answering(const std::function<void()>& action) {
    std::atomic<bool> done{false};
    std::string texts;
    std::thread answerer([&] {
      for (HWND box; !done;) {
        if ((box = FindMessageBox("Vandrel", 25)) || (box = FindMessageBox("Vandrel Error", 25)))
          texts += Answer(box) + "|";
      }
    });
    action();
    done = true;
    answerer.join();
    return texts;
  }

  TempFolder folder;
  HWND winamp = nullptr;
  LONG_PTR ownProc = 0;
  HMODULE module = nullptr;
};

// regsvr32 as a user runs it; the wrapper finds the class through its
// registration when vandrel.dll is not beside it.
TEST_F(PairTest, TheWrapperFindsTheRegisteredClassAndUnregisteringTakesOnlyOurs) {
  TempFolder registered;
  ASSERT_TRUE(
      CopyFileA((ProgramFolder() + "vandrel.dll").c_str(), registered.Path("vandrel.dll").c_str(), 0));
  ASSERT_TRUE(WriteWholeFile(registered.Path("vandrel.ini"),
                             "[iniConfig]\r\nLastUsed=q\r\n[q]\r\nKey=17\r\n"
                             "moveToFolder=0\r\nsavingPlace=\r\nsortingOption=0\r\n"
                             "createArtistFolder=0\r\n"));
  const std::string server = " /s \"" + registered.Path("vandrel.dll") + "\"";
  Load(folder, {"gen_vandrel.dll"});
  winampGeneralPurposePlugin* gen = Wrapper();
  int result = 0;
  const std::string refusal = Answering([&] { result = gen->init(); });
  EXPECT_NE(result, 0);
  EXPECT_NE(refusal.find("0x80040154"), std::string::npos) << refusal;  // class not registered
  EXPECT_NE(refusal.find("vandrel.dll"), std::string::npos) << refusal;
  EXPECT_FALSE(Hooked());

  ASSERT_EQ(RunProgram("regsvr32.exe" + server), 0);
  EXPECT_EQ(Answering([&] { result = gen->init(); }), "");
  EXPECT_EQ(result, 0);
  EXPECT_STREQ(gen->description, "Vandrel [Win+Q]") << "the registered vandrel.dll, with its own settings";
  gen->quit();
  EXPECT_FALSE(Hooked());
  EXPECT_EQ(GlobalFindAtomA("XOLTVbHotKeyAtom"), 0) << "the hotkey's atom goes with it";

  // Unregistered, the class is gone; so is the ProgID, unless it names another class by then.
  ComPtr<IUnknown> none;
  CLSID clsid{};
  for (bool taken : {false, true}) {
    ASSERT_EQ(RunProgram("regsvr32.exe" + server), 0);
    const wchar_t other[] = L"{00000000-1111-2222-3333-444444444444}";
    const LONG set = taken ? RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel\\CLSID", nullptr, REG_SZ,
                                             other, sizeof other)
                           : 0;
    ASSERT_EQ(set, 0);
    ASSERT_EQ(RunProgram("regsvr32.exe /u" + server), 0);
    EXPECT_EQ(CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(SUCCEEDED(CLSIDFromProgID(kVandrelProgId, &clsid)), taken);
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel");
}

TEST_F(PairTest, TheFactoryMakesOnlyItsClassAndTheServerStaysWhileAnythingLives) {
  Load(folder, {"vandrel.dll"});
  Factory(IID_IGenWrapper, CLASS_E_CLASSNOTAVAILABLE);
  ComPtr<IUnknown> object;
  EXPECT_EQ(Factory()->CreateInstance(Factory().Get(), IID_PPV_ARGS(&object)), CLASS_E_NOAGGREGATION);
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "an object lives";
  object.Reset();
  Factory()->LockServer(TRUE);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "locked";
  Factory()->LockServer(FALSE);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(PairTest, FailuresReachTheCallerWithTheirNumberAndText) {
  Load(folder, {"vandrel.dll"});
  FakeWrapper wrapper;
  ComPtr<IZekWinAmpGenPlugin> plugin;
  ComPtr<IVandrel> own;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_PPV_ARGS(&plugin)), S_OK);
  ASSERT_EQ(plugin.As(&own), S_OK);
  // Values cross the interface: a null text is the empty one, any non-zero Boolean is true.
  BSTR text = nullptr;
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_TRUE(own->put_savingPlace(nullptr) == S_OK && own->get_savingPlace(&text) == S_OK &&
              !SysStringLen(text));
  SysFreeString(text);
  EXPECT_TRUE(own->put_moveToFolder(1) == S_OK && own->get_moveToFolder(&value) == S_OK &&
              value == VARIANT_TRUE);
  EXPECT_EQ(own->get_Key(nullptr), E_POINTER);
  EXPECT_EQ(plugin->Initialize(nullptr), E_POINTER);

  // Before Initialize there is no Winamp to register a hotkey with.
  EXPECT_TRUE(FAILED(own->put_Key(1)));
  EXPECT_EQ(TakeErrorInfo().second, L"Vandrel.Vandrel");
  // A failed wrapper call ends Initialize with the wrapper's number and text.
  wrapper.failNextWrite = E_ACCESSDENIED;
  EXPECT_EQ(plugin->Initialize(&wrapper), E_ACCESSDENIED);
  EXPECT_EQ(TakeErrorInfo().first, L"The plug-in list is gone");
  EXPECT_EQ(plugin->Quit(), S_OK);

  // A delete that fails inside Act: the system's error, naming the file; Winamp stays stopped.
  const std::string song = folder.File("Busy - Song.mp3", "busy");
  snprintf(g_currentName, sizeof g_currentName, "%s", song.c_str());
  g_commands.clear();
  ASSERT_EQ(plugin->Initialize(&wrapper), S_OK);
  // A key that another program holds is refused, and says so.
  HWND other = CreateWindowExA(0, "STATIC", "other", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, 'D'));
  EXPECT_EQ(Answering([&] { own->put_Key(4); }).rfind("Failed to register hotkey.", 0), 0u);
  LONG key = -1;
  EXPECT_TRUE(own->get_Key(&key) == S_OK && key == 0);
  DestroyWindow(other);
  HANDLE held = CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(own->Act(), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_NE(TakeErrorInfo().first.find(std::wstring(song.begin(), song.end())), std::wstring::npos);
  CloseHandle(held);
  EXPECT_TRUE(FileExists(song));
  EXPECT_EQ(g_commands, (std::vector<UINT>{211, 40047})) << "the name asked for, then Stop alone";
  EXPECT_EQ(plugin->Quit(), S_OK);
  plugin.Reset(), own.Reset();
  EXPECT_EQ(wrapper.refs, 0u) << "the object keeps the wrapper only for its own life";
}

// The sweep takes that hotkey's messages only: another hotkey's press, queued
// between them, is still there afterwards. The sweep for a combination's
// presses (whoever registered it) keeps the other combinations'; the held
// keys are the keyboard's.
TEST_F(PairTest, TheSweepsForRepeatsKeepOtherHotkeysPressesAndHeldKeysAreSeen) {
  auto& windows = platform::win32::Win32Windows();
  for (WPARAM id : {5, 7, 5, 9, 5}) PostMessageW(winamp, WM_HOTKEY, id, 0);
  windows.DiscardQueuedHotKeys(reinterpret_cast<platform::WindowHandle>(winamp), 5);
  for (LPARAM keys : {MAKELPARAM(3, 'K'), MAKELPARAM(2, 'K'), MAKELPARAM(3, 'L'), MAKELPARAM(3, 'K')})
    PostMessageW(winamp, WM_HOTKEY, 1, keys);
  windows.DiscardQueuedKeyPresses(MOD_CONTROL | MOD_ALT, {'K', 'J'});
  std::vector<LPARAM> left;
  for (MSG m; PeekMessageW(&m, winamp, WM_HOTKEY, WM_HOTKEY, PM_REMOVE);)
    left.push_back(m.wParam * 0x1000000 + m.lParam);
  EXPECT_EQ(left, (std::vector<LPARAM>{0x7000000, 0x9000000, 0x1000000 + MAKELPARAM(2, 'K'),
                                       0x1000000 + MAKELPARAM(3, 'L')}));

  INPUT key{};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = VK_F24;
  ASSERT_EQ(SendInput(1, &key, sizeof key), 1u);
  const std::vector<unsigned> held = windows.HeldKeys();
  key.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &key, sizeof key);
  EXPECT_NE(std::find(held.begin(), held.end(), VK_F24), held.end());
  const std::vector<unsigned> released = windows.HeldKeys();
  EXPECT_EQ(std::find(released.begin(), released.end(), VK_F24), released.end());
}

// A profile with fewer than five entries ends Initialize after the hook is in
// place: the wrapper says so, keeps the object, and its quit undoes it all.
TEST_F(PairTest, TheWrapperShowsAFailedInitializeAndItsQuitStillUnhooksAndUnloads) {
  Load(folder, {"gen_vandrel.dll", "vandrel.dll"});
  folder.File("vandrel.ini", "[iniConfig]\r\nLastUsed=short\r\n[short]\r\nKey=0\r\n");
  int result = 1;
  const std::string boxes = Answering([&] { result = Wrapper()->init(); });
  EXPECT_EQ(result, 0);
  EXPECT_NE(boxes.find("Initialize"), std::string::npos) << boxes;
  EXPECT_NE(boxes.find("0x800A0009"), std::string::npos) << boxes;
  EXPECT_TRUE(Hooked());
  Wrapper()->quit();
  EXPECT_FALSE(Hooked());
  EXPECT_EQ(GetModuleHandleA(folder.Path("vandrel.dll").c_str()), nullptr);
}

}  // namespace
}  // namespace vandrel::testing
