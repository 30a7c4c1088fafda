#include "dialog/config.h"

#include <exception>

#include "dialog/frm_config.h"
#include "dialog/messages.h"

namespace vandrel::dialog {

namespace {

FrmConfig* g_shown = nullptr;  // the dialog while Configure shows it

platform::WindowHandle OwnerWindow(Plugin* plugin) {
  if (plugin) {
    try {
      return plugin->WinAmpWindowHandle();
    } catch (const std::exception&) {
    }
  }
  return 0;
}

}  // namespace

bool& ConfigDialogOpen() {
  static bool open = false;
  return open;
}

void ShowConfig(Plugin* pluginInstance) {
  if (g_shown) return;  // already open: it is modal, so this call came from inside it
  FrmConfig frmConfig(pluginInstance);
  struct Shown {
    explicit Shown(FrmConfig* frm) { g_shown = frm; }
    ~Shown() { g_shown = nullptr; }
  } shown(&frmConfig);
  if (!frmConfig.Load()) {
    ShowBox(L"The configuration dialog could not be opened.", platform::Icon::Critical);
    return;
  }
  frmConfig.Show(OwnerWindow(pluginInstance));
  ConfigDialogOpen() = false;
}

void UnloadConfig() {
  if (g_shown) g_shown->Unload();
  ConfigDialogOpen() = false;
}

}  // namespace vandrel::dialog
