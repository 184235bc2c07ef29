// The working state of one rule-engine evaluation, shared between the
// engine's common steps and the bank-specific rule steps.
//
// A rule step reads and changes this state and says how the evaluation goes
// on: with the common completion (IBAN formed, result code derived), with a
// refusal (no IBAN), or finished as it stands.
#ifndef TALVENOR_CORE_RULE_EVALUATION_H_
#define TALVENOR_CORE_RULE_EVALUATION_H_

#include <string>

#include "core/bank_directory.h"
#include "core/rule_engine.h"

namespace talvenor {

// The engine's working verdict on the account. The account check stores
// its raw result here, so a value of -1 (nothing to check) also occurs and
// counts as passing.
enum AccountState : int { Invalid = 0, Valid = 1, Replaced = 2, Refused = 3 };

struct RuleEvaluation {
  RuleEvaluation(const BankDirectory& directory_, const RuleInput& input_, RuleTexts& texts_)
      : directory(directory_),
        input(input_),
        texts(texts_),
        facts(directory_.facts(*input_.record)) {}

  const BankDirectory& directory;
  const RuleInput& input;
  RuleTexts& texts;
  const BankFacts& facts;  // of the record in force
  int effectiveRule = 0;   // the rule number, 100 read as 0
  int methodNumber = -1;   // CheckMethodCode of the method in force
  int state = Invalid;     // AccountState or -1
  ResultCode resultCode = ResultCode::kConverted;
  std::string ibanAccount;  // what goes into the IBAN
  std::string padded;       // the trimmed account, padded to ten characters
  std::string checkedForm;  // ibanAccount padded to ten characters after the check
  bool notAllowed = false;  // the rule marks the IBAN as not allowed (code 50)
};

enum class RuleStepEnd {
  kComplete,  // go on with the common completion
  kRefuse,    // no IBAN: "Kontonummer ausgeschlossen" and 12, or, when the
              // step marked the IBAN as not allowed, "IBAN Ermittlung nicht
              // zugelassen" and 50
  kFinished,  // the step has set IBAN, verdict and code itself; no completion
};

}  // namespace talvenor

#endif  // TALVENOR_CORE_RULE_EVALUATION_H_
