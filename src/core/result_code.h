// The result codes of a conversion: one set for the rule engine, the
// single conversion and the batch run, whose records carry the code as a
// two-digit number. The numbers are published and read by other programs,
// so they never change.
//
//   code  set by        meaning
//   0     engine        account accepted, nothing changed; IBAN formed
//   1     engine        the account in the IBAN differs from the one given
//   10    batch         the bank code is not in the directory
//   11    engine/batch  the account fails its check (the engine still forms
//                       the IBAN); the batch run also gives it to an account
//                       that is all zeros or not all digits
//   12    engine        the account is excluded; no IBAN
//   13    engine        the successor of a bank code to be deleted was used
//   14    engine/batch  the bank code is to be deleted
//   15    engine        the rule replaced the bank code
//   20    batch         bank code and account do not form 18 digits
//   23    batch         converted, but the bank's BIC is incomplete
//   26    batch         the record is not a German account
//   50    engine        IBAN determination not allowed
#ifndef TALVENOR_CORE_RESULT_CODE_H_
#define TALVENOR_CORE_RESULT_CODE_H_

#include <cstdint>

namespace talvenor {

enum class ResultCode : std::uint8_t {
  kConverted = 0,
  kAccountChanged = 1,
  kAccountInvalid = 11,
  kAccountExcluded = 12,
  kSuccessorUsed = 13,
  kToBeDeleted = 14,
  kBankCodeReplaced = 15,
  kNotAllowed = 50,
  // Set only by the batch run.
  kUnknownBankCode = 10,
  kMalformedNumbers = 20,
  kIncompleteBic = 23,
  kForeign = 26,
};

// The published number of `code`.
constexpr int ResultNumber(ResultCode code) { return static_cast<int>(code); }

// Whether the account did not get through: failed, excluded, or not
// allowed. These are the results a person's attention is drawn to.
constexpr bool IsRefusal(ResultCode code) {
  return code == ResultCode::kAccountInvalid || code == ResultCode::kAccountExcluded ||
         code == ResultCode::kNotAllowed;
}

}  // namespace talvenor

#endif  // TALVENOR_CORE_RESULT_CODE_H_
