#include "dialog/plugin.h"

#include "winamp/bridge.h"

namespace vandrel::dialog {

disposal::ActOutcome Plugin::ActQuietly() {
  if (winamp::GetCurrentFileName().starts_with(L"\\\\")) return disposal::ActOutcome::NetworkRefused;
  return Act();
}

}  // namespace vandrel::dialog
