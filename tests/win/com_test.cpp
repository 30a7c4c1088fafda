// vandrel.dll as a COM server under Wine: registration,
// creation through DllGetClassObject, its interfaces, the refusal of a second
// instance and how errors travel back to the caller.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "com/interfaces.h"
#include "pair_support.h"

namespace vandrel::testing {
namespace {

using Microsoft::WRL::ComPtr;

// The wrapper object, as a test sees it: Winamp's window and a record of
// the descriptions written; can fail the next description write.
class FakeWrapper final : public IGenWrapper, public ISupportErrorInfo {
 public:
  explicit FakeWrapper(HWND window) : window_(window) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGenWrapper)) {
      *object = static_cast<IGenWrapper*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
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
    if (FAILED(failNextWrite)) {
      const HRESULT hr = failNextWrite;
      failNextWrite = S_OK;
      ComPtr<ICreateErrorInfo> create;
      CreateErrorInfo(&create);
      create->SetDescription(const_cast<LPOLESTR>(L"The plug-in list is gone"));
      ComPtr<IErrorInfo> info;
      create.As(&info);
      SetErrorInfo(0, info.Get());
      return hr;
    }
    description = value == nullptr ? L"" : value;
    return S_OK;
  }
  STDMETHODIMP get_WinAmpWindowHandle(INT_PTR* value) override {
    *value = reinterpret_cast<INT_PTR>(window_);
    return S_OK;
  }
  STDMETHODIMP get_WrapperVersion(LONG* value) override {
    *value = 0x00020005;
    return S_OK;
  }
  STDMETHODIMP get_WrapperDescription(BSTR* value) override {
    *value = SysAllocString(L"test wrapper");
    return S_OK;
  }
  STDMETHODIMP get_WrapperDllHandle(INT_PTR* value) override {
    *value = 0x1234;
    return S_OK;
  }

  ULONG refs = 0;
  int writes = 0;
  HRESULT failNextWrite = S_OK;
  std::wstring description;

 private:
  HWND window_;
};

// The thread's error object: its description and source.
struct ErrorText {
  std::wstring description;
  std::wstring source;
  bool present = false;
};

ErrorText TakeErrorInfo() {
  ErrorText result;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return result;
  result.present = true;
  BSTR text = nullptr;
  if (SUCCEEDED(info->GetDescription(&text)) && text != nullptr) result.description = text;
  SysFreeString(text);
  text = nullptr;
  if (SUCCEEDED(info->GetSource(&text)) && text != nullptr) result.source = text;
  SysFreeString(text);
  return result;
}

std::wstring DefaultValue(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

DWORD RunAndWait(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::string command = commandLine;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return GetLastError() | 0x10000000;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

bool KeyExists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

class ComServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(folder_.ok());
    ASSERT_TRUE(CopyBuiltFile(folder_, "vandrel.dll"));
    folder_.File("vandrel.ini", kQuietSettings);
    dllPath_ = folder_.Path("vandrel.dll");
    module_ = LoadLibraryA(dllPath_.c_str());
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    CoUninitialize();
  }

  ComPtr<IZekWinAmpGenPlugin> Create() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(Export<GetClassObjectFn>(module_, "DllGetClassObject")(CLSID_Vandrel, IID_PPV_ARGS(&factory)),
              S_OK);
    ComPtr<IZekWinAmpGenPlugin> plugin;
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&plugin)), S_OK);
    }
    return plugin;
  }
  HRESULT CanUnloadNow() { return Export<ServerFn>(module_, "DllCanUnloadNow")(); }

  BoxWatcher boxes_;
  TempFolder folder_;
  std::string dllPath_;
  HMODULE module_ = nullptr;
};

