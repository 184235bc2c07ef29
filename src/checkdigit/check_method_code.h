// Check-digit method codes and their integer form.
//
// A bank names its account check-digit method with two characters: two
// digits ("00" to "99") or a capital letter and a digit ("A0" to "E4"). The
// integer form packs a leading digit as tens and a leading letter as ten
// thousands per letter position, so "07" is 7, "A0" is 10000 and "E4" is
// 50004. A negative number means the bank has no method.
//
// The 145 handled codes are numbered 0 to 144 ("00".."99", then "A0".."A9",
// "B0".."B9", "C0".."C9", "D0".."D9", "E0".."E4") for the dispatch table.
#ifndef TALVENOR_CHECKDIGIT_CHECK_METHOD_CODE_H_
#define TALVENOR_CHECKDIGIT_CHECK_METHOD_CODE_H_

#include <string>
#include <string_view>

#include "platform/number_text.h"

namespace talvenor::checkdigit {

// The integer form of a two-character method code. A second character that
// is a letter gives (its alphabet position) * 10 alone; no directory code
// has one. A text shorter than two characters gives -1 (no method).
constexpr int CheckMethodCode(std::string_view code) {
  if (code.size() < 2) return -1;
  const char c1 = code[0];
  const char c2 = code[1];
  const int high = platform::IsDigit(c1) ? (c1 - '0') * 10 : (c1 - 'A' + 1) * 10000;
  if (platform::IsDigit(c2)) return high + (c2 - '0');
  return (c2 - 'A' + 1) * 10;
}

inline constexpr int kHandledMethodCount = 145;

// Position of a method number in the dispatch table, or -1 when the
// dispatcher does not handle it.
constexpr int MethodTableIndex(int code) {
  if (code >= 0 && code <= 99) return code;
  const int letter = code / 10000;
  const int digit = code % 10000;
  if (letter >= 1 && letter <= 4 && digit <= 9) return 100 + (letter - 1) * 10 + digit;
  if (letter == 5 && digit <= 4) return 140 + digit;
  return -1;
}

// The two-character code of a dispatch-table position (0 to 144).
// REQUIRES: 0 <= index < kHandledMethodCount.
std::string MethodCodeText(int index);

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_CHECK_METHOD_CODE_H_
