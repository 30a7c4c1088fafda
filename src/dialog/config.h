// frmConfig's entry points for the plug-in object.
#pragma once

#include "dialog/plugin.h"

namespace vandrel::dialog {

// Module-wide: set when the dialog has finished opening, cleared on unload.
bool& ConfigDialogOpen();

// Creates frmConfig if there is none and shows it modally; returns when it
// has been closed. `pluginInstance` may be null (the dialog then shows empty).
void ShowConfig(Plugin* pluginInstance);

// Unloads frmConfig if it is open (used by Quit while the dialog is shown).
void UnloadConfig();

}  // namespace vandrel::dialog
