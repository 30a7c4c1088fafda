// General-purpose plug-ins, loaded from a folder the way Winamp loads them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::standin {

// Winamp's published struct for general-purpose plug-ins (header version 0x10).
struct GeneralPurposePlugin {
  int version;
  char* description;
  int (*init)();
  void (*config)();
  void (*quit)();
  HWND hwndParent;
  HINSTANCE hDllInstance;
};

inline constexpr int kPluginHeaderVersion = 0x10;

class Plugins {
 public:
  Plugins() = default;
  Plugins(const Plugins&) = delete;
  Plugins& operator=(const Plugins&) = delete;
  ~Plugins() {
    Quit();
    Free();
  }

  // LoadLibraryA on every gen_*.dll in `folder`, then for each: the entry
  // point, hwndParent and hDllInstance filled in, init(). A plug-in whose
  // init() fails is unloaded again without quit().
  void LoadFolder(const std::string& folder, HWND main_window);

  // quit() of each plug-in in load order (once).
  void Quit();
  // FreeLibrary on each plug-in, after Quit, from a message of its own: a
  // plug-in's window procedure may still be on the stack at quit().
  void Free();

  // config() of plug-in `index`; false when there is no such plug-in.
  bool Configure(size_t index);

  // Winamp's Uninstall button for plug-in `index`: its exported
  // winampUninstallPlugin(module, `page`, 0), when it has one; its answer
  // is noted ("FILE|ANSWER", uninstalled()). False when there is none.
  bool Uninstall(size_t index, HWND page);
  const std::vector<std::string>& uninstalled() const { return uninstalled_; }

  // "FILE|DESCRIPTION" per loaded plug-in, the description read live.
  std::vector<std::string> Describe() const;
  // "FILE|REASON" per gen_*.dll that was not loaded.
  const std::vector<std::string>& failures() const { return failures_; }

 private:
  struct Loaded {
    std::string file;
    HMODULE module;
    GeneralPurposePlugin* header;
    bool quit_called;
  };

  std::vector<Loaded> loaded_;
  std::vector<std::string> failures_;
  std::vector<std::string> uninstalled_;
};

}  // namespace vandrel::standin
