#include "journal/journal.h"

#include <climits>
#include <cstdint>
#include <iterator>
#include <vector>

namespace vandrel::journal {

namespace {

constexpr std::uint64_t kKeptBytes = kMostBytes / 4 * 3;
constexpr const wchar_t* kKinds[] = {L"deleted", L"recycled", L"moved", L"held", L"undone"};

std::wstring Field(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  return text;
}

void Put(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void PutWide(std::wstring& out, std::uint32_t cp) {
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (cp >> 10));
    out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<wchar_t>(cp);
  }
}

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == at) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// "rating,play count,last play", three decimal numbers.
std::optional<winamp::LibraryRecord> ParseRecord(const std::string& text) {
  const std::vector<std::string> numbers = Split(text, ',');
  if (numbers.size() != 3) return std::nullopt;
  long long values[3];
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string& number = numbers[i];
    const std::size_t digits = number.size() - (number.starts_with('-') ? 1 : 0);
    if (digits == 0 || digits > 18 ||
        number.find_first_not_of("0123456789", number.size() - digits) != std::string::npos)
      return std::nullopt;
    values[i] = std::stoll(number);
  }
  if (values[0] < INT32_MIN || values[0] > INT32_MAX || values[1] < INT32_MIN || values[1] > INT32_MAX)
    return std::nullopt;
  return winamp::LibraryRecord{static_cast<int>(values[0]), static_cast<int>(values[1]), values[2]};
}

}  // namespace

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto cp = static_cast<std::uint32_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
    } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      cp = 0xFFFD;  // half a pair: no character of its own
    }
    Put(out, cp);
  }
  return out;
}

std::optional<std::wstring> FromUtf8(const std::string& bytes) {
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int more = lead < 0x80             ? 0
                     : (lead & 0xE0) == 0xC0 ? 1
                     : (lead & 0xF0) == 0xE0 ? 2
                     : (lead & 0xF8) == 0xF0 ? 3
                                             : -1;
    if (more < 0 || (more > 0 && i + static_cast<std::size_t>(more) >= bytes.size())) return std::nullopt;
    std::uint32_t cp = more == 0 ? lead : lead & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    PutWide(out, cp);
    i += static_cast<std::size_t>(more) + 1;
  }
  return out;
}

std::wstring PathBeside(const std::wstring& settingsFile) {
  const std::size_t cut = settingsFile.find_last_of(L"\\/");
  return (cut == std::wstring::npos ? std::wstring() : settingsFile.substr(0, cut + 1)) + kFileName;
}

std::string Format(const Line& line) {
  std::string text = line.time + '\t' + ToUtf8(Field(line.what)) + '\t' + ToUtf8(Field(line.path)) + '\t' +
                     ToUtf8(Field(line.newPath)) + '\t' + ToUtf8(Field(line.profile)) + '\t' +
                     std::to_string(line.index);
  // The later fields only as far as the last one that holds something.
  const std::size_t fields = !line.companionOf.empty()      ? 3
                             : !line.removedFolders.empty() ? 2
                             : line.record                  ? 1
                                                            : 0;
  if (fields >= 1 && line.record)
    text += '\t' + std::to_string(line.record->rating) + ',' + std::to_string(line.record->playcount) + ',' +
            std::to_string(line.record->lastplay);
  else if (fields >= 1)
    text += '\t';
  if (fields >= 2) text += '\t' + ToUtf8(Field(line.removedFolders));
  if (fields >= 3) text += '\t' + ToUtf8(Field(line.companionOf));
  return text + "\r\n";
}

