// Benchmark: the plug-in's Initialize (the settings file found and read, the
// working profile loaded, every always-active profile's shortcut registered),
// with 50 profiles of which 10 are active, against one profile. The plug-in
// object runs in this program over the real Win32 services, with a window of
// its own as Winamp's and a settings file beside the program. Run under Wine:
//
//   scripts/with-wine.sh scripts/wine-run.sh build/x64/bin/bench_start.exe [starts]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "bench_profiles.h"
#include "core/vandrel.h"
#include "platform/error.h"
#include "platform/win32/win32_services.h"

using namespace vandrel;

namespace {

class BenchWrapper : public core::Wrapper {
 public:
  explicit BenchWrapper(HWND window) : window_(window) {}
  std::wstring PluginDescription() override { return description_; }
  void SetPluginDescription(const std::wstring& text) override { description_ = text; }
  platform::WindowHandle WinAmpWindowHandle() override {
    return reinterpret_cast<platform::WindowHandle>(window_);
  }
  std::int32_t WrapperVersion() override { return 1 << 16; }
  std::wstring WrapperDescription() override { return L"bench"; }
  std::intptr_t WrapperDllHandle() override { return 0; }

 private:
  HWND window_;
  std::wstring description_;
};

// Median time of `starts` Initialize calls (each followed by Quit), in ms;
// `description` receives the plug-in list's entry.
double MedianStart(const std::string& ini, int starts, HWND window, std::wstring& description) {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring path = core::SettingsPathForModule(module);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
  CloseHandle(file);
  std::vector<double> times;
  auto wrapper = std::make_shared<BenchWrapper>(window);
  for (int i = 0; i < starts; ++i) {
    core::Vandrel plugin;
    const double start = Now();
    plugin.IZekWinAmpGenPlugin_Initialize(wrapper);
    times.push_back(Now() - start);
    description = wrapper->PluginDescription();
    plugin.IZekWinAmpGenPlugin_Quit();
  }
  DeleteFileW(path.c_str());
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  platform::win32::InstallServices(nullptr);
  HWND window = CreateWindowExW(0, L"STATIC", L"Winamp", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  try {
    std::wstring one, many;
    const double small = MedianStart(ManyProfiles(1, 0), starts, window, one);
    const double large = MedianStart(ManyProfiles(50, 10), starts, window, many);
    std::printf(
        "Initialize median over %d starts: %7.3f ms with 1 profile; %7.3f ms with 50 profiles, 10 active "
        "(%s 10 ms)\n",
        starts, small, large, large < 10 ? "within" : "OVER");
    std::printf("plug-in list: %ls / %ls\n", one.c_str(), many.c_str());
    DestroyWindow(window);
    return many.find(L"Ctrl+Alt+A") != std::wstring::npos ? 0 : 1;
  } catch (const Error& error) {
    std::printf("Initialize failed: %ls\n", error.Description().c_str());
    return 1;
  }
}
