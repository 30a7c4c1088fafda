// The stand-in's tags: what IPC_GET_EXTENDED_FILE_INFOW (3026) and
// IPC_GET_EXTENDED_FILE_INFO (290) answer, from a table the tests give it.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vandrel::standin {

inline constexpr unsigned kIpcGetExtendedFileInfo = 290;
inline constexpr unsigned kIpcGetExtendedFileInfoW = 3026;

// What wParam points at: the file, the metadata's name, and the buffer of
// `retlen` characters the answer goes into.
template <typename Char>
struct ExtendedFileInfo {
  const Char* filename;
  const Char* metadata;
  Char* ret;
  size_t retlen;
};

class TagTable {
 public:
  // Reads a UTF-8 file of one line per tagged file: its path, a tab, then its
  // artist to the end of the line (a CR before the line's end is dropped).
  // False when it cannot be read.
  bool Load(const std::string& path);
  // Answers the query at `query` (wide or ANSI) as an input plug-in does:
  // for a file of the table (its path compared case-blind) and the metadata
  // "artist", as much of the artist as `retlen` holds with a NUL, and 1;
  // else 0 and the buffer untouched. `logged` receives the file's name.
  LRESULT Answer(WPARAM query, bool wide, std::string* logged) const;

 private:
  const std::wstring* Artist(const std::wstring& file, const std::wstring& metadata) const;

  std::vector<std::pair<std::wstring, std::wstring>> artists_;  // path, artist
};

}  // namespace vandrel::standin
