#include "platform/number_text.h"

#include <charconv>
#include <limits>

namespace talvenor::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Skips leading blanks and reads an optional sign; returns true for "-".
bool TakeSign(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  text.remove_prefix(start);
  if (text.empty()) return false;
  const bool negative = text.front() == '-';
  if (negative || text.front() == '+') text.remove_prefix(1);
  return negative;
}

// Eighteen decimal digits always fit a long; only longer runs need the
// overflow test.
constexpr std::size_t kSafeDigits = 18;

}  // namespace

long ParseLeadingLong(std::string_view text) {
  const bool negative = TakeSign(text);
  constexpr long kMax = std::numeric_limits<long>::max();
  long value = 0;
  std::size_t i = 0;
  for (; i < text.size() && i < kSafeDigits && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (!IsDigit(c)) break;
    const int digit = c - '0';
    if (value > (kMax - digit) / 10) {
      return negative ? std::numeric_limits<long>::min() : kMax;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

double ParseLeadingDouble(std::string_view text) {
  const bool negative = TakeSign(text);
  std::size_t end = 0;
  long whole = 0;
  for (; end < text.size() && IsDigit(text[end]); ++end) {
    if (end < 15) whole = whole * 10 + (text[end] - '0');
  }
  // Up to fifteen digits without a fraction are exact as a double: the
  // common case (an account number) needs no floating-point parse.
  if (end > 0 && end <= 15 && (end == text.size() || text[end] != '.')) {
    const auto value = static_cast<double>(whole);
    return negative ? -value : value;
  }
  if (end < text.size() && text[end] == '.') {
    ++end;
    while (end < text.size() && IsDigit(text[end])) ++end;
  }
  double value = 0.0;
  const std::string_view number = text.substr(0, end);
  if (number.empty() || number == ".") return 0.0;
  std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
  return negative ? -value : value;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace talvenor::platform
