// Checking an account number against its bank's check-digit method.
//
// verifyAccountNumber is the entry point of the rule engine: it normalises
// the account text (leading zeros off), refuses accounts without a value
// above zero with -1, and hands the rest to verifyAccount, which pads the
// account to ten characters and dispatches on the method number. Six methods
// ("13", "26", "50", "63", "76", "C7") may rewrite the account they pass; the
// rewritten text is handed back to the caller.
#ifndef TALVENOR_CHECKDIGIT_ACCOUNT_VERIFIER_H_
#define TALVENOR_CHECKDIGIT_ACCOUNT_VERIFIER_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace talvenor::checkdigit {

// Returns -1 when the account has no value above zero (empty, all zeros, not
// numeric; `adjustedAccount` untouched), 1 when methodCode is negative (no
// method; `adjustedAccount` untouched), otherwise the result of verifyAccount
// on the account without leading zeros, which is then written to
// `adjustedAccount` as the method left it. Non-zero means the account passes.
int verifyAccountNumber(std::string_view accountText, std::string_view bankCodeText, int methodCode,
                        std::string& adjustedAccount);
// The same with the bank code as a number.
int verifyAccountNumber(std::string_view accountText, long bankCode, int methodCode,
                        std::string& adjustedAccount);

// 1 when `account` passes method `methodCode` (or the method prescribes no
// check), 0 when it fails, when the account is empty or longer than ten
// characters, or when the method number is not handled. A rewriting method
// replaces `account`.
int verifyAccount(std::string& account, long bankCode, int methodCode);

// The seven-digit sub-account test used with method "63": 0 when positions
// 4-6 of the ten-character account are "000", otherwise the modulus-10 check
// of positions 4-9 (weights 2, 1, 2, 1, 2, 1, cross sums) against position
// 10. A shorter text is padded with "0"; a longer one gives 0.
int verifySubAccountShift(std::string_view accountText);

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_ACCOUNT_VERIFIER_H_
