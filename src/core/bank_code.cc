#include "core/bank_code.h"

#include <cassert>

#include "platform/number_text.h"

namespace talvenor {

std::optional<BankCode> BankCode::Parse(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  BankCode code;
  for (std::size_t i = 0; i < 8; ++i) {
    const char c = text[i];
    if (!platform::IsDigit(c)) return std::nullopt;
    code.number_ = code.number_ * 10 + static_cast<std::uint32_t>(c - '0');
    code.text_[i] = c;
  }
  return code;
}

BankCode BankCode::FromNumber(std::uint32_t number) {
  assert(number < 100000000);
  BankCode code;
  code.number_ = number;
  for (std::size_t i = 8; i-- > 0;) {
    code.text_[i] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
  return code;
}

}  // namespace talvenor
