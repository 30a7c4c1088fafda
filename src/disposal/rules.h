// Where a moved song goes, and the existence checks the disposal action uses.
#pragma once

#include <string>

namespace vandrel::disposal {

// The message shown when a letter or artist folder cannot be created.
inline constexpr wchar_t kFolderCreationFailed[] = L"sorry, folder creation failed! critical error!!!";

// True when a folder or file is at the path, or, for a drive root (D: or D:\),
// when the drive can be made current (it then is).
bool FolderAvailable(const std::wstring& path);

// True when a file or folder is at the path. Only "file not found", "path not
// found" and "device unavailable" count as absent.
bool FileExists(const std::wstring& path);

// The sorting folder for a file name: its first character lower-cased when
// that is a to z or 0 to 9, else empty.
std::wstring SortingLetter(const std::wstring& fileName);

// The longest artist tag, in characters, that names an artist folder; a
// longer one is cut there.
inline constexpr std::size_t kLongestTagFolder = 120;

// The artist folder's name: the song's artist tag `artistTag`, when it gives
// a name; else the part of the file name before its first " - ". Either is
// trimmed, lower-cased, rid of ".mp3" and made a name Windows can hold that
// stays inside the target folder; empty when there is none.
std::wstring ArtistName(const std::wstring& fileName, const std::wstring& artistTag = L"");

// The full destination of a move, creating the letter and artist folders on
// the way; `artistTag` as for ArtistName. After a failed folder creation the
// box is shown and the result is empty.
std::wstring BuildDestinationPath(const std::wstring& songPath, const std::wstring& savingPlace,
                                  bool sortingOption, bool createArtistFolder,
                                  const std::wstring& artistTag = L"");

// Replaces every non-overlapping `from` in one pass from the left.
std::wstring ReplaceAll(const std::wstring& text, const std::wstring& from, const std::wstring& to);

}  // namespace vandrel::disposal
