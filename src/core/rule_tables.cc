#include "core/rule_tables.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <utility>

#include "core/account_text.h"
#include "core/rule_table_adjusted.h"
#include "core/rule_table_fixed_iban.h"
#include "core/rule_table_lists.h"
#include "core/rule_table_pseudo.h"
#include "core/rule_table_replacement.h"
#include "core/rule_table_rows.h"
#include "core/rule_table_successor.h"
#include "platform/number_text.h"

namespace talvenor {
namespace {

using rule_tables::AccountRow;
using rule_tables::KeyForm;
using rule_tables::ReplacementTable;

// The number of characters below which an account is "shorter than ten".
constexpr std::size_t kTenCharacters = 10;

// The key of an account text without leading zeros: its leading decimal
// number, read the way the C library's atol reads one (leading blanks and a
// sign taken, reading stops at the first character that is not a digit), or
// nothing when that value does not fit a signed 32-bit integer; so a longer
// number never aliases a listed key.
std::optional<std::int32_t> KeyOf(std::string_view withoutZeros) {
  const long value = platform::ParseLeadingLong(withoutZeros);
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

template <typename Row>
const Row* FindKey(std::span<const Row> rows, std::optional<std::int32_t> key) {
  if (!key) return nullptr;
  const auto it = std::lower_bound(rows.begin(), rows.end(), *key,
                                   [](const Row& row, std::int32_t k) { return row.key < k; });
  return it != rows.end() && it->key == *key ? &*it : nullptr;
}

bool ReplaceFromRow(const AccountRow* row, std::string& account) {
  if (row == nullptr) return false;
  account = row->replacement;
  return true;
}

// Whether the rule number or the bank code selects the table.
bool Selects(const ReplacementTable& table, std::string_view bankCode, int ruleNumber) {
  return ruleNumber == table.ruleNumber ||
         (table.otherRuleNumber != rule_tables::kNoRule && ruleNumber == table.otherRuleNumber) ||
         (!table.bankCode.empty() && bankCode == table.bankCode);
}

// Whether the table's length condition holds for the account, which decides
// whether the table is the one that answers.
bool LengthConditionHolds(const ReplacementTable& table, std::string_view account,
                          std::string_view withoutZeros) {
  const bool shortAccount = withoutZeros.size() < kTenCharacters;
  switch (table.keyForm) {
    case KeyForm::kShortAccount:
      return shortAccount;
    case KeyForm::kAnyLength:
      return true;
    case KeyForm::kLeadingFive:
      return shortAccount || (withoutZeros.size() == kTenCharacters && withoutZeros.front() == '5');
    case KeyForm::kWholeTextFirst: {
      const std::string_view trimmed = platform::TrimBlanks(account);
      return shortAccount ||
             std::any_of(table.textRows.begin(), table.textRows.end(),
                         [trimmed](const auto& row) { return row.account == trimmed; });
    }
  }
  return false;
}

// The replacement from the one table that answers for the account, if any.
std::optional<std::string_view> LookUp(const ReplacementTable& table, std::string_view account,
                                       std::string_view withoutZeros) {
  const AccountRow* row = nullptr;
  if (table.keyForm == KeyForm::kWholeTextFirst) {
    const std::string_view trimmed = platform::TrimBlanks(account);
    for (const auto& textRow : table.textRows) {
      if (textRow.account == trimmed) return textRow.replacement;
    }
  }
  if (table.keyForm == KeyForm::kLeadingFive && withoutZeros.size() == kTenCharacters) {
    const auto key = KeyOf(withoutZeros.substr(1));
    row = FindKey(table.rows, key);
    if (row == nullptr) row = FindKey(table.longFormRows, key);
  } else {
    row = FindKey(table.rows, KeyOf(withoutZeros));
  }
  if (row == nullptr) return std::nullopt;
  return row->replacement;
}

}  // namespace

bool ReplaceAccountFromTable(std::string_view bankCode, std::string& account, int ruleNumber) {
  const std::string_view withoutZeros = WithoutLeadingZeros(account);
  for (const ReplacementTable& table : rule_tables::kReplacementTables) {
    if (!Selects(table, bankCode, ruleNumber)) continue;
    if (!LengthConditionHolds(table, account, withoutZeros)) continue;
    const auto replacement = LookUp(table, account, withoutZeros);
    if (!replacement) return false;
    account = *replacement;
    return true;
  }
  return false;
}

bool ReplacePseudoAccount(std::string_view enteredBankCode, std::string& account) {
  const auto key = KeyOf(WithoutLeadingZeros(account));
  if (!key) return false;
  const auto rows = std::span(rule_tables::kPseudoAccounts);
  const auto it = std::lower_bound(
      rows.begin(), rows.end(), std::pair(*key, enteredBankCode),
      [](const rule_tables::BankAccountRow& row, const auto& wanted) {
        return row.key < wanted.first || (row.key == wanted.first && row.bankCode < wanted.second);
      });
  if (it == rows.end() || it->key != *key || it->bankCode != enteredBankCode) return false;
  account = it->replacement;
  return true;
}

bool IsExcludedPseudoAccount(std::string_view enteredBankCode, std::string_view account) {
  const auto key = KeyOf(WithoutLeadingZeros(account));
  if (!key || *key < rule_tables::kExcludedPseudoFirst || *key > rule_tables::kExcludedPseudoLast) {
    return false;
  }
  return std::binary_search(std::begin(rule_tables::kExcludedPseudoBankCodes),
                            std::end(rule_tables::kExcludedPseudoBankCodes), enteredBankCode);
}

bool ReplaceAdjustedAccount(std::string_view bankCode, std::string& account) {
  const auto bank =
      std::find_if(std::begin(rule_tables::kAdjustedBanks), std::end(rule_tables::kAdjustedBanks),
                   [bankCode](const auto& b) { return b.bankCode == bankCode; });
  if (bank == std::end(rule_tables::kAdjustedBanks)) return false;
  std::string_view keyText = WithoutLeadingZeros(account);
  if (bank->leadingDigit != '\0') {
    if (keyText.size() != kTenCharacters || keyText.front() != bank->leadingDigit) return false;
    keyText.remove_prefix(1);
  }
  return ReplaceFromRow(FindKey(bank->rows, KeyOf(keyText)), account);
}

bool FindFixedIban(std::string_view account, std::string& iban) {
  const std::string_view withoutZeros = WithoutLeadingZeros(account);
  if (withoutZeros.size() >= kTenCharacters) return false;
  const auto* row =
      FindKey<rule_tables::FixedIbanRow>(rule_tables::kFixedIbans, KeyOf(withoutZeros));
  if (row == nullptr) return false;
  iban = row->iban;
  return true;
}

std::string_view SuccessorBankCode(long prefix, std::string_view bankCode) {
  const auto ranges = std::span(rule_tables::kSuccessorRanges);
  const auto it = std::lower_bound(
      ranges.begin(), ranges.end(), prefix,
      [](const rule_tables::PrefixRange& range, long p) { return range.last < p; });
  if (it == ranges.end() || it->first > prefix) return bankCode;
  return it->bankCode;
}

bool InRule0030AccountList(std::string_view account) {
  // The list holds the accounts as texts; a text matches only an entry that
  // reads exactly the same, so anything but one to ten digits misses.
  const std::string_view withoutZeros = WithoutLeadingZeros(account);
  if (withoutZeros.empty() || withoutZeros.size() > kTenCharacters ||
      !platform::IsDigitsOnly(withoutZeros)) {
    return false;
  }
  std::uint64_t value = 0;
  for (char c : withoutZeros) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  return std::binary_search(std::begin(rule_tables::kRule0030Accounts),
                            std::end(rule_tables::kRule0030Accounts), value);
}

bool InRule0039BankCodeList(std::string_view bankCode) {
  return std::binary_search(std::begin(rule_tables::kRule0039BankCodes),
                            std::end(rule_tables::kRule0039BankCodes), bankCode);
}

}  // namespace talvenor
