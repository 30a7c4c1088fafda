// The settings file's layout: profile names, the bookkeeping section, the
// entries of a profile, and taking a profile's header out of the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vandrel::settings {

inline constexpr wchar_t kConfigSection[] = L"iniConfig";
inline constexpr wchar_t kLastUsedKey[] = L"LastUsed";
// The undo shortcut (none while UndoKey is missing or 0) and whether notices
// are shown (all but "0" means yes).
inline constexpr wchar_t kUndoKeyKey[] = L"UndoKey";
inline constexpr wchar_t kUndoModifiersKey[] = L"UndoModifiers";
inline constexpr wchar_t kNotifyKey[] = L"Notify";
// Where a song goes that the Recycle Bin cannot take, when the user says so
// (none while missing or empty).
inline constexpr wchar_t kHoldingFolderKey[] = L"HoldingFolder";
// The extensions of a song's companion files, ';' between them (case-blind).
inline constexpr wchar_t kCompanionExtensionsKey[] = L"CompanionExtensions";
inline constexpr wchar_t kCompanionExtensions[] = L"lrc;txt;cue;log;nfo;jpg;jpeg;png";

// Keys as written, in their fixed order, and the lower-case names readers
// expect. The first five are every profile's; the later ones (the hotkey's
// modifier keys, whether its shortcut stays active beside the working one's,
// what becomes of the playlist entry, whether the artist folder is named
// after the song's artist tag, whether the Media Library's record follows
// the file, whether the song's companion files go with it, whether folders a
// song leaves empty go) came later, so a profile without them is complete.
inline constexpr std::array<const wchar_t*, 12> kProfileKeys = {
    L"Key",           L"moveToFolder",       L"savingPlace",
    L"sortingOption", L"createArtistFolder", L"modifiers",
    L"alwaysActive",  L"playlistEntry",      L"artistFromTags",
    L"libraryEntry",  L"companionFiles",     L"removeEmptyFolders"};
inline constexpr std::array<const wchar_t*, 12> kProfileReadNames = {
    L"key",           L"movetofolder",       L"savingplace",
    L"sortingoption", L"createartistfolder", L"modifiers",
    L"alwaysactive",  L"playlistentry",      L"artistfromtags",
    L"libraryentry",  L"companionfiles",     L"removeemptyfolders"};
inline constexpr std::size_t kRequiredEntries = 5;
inline constexpr std::size_t kModifiersPosition = 5;
inline constexpr std::size_t kAlwaysActivePosition = 6;
inline constexpr std::size_t kPlaylistEntryPosition = 7;
inline constexpr std::size_t kArtistFromTagsPosition = 8;
inline constexpr std::size_t kLibraryEntryPosition = 9;
inline constexpr std::size_t kCompanionFilesPosition = 10;
inline constexpr std::size_t kRemoveEmptyFoldersPosition = 11;

// What becomes of the playing entry once its file was deleted or moved.
inline constexpr std::int32_t kLeaveEntry = 0;   // it stays as it was
inline constexpr std::int32_t kRemoveEntry = 1;  // it goes
inline constexpr std::int32_t kFollowEntry =
    2;  // it goes after a delete, points at the new place after a move

// The playlist-entry choice of the profile `name` as read (keys and values),
// at its place: kLeaveEntry when the profile has no such entry. Returns what
// loading the profile says of a value that names none of the three (`mode`
// is then kLeaveEntry), else nothing.
std::wstring ProfilePlaylistEntry(const std::wstring& name, const std::vector<std::wstring>& keys,
                                  const std::vector<std::wstring>& values, std::int32_t& mode);
// That text for the value `value`.
std::wstring BadPlaylistEntryMessage(const std::wstring& name, const std::wstring& value);
// Whether the profile read as `keys` and `values` names its artist folders
// after the songs' artist tags: false when it has no such entry at its place.
bool ProfileArtistFromTags(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values);
// Whether the profile read as `keys` and `values` keeps the Media Library's
// record with the file: false when it has no such entry at its place (as
// before the entry existed).
bool ProfileLibraryEntry(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values);
// A yes-or-no entry at its place: false when the profile has none there.
bool ProfileFlag(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values,
                 std::size_t position);
// One profile as the settings file holds it, read by position as the plug-in
// applies it: an entry missing or out of place keeps the default here.
struct Profile {
  std::wstring name;
  std::int32_t key = 0;  // 1 to 26 for A to Z; 0 when none or no number
  std::int32_t modifiers = 8;
  bool moveToFolder = false;
  std::wstring savingPlace;
  bool sortingOption = false;
  bool createArtistFolder = false;
  bool alwaysActive = false;
  std::int32_t playlistEntry = kLeaveEntry;
  bool artistFromTags = false;
  bool libraryEntry = false;
  bool companionFiles = false;      // the song's companion files go with it
  bool removeEmptyFolders = false;  // the folders a song leaves empty go
  friend bool operator==(const Profile&, const Profile&) = default;
};

// The profile's values as the settings file holds them, in kProfileKeys' order.
std::array<std::wstring, kProfileKeys.size()> ProfileValues(const Profile& profile);

// The profile `name` of the settings file named by SettingsIni(); false when
// its section cannot be read or holds fewer than the first five entries.
bool ReadProfile(const std::wstring& name, Profile& profile);
// Every profile of that file with `alwaysActive` on, in file order.
std::vector<Profile> ReadActiveProfiles();

// The hotkey's modifier bits as a profile holds them at the sixth position:
// the Windows key alone (8) when the profile has no such entry, -1 when the
// value is no number.
std::int32_t ProfileModifiers(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values);

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
