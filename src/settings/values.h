// Converting profile values to the plug-in's settings.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel::settings {

// A profile's "Key" text as a 32-bit integer: blanks around it are allowed, a
// fraction is rounded half to even. Throws vandrel::Error (type mismatch for
// text that is no number, overflow beyond 32 bits).
std::int32_t ToInt32(const std::wstring& text);

}  // namespace vandrel::settings
