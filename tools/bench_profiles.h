// Settings files for the benchmarks.
#pragma once

#include <string>

#include "support/win/plugin_session.h"

// Profiles "p0" to "p<count-1>", of which the first `active` keep Ctrl+Alt+A,
// Ctrl+Alt+B, ... active, and the working profile "test" with Win+K.
inline std::string ManyProfiles(int count, int active) {
  using vandrel::testing::ProfileText;
  std::string ini = vandrel::testing::ProfileSection("test", ProfileText{});
  for (int i = 0; i < count; ++i) {
    ProfileText profile;
    profile.key = 1 + i % 26;
    profile.modifiers = 3;
    profile.alwaysActive = i < active;
    ini += vandrel::testing::ProfileSection("p" + std::to_string(i), profile);
  }
  return ini + "[iniConfig]\r\nLastUsed=test\r\n";
}
