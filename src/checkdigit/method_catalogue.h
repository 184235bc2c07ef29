// The catalogue of check-digit methods, one rule per method code.
//
// The rules live in a few files grouped by kind; each file hands the
// dispatcher its list of (code, rule) pairs. A method that tries other
// methods calls them by code through RunMethod, on the same account.
#ifndef TALVENOR_CHECKDIGIT_METHOD_CATALOGUE_H_
#define TALVENOR_CHECKDIGIT_METHOD_CATALOGUE_H_

#include <span>

#include "checkdigit/check_method_code.h"
#include "checkdigit/method_account.h"

namespace talvenor::checkdigit {

struct MethodEntry {
  int code;  // CheckMethodCode of the method
  MethodRule rule;
};

// The groups of the catalogue; together they name every handled code once.
std::span<const MethodEntry> SingleRuleMethods();    // one fixed computation
std::span<const MethodEntry> ChainedMethods();       // other codes tried in order
std::span<const MethodEntry> ConditionalMethods();   // by digits, length, ranges
std::span<const MethodEntry> VariantChainMethods();  // position-3 "9" and "99" chains
std::span<const MethodEntry> BankCodeMethods();      // depend on the bank code
std::span<const MethodEntry> RewritingMethods();     // rewrite the account
std::span<const MethodEntry> PrefixedMethods();      // fifteen-digit prefixed checks

// The rule for a method number, or nullptr when none is written for it.
MethodRule FindMethod(int code);

// Runs the rule of `code` on `account`; false when there is no rule.
bool RunMethod(int code, MethodAccount& account);

// Shorthand for chains: RunMethod(CheckMethodCode(code), account).
inline bool RunMethod(const char (&code)[3], MethodAccount& account) {
  return RunMethod(CheckMethodCode(code), account);
}

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_METHOD_CATALOGUE_H_
