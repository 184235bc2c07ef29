#include "platform/number_text.h"

#include <charconv>
#include <limits>

namespace talvenor::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips leading blanks and reads an optional sign; returns true for "-".
bool TakeSign(std::string_view& text) {
  const auto start = text.find_first_not_of(kBlanks);
  text.remove_prefix(start == std::string_view::npos ? text.size() : start);
  if (text.empty()) return false;
  const bool negative = text.front() == '-';
  if (negative || text.front() == '+') text.remove_prefix(1);
  return negative;
}

}  // namespace

long ParseLeadingLong(std::string_view text) {
  const bool negative = TakeSign(text);
  constexpr long kMax = std::numeric_limits<long>::max();
  long value = 0;
  for (char c : text) {
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
  while (end < text.size() && IsDigit(text[end])) ++end;
  if (end < text.size() && text[end] == '.') {
    ++end;
    while (end < text.size() && IsDigit(text[end])) ++end;
  }
  double value = 0.0;
  const std::string_view number = text.substr(0, end);
  if (number.empty() || number == ".") return 0.0;
  std::from_chars(number.data(), number.data() + number.size(), value,
                  std::chars_format::fixed);
  return negative ? -value : value;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace talvenor::platform
