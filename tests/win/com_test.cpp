// The DLL pair under Wine, in this process: vandrel.dll as a COM server (its
// registration, class factory and unloading, a second instance, how errors
// reach the caller) and gen_vandrel.dll loaded the way Winamp loads a
// general-purpose plug-in. The pair in the stand-in Winamp is tested end to end.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "../../wrapper/winamp_gen.h"
#include "com/interfaces.h"
#include "support/win/desktop.h"
#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

using Microsoft::WRL::ComPtr;
using ServerFn = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using GetPluginFn = winampGeneralPurposePlugin*(__cdecl*)();

template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A settings file whose last-used profile has no hotkey: no first-run box.
constexpr char kQuietSettings[] =
    "[iniConfig]\r\nLastUsed=test\r\n[test]\r\nKey=0\r\nmoveToFolder=0\r\nsavingPlace=C:\\\r\n"
    "sortingOption=0\r\ncreateArtistFolder=0\r\n";

// Winamp's side, in this thread: the current entry's name and the commands sent.
char g_currentName[512];
std::vector<UINT> g_commands;

LRESULT CALLBACK WinampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && lParam == 125) return 0;
  if (message == WM_USER && lParam == 211) return reinterpret_cast<LRESULT>(g_currentName);
  if (message == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// The wrapper object as a test sees it: the descriptions written; fails the
// next write with an error object when told to.
struct FakeWrapper final : IGenWrapper, ISupportErrorInfo {
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object =
        IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGenWrapper) ? static_cast<IGenWrapper*>(this)
        : IsEqualIID(iid, IID_ISupportErrorInfo) ? static_cast<void*>(static_cast<ISupportErrorInfo*>(this))
                                                 : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, IID_IGenWrapper) ? S_OK : S_FALSE;
  }
  STDMETHODIMP get_PluginDescription(BSTR* value) override {
    *value = SysAllocString(description.c_str());
    return S_OK;
  }
  STDMETHODIMP put_PluginDescription(BSTR value) override {
    ++writes;
    if (SUCCEEDED(failNextWrite)) {
      description = value == nullptr ? L"" : value;
      return S_OK;
    }
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
  STDMETHODIMP get_WrapperVersion(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP get_WrapperDescription(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_WrapperDllHandle(INT_PTR*) override { return E_NOTIMPL; }
  ULONG refs = 0;
  int writes = 0;
  HRESULT failNextWrite = S_OK;
  std::wstring description;
};

// The thread's error object: its description and source ("-" when none).
std::pair<std::wstring, std::wstring> TakeErrorInfo() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {L"-", L"-"};
  BSTR description = nullptr, source = nullptr;
  info->GetDescription(&description);
  info->GetSource(&source);
  std::pair<std::wstring, std::wstring> texts{description ? description : L"", source ? source : L""};
  SysFreeString(description);
  SysFreeString(source);
  return texts;
}

// Runs `action` while another thread answers every box titled "Vandrel" with
// OK; the boxes' texts.
std::vector<std::string> AnsweringBoxes(const std::function<void()>& action) {
  std::atomic<bool> done{false};
  std::vector<std::string> texts;
  std::thread answerer([&] {
    while (!done) {
      if (HWND box = FindMessageBox("Vandrel", 50)) texts.push_back(Answer(box));
    }
  });
  action();
  done = true;
  answerer.join();
  return texts;
}

class PairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    WNDCLASSA wc{0,       WinampProc, 0,       0,       GetModuleHandleA(nullptr),
                 nullptr, nullptr,    nullptr, nullptr, "Winamp v1.x"};
    RegisterClassA(&wc);
    winamp = CreateWindowExA(0, "Winamp v1.x", "Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(winamp, nullptr);
    ownProc = GetWindowLongPtrA(winamp, GWLP_WNDPROC);
    g_commands.clear();
  }
  void TearDown() override {
    if (module != nullptr) FreeLibrary(module);
    DestroyWindow(winamp);
    CoUninitialize();
  }
  bool Hooked() const { return GetWindowLongPtrA(winamp, GWLP_WNDPROC) != ownProc; }
  // Puts `files` from beside this program into `into`, with the quiet settings.
  static void Install(const TempFolder& into, std::initializer_list<const char*> files) {
    for (const char* file : files)
      ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), into.Path(file).c_str(), FALSE)) << file;
    ASSERT_TRUE(WriteWholeFile(into.Path("vandrel.ini"), kQuietSettings));
  }
  // vandrel.dll loaded from a folder of its own, as a COM server.
  void LoadServer() {
    Install(folder, {"vandrel.dll"});
    ASSERT_NE(module = LoadLibraryA(folder.Path("vandrel.dll").c_str()), nullptr);
  }
  ComPtr<IZekWinAmpGenPlugin> Create() {
    ComPtr<IClassFactory> factory;
    ComPtr<IZekWinAmpGenPlugin> plugin;
    EXPECT_EQ(Export<GetClassObjectFn>(module, "DllGetClassObject")(CLSID_Vandrel, IID_PPV_ARGS(&factory)),
              S_OK);
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&plugin)), S_OK);
    }
    return plugin;
  }
  HRESULT CanUnloadNow() { return Export<ServerFn>(module, "DllCanUnloadNow")(); }
  // gen_vandrel.dll at `path`, with Winamp's side of its struct filled in.
  winampGeneralPurposePlugin* LoadWrapper(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    winampGeneralPurposePlugin* plugin =
        module ? Export<GetPluginFn>(module, "winampGetGeneralPurposePlugin")() : nullptr;
    EXPECT_NE(plugin, nullptr);
    if (plugin != nullptr) plugin->hwndParent = winamp, plugin->hDllInstance = module;
    return plugin;
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
  Install(registered, {"vandrel.dll"});
  Install(folder, {"gen_vandrel.dll"});
  winampGeneralPurposePlugin* gen = LoadWrapper(folder.Path("gen_vandrel.dll"));
  ASSERT_NE(gen, nullptr);
  int result = 0;
  std::vector<std::string> boxes = AnsweringBoxes([&] { result = gen->init(); });
  EXPECT_NE(result, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("0x80040154"), std::string::npos) << boxes[0];  // class not registered
  EXPECT_NE(boxes[0].find("vandrel.dll"), std::string::npos) << boxes[0];
  EXPECT_FALSE(Hooked());

  const std::string server = "regsvr32.exe /s \"" + registered.Path("vandrel.dll") + "\"";
  ASSERT_EQ(RunProgram(server), 0);
  boxes = AnsweringBoxes([&] { result = gen->init(); });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(boxes.empty()) << boxes[0];
  EXPECT_NE(GetModuleHandleA(registered.Path("vandrel.dll").c_str()), nullptr);
  EXPECT_TRUE(Hooked());
  EXPECT_STREQ(gen->description, "Vandrel [No HotKey]");
  gen->quit();
  EXPECT_FALSE(Hooked());

  ASSERT_EQ(RunProgram("regsvr32.exe /u /s \"" + registered.Path("vandrel.dll") + "\""), 0);
  ComPtr<IUnknown> none;
  CLSID clsid{};
  EXPECT_EQ(CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)),
            REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(SUCCEEDED(CLSIDFromProgID(kVandrelProgId, &clsid)));

  // A ProgID that meanwhile names another class is left alone.
  ASSERT_EQ(RunProgram(server), 0);
  const wchar_t other[] = L"{00000000-1111-2222-3333-444444444444}";
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel\\CLSID", nullptr, REG_SZ, other, sizeof other), 0);
  ASSERT_EQ(RunProgram("regsvr32.exe /u /s \"" + registered.Path("vandrel.dll") + "\""), 0);
  EXPECT_EQ(CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CLSIDFromProgID(kVandrelProgId, &clsid), S_OK);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel"), 0);
}

