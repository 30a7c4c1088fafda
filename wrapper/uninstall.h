// Winamp's Uninstall (Preferences > Plug-ins): what goes with the plug-in.
#pragma once

#include <windows.h>

namespace vandrel::wrapper {

// What Winamp is told: the plug-in goes at its next start, never at once,
// since the main window stays subclassed until quit.
inline constexpr int kGenPluginUninstallReboot = 0;

// Asks whether the saved settings go too and deletes them when they do (the
// settings file and the journal, beside this DLL and in the Plugins folder
// of the player's settings folder, which `winamp` names). vandrel.dll is
// deleted at the quit that follows, once unloaded; where the Plugins folder
// cannot be written the box names the file to delete by hand instead.
// `parent` is the preferences page that asked.
void Uninstall(HMODULE self, HWND parent, HWND winamp);

// Deletes vandrel.dll when Uninstall asked for it: called once the plug-in
// object is gone and its library let go of. A vandrel.dll still loaded goes
// once Winamp's process has ended: rundll32 runs VandrelRemoveAfterExit of
// this DLL (`self`) for that.
void FinishUninstall(HMODULE self);

// VandrelRemoveAfterExit's work: waits for the process `processId` (decimal
// text) to end, then deletes vandrel.dll beside this DLL.
void RemoveAfterExit(HMODULE self, const char* processId);

}  // namespace vandrel::wrapper
