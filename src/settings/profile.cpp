#include "settings/profile.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/error.h"
#include "settings/ini_class.h"
#include "settings/values.h"

namespace vandrel::settings {
namespace {

void RemoveEvery(std::wstring& text, wchar_t c) { std::erase(text, c); }

// Characters a profile or folder name may not hold, removed in this order.
constexpr wchar_t kRemoved[] = {L'\'', L'\u00E4', L'\u00F6', L'\u00FC', L' ', L'\u00DF', L'-', L']',
                                L'[',  L'/',      L'\\',     L'\u00B4', L'`', L'}',      L'{', L'%'};

// Lower case, without blanks: how a section name or a line is compared in the
// file's text, loosely enough that no spelling the profile functions accept
// is missed.
std::wstring Squeezed(const std::wstring& text) {
  std::wstring squeezed = platform::Ui().Lower(text);
  std::erase_if(squeezed, [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; });
  return squeezed;
}

// The squeezed names of the sections of the settings file in whose text
// `word` (lower case) appears; none when the file cannot be read.
std::optional<std::set<std::wstring>> SectionsMentioning(const std::wstring& word) {
  std::string bytes;
  if (!platform::Files().ReadAllBytes(SettingsIni().FileName(), bytes).ok()) return std::nullopt;
  const std::wstring text = platform::Ui().FromAnsi(bytes);
  std::set<std::wstring> found;
  std::wstring section;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Squeezed(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.starts_with(L"[")) {
      section =
          line.substr(1, line.rfind(L']') == std::wstring::npos ? std::wstring::npos : line.rfind(L']') - 1);
    } else if (line.find(word) != std::wstring::npos) {
      found.insert(section);
    }
  }
  return found;
}

}  // namespace

std::int32_t ProfileModifiers(const std::vector<std::wstring>& keys,
                              const std::vector<std::wstring>& values) {
  constexpr std::size_t at = kModifiersPosition;
  if (at >= keys.size() || at >= values.size() || platform::Ui().Lower(keys[at]) != kProfileReadNames[at]) {
    return 8;
  }
  try {
    return ToInt32(values[at]);
  } catch (const Error&) {
    return -1;
  }
}

std::array<std::wstring, kProfileKeys.size()> ProfileValues(const Profile& p) {
  auto flag = [](bool on) { return std::wstring(on ? L"1" : L"0"); };
  return {std::to_wstring(p.key),
          flag(p.moveToFolder),
          p.savingPlace,
          flag(p.sortingOption),
          flag(p.createArtistFolder),
          std::to_wstring(p.modifiers),
          flag(p.alwaysActive),
          std::to_wstring(p.playlistEntry),
          flag(p.artistFromTags),
          flag(p.libraryEntry),
          flag(p.companionFiles),
          flag(p.removeEmptyFolders)};
}

bool ReadProfile(const std::wstring& name, Profile& profile) {
  std::vector<std::wstring> keys, values;
  if (!SettingsIni().ReadSection(name, keys, values)) return false;
  const std::size_t count = std::min(keys.size(), values.size());
  if (count < kRequiredEntries) return false;
  auto at = [&](std::size_t position) {
    return position < count && platform::Ui().Lower(keys[position]) == kProfileReadNames[position];
  };
  profile = Profile{};
  profile.name = name;
  if (at(0)) {
    try {
      profile.key = ToInt32(values[0]);
    } catch (const Error&) {
      profile.key = 0;
    }
    profile.modifiers = ProfileModifiers(keys, values);
  }
  if (at(1)) profile.moveToFolder = ProfileBoolean(values[1]);
  if (at(2)) profile.savingPlace = values[2];
  if (at(3)) profile.sortingOption = ProfileBoolean(values[3]);
  if (at(4)) profile.createArtistFolder = ProfileBoolean(values[4]);
  if (at(kAlwaysActivePosition)) profile.alwaysActive = ProfileBoolean(values[kAlwaysActivePosition]);
  ProfilePlaylistEntry(name, keys, values, profile.playlistEntry);
  profile.artistFromTags = ProfileArtistFromTags(keys, values);
  profile.libraryEntry = ProfileLibraryEntry(keys, values);
  profile.companionFiles = ProfileFlag(keys, values, kCompanionFilesPosition);
  profile.removeEmptyFolders = ProfileFlag(keys, values, kRemoveEmptyFoldersPosition);
  return true;
}