// Registration as a user does it: regsvr32, then regsvr32 /u; and the
// server's own entry points for the case of a ProgID taken over meanwhile.
TEST_F(ComServerTest, RegisteringMakesTheClassCreatableAndUnregisteringRemovesOnlyOurKeys) {
  auto reg = Export<ServerFn>(module_, "DllRegisterServer");
  auto unreg = Export<ServerFn>(module_, "DllUnregisterServer");
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kVandrelClsidText;
  ASSERT_EQ(RunAndWait("regsvr32.exe /s \"" + dllPath_ + "\""), 0u);
  EXPECT_EQ(DefaultValue(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  CLSID fromProgId{};
  EXPECT_EQ(CLSIDFromProgID(kVandrelProgId, &fromProgId), S_OK);
  EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_Vandrel));
  {
    ComPtr<IVandrel> created;
    EXPECT_EQ(CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created)), S_OK);
  }

  ASSERT_EQ(RunAndWait("regsvr32.exe /u /s \"" + dllPath_ + "\""), 0u);
  for (const std::wstring& key :
       {clsidKey + L"\\InprocServer32", clsidKey + L"\\ProgID", clsidKey,
        std::wstring(L"Vandrel.Vandrel\\CLSID"), std::wstring(L"Vandrel.Vandrel")}) {
    EXPECT_FALSE(KeyExists(key)) << std::string(key.begin(), key.end());
  }
  EXPECT_TRUE(KeyExists(L"CLSID"));
  ComPtr<IVandrel> none;
  EXPECT_EQ(CoCreateInstance(CLSID_Vandrel, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)),
            REGDB_E_CLASSNOTREG);

  // A ProgID that meanwhile names another class is left alone.
  ASSERT_EQ(reg(), S_OK);
  const wchar_t other[] = L"{00000000-1111-2222-3333-444444444444}";
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel\\CLSID", nullptr, REG_SZ, other, sizeof(other)),
      ERROR_SUCCESS);
  EXPECT_EQ(unreg(), S_OK);
  EXPECT_FALSE(KeyExists(clsidKey));
  EXPECT_EQ(DefaultValue(L"Vandrel.Vandrel\\CLSID"), other);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel\\CLSID");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Vandrel.Vandrel");
}

TEST_F(ComServerTest, ClassFactoryMakesObjectsWithTheirInterfacesAndCountsThem) {
  auto getClassObject = Export<GetClassObjectFn>(module_, "DllGetClassObject");
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IID_IGenWrapper, IID_PPV_ARGS(&factory)), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory)), S_OK);

  ComPtr<IUnknown> outer;
  ComPtr<IUnknown> aggregated;
  factory.As(&outer);
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_PPV_ARGS(&aggregated)), CLASS_E_NOAGGREGATION);

  ComPtr<IUnknown> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
  ComPtr<IVandrel> own;
  ComPtr<ISupportErrorInfo> supports;
  ASSERT_EQ(object.As(&own), S_OK);
  ASSERT_EQ(object.As(&supports), S_OK);
  EXPECT_EQ(supports->InterfaceSupportsErrorInfo(IID_IZekWinAmpGenPlugin), S_OK);

  // The server stays loaded while an object or a lock lives.
  factory.Reset();
  outer.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  object.Reset();
  own.Reset();
  supports.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  ASSERT_EQ(getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory)), S_OK);
  factory->LockServer(TRUE);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  ASSERT_EQ(getClassObject(CLSID_Vandrel, IID_PPV_ARGS(&factory)), S_OK);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, SecondInstanceIsRefusedWithItsNumberAndTextAndTheFirstStaysHooked) {
  WinampWindow winamp;
  ASSERT_NE(winamp.get(), nullptr);
  FakeWrapper firstWrapper(winamp.get());
  FakeWrapper secondWrapper(winamp.get());
  ComPtr<IZekWinAmpGenPlugin> first = Create();
  ComPtr<IZekWinAmpGenPlugin> second = Create();
  ASSERT_TRUE(first && second);

  ASSERT_EQ(first->Initialize(&firstWrapper), S_OK);
  const int firstWrites = firstWrapper.writes;
  EXPECT_EQ(second->Initialize(&secondWrapper), static_cast<HRESULT>(0x80040001));
  const ErrorText error = TakeErrorInfo();
  EXPECT_TRUE(error.present);
  EXPECT_EQ(error.description, L"Already have a plugin instance");
  EXPECT_EQ(secondWrapper.writes, 0);

  // The refused object's Quit leaves the first instance alone.
  EXPECT_EQ(second->Quit(), S_OK);
  second.Reset();
  EXPECT_NE(WindowProcOf(winamp.get()), winamp.OwnProc());
  EXPECT_EQ(firstWrapper.writes, firstWrites);
  EXPECT_EQ(first->Quit(), S_OK);
  first.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(firstWrapper.refs, 0u) << "the object keeps the wrapper only for its own life";
  EXPECT_EQ(secondWrapper.refs, 0u);

  // With the first instance gone, a new one may start.
  ComPtr<IZekWinAmpGenPlugin> third = Create();
  ASSERT_EQ(third->Initialize(&secondWrapper), S_OK);
  EXPECT_EQ(third->Quit(), S_OK);
}

