#include "support/fake_profile.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vandrel::testing {
namespace {

constexpr std::uint32_t kFileNotFound = 2;
constexpr wchar_t kJunk = L'~';

std::string Bytes(const std::wstring& text) {
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return out;
}

std::wstring Wide(const std::string& bytes) {
  std::wstring out(bytes.size(), L'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

unsigned char Fold(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// The file as the profile functions see it: an unnamed run of lines before
// the first header, then the sections in file order.
struct Line {
  std::string key;  // empty with no value: a blank line
  std::optional<std::string> value;
};
struct Section {
  std::string name;
  bool header = true;
  std::vector<Line> lines;
};
using Model = std::vector<Section>;

Model Parse(const std::string& text) {
  Model model;
  model.push_back({"", false, {}});
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(pos, end - pos);
    pos = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      std::size_t close = line.rfind(']');
      std::string name = close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
      model.push_back({Trim(name), true, {}});
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos || line[0] == ';') {
      model.back().lines.push_back({line, std::nullopt});
    } else {
      model.back().lines.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
    }
  }
  // The run before the first header is dropped when empty.
  if (model.front().lines.empty()) model.erase(model.begin());
  return model;
}

std::string Render(const Model& model) {
  std::string out;
  for (const Section& s : model) {
    if (s.header) out += "[" + s.name + "]\r\n";
    for (const Line& l : s.lines) {
      out += l.key;
      if (l.value) out += "=" + *l.value;
      out += "\r\n";
    }
  }
  return out;
}

Section* FindSection(Model& model, const std::string& name) {
  for (Section& s : model) {
    if (s.header && SameName(s.name, name)) return &s;
  }
  return nullptr;
}

Section& FindOrAddSection(Model& model, const std::string& name) {
  if (Section* s = FindSection(model, name)) return *s;
  model.push_back({name, true, {}});
  return model.back();
}

// Sets a key's value, adding the key at the end of the section.
void SetValue(Section& section, const std::string& key, const std::string& value) {
  for (Line& l : section.lines) {
    if (l.value && SameName(l.key, key)) {
      l.value = value;
      return;
    }
  }
  section.lines.push_back({key, value});
}

// Fills a list buffer: every item closed by NUL, the list by a further NUL.
// A list that does not fit with room to spare (a list exactly as long as the
// buffer counts as too long, as with the real functions) is cut to size - 2
// characters followed by two NULs, and size - 2 is returned.
std::uint32_t FillList(const std::vector<std::string>& items, std::wstring& buffer, std::uint32_t size) {
  buffer.assign(size, kJunk);
  std::string list;
  for (const std::string& item : items) list += item + '\0';
  if (list.empty()) {
    for (std::uint32_t i = 0; i < size && i < 2; ++i) buffer[i] = L'\0';
    return 0;
  }
  list += '\0';
  if (list.size() < size) {
    for (std::size_t i = 0; i < list.size(); ++i) buffer[i] = static_cast<unsigned char>(list[i]);
    return static_cast<std::uint32_t>(list.size() - 1);
  }
  if (size < 2) return 0;
  for (std::size_t i = 0; i < size - 2; ++i) buffer[i] = static_cast<unsigned char>(list[i]);
  buffer[size - 2] = L'\0';
  buffer[size - 1] = L'\0';
  return size - 2;
}

}  // namespace

std::wstring FakeProfile::Text(const std::wstring& path) const {
  if (fileSystem_) {
    std::string bytes;
    return fileSystem_->ReadAllBytes(path, bytes).ok() ? Wide(bytes) : std::wstring();
  }
  auto it = files.find(path);
  return it == files.end() ? std::wstring() : Wide(it->second);
}

void FakeProfile::SetText(const std::wstring& path, const std::wstring& text) {
  if (fileSystem_) {
    fileSystem_->ReplaceAllBytes(path, Bytes(text));
  } else {
    files[path] = Bytes(text);
  }
}

bool FakeProfile::Exists(const std::wstring& path) const {
  if (fileSystem_) {
    std::string bytes;
    return fileSystem_->ReadAllBytes(path, bytes).ok();
  }
  return files.count(path) != 0;
}

void FakeProfile::Remove(const std::wstring& path) {
  if (fileSystem_) {
    fileSystem_->RemoveFile(path);
  } else {
    files.erase(path);
  }
}

bool FakeProfile::Load(const std::wstring& path, std::string& bytes) {
  if (fileSystem_) {
    platform::OpResult r = fileSystem_->ReadAllBytes(path, bytes);
    if (!r.ok()) lastError_ = r.code;
    return r.ok();
  }
  auto it = files.find(path);
  if (it == files.end()) {
    lastError_ = kFileNotFound;
    return false;
  }
  bytes = it->second;
  return true;
}

bool FakeProfile::Save(const std::wstring& path, const std::string& bytes) {
  if (writeFailure != 0) {
    lastError_ = writeFailure;
    return false;
  }
  if (fileSystem_) {
    platform::OpResult r = fileSystem_->ReplaceAllBytes(path, bytes);
    if (!r.ok()) {
      lastError_ = r.code;
      return false;
    }
  } else {
    files[path] = bytes;
  }
  return true;
}

std::uint32_t FakeProfile::GetString(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& defaultValue, std::wstring& buffer,
                                     std::uint32_t size, const std::wstring& file) {
  lastError_ = 0;
  std::string value = Bytes(defaultValue);
  std::string text;
  if (Load(file, text)) {
    Model model = Parse(text);
    if (Section* s = FindSection(model, Bytes(section))) {
      for (const Line& l : s->lines) {
        if (l.value && SameName(l.key, Bytes(key))) {
          value = *l.value;
          // Quotes around a value are taken off.
          if (value.size() > 1 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
          }
          break;
        }
      }
    }
  }
  buffer.assign(size, kJunk);
  if (size == 0) return 0;
  std::size_t n = std::min<std::size_t>(value.size(), size - 1);
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(value[i]);
  buffer[n] = L'\0';
  return static_cast<std::uint32_t>(n);
}

std::uint32_t FakeProfile::GetSection(const std::wstring& section, std::wstring& buffer, std::uint32_t size,
                                      const std::wstring& file) {
  lastError_ = 0;
  std::vector<std::string> items;
  std::string text;
  if (Load(file, text)) {
    Model model = Parse(text);
    if (Section* s = FindSection(model, Bytes(section))) {
      for (const Line& l : s->lines) {
        if (l.key.empty() && !l.value) continue;          // blank line
        if (!l.key.empty() && l.key[0] == ';') continue;  // comment
        items.push_back(l.value ? l.key + "=" + *l.value : l.key);
      }
    }
  }
  return FillList(items, buffer, size);
}

std::uint32_t FakeProfile::GetSectionNames(std::wstring& buffer, std::uint32_t size,
                                           const std::wstring& file) {
  lastError_ = 0;
  std::vector<std::string> names;
  std::string text;
  if (Load(file, text)) {
    for (const Section& s : Parse(text)) {
      if (s.header && !s.name.empty()) names.push_back(s.name);
    }
  }
  return FillList(names, buffer, size);
}

bool FakeProfile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                              const std::wstring& file) {
  lastError_ = 0;
  std::string text;
  if (!Load(file, text)) {
    if (lastError_ != kFileNotFound) return false;
    lastError_ = 0;  // a missing file is created
  }
  Model model = Parse(text);
  SetValue(FindOrAddSection(model, Bytes(section)), Trim(Bytes(key)), Trim(Bytes(value)));
  return Save(file, Render(model));
}

