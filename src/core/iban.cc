#include "core/iban.h"

#include <cmath>
#include <cstring>
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

// The value of eight digit characters, or false when one is no digit.
// All eight are tested and converted at once in one 64-bit word.
bool EightDigits(const char* text, std::uint64_t& value) {
  std::uint64_t word;
  std::memcpy(&word, text, sizeof word);
  // Every byte 0x30-0x39: high nibble 3, and adding 6 must not carry out
  // of the low nibble.
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
  constexpr std::uint64_t kThrees = 0x3030303030303030ULL;
  if ((word & kHigh) != kThrees || ((word + 0x0606060606060606ULL) & kHigh) != kThrees) {
    return false;
  }
  word -= kThrees;
  // Pairs, then quadruples, then all eight; the first character is the
  // lowest byte (little-endian load), so it is the most significant digit.
  word = (word * 10 + (word >> 8)) & 0x00FF00FF00FF00FFULL;
  word = (word * 100 + (word >> 16)) & 0x0000FFFF0000FFFFULL;
  value = (word * 10000 + (word >> 32)) & 0xFFFFFFFFULL;
  return true;
}

// The value of a text of at most `maxDigits` (at most 16) decimal digits
// and nothing else (the empty text reads as 0), or nothing for any other
// text. The last eight characters are read as one word, straight from the
// text (a copy would make the word load wait for the copy's stores).
std::optional<std::uint64_t> PlainDigits(std::string_view text, std::size_t maxDigits) {
  if (text.size() > maxDigits || text.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  const std::size_t lead = text.size() >= 8 ? text.size() - 8 : text.size();
  for (std::size_t i = 0; i < lead; ++i) {
    const char c = text[i];
    if (!platform::IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (text.size() < 8) return value;
  std::uint64_t last = 0;
  if (!EightDigits(text.data() + lead, last)) return std::nullopt;
  return value * 100000000 + last;
}

// Writes `digits` right-aligned into `width` characters, "0" before it.
// REQUIRES: digits.size() <= width.
void PutPadded(char* out, std::string_view digits, std::size_t width) {
  if (digits.size() == width) {  // the usual case, copied without a call
    for (std::size_t i = 0; i < width; ++i) out[i] = digits[i];
    return;
  }
  const std::size_t zeros = width - digits.size();
  std::memset(out, '0', zeros);
  std::memcpy(out + zeros, digits.data(), digits.size());
}

// The bank code and account as numbers, read as the C library reads them
// from the start of their texts; false when they do not fit an IBAN.
bool ReadNumbers(std::string_view bankCodeText, std::string_view accountText,
                 std::uint32_t& bankCode, std::uint64_t& account) {
  const long bank = platform::ParseLeadingLong(bankCodeText);
  if (bank < 0 || bank > 99999999) return false;
  const double value = platform::ParseLeadingDouble(accountText);
  if (value < 0.0 || value > 9999999999.0 || std::trunc(value) != value) return false;
  bankCode = static_cast<std::uint32_t>(bank);
  // Whole and below 10^10, so it converts exactly.
  account = static_cast<std::uint64_t>(value);
  return true;
}

}  // namespace

// "DE" and the check digits of a bank code (its remainder) and an account.
void PutCountryAndCheck(char* out, std::uint32_t bankCodeRemainder, std::uint64_t account) {
  // 10^6 mod 97 = 27 (see BankCodeRemainder for the rest).
  const auto remainder = static_cast<std::uint32_t>((bankCodeRemainder + (account % 97) * 27) % 97);
  out[0] = 'D';
  out[1] = 'E';
  PutDigits(out + 2, 98 - remainder, 2);
}

void WriteIban(std::uint32_t bankCodeRemainder, std::uint32_t bankCode, std::uint64_t account,
               char* out) {
  PutCountryAndCheck(out, bankCodeRemainder, account);
  PutDigits(out + 4, bankCode, 8);
  // Two halves of five digits: two short chains of divisions instead of
  // one long one.
  PutDigits(out + 12, account / 100000, 5);
  PutDigits(out + 17, account % 100000, 5);
}

void FormIban(std::string_view bankCodeText, std::string_view accountText, std::string& iban) {
  // The usual case: both are plain digit texts, which stand in the IBAN as
  // they are, padded; only the check digits are computed.
  const std::optional<std::uint64_t> bank = PlainDigits(bankCodeText, 8);
  const std::optional<std::uint64_t> account = PlainDigits(accountText, 10);
  if (bank && account) {
    iban.resize(kGermanIbanLength);
    char* out = iban.data();
    PutCountryAndCheck(out, BankCodeRemainder(static_cast<std::uint32_t>(*bank)), *account);
    PutPadded(out + 4, bankCodeText, 8);
    PutPadded(out + 12, accountText, 10);
    return;
  }
  std::uint32_t bankCode = 0;
  std::uint64_t wholeAccount = 0;
  if (!ReadNumbers(bankCodeText, accountText, bankCode, wholeAccount)) {
    iban.clear();
    return;
  }
  iban.resize(kGermanIbanLength);
  WriteIban(BankCodeRemainder(bankCode), bankCode, wholeAccount, iban.data());
}

std::string FormIban(std::string_view bankCode, std::string_view account) {
  std::string iban;
  FormIban(bankCode, account, iban);
  return iban;
}

}  // namespace talvenor
