#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

void InstallServices(void* module) {
  SetOwnModule(module);
  Services& services = Current();
  services.windows = &Win32Windows();
  services.ui = &Win32Ui();
  services.files = &Win32Files();
  services.profile = &Win32Profile();
  services.toolkit = &Win32Toolkit();
}

}  // namespace vandrel::platform::win32
