// Bank-code files changed in one field, for tests of editions.
#ifndef TALVENOR_TESTS_SUPPORT_BANK_FILES_H_
#define TALVENOR_TESTS_SUPPORT_BANK_FILES_H_

#include <string>
#include <string_view>

namespace talvenor::test_support {

// Columns (1-based) of fields the tests change.
inline constexpr std::size_t kMethodColumn = 151;
inline constexpr std::size_t kRuleColumn = 169;

// `text`, a bank-code file, with the field starting at `column` replaced by
// `value` in every line of `bankCode`.
inline std::string WithField(std::string text, std::string_view bankCode, std::size_t column,
                             std::string_view value) {
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, bankCode.size(), bankCode) == 0) {
      text.replace(at + column - 1, value.size(), value);
    }
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return text;
}

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_BANK_FILES_H_
