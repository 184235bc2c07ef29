// Reading numbers from the start of a text, the way the C library's atol and
// strtod read them: leading blanks are skipped, an optional sign is taken,
// then as many digits as follow. A text with no digits reads as 0.
//
// Unlike the C library these never depend on the locale and never read past
// the view they are given.
#ifndef TALVENOR_PLATFORM_NUMBER_TEXT_H_
#define TALVENOR_PLATFORM_NUMBER_TEXT_H_

#include <string_view>

namespace talvenor::platform {

// The decimal integer at the start of `text`. Values beyond the range of
// long saturate at its limits.
long ParseLeadingLong(std::string_view text);

// The decimal number at the start of `text` (digits, optionally a "." and
// more digits). No exponent, hexadecimal or "inf"/"nan" forms are taken.
double ParseLeadingDouble(std::string_view text);

// Removes blanks, tabs, carriage returns and line feeds at both ends.
std::string_view TrimBlanks(std::string_view text);

// Whether `c` is one of the ASCII digits "0" to "9", whatever the locale.
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether every character of `text` is an ASCII digit (true for the empty
// text).
constexpr bool IsDigitsOnly(std::string_view text) {
  for (const char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_NUMBER_TEXT_H_
