// Converting one bank code and one account number, as a person types them,
// into the bank's name, BIC, IBAN and a verdict on the account.
//
// ConvertSingle validates the two texts, finds the bank, resolves a bank
// code that is to be deleted, applies the per-bank rule override of
// DEBUG.INI and runs the rule engine. It touches no window: the caller
// presents the outcome (and the messages below for the two failures).
#ifndef TALVENOR_CORE_SINGLE_CONVERSION_H_
#define TALVENOR_CORE_SINGLE_CONVERSION_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "core/bank_directory.h"
#include "core/result_code.h"

namespace talvenor {

inline constexpr std::string_view kMessageInvalidBankCode =
    "Bitte geben Sie eine gültige Bankleitzahl ein!";
inline constexpr std::string_view kMessageMissingAccount = "Bitte geben Sie eine Kontonummer ein!";
inline constexpr std::string_view kMessageNotReleased =
    "Das Verfahren zur Ermittlung der IBAN/BIC ist von der kontoführenden Stelle nicht "
    "freigegeben.\nBitte prüfen Sie die Daten vor der weiteren Verwendung!";

enum class SingleConversionStatus { Converted, InvalidBankCode, MissingAccount };

struct SingleConversionOutcome {
  SingleConversionStatus status = SingleConversionStatus::InvalidBankCode;
  std::string bankName;        // the entered bank code's bank (empty unless converted)
  std::string deletionNotice;  // empty unless the bank code is to be deleted
  std::string bic;
  std::string iban;  // empty when the engine forms no IBAN
  std::string verdict;
  ResultCode resultCode = ResultCode::kConverted;
  bool emphasise = false;    // result code 11, 12 or 50
  bool notReleased = false;  // the bank has not released the procedure
  std::string accountText;   // the account as the engine left it
  int ruleNumber = 0;        // the rule number the engine ran
  std::string checkMethod;   // the method code of the bank record in force
  // Where the entered bank's rule number comes from; a DEBUG.INI override
  // sets ruleOverridden instead of changing it.
  RuleOrigin ruleOrigin = RuleOrigin::kEdition;
  bool ruleOverridden = false;
  bool accountUnchecked = false;  // the bank's method is not handled
};

// Converts one account. `debugIni` is the DEBUG.INI to read the rule
// override from (section "USEREGEL", key: the bank code in use, value: the
// rule number); an empty path means no override. The file is read on every
// call; a missing file changes nothing.
SingleConversionOutcome ConvertSingle(const BankDirectory& directory, std::string_view bankCodeText,
                                      std::string_view accountText,
                                      const std::filesystem::path& debugIni);

// The rule override of `debugIni` for `bankCode`, or -1 when there is none.
int ReadRuleOverride(const std::filesystem::path& debugIni, std::string_view bankCode);

}  // namespace talvenor

#endif  // TALVENOR_CORE_SINGLE_CONVERSION_H_
