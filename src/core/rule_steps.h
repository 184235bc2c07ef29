// The bank-specific rule steps that do not fit one of the catalogue's three
// tables, one function per rule, and the small vocabulary they share.
//
// Internal to the rule catalogue: a step reads and changes the evaluation
// and returns how it goes on. Positions count the padded account's
// characters 1 to 10 from the left.
#ifndef TALVENOR_CORE_RULE_STEPS_H_
#define TALVENOR_CORE_RULE_STEPS_H_

#include <string>
#include <string_view>

#include "core/rule_evaluation.h"

namespace talvenor::rule_steps {

// The padded account's characters `first` to `last` (1-based, inclusive).
inline std::string_view Digits(const RuleEvaluation& e, int first, int last) {
  return std::string_view(e.padded).substr(static_cast<std::size_t>(first - 1),
                                           static_cast<std::size_t>(last - first + 1));
}

// The padded account's character at `position` (1-based).
inline char DigitAt(const RuleEvaluation& e, int position) {
  return e.padded[static_cast<std::size_t>(position - 1)];
}

// The decimal value of the padded account's characters `first` to `last`.
long DigitsValue(const RuleEvaluation& e, int first, int last);

// A table replaced the account text in place: it also goes into the IBAN.
void TakeReplacedAccount(RuleEvaluation& e, std::string_view verdict);

// The IBAN is formed with `bankCode` and the bank's BIC becomes `bic`.
void MoveToBank(RuleEvaluation& e, std::string_view bankCode, std::string_view bic);

// The IBAN is formed with the directory's bank `bankCode` and its first BIC;
// nothing changes when the directory does not hold it.
void MoveToDirectoryBank(RuleEvaluation& e, std::string_view bankCode);

RuleStepEnd Rule0002(RuleEvaluation& e);
RuleStepEnd Rule0003(RuleEvaluation& e);
RuleStepEnd Rule0005(RuleEvaluation& e);
RuleStepEnd Rule0009(RuleEvaluation& e);
RuleStepEnd Rule0010(RuleEvaluation& e);
RuleStepEnd Rule0020(RuleEvaluation& e);
RuleStepEnd Rule0021(RuleEvaluation& e);
RuleStepEnd Rule0029(RuleEvaluation& e);
RuleStepEnd Rule0030(RuleEvaluation& e);
RuleStepEnd Rule0031(RuleEvaluation& e);
RuleStepEnd Rule0032To0035(RuleEvaluation& e);
RuleStepEnd Rule0036(RuleEvaluation& e);
RuleStepEnd Rule0041(RuleEvaluation& e);
RuleStepEnd Rule0042(RuleEvaluation& e);
RuleStepEnd Rule0044(RuleEvaluation& e);
RuleStepEnd Rule0047(RuleEvaluation& e);
RuleStepEnd Rule0049(RuleEvaluation& e);
RuleStepEnd Rule0052(RuleEvaluation& e);
RuleStepEnd Rule0053(RuleEvaluation& e);
RuleStepEnd Rule0054(RuleEvaluation& e);
RuleStepEnd Rule0056(RuleEvaluation& e);

}  // namespace talvenor::rule_steps

#endif  // TALVENOR_CORE_RULE_STEPS_H_
