// The bank-specific steps of the IBAN rules, selected by the exact rule
// number (rule * 100 + version).
#ifndef TALVENOR_CORE_RULE_CATALOGUE_H_
#define TALVENOR_CORE_RULE_CATALOGUE_H_

#include <string_view>

#include "core/rule_evaluation.h"

namespace talvenor {

using RuleStep = RuleStepEnd (*)(RuleEvaluation& evaluation);

// The step of `effectiveRule`, or nullptr for a rule number with no step of
// its own (it behaves as the standard rule 0).
RuleStep FindRuleStep(int effectiveRule);

// Whether the engine knows the rule number `ruleNumber`: the standard
// rule 0, rule 0001 (not released), or a rule with a step of its own. An
// unknown number (9999, or an unknown version of a known rule) would run
// as the standard rule without anyone noticing, so editions naming one
// say so.
bool IsKnownRule(int ruleNumber);

// The method number a rule checks the account with instead of the bank's
// own (for example rule 0008's method 60), or -1 when the rule keeps the
// bank's method for `enteredBankCode`.
int RuleMethodOverride(int effectiveRule, std::string_view enteredBankCode);

}  // namespace talvenor

#endif  // TALVENOR_CORE_RULE_CATALOGUE_H_
