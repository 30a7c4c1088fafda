// gen_vandrel.dll under Wine, loaded the way Winamp loads a general-purpose
// plug-in: the struct, init/config/quit, where it finds vandrel.dll, and how
// it shows a failed call.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../../wrapper/winamp_gen.h"
#include "pair_support.h"

namespace vandrel::testing {
namespace {

using GetPluginFn = winampGeneralPurposePlugin*(__cdecl*)();

// One loaded copy of the wrapper, with Winamp's side of the struct filled in.
class LoadedWrapper {
 public:
  LoadedWrapper(const std::string& path, HWND winamp) : module_(LoadLibraryA(path.c_str())) {
    if (module_ == nullptr) return;
    auto get = Export<GetPluginFn>(module_, "winampGetGeneralPurposePlugin");
    plugin_ = get != nullptr ? get() : nullptr;
    if (plugin_ == nullptr) return;
    plugin_->hwndParent = winamp;
    plugin_->hDllInstance = module_;
  }
  ~LoadedWrapper() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedWrapper(const LoadedWrapper&) = delete;
  LoadedWrapper& operator=(const LoadedWrapper&) = delete;

  winampGeneralPurposePlugin* operator->() const { return plugin_; }
  explicit operator bool() const { return plugin_ != nullptr; }

 private:
  HMODULE module_;
  winampGeneralPurposePlugin* plugin_ = nullptr;
};

bool Loaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

class WrapperTest : public ::testing::Test {
 protected:
  explicit WrapperTest(WNDPROC winampProc = DefWindowProcA) : winamp_(winampProc) {}
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    ASSERT_NE(winamp_.get(), nullptr);
  }
  // gen_vandrel.dll (under `as`) and, unless told otherwise, vandrel.dll with
  // its settings file, in `folder`.
  void Install(TempFolder& folder, bool withPlugin = true, const std::string& as = "gen_vandrel.dll") {
    ASSERT_TRUE(CopyBuiltFile(folder, "gen_vandrel.dll", as));
    if (!withPlugin) return;
    ASSERT_TRUE(CopyBuiltFile(folder, "vandrel.dll"));
    folder.File("vandrel.ini", kQuietSettings);
  }

  BoxWatcher boxes_;
  WinampWindow winamp_;
  TempFolder folder_;
};

// The normal start and the refused second wrapper are proved end to end with
// the stand-in (startup and pair tests).

TEST_F(WrapperTest, KeepsAnObjectWhoseInitializeFailedPartWayAndQuitsIt) {
  // A profile with fewer than five entries ends Initialize after the hook is in place.
  Install(folder_);
  folder_.File("vandrel.ini", "[iniConfig]\r\nLastUsed=short\r\n[short]\r\nKey=0\r\n");
  LoadedWrapper wrapper(folder_.Path("gen_vandrel.dll"), winamp_.get());
  ASSERT_TRUE(wrapper);
  EXPECT_EQ(wrapper->init(), 0);
  const auto texts = boxes_.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(Contains(texts, "Initialize")) << texts[0];
  EXPECT_TRUE(Contains(texts, "0x800A0009")) << texts[0];
  EXPECT_NE(WindowProcOf(winamp_.get()), winamp_.OwnProc());

  wrapper->quit();
  EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());
  EXPECT_FALSE(Loaded(folder_.Path("vandrel.dll")));
}

TEST_F(WrapperTest, ReportsAMissingPluginAndGivesUp) {
  Install(folder_, /*withPlugin=*/false);
  LoadedWrapper wrapper(folder_.Path("gen_vandrel.dll"), winamp_.get());
  ASSERT_TRUE(wrapper);
  EXPECT_NE(wrapper->init(), 0);
  const auto texts = boxes_.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(Contains(texts, "0x80040154")) << texts[0];  // class not registered
  EXPECT_TRUE(Contains(texts, "vandrel.dll")) << texts[0];
  EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());
  wrapper->config();  // nothing to configure, nothing happens
  wrapper->quit();
}

