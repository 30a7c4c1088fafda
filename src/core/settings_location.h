// Where the settings file lives.
#pragma once

#include <string>

namespace vandrel::core {

// The file made and removed again to find out whether a folder can be
// written: a folder's attributes do not tell (Windows does not apply them to
// folders, and an unelevated Winamp under Program Files is refused by rights
// alone).
inline constexpr wchar_t kWriteTestName[] = L"vandrel-write-test.tmp";

// The settings file for the module at `modulePath`, given Winamp's own
// settings folder `winampFolder` (empty when Winamp names none).
//
// Beside the module when its folder can be written or Winamp names no folder;
// otherwise in the Plugins folder of Winamp's settings folder (made when
// missing), where a settings file from beside the module is copied first when
// none is there yet, so that the profiles made before carry over. Should the
// Plugins folder not be there even so, the file stays beside the module. A
// copy that fails is reported.
std::wstring ChooseSettingsFile(const std::wstring& modulePath, const std::wstring& winampFolder);

}  // namespace vandrel::core
