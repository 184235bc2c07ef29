// The constant tables the IBAN rules consult: replacement accounts
// (donation, pseudo and adjusted accounts), fixed IBANs, the successor bank
// codes of one bank's account ranges, an account list and a bank-code list.
//
// Every table is built at compile time and shared read-only. Unless a
// lookup says otherwise its key is the account without leading zeros read
// as a decimal number; an account whose value does not fit a signed 32-bit
// integer is never found. A miss changes nothing.
#ifndef TALVENOR_CORE_RULE_TABLES_H_
#define TALVENOR_CORE_RULE_TABLES_H_

#include <string>
#include <string_view>

namespace talvenor {

// Replaces `account` (trimmed account text) in place from the replacement
// table that `ruleNumber` and `bankCode` select, trying the tables in their
// fixed order; true on a hit. Three bank codes (10050000, 37050198,
// 37060193) select their table whatever the rule number; otherwise a rule
// number without a table always misses.
bool ReplaceAccountFromTable(std::string_view bankCode, std::string& account, int ruleNumber);

// Rule 0005: replaces a pseudo account of the bank `enteredBankCode`.
bool ReplacePseudoAccount(std::string_view enteredBankCode, std::string& account);

// Rule 0005: true when `account` at `enteredBankCode` is to be refused.
bool IsExcludedPseudoAccount(std::string_view enteredBankCode, std::string_view account);

// Rule 0053: replaces an account of `bankCode` by its adjusted form.
bool ReplaceAdjustedAccount(std::string_view bankCode, std::string& account);

// Rule 0056: the fixed IBAN of `account`, written to `iban` on a hit.
bool FindFixedIban(std::string_view account, std::string& iban);

// Rules 0031 to 0035: the bank code that holds accounts with `prefix` (the
// account's digits before its last seven), or `bankCode` itself when the
// prefix is not listed.
std::string_view SuccessorBankCode(long prefix, std::string_view bankCode);

// Rule 0030: whether `account` (without leading zeros) is in the list of
// accounts that are valid without a passing check.
bool InRule0030AccountList(std::string_view account);

// Rule 0039: whether `bankCode` is one of the bank codes whose accounts
// move to another bank.
bool InRule0039BankCodeList(std::string_view bankCode);

}  // namespace talvenor

#endif  // TALVENOR_CORE_RULE_TABLES_H_
