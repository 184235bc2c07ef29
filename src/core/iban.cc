#include "core/iban.h"

#include <cmath>
#include <cstdio>

#include "platform/number_text.h"

namespace talvenor {

std::string FormIban(std::string_view bankCodeText, std::string_view accountText) {
  const long bankCode = platform::ParseLeadingLong(bankCodeText);
  const double account = platform::ParseLeadingDouble(accountText);
  if (bankCode < 0 || bankCode > 99999999) return {};
  if (account < 0.0 || account > 9999999999.0 || std::trunc(account) != account) return {};

  // N = bank code * 10^16 + account * 10^6 + 131400 ("DE00" as digits);
  // 10^16 mod 97 = 62, 10^6 mod 97 = 27, 131400 mod 97 = 62.
  const long b = bankCode % 97;
  const long a = static_cast<long>(std::fmod(account, 97.0));
  const long remainder = ((b + 1) * 62 + a * 27) % 97;
  const long checkDigits = 98 - remainder;

  char iban[40];
  std::snprintf(iban, sizeof iban, "DE%02ld%08ld%010.0f", checkDigits, bankCode, account);
  return iban;
}

}  // namespace talvenor
