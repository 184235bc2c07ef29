// Sub-rules that several check-digit methods share, written once.
#ifndef TALVENOR_CHECKDIGIT_SHARED_RULES_H_
#define TALVENOR_CHECKDIGIT_SHARED_RULES_H_

#include <string_view>

#include "checkdigit/method_account.h"

namespace talvenor::checkdigit {

// For accounts with "9" at position 3: modulus 11 (tenRule 1) over
// positions 3-9 with weights 2..8, and failing that over positions 1-9 with
// weights 2..10, both against the check digit.
bool thirdDigitNineRule(const MethodAccount& account);

// Modulus 10 with cross sums (weights 2, 1, 2, 1, 2, 1) over the six
// positions before `checkPosition` of a ten-character account, against the
// digit at `checkPosition`. REQUIRES: 7 <= checkPosition <= 10.
bool SubAccountMod10(std::string_view padded, int checkPosition);

// Hands the caller the account shifted left by two places: positions 3-10
// followed by "00", without leading zeros (the account times 100).
void RewriteShiftedByTwo(const MethodAccount& account);

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_SHARED_RULES_H_
