// The private-profile functions, called by their ANSI names: every string
// crosses as 8-bit text in the system's ANSI code page. Result buffers hold
// NULs, so they are converted with explicit lengths, and the count returned
// is the count of wide characters that the counted bytes became.
#include <string>

#include "platform/win32/win32.h"
#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {
namespace {

std::string A(const std::wstring& text) { return Win32Ui().ToAnsi(text); }

// Converts the first `bytes` characters of `raw` (plus the closing NULs the
// function wrote, up to `closing` of them) and pads the wide buffer with NULs
// to `size`. Returns the wide length of the first `bytes` characters.
std::uint32_t Widen(const std::string& raw, std::uint32_t bytes, std::size_t closing, std::wstring& buffer,
                    std::uint32_t size) {
  const std::size_t counted = std::min<std::size_t>(bytes, raw.size());
  std::wstring body = Win32Ui().FromAnsi(raw.substr(0, counted));
  const auto count = static_cast<std::uint32_t>(body.size());
  body.resize(std::max<std::size_t>(size, body.size() + closing), L'\0');
  buffer = std::move(body);
  return count;
}

class Win32ProfileApi final : public ProfileApi {
 public:
  std::uint32_t GetString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, std::wstring& buffer, std::uint32_t size,
                          const std::wstring& file) override {
    std::string raw(size, '\0');
    SetLastError(0);
    DWORD n = GetPrivateProfileStringA(A(section).c_str(), A(key).c_str(), A(defaultValue).c_str(),
                                       raw.data(), size, A(file).c_str());
    lastError_ = GetLastError();
    return Widen(raw, n, 1, buffer, size);
  }

  std::uint32_t GetSection(const std::wstring& section, std::wstring& buffer, std::uint32_t size,
                           const std::wstring& file) override {
    std::string raw(size, '\0');
    SetLastError(0);
    DWORD n = GetPrivateProfileSectionA(A(section).c_str(), raw.data(), size, A(file).c_str());
    lastError_ = GetLastError();
    return Widen(raw, n, 2, buffer, size);
  }

  std::uint32_t GetSectionNames(std::wstring& buffer, std::uint32_t size, const std::wstring& file) override {
    std::string raw(size, '\0');
    SetLastError(0);
    DWORD n = GetPrivateProfileSectionNamesA(raw.data(), size, A(file).c_str());
    lastError_ = GetLastError();
    return Widen(raw, n, 2, buffer, size);
  }

  bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                   const std::wstring& file) override {
    SetLastError(0);
    BOOL ok =
        WritePrivateProfileStringA(A(section).c_str(), A(key).c_str(), A(value).c_str(), A(file).c_str());
    lastError_ = GetLastError();
    return ok != FALSE;
  }

  bool WriteSection(const std::wstring& section, const std::wstring& entries,
                    const std::wstring& file) override {
    // The list's NULs convert with it; the string's own terminator closes it
    // once more, so a list that lacks its closing NUL is still closed.
    std::string list = A(entries);
    list.push_back('\0');
    SetLastError(0);
    BOOL ok = WritePrivateProfileSectionA(A(section).c_str(), list.c_str(), A(file).c_str());
    lastError_ = GetLastError();
    return ok != FALSE;
  }

  // The code left by the last profile call (each call starts from 0, so a
  // missing key reads as 0 even after an earlier failure).
  std::uint32_t LastError() override { return lastError_; }

  std::wstring FormatMessage(std::uint32_t code) override {
    char text[255] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             text, sizeof text, nullptr);
    if (n == 0) return std::wstring();
    return Win32Ui().FromAnsi(std::string(text, strnlen(text, sizeof text)));
  }

 private:
  DWORD lastError_ = 0;
};

}  // namespace

ProfileApi& Win32Profile() {
  static Win32ProfileApi profile;
  return profile;
}

}  // namespace vandrel::platform::win32