TEST_F(WrapperTest, FallsBackToTheRegisteredClassWhenThePluginIsNotBesideIt) {
  TempFolder registered;
  Install(registered);
  const std::string pluginPath = registered.Path("vandrel.dll");
  {
    HMODULE server = LoadLibraryA(pluginPath.c_str());
    ASSERT_NE(server, nullptr);
    ASSERT_EQ(Export<ServerFn>(server, "DllRegisterServer")(), S_OK);
    FreeLibrary(server);
  }
  Install(folder_, /*withPlugin=*/false);
  {
    LoadedWrapper wrapper(folder_.Path("gen_vandrel.dll"), winamp_.get());
    ASSERT_TRUE(wrapper);
    EXPECT_EQ(wrapper->init(), 0);
    EXPECT_TRUE(Loaded(pluginPath));
    EXPECT_NE(WindowProcOf(winamp_.get()), winamp_.OwnProc());
    EXPECT_STREQ(wrapper->description, "Vandrel [No HotKey]");
    wrapper->quit();
    EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());
  }
  HMODULE server = LoadLibraryA(pluginPath.c_str());
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(Export<ServerFn>(server, "DllUnregisterServer")(), S_OK);
  FreeLibrary(server);
  EXPECT_TRUE(boxes_.Texts().empty());
}

// Winamp calls quit from its own window procedure, and every message to that
// window first passes through the plug-in's hook.
struct QuitFromWinamp {
  winampGeneralPurposePlugin* plugin = nullptr;
  bool inConfig = false;
  bool ran = false;
  bool ranInsideConfig = false;
} g_quit;

constexpr UINT kQuitNow = WM_APP + 7;

LRESULT CALLBACK ShuttingDownWinamp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kQuitNow) {
    g_quit.ran = true;
    g_quit.ranInsideConfig = g_quit.inConfig;
    g_quit.plugin->quit();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class QuitFromWinampTest : public WrapperTest {
 protected:
  QuitFromWinampTest() : WrapperTest(ShuttingDownWinamp) {}
  void SetUp() override {
    WrapperTest::SetUp();
    Install(folder_);
    g_quit = QuitFromWinamp{};
  }
};

TEST_F(QuitFromWinampTest, QuitInsideAMessageThroughTheHookReturnsIntoLiveCode) {
  LoadedWrapper wrapper(folder_.Path("gen_vandrel.dll"), winamp_.get());
  ASSERT_TRUE(wrapper);
  g_quit.plugin = wrapper.operator->();
  ASSERT_EQ(wrapper->init(), 0);
  ASSERT_NE(WindowProcOf(winamp_.get()), winamp_.OwnProc());

  SendMessageA(winamp_.get(), kQuitNow, 0, 0);
  EXPECT_TRUE(g_quit.ran);
  EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());
  SendMessageA(winamp_.get(), WM_NULL, 0, 0);  // the window still answers
}

TEST_F(QuitFromWinampTest, QuitInsideConfigReleasesWhenConfigReturns) {
  LoadedWrapper wrapper(folder_.Path("gen_vandrel.dll"), winamp_.get());
  ASSERT_TRUE(wrapper);
  g_quit.plugin = wrapper.operator->();
  ASSERT_EQ(wrapper->init(), 0);

  // The posted message is handled by the dialog's modal loop, if there is one.
  PostMessageA(winamp_.get(), kQuitNow, 0, 0);
  g_quit.inConfig = true;
  wrapper->config();
  g_quit.inConfig = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  ASSERT_TRUE(g_quit.ran);
  if (!g_quit.ranInsideConfig) GTEST_SKIP() << "Configure showed no modal dialog";
  EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());

  // Everything was released once Configure returned: a new start works.
  ASSERT_EQ(wrapper->init(), 0);
  EXPECT_NE(WindowProcOf(winamp_.get()), winamp_.OwnProc());
  wrapper->quit();
  EXPECT_EQ(WindowProcOf(winamp_.get()), winamp_.OwnProc());
}

}  // namespace
}  // namespace vandrel::testing
