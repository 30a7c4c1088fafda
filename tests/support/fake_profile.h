// The private-profile functions over files held in memory, answering as
// Windows (and Wine) do for the INI files the plug-in writes:
//
// - a value is cut at size - 1 characters; the count copied is returned;
// - an empty value, a missing key and a missing section return 0 with the
//   last error 0; a missing file returns 0 with the last error 2;
// - section and key names match without regard to case; a header keeps the
//   spelling it was first written with;
// - writing creates the key, the section (appended at the end) and the file;
//   writing a section replaces all its entries, an empty list leaves the
//   header alone;
// - the file is rewritten from its parsed lines: "[name]", "key=value" (blanks
//   around names and values trimmed), no blank line added between sections,
//   every line ended by CR LF;
// - list buffers (section entries, section names) hold NUL-closed items and
//   a closing NUL; a list that fills the buffer or is longer is cut to
//   size - 2 characters, followed by two NULs, and size - 2 is returned.
//
// Characters past the ones the functions write are left as junk ('~'), as a
// real buffer holds whatever was there, so a reader that looks past the count
// shows up. Wide text maps to bytes as Latin-1 ('?' above U+00FF).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/platform.h"

namespace vandrel::testing {

class FakeProfile : public platform::ProfileApi {
 public:
  // Files live in this object's own map.
  FakeProfile() = default;
  // Files live in `files` (e.g. a fake file system), read with ReadAllBytes and
  // written with ReplaceAllBytes, so a test sees one file through both.
  explicit FakeProfile(platform::FileSystem& files) : fileSystem_(&files) {}

  // --- The files ------------------------------------------------------------
  // The file's text as Latin-1 wide text (CR LF lines); empty when absent.
  std::wstring Text(const std::wstring& path) const;
  void SetText(const std::wstring& path, const std::wstring& text);
  bool Exists(const std::wstring& path) const;
  void Remove(const std::wstring& path);
  // Raw bytes of every file in the own map, by path.
  std::map<std::wstring, std::string> files;

  // --- Failures -------------------------------------------------------------
  // When not 0, every write fails with this code and changes nothing.
  std::uint32_t writeFailure = 0;

  // --- platform::ProfileApi ---------------------------------------------------
  std::uint32_t GetString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, std::wstring& buffer, std::uint32_t size,
                          const std::wstring& file) override;
  std::uint32_t GetSection(const std::wstring& section, std::wstring& buffer, std::uint32_t size,
                           const std::wstring& file) override;
  std::uint32_t GetSectionNames(std::wstring& buffer, std::uint32_t size, const std::wstring& file) override;
  bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                   const std::wstring& file) override;
  bool WriteSection(const std::wstring& section, const std::wstring& entries,
                    const std::wstring& file) override;
  std::uint32_t LastError() override { return lastError_; }
  // Texts as Wine's message table gives them for 2, 3, 5 and 32 (with the
  // closing CR LF); empty for any other code.
  std::wstring FormatMessage(std::uint32_t code) override;

 private:
  // Reads the file; false (last error set) when it is absent or unreadable.
  bool Load(const std::wstring& path, std::string& bytes);
  bool Save(const std::wstring& path, const std::string& bytes);

  platform::FileSystem* fileSystem_ = nullptr;
  std::uint32_t lastError_ = 0;
};

}  // namespace vandrel::testing