bool FakeProfile::WriteSection(const std::wstring& section, const std::wstring& entries,
                               const std::wstring& file) {
  lastError_ = 0;
  std::string text;
  if (!Load(file, text)) {
    if (lastError_ != kFileNotFound) return false;
    lastError_ = 0;
  }
  Model model = Parse(text);
  Section& s = FindOrAddSection(model, Bytes(section));
  s.lines.clear();
  std::string list = Bytes(entries);
  std::size_t pos = 0;
  while (pos < list.size() && list[pos] != '\0') {
    std::size_t end = list.find('\0', pos);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(pos, end - pos);
    pos = end + 1;
    std::size_t eq = entry.find('=');
    if (eq == std::string::npos) {
      s.lines.push_back({Trim(entry), std::nullopt});
    } else {
      SetValue(s, Trim(entry.substr(0, eq)), Trim(entry.substr(eq + 1)));
    }
  }
  return Save(file, Render(model));
}

std::wstring FakeProfile::FormatMessage(std::uint32_t code) {
  switch (code) {
    case 2:
      return L"File not found.\r\n";
    case 3:
      return L"Path not found.\r\n";
    case 5:
      return L"Access denied.\r\n";
    case 32:
      return L"Sharing violation.\r\n";
    default:
      return L"";
  }
}

}  // namespace vandrel::testing
