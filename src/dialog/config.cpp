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
  const platform::WindowHandle owner = OwnerWindow(pluginInstance);
  if (!frmConfig.Load(owner)) {
    ShowBox(L"The configuration dialog could not be opened.", platform::Icon::Critical);
    return;
  }
  // While the dialog is up its boxes belong to it; then to their owner before.
  struct BoxOwner {
    platform::WindowHandle before = platform::Ui().BoxOwner();
    explicit BoxOwner(platform::WindowHandle now) { platform::Ui().SetBoxOwner(now); }
    ~BoxOwner() { platform::Ui().SetBoxOwner(before); }
  } boxOwner(frmConfig.form().Handle());
  frmConfig.Show(owner);
  ConfigDialogOpen() = false;
}

void UnloadConfig() {
  if (g_shown) g_shown->Unload();
  ConfigDialogOpen() = false;
}

}  // namespace vandrel::dialog
