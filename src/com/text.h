// BSTR and wide-string conversions at the COM boundary.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <new>
#include <string>

namespace vandrel::com {

// A null BSTR is the empty text; embedded NULs are kept.
inline std::wstring FromBstr(BSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// Throws std::bad_alloc when the system has no memory for the copy.
inline BSTR ToBstr(const std::wstring& text) {
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (copy == nullptr) throw std::bad_alloc();
  return copy;
}

// Owns a BSTR.
class Bstr {
 public:
  Bstr() = default;
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Receive() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  std::wstring Text() const { return FromBstr(text_); }

 private:
  BSTR text_ = nullptr;
};

}  // namespace vandrel::com
