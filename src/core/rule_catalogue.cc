#include "core/rule_catalogue.h"

namespace talvenor {

// No bank-specific step is written yet: every rule number evaluates as the
// standard rule. The engine itself applies the method override of rules
// 0008 and 0043.
RuleStep FindRuleStep(int /*effectiveRule*/) { return nullptr; }

}  // namespace talvenor