std::optional<Line> Parse(const std::string& text) {
  std::string body = text;
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
  const std::vector<std::string> fields = Split(body, '\t');
  if (fields.size() < 6 || fields.size() > 9 || fields[0].empty() || fields[5].empty() ||
      fields[5].size() > 10)
    return std::nullopt;
  for (std::size_t i = fields[5][0] == '-' ? 1 : 0; i < fields[5].size(); ++i)
    if (fields[5][i] < '0' || fields[5][i] > '9') return std::nullopt;
  if (fields[5] == "-") return std::nullopt;
  Line line;
  line.time = fields[0];
  std::optional<std::wstring> what = FromUtf8(fields[1]), path = FromUtf8(fields[2]),
                              newPath = FromUtf8(fields[3]), profile = FromUtf8(fields[4]);
  if (!what || !path || !newPath || !profile || path->empty() || !FromUtf8(fields[0])) return std::nullopt;
  bool known = false;
  for (const wchar_t* kind : kKinds) known = known || *what == kind;
  if (!known) return std::nullopt;
  line.what = *what;
  line.path = *path;
  line.newPath = *newPath;
  line.profile = *profile;
  if (fields.size() >= 8) {
    std::optional<std::wstring> folders = FromUtf8(fields[7]);
    if (!folders || (!folders->empty() && folders->back() != L'|') ||
        (folders->empty() && fields.size() == 8))
      return std::nullopt;
    line.removedFolders = *folders;
  }
  if (fields.size() == 9) {
    std::optional<std::wstring> song = FromUtf8(fields[8]);
    if (!song || song->empty()) return std::nullopt;
    line.companionOf = *song;
  }
  const long long index = std::stoll(fields[5]);
  if (index < -1 || index > INT32_MAX) return std::nullopt;
  line.index = static_cast<std::int32_t>(index);
  // The Media Library's record; empty where only later fields hold something.
  if (fields.size() >= 7 && !(fields.size() > 7 && fields[6].empty())) {
    line.record = ParseRecord(fields[6]);
    if (!line.record) return std::nullopt;
  }
  return line;
}

namespace {

// Every disposal's line not taken back, oldest first.
std::vector<Line> NotTakenBack(const std::string& text) {
  std::vector<Line> open;
  for (const std::string& raw : Split(text, '\n')) {
    std::optional<Line> line = Parse(raw);
    if (!line) continue;
    if (line->what != L"undone") {
      open.push_back(std::move(*line));
      continue;
    }
    for (auto taken = open.rbegin(); taken != open.rend(); ++taken) {
      if (taken->path == line->path && taken->newPath == line->newPath && taken->profile == line->profile &&
          taken->index == line->index) {
        open.erase(std::next(taken).base());
        break;
      }
    }
  }
  return open;
}

}  // namespace

std::optional<Line> NewestUndoable(const std::string& text) {
  const std::vector<Line> open = NotTakenBack(text);
  for (auto line = open.rbegin(); line != open.rend(); ++line)
    if (line->companionOf.empty()) return *line;
  return std::nullopt;
}

std::vector<Line> CompanionsNotTakenBack(const std::string& text, const Line& song) {
  std::vector<Line> companions;
  for (Line& line : NotTakenBack(text))
    if (line.companionOf == song.path && line.profile == song.profile && line.index == song.index)
      companions.push_back(std::move(line));
  return companions;
}

std::wstring JoinFolders(const std::vector<std::wstring>& folders) {
  std::wstring joined;
  for (const std::wstring& folder : folders) joined += folder + L'|';
  return joined;
}

std::vector<std::wstring> SplitFolders(const std::wstring& joined) {
  std::vector<std::wstring> folders;
  for (std::size_t start = 0, end; (end = joined.find(L'|', start)) != std::wstring::npos; start = end + 1)
    folders.push_back(joined.substr(start, end - start));
  return folders;
}

platform::OpResult Append(const std::wstring& path, const Line& line) { return Writer(path).Write(line); }

platform::OpResult Writer::Write(const Line& line) {
  auto& files = platform::Files();
  platform::OpResult result;
  if (!file_) file_ = files.OpenForAppend(path_, result);
  if (!file_) return result;
  std::uint64_t size = 0;
  result = file_->Append(Format(line), size);
  if (!result.ok() || size < kMostBytes) return result;
  // Rewritten whole, so the file is let go of first; opened again at the next line.
  file_.reset();
  std::string all;
  result = files.ReadAllBytes(path_, all);
  if (!result.ok() || all.size() <= kKeptBytes) return result;
  // From the first line that starts within the newest kKeptBytes.
  std::size_t from = all.size() - kKeptBytes;
  from = all.find('\n', from - 1);
  from = from == std::string::npos ? all.size() : from + 1;
  return files.ReplaceAllBytes(path_, all.substr(from));
}

}  // namespace vandrel::journal
