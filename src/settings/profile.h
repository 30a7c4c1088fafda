// The settings file's layout: profile names, the bookkeeping section, the
// five entries of a profile, and taking a profile's header out of the file.
#pragma once

#include <array>
#include <string>

#include "platform/platform.h"

namespace vandrel::settings {

inline constexpr wchar_t kConfigSection[] = L"iniConfig";
inline constexpr wchar_t kLastUsedKey[] = L"LastUsed";

// Keys as written, in their fixed order, and the lower-case names readers expect.
inline constexpr std::array<const wchar_t*, 5> kProfileKeys = {L"Key", L"moveToFolder", L"savingPlace",
                                                               L"sortingOption", L"createArtistFolder"};
inline constexpr std::array<const wchar_t*, 5> kProfileReadNames = {L"key", L"movetofolder", L"savingplace",
                                                                    L"sortingoption", L"createartistfolder"};

// Cleans a profile or folder name in place and returns it.
std::wstring CleanName(std::wstring& text);

// Removes every whole line equal to `header` ("[" + name + "]" + CR LF) from
// the settings file named by SettingsIni(). The file is replaced in one step;
// on failure it stays whole and the result carries the system's reason.
platform::OpResult RemoveSectionHeader(const std::wstring& header);

// The text of the "Vandrel" box shown when RemoveSectionHeader failed for the
// profile `name`: what stayed behind and the system's reason.
std::wstring HeaderNotRemovedMessage(const std::wstring& name, const platform::OpResult& result);

// The text of the "Vandrel" box shown when a write through SettingsIni()
// failed: the settings file and the system's reason.
std::wstring WriteFailedMessage();

// True for the text "1" only.
inline bool ProfileBoolean(const std::wstring& value) { return value == L"1"; }

}  // namespace vandrel::settings
