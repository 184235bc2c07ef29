// Forming German IBANs.
//
// A German IBAN is "DE", two check digits, the eight-digit bank code and the
// ten-digit account number, 22 characters without separators. The check
// digits follow ISO 13616 (ISO 7064 MOD 97-10) and are computed from
// residues of the bank code and the account, with no big-number arithmetic.
#ifndef TALVENOR_CORE_IBAN_H_
#define TALVENOR_CORE_IBAN_H_

#include <string>
#include <string_view>

namespace talvenor {

// The IBAN of a bank code and an account number. The bank code is read as
// an integer and the account as a number, each from the start of its text
// (an empty account reads as 0, leading zeros do not matter). Returns an
// empty text when the two do not fit an IBAN: a bank code outside 0 to
// 99999999, or an account that is negative, fractional or longer than ten
// digits.
std::string FormIban(std::string_view bankCode, std::string_view account);

}  // namespace talvenor

#endif  // TALVENOR_CORE_IBAN_H_
