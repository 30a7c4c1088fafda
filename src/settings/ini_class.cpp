#include "settings/ini_class.h"

#include <algorithm>

#include "platform/platform.h"

namespace vandrel::settings {
namespace {

constexpr std::uint32_t kValueSize = 255;
constexpr std::uint32_t kSectionSize = 32767;
constexpr std::uint32_t kNamesSize = 32767;

constexpr wchar_t kNoFileName[] = L"No filename specified";
constexpr wchar_t kSizeMismatch[] = L"Key array and Value array must be of the same size";
constexpr wchar_t kUnknownError[] = L"An unknown error has occured";

// Splits the first `count` characters of a list buffer into its NUL-closed
// items. Nothing past `count` (nor past the buffer) is ever read. An item cut
// short by a full buffer (no NUL before `count`) is dropped, unless it is the
// only text there, which is then taken whole.
std::vector<std::wstring> SplitList(const std::wstring& buffer, std::uint32_t count) {
  const std::size_t n = std::min<std::size_t>(count, buffer.size());
  std::vector<std::wstring> items;
  std::size_t start = 0;
  while (start < n) {
    std::size_t nul = buffer.find(L'\0', start);
    if (nul == std::wstring::npos || nul >= n) {
      if (items.empty()) items.push_back(buffer.substr(0, n));
      break;
    }
    items.push_back(buffer.substr(start, nul - start));
    start = nul + 1;
  }
  return items;
}

}  // namespace

bool IniClass::HasFileName() {
  if (!fileName_.empty()) return true;
  lastErrorDescription_ = kNoFileName;
  return false;
}

void IniClass::CaptureLastError() {
  platform::ProfileApi& profile = platform::Profile();
  const std::uint32_t code = profile.LastError();
  if (code == 0) {
    lastErrorDescription_ = kUnknownError;
    return;
  }
  std::wstring text = profile.FormatMessage(code);
  lastErrorDescription_ = text.substr(0, text.find(L'\0'));
}

bool IniClass::ReadValue(const std::wstring& psSection, const std::wstring& psKey, std::wstring& psValue) {
  if (!HasFileName()) return false;
  std::wstring buffer;
  const std::uint32_t n = platform::Profile().GetString(psSection, psKey, L"", buffer, kValueSize, fileName_);
  if (n == 0) {
    CaptureLastError();
    return false;
  }
  psValue = buffer.substr(0, std::min<std::size_t>(buffer.find(L'\0'), kValueSize - 1));
  return true;
}

bool IniClass::ReadSection(const std::wstring& psSection, std::vector<std::wstring>& psKeys,
                           std::vector<std::wstring>& psValues) {
  if (!HasFileName()) return false;
  std::wstring buffer;
  const std::uint32_t n = platform::Profile().GetSection(psSection, buffer, kSectionSize, fileName_);
  if (n == 0) {
    CaptureLastError();
    return false;
  }
  std::vector<std::wstring> keys;
  std::vector<std::wstring> values;
  for (const std::wstring& entry : SplitList(buffer, n)) {
    // The key is the text before the first "=", the value all after it. An
    // entry without "=" (only in a file edited by hand) is a key with an empty
    // value.
    const std::size_t eq = entry.find(L'=');
    keys.push_back(entry.substr(0, eq));
    values.push_back(eq == std::wstring::npos ? std::wstring() : entry.substr(eq + 1));
  }
  if (keys.empty()) {
    // Never from Windows (a non-zero count holds at least one item), but the
    // lists always come back with at least one element.
    keys.emplace_back();
    values.emplace_back();
  }
  psKeys = std::move(keys);
  psValues = std::move(values);
  return true;
}

bool IniClass::WriteValue(const std::wstring& psSection, const std::wstring& psKey,
                          const std::wstring& psValue) {
  if (!HasFileName()) return false;
  if (!platform::Profile().WriteString(psSection, psKey, psValue, fileName_)) {
    CaptureLastError();
    return false;
  }
  return true;
}

bool IniClass::WriteSection(const std::wstring& psSection, const std::vector<std::wstring>& psKeys,
                            const std::vector<std::wstring>& psValues) {
  if (!HasFileName()) return false;
  if (psKeys.size() != psValues.size()) {
    lastErrorDescription_ = kSizeMismatch;
    return false;
  }
  std::wstring entries;
  for (std::size_t i = 0; i < psKeys.size(); ++i) {
    entries += psKeys[i];
    entries += L'=';
    entries += psValues[i];
    entries += L'\0';
  }
  entries += L'\0';
  if (!platform::Profile().WriteSection(psSection, entries, fileName_)) {
    CaptureLastError();
    return false;
  }
  return true;
}

bool IniClass::Enum_SectionNames(std::vector<std::wstring>& psSectionNames) {
  if (!HasFileName()) return false;
  std::wstring buffer;
  const std::uint32_t n = platform::Profile().GetSectionNames(buffer, kNamesSize, fileName_);
  if (n == 0) {
    CaptureLastError();
    return false;
  }
  std::vector<std::wstring> names = SplitList(buffer, n);
  if (names.empty()) names.emplace_back();
  psSectionNames = std::move(names);
  return true;
}

bool IniClass::DeleteSection(const std::wstring& psSection) {
  if (!HasFileName()) return false;
  if (!platform::Profile().WriteSection(psSection, std::wstring(1, L'\0'), fileName_)) {
    CaptureLastError();
    return false;
  }
  return true;
}

IniClass& SettingsIni() {
  static IniClass instance;  // created on first use
  return instance;
}

}  // namespace vandrel::settings
