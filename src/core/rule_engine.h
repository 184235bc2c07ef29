// The IBAN rule engine: from a bank record, its IBAN rule number, a bank
// code and an account number to BIC, IBAN, a German verdict on the account
// and a result code.
//
// Every evaluation runs the same common steps (trim the account, check it
// with the bank's method, form the IBAN, derive the result code) with the
// step of the bank's own rule in the middle. Outcomes are result codes and
// texts, never exceptions: the engine's codes of core/result_code.h (0, 1,
// 11 to 15 and 50; with rule 0001 the IBAN is formed under code 50).
#ifndef TALVENOR_CORE_RULE_ENGINE_H_
#define TALVENOR_CORE_RULE_ENGINE_H_

#include <string>
#include <string_view>

#include "core/bank_code.h"
#include "core/bank_directory.h"
#include "core/blz_info.h"
#include "core/result_code.h"

namespace talvenor {

// The verdict texts the engine writes.
inline constexpr std::string_view kVerdictValid = "Kontonummer gültig";
inline constexpr std::string_view kVerdictInvalid = "Kontonummer ungültig";
inline constexpr std::string_view kVerdictExcluded = "Kontonummer ausgeschlossen";
inline constexpr std::string_view kVerdictReplaced = "Kontonummer ersetzt";
inline constexpr std::string_view kVerdictPseudoReplaced = "Pseudokontonummer ersetzt";
inline constexpr std::string_view kVerdictDonationValid = "Spendenkontonummer gültig";
inline constexpr std::string_view kVerdictAdjusted = "Kontonummer angepasst!";
inline constexpr std::string_view kVerdictAccepted = "Kontonummer akzeptiert";
inline constexpr std::string_view kVerdictNotCheckable = "Kontonummer nicht prüfbar.";
inline constexpr std::string_view kVerdictNotAllowed = "IBAN Ermittlung nicht zugelassen";

// The rule number of banks that have not released the IBAN calculation.
inline constexpr int kRuleNotReleased = 100;

// What the engine reads besides the texts it changes.
struct RuleInput {
  int ruleNumber = 0;                   // as stored for the bank, or overridden
  const BlzInfoIBAN* record = nullptr;  // the record in force (REQUIRED)
  BankCode entered;                     // the bank code as entered, read only
  bool successorSubstituted = false;    // the caller put the successor's record in
};

// The texts an evaluation reads and writes.
struct RuleTexts {
  std::string bankCode;  // in/out: the record's bank code; the IBAN's in the end
  std::string account;   // in/out: trimmed in place; some rules replace it
  std::string bic;       // out
  std::string iban;      // out: empty when no IBAN is formed
  std::string verdict;   // out: the engine never clears it; callers empty it first
  // out: the method in force is not one the program handles, so the
  // account could not be checked (see ApplyIbanRule).
  bool accountUnchecked = false;
};

// Runs one evaluation and returns the result code. `directory` serves the
// rules that move accounts to another bank code.
//
// A bank whose check-digit method the program does not handle (a method
// the central bank announced after this program was made) cannot have its
// accounts checked. Such an account is not called invalid: it is taken as
// it is, as rule 0049 takes accounts it cannot check, with the verdict
// "Kontonummer nicht prüfbar.", an IBAN, and the result code its rule
// gives otherwise (0 when nothing else applies); `accountUnchecked` tells
// the caller. Result codes keep their published meaning this way; no new
// code appears in batch output that its readers would not know.
ResultCode ApplyIbanRule(const BankDirectory& directory, const RuleInput& input, RuleTexts& texts);

}  // namespace talvenor

#endif  // TALVENOR_CORE_RULE_ENGINE_H_
