#include "settings/values.h"

#include <cmath>
#include <limits>

#include "platform/error.h"

namespace vandrel::settings {

std::int32_t ToInt32(const std::wstring& text) {
  std::size_t begin = text.find_first_not_of(L" \t");
  std::size_t end = text.find_last_not_of(L" \t");
  if (begin == std::wstring::npos) throw Error(errors::kTypeMismatch, L"Type mismatch");
  std::wstring number = text.substr(begin, end - begin + 1);

  std::size_t i = 0;
  bool negative = false;
  if (number[i] == L'+' || number[i] == L'-') negative = number[i++] == L'-';
  long double value = 0;
  std::size_t digits = 0;
  for (; i < number.size() && number[i] >= L'0' && number[i] <= L'9'; ++i, ++digits) {
    value = value * 10 + (number[i] - L'0');
  }
  if (i < number.size() && number[i] == L'.') {
    long double scale = 0.1L;
    for (++i; i < number.size() && number[i] >= L'0' && number[i] <= L'9'; ++i, ++digits) {
      value += (number[i] - L'0') * scale;
      scale /= 10;
    }
  }
  if (digits == 0 || i != number.size()) throw Error(errors::kTypeMismatch, L"Type mismatch");
  if (negative) value = -value;
  long double rounded = std::nearbyint(value);  // the default rounding mode: half to even
  if (rounded < std::numeric_limits<std::int32_t>::min() ||
      rounded > std::numeric_limits<std::int32_t>::max()) {
    throw Error(errors::kOverflow, L"Overflow");
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace vandrel::settings
