// The journal: one line for each completed disposal, in vandrel-journal.txt
// in the folder that holds the settings file. UTF-8, tab-separated fields,
// each line closed by CR LF. Fields that came later are appended after the
// first six, only when they hold something, so that every line an older
// version wrote still reads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "winamp/library.h"

namespace vandrel::journal {

inline constexpr wchar_t kFileName[] = L"vandrel-journal.txt";
// The file stays under this size: the oldest lines go first.
inline constexpr std::uint64_t kMostBytes = 1024 * 1024;

struct Line {
  std::string time;         // local, ISO 8601
  std::wstring what;        // "deleted", "recycled", "moved", "held" or "undone"
  std::wstring path;        // the file as Winamp named it
  std::wstring newPath;     // where a move put it, or the holding folder, or the Recycle Bin's item
  std::wstring profile;     // the settings that acted
  std::int32_t index = -1;  // the playlist index the entry had
  // The seventh field: the Media Library record that went with the file, as
  // "rating,play count,last play".
  std::optional<winamp::LibraryRecord> record = std::nullopt;
  // The folders the song left empty and that went, innermost first, each
  // closed by '|' (which no path holds); an eighth field, written only when
  // there are any, so lines without it read as before.
  std::wstring removedFolders = {};
  // On a companion file's line: the song it went with (its line comes just
  // before); a ninth field, written only on such lines.
  std::wstring companionOf = {};
  friend bool operator==(const Line&, const Line&) = default;
};

// The journal beside the settings file `settingsFile`.
std::wstring PathBeside(const std::wstring& settingsFile);

// The line as the file holds it, CR LF included. A tab or line break inside a
// field (impossible in a path, possible in a hand-made profile name) becomes
// a space.
std::string Format(const Line& line);
// One line of the file (with or without its CR LF); none when it is not one
// that Format writes: other field counts (six; seven with a Media Library
// record; eight with removed folders; nine on a companion file's line), an
// unknown kind, a path missing, an index that is no number, bytes that are
// not UTF-8.
std::optional<Line> Parse(const std::string& text);

// The journal file, open while lines come one after another (the
// whole-playlist run): each line is written as it comes, so a process killed
// at any moment leaves every line written before. When the file reaches
// kMostBytes, it is rewritten in one step with only its newest whole lines, a
// quarter below the limit. Closed with its owner, or by Close.
class Writer {
 public:
  explicit Writer(std::wstring path) : path_(std::move(path)) {}
  platform::OpResult Write(const Line& line);
  void Close() { file_.reset(); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  std::unique_ptr<platform::AppendFile> file_;
};

// Appends one line: the file is opened, written and closed.
platform::OpResult Append(const std::wstring& path, const Line& line);

// The newest disposal of a song in the journal's text that no later "undone"
// line has taken back (an "undone" line takes back the newest earlier
// disposal of the same path, new path, profile and index); lines that do not
// parse are passed over, and so are companion files' lines. None when every
// disposal was taken back.
std::optional<Line> NewestUndoable(const std::string& text);
// The lines of the companion files that went with the song of `song`'s line
// and were not taken back.
std::vector<Line> CompanionsNotTakenBack(const std::string& text, const Line& song);

// The removed folders as a Line holds them, and back.
std::wstring JoinFolders(const std::vector<std::wstring>& folders);
std::vector<std::wstring> SplitFolders(const std::wstring& joined);

std::string ToUtf8(const std::wstring& text);
// None when the bytes are not UTF-8.
std::optional<std::wstring> FromUtf8(const std::string& bytes);

}  // namespace vandrel::journal
