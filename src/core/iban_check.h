// Checking an IBAN someone holds: is it one, is it German, do its check
// digits hold, is its bank in the directory, does its account pass the
// bank's check, and is it the IBAN the bank's IBAN rule forms from its own
// bank code and account.
//
// The steps run in that order; the first that fails ends the check with its
// own code and German verdict. The codes are a set of their own, apart from
// the conversion's result codes:
//
//   code  meaning                                              plausible
//   80    every step passed                                    yes
//   81    a well-formed IBAN of another country (length and    -
//         check digits hold; bank and account are not checked)
//   82    the text is no IBAN (empty, control characters,      -
//         characters other than letters, digits and blanks,
//         too short or too long for any IBAN)
//   83    the country's IBANs have another length or shape,    -
//         or the country has no IBANs
//   84    the check digits are wrong                           -
//   85    the bank code is not in the directory                -
//   86    the account fails the bank's check                   -
//   87    the bank's rule forms another IBAN from this bank    -
//         code and account (shown as the rule IBAN)
//   88    the bank's rule refuses this account                 -
#ifndef TALVENOR_CORE_IBAN_CHECK_H_
#define TALVENOR_CORE_IBAN_CHECK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bank_directory.h"
#include "core/result_code.h"

namespace talvenor {

enum class IbanCheckCode : std::uint8_t {
  kPlausible = 80,
  kNotGerman = 81,
  kNoIban = 82,
  kWrongShape = 83,
  kWrongCheckDigits = 84,
  kUnknownBankCode = 85,
  kAccountInvalid = 86,
  kRuleFormsOther = 87,
  kRuleRefuses = 88,
};

constexpr int IbanCheckNumber(IbanCheckCode code) { return static_cast<int>(code); }

struct IbanCheck {
  IbanCheckCode code = IbanCheckCode::kNoIban;
  std::string verdict;  // German, one sentence or two

  // Known once the text is an IBAN (every code but 82).
  std::string iban;       // electronic form: capitals and digits, no blanks
  std::string paperIban;  // groups of four, separated by blanks
  std::string country;    // the first two letters
  bool checksumValid = false;

  // Known for German IBANs whose check digits hold (85 and later).
  std::string bankCode;  // eight digits
  std::string account;   // ten digits, as in the IBAN

  // Known once the bank is found (86 and later).
  std::string bankName;
  std::string bic;                // as the bank's rule gives it
  std::string deletionNotice;     // the bank code is to be deleted: the notice
  std::string successorBankCode;  // ... and the successor named, if any
  std::string checkMethod;        // the bank's method code
  // Whether the account passes the bank's check as its rule applies it;
  // nothing when no check was made or the bank's method is not handled.
  std::optional<bool> accountValid;
  // The IBAN the bank's rule forms from this bank code and account (empty
  // when it refuses), its result code and verdict.
  std::string ruleIban;
  ResultCode ruleResult = ResultCode::kConverted;
  std::string ruleVerdict;
  int ruleNumber = 0;
  // Where the rule number comes from: kAssumed when no edition names the
  // bank's rule (or names one the program does not know), so the standard
  // rule ran in its place.
  RuleOrigin ruleOrigin = RuleOrigin::kEdition;

  bool plausible() const { return code == IbanCheckCode::kPlausible; }
};

// Checks `text`: an IBAN in electronic form or in the paper form (groups of
// four separated by single blanks), capitals or small letters, with blanks
// around it.
IbanCheck CheckIban(const BankDirectory& directory, std::string_view text);

// `iban` in groups of four separated by blanks, as a person reads it.
std::string PaperIban(std::string_view iban);

// The IBAN length of a country (ISO 3166 two capitals) by the IBAN
// registry, or 0 for a country without IBANs.
int IbanLengthOf(std::string_view country);

}  // namespace talvenor

#endif  // TALVENOR_CORE_IBAN_CHECK_H_
