#include "disposal/rules.h"

#include <string_view>

#include "platform/platform.h"

namespace vandrel::disposal {

namespace {

// The numbers of the file-time query that mean nothing is there.
constexpr int kFileNotFound = 53;
constexpr int kDeviceUnavailable = 68;
constexpr int kPathNotFound = 76;

bool MeansAbsent(int number) {
  return number == kFileNotFound || number == kDeviceUnavailable || number == kPathNotFound;
}

std::wstring TrimSpaces(const std::wstring& text) {
  std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  std::size_t last = text.find_last_not_of(L' ');
  return text.substr(first, last - first + 1);
}

bool IsDeviceName(const std::wstring& name) {
  const std::wstring lower = platform::Ui().Lower(name);
  static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
  for (const wchar_t* device : kDevices) {
    if (lower == device) return true;
  }
  return lower.size() == 4 && (lower.starts_with(L"com") || lower.starts_with(L"lpt")) && lower[3] >= L'1' &&
         lower[3] <= L'9';
}

// A folder name that Windows can create and list and that stays where it is
// put: characters Windows refuses in a name become "_"; trailing dots and
// spaces go (Windows drops them, and a name of dots alone would climb out of
// the target folder); a device name (con, nul, com1, also with an extension
// such as con.x) gives no folder at all.
std::wstring SafeFolderName(std::wstring name) {
  for (wchar_t& c : name) {
    if (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
  }
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  if (IsDeviceName(base)) return {};
  return name;
}

// An artist as a folder name: trimmed, lower-cased, without ".mp3" and made
// safe.
std::wstring CleanArtist(const std::wstring& text) {
  auto& ui = platform::Ui();
  std::wstring artist = ReplaceAll(ui.Lower(TrimSpaces(text)), L".mp3", L"");
  if (!artist.empty()) artist = ReplaceAll(ui.Lower(artist), L".mp3", L"");
  return SafeFolderName(artist);
}

// A tag may hold anything: line breaks and other control characters count
// as spaces, and a long one is cut, never inside a surrogate pair.
std::wstring CleanTag(std::wstring tag) {
  for (wchar_t& c : tag) {
    if (c < 32) c = L' ';
  }
  tag = TrimSpaces(tag);
  if (tag.size() > kLongestTagFolder) {
    tag.resize(kLongestTagFolder);
    if (tag.back() >= 0xD800 && tag.back() <= 0xDBFF) tag.pop_back();
  }
  return CleanArtist(tag);
}

// Makes the folder unless it is there already.
bool EnsureFolder(const std::wstring& path) {
  if (FolderAvailable(path)) return true;
  return platform::Files().MakeFolder(path).ok();
}

}  // namespace

std::wstring ArtistName(const std::wstring& fileName, const std::wstring& artistTag) {
  if (std::wstring tagged = CleanTag(artistTag); !tagged.empty()) return tagged;
  std::size_t dash = fileName.find(L" - ");
  if (dash == std::wstring::npos) return {};
  return CleanArtist(fileName.substr(0, dash));
}

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& from, const std::wstring& to) {
  if (from.empty()) return text;
  std::wstring out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != std::wstring::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out += to;
  }
  out.append(text, pos, std::wstring::npos);
  return out;
}

bool FolderAvailable(const std::wstring& path) {
  std::wstring p = path;
  if (!p.empty()) p = ReplaceAll(p, L"\\\\", L"\\");
  if (p.size() == 2) p += L"\\";
  if (p.size() == 3) return platform::Files().ChangeDrive(p).ok();
  return !MeansAbsent(platform::Files().FileModifiedTime(p));
}

bool FileExists(const std::wstring& path) { return !MeansAbsent(platform::Files().FileModifiedTime(path)); }

std::wstring SortingLetter(const std::wstring& fileName) {
  if (fileName.empty()) return {};
  std::wstring first = platform::Ui().Lower(fileName.substr(0, 1));
  if (first.size() != 1) return {};
  wchar_t c = first[0];
  if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) return first;
  return {};
}

std::wstring BuildDestinationPath(const std::wstring& songPath, const std::wstring& savingPlace,
                                  bool sortingOption, bool createArtistFolder,
                                  const std::wstring& artistTag) {
  // Windows takes "/" as a separator too.
  std::size_t lastSeparator = songPath.find_last_of(L"\\/");
  std::wstring fileName = lastSeparator == std::wstring::npos ? songPath : songPath.substr(lastSeparator + 1);

  bool made = true;
  std::wstring folder = savingPlace + L"\\";
  if (sortingOption) {
    std::wstring letter = SortingLetter(fileName);
    if (!letter.empty()) {
      folder = savingPlace + L"\\" + letter;
      made = EnsureFolder(folder);
    }
  }

  std::wstring artist;
  if (made && createArtistFolder) {
    artist = ArtistName(fileName, artistTag);
    if (!artist.empty()) made = EnsureFolder(folder + L"\\" + artist);
  }

  if (!made) {
    platform::Ui().MessageBox(kFolderCreationFailed, L"Vandrel", platform::Icon::Information,
                              platform::Buttons::Ok);
    return {};
  }

  std::wstring path = artist.empty() ? folder + L"\\" + fileName : folder + L"\\" + artist + L"\\" + fileName;
  return ReplaceAll(path, L"\\\\", L"\\");
}

}  // namespace vandrel::disposal
