// The one error type that crosses the system's own layers. It carries a number
// (an HRESULT when it leaves through COM) and a text for the user.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vandrel {

class Error : public std::runtime_error {
 public:
  Error(std::int32_t number, std::wstring description)
      : std::runtime_error("vandrel error"), number_(number), description_(std::move(description)) {}

  std::int32_t Number() const { return number_; }
  const std::wstring& Description() const { return description_; }

 private:
  std::int32_t number_;
  std::wstring description_;
};

// Well-known numbers, as COM callers see them.
namespace errors {
inline constexpr std::int32_t kAlreadyInstance = static_cast<std::int32_t>(0x80040001u);
inline constexpr std::int32_t kOverflow = static_cast<std::int32_t>(0x800A0006u);      // VB "Overflow"
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x800A000Du);  // VB "Type mismatch"
inline constexpr std::int32_t kSubscriptRange =
    static_cast<std::int32_t>(0x800A0009u);  // VB "Subscript out of range"
inline constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x800A0005u);
inline constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFFu);

// HRESULT_FROM_WIN32 without <windows.h>.
inline std::int32_t FromWin32(std::uint32_t code) {
  return code == 0 ? 0 : static_cast<std::int32_t>((code & 0x0000FFFFu) | 0x80070000u);
}
}  // namespace errors

}  // namespace vandrel