TEST_F(PairTest, TheFactoryMakesOnlyItsClassAndTheServerStaysWhileAnythingLives) {
  LoadServer();
  auto getClassObject = Export<GetClassObjectFn>(module, "DllGetClassObject");
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IID_IGenWrapper, IID_PPV_ARGS(&factory)), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory)), S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_PPV_ARGS(&object)), CLASS_E_NOAGGREGATION);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "an object lives";
  object.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  ASSERT_EQ(getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory)), S_OK);
  factory->LockServer(TRUE);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "locked";
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(PairTest, FailuresReachTheCallerWithTheirNumberAndText) {
  LoadServer();
  FakeWrapper wrapper;
  ComPtr<IZekWinAmpGenPlugin> plugin = Create();
  ComPtr<IVandrel> own;
  ASSERT_EQ(plugin.As(&own), S_OK);
  // Values cross the interface: a null text is the empty one, any non-zero Boolean is true.
  BSTR text = nullptr;
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_EQ(own->put_savingPlace(nullptr), S_OK);
  EXPECT_EQ(own->get_savingPlace(&text), S_OK);
  EXPECT_EQ(SysStringLen(text), 0u);
  SysFreeString(text);
  EXPECT_EQ(own->put_moveToFolder(1), S_OK);
  EXPECT_EQ(own->get_moveToFolder(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
  EXPECT_EQ(own->get_Key(nullptr), E_POINTER);
  EXPECT_EQ(plugin->Initialize(nullptr), E_POINTER);

  // Before Initialize there is no Winamp to register a hotkey with.
  EXPECT_TRUE(FAILED(own->put_Key(1)));
  const auto [description, source] = TakeErrorInfo();
  EXPECT_NE(description, L"-");
  EXPECT_EQ(source, L"Vandrel.Vandrel");
  // A failed wrapper call ends Initialize with the wrapper's number and text.
  wrapper.failNextWrite = E_ACCESSDENIED;
  EXPECT_EQ(plugin->Initialize(&wrapper), E_ACCESSDENIED);
  EXPECT_EQ(TakeErrorInfo().first, L"The plug-in list is gone");
  EXPECT_EQ(plugin->Quit(), S_OK);

  // A delete that fails inside Act: the system's error, naming the file; Winamp stays stopped.
  const std::string song = folder.File("Busy - Song.mp3", "busy");
  snprintf(g_currentName, sizeof g_currentName, "%s", song.c_str());
  ASSERT_EQ(plugin->Initialize(&wrapper), S_OK);
  HANDLE held = CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(own->Act(), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_NE(TakeErrorInfo().first.find(std::wstring(song.begin(), song.end())), std::wstring::npos);
  CloseHandle(held);
  EXPECT_TRUE(FileExists(song));
  EXPECT_EQ(g_commands, std::vector<UINT>{40047});
  EXPECT_EQ(plugin->Quit(), S_OK);
  plugin.Reset();
  own.Reset();
  EXPECT_EQ(wrapper.refs, 0u) << "the object keeps the wrapper only for its own life";
}

// A profile with fewer than five entries ends Initialize after the hook is in
// place: the wrapper says so, keeps the object, and its quit undoes it all.
TEST_F(PairTest, TheWrapperShowsAFailedInitializeAndItsQuitStillUnhooksAndUnloads) {
  Install(folder, {"gen_vandrel.dll", "vandrel.dll"});
  folder.File("vandrel.ini", "[iniConfig]\r\nLastUsed=short\r\n[short]\r\nKey=0\r\n");
  winampGeneralPurposePlugin* gen = LoadWrapper(folder.Path("gen_vandrel.dll"));
  ASSERT_NE(gen, nullptr);
  int result = 1;
  const std::vector<std::string> boxes = AnsweringBoxes([&] { result = gen->init(); });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Initialize"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("0x800A0009"), std::string::npos) << boxes[0];
  EXPECT_TRUE(Hooked());
  gen->quit();
  EXPECT_FALSE(Hooked());
  EXPECT_EQ(GetModuleHandleA(folder.Path("vandrel.dll").c_str()), nullptr);
}

}  // namespace
}  // namespace vandrel::testing
