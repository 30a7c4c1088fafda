#include "plugins.h"

#include <algorithm>

namespace vandrel::standin {

namespace {

using GetPlugin = GeneralPurposePlugin* (*)();

// Copies a NUL-terminated text from our own memory without trusting the
// pointer: a plug-in may hand out anything.
std::string ReadText(const char* text) {
  if (text == nullptr) return "";
  char buffer[1024] = {};
  SIZE_T got = 0;
  ReadProcessMemory(GetCurrentProcess(), text, buffer, sizeof buffer - 1, &got);
  if (got == 0) {
    // The read stops at the end of a readable region; go byte by byte.
    for (size_t i = 0; i < sizeof buffer - 1; ++i) {
      SIZE_T one = 0;
      if (!ReadProcessMemory(GetCurrentProcess(), text + i, buffer + i, 1, &one) || one != 1) break;
      if (buffer[i] == '\0') break;
    }
  }
  return std::string(buffer);
}

}  // namespace

void Plugins::LoadFolder(const std::string& folder, HWND main_window) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "gen_*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());

  for (const std::string& file : files) {
    HMODULE module = LoadLibraryA((dir + file).c_str());
    if (module == nullptr) {
      failures_.push_back(file + "|LoadLibrary failed, error " + std::to_string(GetLastError()));
      continue;
    }
    auto get = reinterpret_cast<GetPlugin>(
        reinterpret_cast<void*>(GetProcAddress(module, "winampGetGeneralPurposePlugin")));
    GeneralPurposePlugin* header = get != nullptr ? get() : nullptr;
    if (header == nullptr || header->version != kPluginHeaderVersion || header->init == nullptr) {
      failures_.push_back(file + "|not a general-purpose plug-in");
      FreeLibrary(module);
      continue;
    }
    header->hwndParent = main_window;
    header->hDllInstance = module;
    const int result = header->init();
    if (result != 0) {
      failures_.push_back(file + "|init() returned " + std::to_string(result));
      FreeLibrary(module);
      continue;
    }
    loaded_.push_back({file, module, header, false});
  }
}

void Plugins::Quit() {
  for (Loaded& plugin : loaded_) {
    if (plugin.quit_called) continue;
    plugin.quit_called = true;
    if (plugin.header->quit != nullptr) plugin.header->quit();
  }
}

void Plugins::Free() {
  for (Loaded& plugin : loaded_) FreeLibrary(plugin.module);
  loaded_.clear();
}

bool Plugins::Configure(size_t index) {
  if (index >= loaded_.size() || loaded_[index].quit_called || loaded_[index].header->config == nullptr)
    return false;
  loaded_[index].header->config();
  return true;
}

bool Plugins::Uninstall(size_t index, HWND page) {
  using UninstallFn = int(__cdecl*)(HINSTANCE, HWND, int);
  if (index >= loaded_.size()) return false;
  auto uninstall = reinterpret_cast<UninstallFn>(
      reinterpret_cast<void*>(GetProcAddress(loaded_[index].module, "winampUninstallPlugin")));
  if (uninstall == nullptr) return false;
  const int answer = uninstall(loaded_[index].module, page, 0);
  uninstalled_.push_back(loaded_[index].file + "|" + std::to_string(answer));
  return true;
}

std::vector<std::string> Plugins::Describe() const {
  std::vector<std::string> lines;
  for (const Loaded& plugin : loaded_)
    lines.push_back(plugin.file + "|" + ReadText(plugin.header->description));
  return lines;
}

}  // namespace vandrel::standin