TEST_F(ComServerTest, FailuresReachTheCallerWithNumberAndDescription) {
  WinampWindow winamp;
  FakeWrapper wrapper(winamp.get());
  ComPtr<IZekWinAmpGenPlugin> plugin = Create();
  ComPtr<IVandrel> own;
  ASSERT_EQ(plugin.As(&own), S_OK);

  // Before Initialize there is no wrapper to register a hotkey with.
  const HRESULT early = own->put_Key(1);
  EXPECT_TRUE(FAILED(early));
  ErrorText error = TakeErrorInfo();
  EXPECT_FALSE(error.description.empty());
  EXPECT_EQ(error.source, L"Vandrel.Vandrel");

  // A failed wrapper call ends Initialize with the wrapper's number and text.
  wrapper.failNextWrite = E_ACCESSDENIED;
  EXPECT_EQ(plugin->Initialize(&wrapper), E_ACCESSDENIED);
  error = TakeErrorInfo();
  EXPECT_EQ(error.description, L"The plug-in list is gone");
  EXPECT_EQ(plugin->Quit(), S_OK);

  EXPECT_EQ(own->get_Key(nullptr), E_POINTER);
  EXPECT_EQ(plugin->Initialize(nullptr), E_POINTER);
}

// The current entry for PlaylistWinamp: a name in this process's memory.
char g_currentName[512];
std::vector<UINT> g_commands;

LRESULT CALLBACK PlaylistWinamp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && lParam == 125) return 0;
  if (message == WM_USER && lParam == 211) return reinterpret_cast<LRESULT>(g_currentName);
  if (message == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ComServerTest, AFailedDeleteComesBackFromActAsTheSystemsErrorNamingTheFile) {
  const std::string song = folder_.File("Busy - Song.mp3", "busy");
  std::snprintf(g_currentName, sizeof g_currentName, "%s", song.c_str());
  g_commands.clear();
  WinampWindow winamp(PlaylistWinamp);
  FakeWrapper wrapper(winamp.get());
  ComPtr<IZekWinAmpGenPlugin> plugin = Create();
  ComPtr<IVandrel> own;
  ASSERT_EQ(plugin.As(&own), S_OK);
  ASSERT_EQ(plugin->Initialize(&wrapper), S_OK);

  // Another program reads the file and shares it for reading only.
  HANDLE held = CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(own->Act(), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  const ErrorText error = TakeErrorInfo();
  EXPECT_NE(error.description.find(std::wstring(song.begin(), song.end())), std::wstring::npos);
  CloseHandle(held);
  EXPECT_TRUE(FileExists(song));
  EXPECT_EQ(g_commands, std::vector<UINT>{40047}) << "Winamp stays stopped";
  EXPECT_EQ(plugin->Quit(), S_OK);
}

TEST_F(ComServerTest, NullTextAndNonZeroBooleansCrossTheInterface) {
  ComPtr<IZekWinAmpGenPlugin> plugin = Create();
  ComPtr<IVandrel> own;
  ASSERT_EQ(plugin.As(&own), S_OK);

  BSTR stored = nullptr;
  EXPECT_EQ(own->put_savingPlace(nullptr), S_OK);  // a null BSTR is the empty text
  EXPECT_EQ(own->get_savingPlace(&stored), S_OK);
  EXPECT_EQ(SysStringLen(stored), 0u);
  SysFreeString(stored);

  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_EQ(own->put_moveToFolder(1), S_OK);  // any non-zero value is true
  EXPECT_EQ(own->get_moveToFolder(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
}

}  // namespace
}  // namespace vandrel::testing
