#include "tags.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "player.h"

namespace vandrel::standin {

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// Copies what `retlen` characters hold of `value`, then a NUL.
template <typename Char>
void Fill(const ExtendedFileInfo<Char>& info, const std::basic_string<Char>& value) {
  if (info.ret == nullptr || info.retlen == 0) return;
  const size_t n = std::min(value.size(), info.retlen - 1);
  std::copy_n(value.data(), n, info.ret);
  info.ret[n] = Char();
}

}  // namespace

bool TagTable::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::wstring text = FromUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const size_t tab = line.find(L'\t');
    if (tab != std::wstring::npos) artists_.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return true;
}

const std::wstring* TagTable::Artist(const std::wstring& file, const std::wstring& metadata) const {
  if (!SameText(metadata, L"artist")) return nullptr;
  for (const auto& [path, artist] : artists_)
    if (SameText(path, file)) return &artist;
  return nullptr;
}

LRESULT TagTable::Answer(WPARAM query, bool wide, std::string* logged) const {
  if (query == 0) return 0;
  if (wide) {
    const auto& info = *reinterpret_cast<const ExtendedFileInfo<wchar_t>*>(query);
    if (info.filename == nullptr || info.metadata == nullptr) return 0;
    *logged = ToAnsi(info.filename);
    const std::wstring* artist = Artist(info.filename, info.metadata);
    if (artist == nullptr) return 0;
    Fill(info, *artist);
    return 1;
  }
  const auto& info = *reinterpret_cast<const ExtendedFileInfo<char>*>(query);
  if (info.filename == nullptr || info.metadata == nullptr) return 0;
  *logged = info.filename;
  const std::wstring* artist = Artist(FromAnsi(info.filename), FromAnsi(info.metadata));
  if (artist == nullptr) return 0;
  Fill(info, ToAnsi(*artist));
  return 1;
}

}  // namespace vandrel::standin
