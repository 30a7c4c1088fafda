// Winamp's general-purpose plug-in interface, as Winamp loads every gen_*.dll.
#pragma once

#include <windows.h>

inline constexpr int kGenPluginHeaderVersion = 0x10;

struct winampGeneralPurposePlugin {
  int version;             // kGenPluginHeaderVersion
  char* description;       // shown in Winamp's plug-in list (ANSI code page)
  int (*init)(void);       // 0 means success
  void (*config)(void);    // the user asked for the settings
  void (*quit)(void);      // once, at shutdown
  HWND hwndParent;         // Winamp's main window, filled in before init
  HINSTANCE hDllInstance;  // this DLL, filled in before init
};

extern "C" winampGeneralPurposePlugin* __cdecl winampGetGeneralPurposePlugin(void);
