// Forming German IBANs.
//
// A German IBAN is "DE", two check digits, the eight-digit bank code and the
// ten-digit account number, 22 characters without separators. The check
// digits follow ISO 13616 (ISO 7064 MOD 97-10) and are computed from
// residues of the bank code and the account on integers, with no
// big-number arithmetic.
#ifndef TALVENOR_CORE_IBAN_H_
#define TALVENOR_CORE_IBAN_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace talvenor {

inline constexpr std::size_t kGermanIbanLength = 22;

// The remainder modulo 97 that a bank code contributes to the check digits;
// a caller forming many IBANs of one bank can keep it.
constexpr std::uint32_t BankCodeRemainder(std::uint32_t bankCode) {
  // N = bank code * 10^16 + account * 10^6 + 131400 ("DE00" as digits);
  // 10^16 mod 97 = 62 and 131400 mod 97 = 62, so the bank code and the
  // country together give (bank code + 1) * 62.
  return ((bankCode % 97 + 1) * 62) % 97;
}

// Writes the 22 characters of the IBAN of `bankCode` and `account` to `out`.
// REQUIRES: bankCode < 10^8, account < 10^10, `out` holds 22 characters.
void WriteIban(std::uint32_t bankCodeRemainder, std::uint32_t bankCode, std::uint64_t account,
               char* out);

// The IBAN of a bank code and an account number. The bank code is read as
// an integer and the account as a number, each from the start of its text
// (an empty account reads as 0, leading zeros do not matter). Returns an
// empty text when the two do not fit an IBAN: a bank code outside 0 to
// 99999999, or an account that is negative, fractional or longer than ten
// digits.
std::string FormIban(std::string_view bankCode, std::string_view account);
// The same into `iban`, keeping its buffer.
void FormIban(std::string_view bankCode, std::string_view account, std::string& iban);

}  // namespace talvenor

#endif  // TALVENOR_CORE_IBAN_H_