std::vector<Profile> ReadActiveProfiles() {
  std::vector<Profile> profiles;
  std::vector<std::wstring> names;
  if (!SettingsIni().Enum_SectionNames(names)) return profiles;
  // Each section read costs a look at the file; one look at its text first
  // leaves out the sections that cannot hold the entry at all.
  std::optional<std::set<std::wstring>> candidates =
      SectionsMentioning(kProfileReadNames[kAlwaysActivePosition]);
  for (const std::wstring& name : names) {
    if (name == kConfigSection || (candidates && !candidates->count(Squeezed(name)))) continue;
    Profile profile;
    if (ReadProfile(name, profile) && profile.alwaysActive) profiles.push_back(std::move(profile));
  }
  return profiles;
}

std::wstring ProfilePlaylistEntry(const std::wstring& name, const std::vector<std::wstring>& keys,
                                  const std::vector<std::wstring>& values, std::int32_t& mode) {
  constexpr std::size_t at = kPlaylistEntryPosition;
  mode = kLeaveEntry;
  if (at >= keys.size() || at >= values.size() || platform::Ui().Lower(keys[at]) != kProfileReadNames[at]) {
    return L"";
  }
  const std::wstring& value = values[at];
  if (value.size() != 1 || value[0] < L'0' || value[0] > L'2') return BadPlaylistEntryMessage(name, value);
  mode = value[0] - L'0';
  return L"";
}

bool ProfileArtistFromTags(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values) {
  return ProfileFlag(keys, values, kArtistFromTagsPosition);
}

bool ProfileFlag(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values,
                 std::size_t at) {
  return at < keys.size() && at < values.size() && platform::Ui().Lower(keys[at]) == kProfileReadNames[at] &&
         ProfileBoolean(values[at]);
}

bool ProfileLibraryEntry(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values) {
  constexpr std::size_t at = kLibraryEntryPosition;
  return at < keys.size() && at < values.size() && platform::Ui().Lower(keys[at]) == kProfileReadNames[at] &&
         ProfileBoolean(values[at]);
}

std::wstring BadPlaylistEntryMessage(const std::wstring& name, const std::wstring& value) {
  return L"The playlist entry choice '" + value + L"' of the settings '" + name +
         L"' is not 0, 1 or 2; entries stay in the playlist.";
}

std::wstring CleanName(std::wstring& text) {
  std::wstring name = text;
  RemoveEvery(name, L'"');
  name = platform::Ui().Lower(name);
  for (wchar_t c : kRemoved) RemoveEvery(name, c);

  // The text is lower case now, so the reserved name is looked for in lower
  // case. Taking one occurrence out can join two halves into a new one
  // ("iniiniconfigconfig"), which would name the bookkeeping section itself,
  // so this repeats until none is left.
  const std::wstring reserved = platform::Ui().Lower(kConfigSection);
  for (std::size_t at = name.find(reserved); at != std::wstring::npos; at = name.find(reserved)) {
    name.erase(at, reserved.size());
  }
  text = name;
  return name;
}

platform::OpResult RemoveSectionHeader(const std::wstring& header) {
  const std::wstring path = SettingsIni().FileName();
  std::string text;
  platform::OpResult read = platform::Files().ReadAllBytes(path, text);
  if (!read.ok()) return read;

  // The file's bytes are kept as they are; only the header is converted, to
  // the same 8-bit code page the profile functions wrote it in.
  std::string line = platform::Ui().ToAnsi(header);
  if (line.empty()) return {};
  if (!line.ends_with("\r\n")) line += "\r\n";  // always a whole line

  // Walk the text line by line (lines end with CR LF); a line is dropped when
  // it is exactly the header, its CR LF included.
  std::string kept;
  kept.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, line.size(), line) == 0) {
      pos += line.size();
      continue;
    }
    std::size_t end = text.find("\r\n", pos);
    end = end == std::string::npos ? text.size() : end + 2;
    kept.append(text, pos, end - pos);
    pos = end;
  }
  return platform::Files().ReplaceAllBytes(path, kept);
}

std::wstring HeaderNotRemovedMessage(const std::wstring& name, const platform::OpResult& result) {
  std::wstring reason = result.message;
  while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) reason.pop_back();
  if (reason.empty()) reason = L"Error " + std::to_wstring(result.code) + L".";
  return L"The settings \"" + name + L"\" were deleted, but their header could not be removed from " +
         SettingsIni().FileName() + L":\r\n\r\n" + reason;
}

std::wstring WriteFailedMessage() {
  std::wstring reason = SettingsIni().LastErrorDescription();
  while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) reason.pop_back();
  return L"Error: the settings file " + SettingsIni().FileName() + L" could not be written:\r\n\r\n" + reason;
}

}  // namespace vandrel::settings
