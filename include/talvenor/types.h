// The plain result types of the Talvenor library.
//
// Every result names the bank-data edition it was made with and whether
// that edition had expired on the day of the call. The library never
// refuses because of expiry: deciding what an expired edition means is
// left to the caller.
#ifndef TALVENOR_TYPES_H_
#define TALVENOR_TYPES_H_

#include <optional>
#include <string>

namespace talvenor {

// One bank-data edition as the library reports it.
struct EditionInfo {
  std::string validFrom;   // "YYYY-MM-DD", the day it takes effect
  std::string validUntil;  // "YYYY-MM-DD", its last valid day
  std::string origin;      // "builtin", "installed", "system" or "file"
  std::string path;        // the file; empty for the built-in edition
  int bankCodes = 0;       // number of bank codes in the directory (0 when unusable)
  bool usable = false;     // the file could be read; else `error` says why
  std::string error;       // German; empty when usable
  bool inForce = false;    // the edition in force on the day asked for
  bool expired = false;    // its validity had ended on the day asked for
  bool hidden = false;     // another edition of the same start date counts instead
};

// What every result carries about the edition used.
struct EditionUse {
  std::string edition;   // validFrom of the edition ("YYYY-MM-DD")
  bool expired = false;  // the edition had expired on the day of the call
};

// Status of a conversion of one account.
enum class ConversionStatus {
  kConverted,        // the rule engine ran; see resultCode
  kInvalidBankCode,  // not eight digits, or not in the directory
  kMissingAccount,   // the account is empty
};

// One account converted: bank code and account to IBAN and BIC.
struct Conversion : EditionUse {
  ConversionStatus status = ConversionStatus::kInvalidBankCode;
  std::string message;   // German; set unless converted
  std::string bankName;  // the entered bank code's bank
  std::string iban;      // empty when no IBAN is formed
  std::string bic;
  std::string verdict;            // German verdict on the account
  int resultCode = 0;             // 0, 1, 11 to 15 or 50 (see the program's manual)
  std::string deletionNotice;     // empty unless the bank code is to be deleted
  std::string account;            // the account as the rules left it
  int ruleNumber = 0;             // the IBAN rule that ran
  std::string checkMethod;        // the check-digit method of the bank in force
  bool notReleased = false;       // the bank has not released the procedure
  bool accountUnchecked = false;  // the bank's method is not handled

  bool converted() const { return status == ConversionStatus::kConverted; }
};

// One IBAN checked. `code` is 80 when every step passed, 81 to 88
// otherwise (see talvenor.h).
struct IbanCheckResult : EditionUse {
  int code = 82;
  std::string verdict;  // German
  std::string iban;     // electronic form; empty when the text is no IBAN
  std::string paperIban;
  std::string country;
  bool checksumValid = false;
  std::string bankCode;
  std::string account;
  std::string bankName;
  std::string bic;
  std::string checkMethod;
  std::optional<bool> accountValid;  // nothing when no check was made
  std::string ruleIban;              // the IBAN the bank's rule forms
  int ruleResult = 0;
  int ruleNumber = 0;

  bool plausible() const { return code == 80; }
};

// One account checked with one check-digit method.
struct Verification {
  std::string method;
  std::string account;
  std::string bankCode;
  // -1: no account (empty, all zeros, not numeric); 0: the check fails;
  // other values: the account passes.
  int result = -1;
  std::string adjustedAccount;  // the account as the method left it

  bool valid() const { return result != -1 && result != 0; }
};

// One file converted.
struct FileConversion : EditionUse {
  bool succeeded = false;
  std::string message;               // German: the files written, or why it failed
  long long assumedRuleRecords = 0;  // converted under an assumed standard rule
  long long uncheckedRecords = 0;    // accounts whose method is not handled
};

}  // namespace talvenor

#endif  // TALVENOR_TYPES_H_
