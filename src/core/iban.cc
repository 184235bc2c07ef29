#include "core/iban.h"

#include <cmath>
#include <optional>

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

// The value of a text of at most `maxDigits` decimal digits and nothing
// else (the empty text reads as 0), or nothing for any other text.
std::optional<std::uint64_t> PlainDigits(std::string_view text, std::size_t maxDigits) {
  if (text.size() > maxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

// The bank code and account as numbers, read as the C library reads them
// from the start of their texts; nothing when they do not fit an IBAN.
bool ReadNumbers(std::string_view bankCodeText, std::string_view accountText,
                 std::uint32_t& bankCode, std::uint64_t& account) {
  std::optional<std::uint64_t> bank = PlainDigits(bankCodeText, 8);
  std::optional<std::uint64_t> whole = PlainDigits(accountText, 10);
  if (!bank) {
    const long value = platform::ParseLeadingLong(bankCodeText);
    if (value < 0 || value > 99999999) return false;
    bank = static_cast<std::uint64_t>(value);
  }
  if (!whole) {
    const double value = platform::ParseLeadingDouble(accountText);
    if (value < 0.0 || value > 9999999999.0 || std::trunc(value) != value) return false;
    // Whole and below 10^10, so it converts exactly.
    whole = static_cast<std::uint64_t>(value);
  }
  bankCode = static_cast<std::uint32_t>(*bank);
  account = *whole;
  return true;
}

}  // namespace

void WriteIban(std::uint32_t bankCodeRemainder, std::uint32_t bankCode, std::uint64_t account,
               char* out) {
  // 10^6 mod 97 = 27 (see BankCodeRemainder for the rest).
  const auto remainder =
      static_cast<std::uint32_t>((bankCodeRemainder + (account % 97) * 27) % 97);
  out[0] = 'D';
  out[1] = 'E';
  PutDigits(out + 2, 98 - remainder, 2);
  PutDigits(out + 4, bankCode, 8);
  PutDigits(out + 12, account, 10);
}

void FormIban(std::string_view bankCodeText, std::string_view accountText, std::string& iban) {
  std::uint32_t bankCode = 0;
  std::uint64_t account = 0;
  if (!ReadNumbers(bankCodeText, accountText, bankCode, account)) {
    iban.clear();
    return;
  }
  iban.resize(kGermanIbanLength);
  WriteIban(BankCodeRemainder(bankCode), bankCode, account, iban.data());
}

std::string FormIban(std::string_view bankCode, std::string_view account) {
  std::string iban;
  FormIban(bankCode, account, iban);
  return iban;
}

}  // namespace talvenor
