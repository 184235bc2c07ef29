#include "core/iban.h"

#include <cmath>
#include <cstdint>

#include "platform/number_text.h"

namespace talvenor {
namespace {

// Writes `value` as exactly `width` decimal digits, left-padded with "0".
// REQUIRES: value < 10^width.
void PutDigits(char* out, std::uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

std::string FormIban(std::string_view bankCodeText, std::string_view accountText) {
  const long bankCode = platform::ParseLeadingLong(bankCodeText);
  const double account = platform::ParseLeadingDouble(accountText);
  if (bankCode < 0 || bankCode > 99999999) return {};
  if (account < 0.0 || account > 9999999999.0 || std::trunc(account) != account) return {};

  // N = bank code * 10^16 + account * 10^6 + 131400 ("DE00" as digits);
  // 10^16 mod 97 = 62, 10^6 mod 97 = 27, 131400 mod 97 = 62.
  // The account is whole and below 10^10, so it converts exactly.
  const auto wholeAccount = static_cast<std::uint64_t>(account);
  const long b = bankCode % 97;
  const long a = static_cast<long>(wholeAccount % 97);
  const long remainder = ((b + 1) * 62 + a * 27) % 97;
  const long checkDigits = 98 - remainder;

  // "DE", two check digits, eight bank-code digits, ten account digits.
  std::string iban(22, '0');
  iban[0] = 'D';
  iban[1] = 'E';
  PutDigits(&iban[2], static_cast<std::uint64_t>(checkDigits), 2);
  PutDigits(&iban[4], static_cast<std::uint64_t>(bankCode), 8);
  PutDigits(&iban[12], wholeAccount, 10);
  return iban;
}

}  // namespace talvenor
