// Row shapes of the constant tables behind the IBAN rules (rule_tables.h)
// and the compile-time checks that hold for them.
//
// Every table that is searched is kept in ascending key order with each key
// at most once, so a binary search finds every row; the data headers assert
// this next to each table.
#ifndef TALVENOR_CORE_RULE_TABLE_ROWS_H_
#define TALVENOR_CORE_RULE_TABLE_ROWS_H_

#include <cstdint>
#include <span>
#include <string_view>

namespace talvenor::rule_tables {

// An account key (the account's value) and the account text replacing it.
struct AccountRow {
  std::int32_t key;
  std::string_view replacement;
};

// A replacement that holds only at one bank code.
struct BankAccountRow {
  std::int32_t key;
  std::string_view bankCode;
  std::string_view replacement;
};

// A replacement keyed by the whole account text, leading zeros included.
struct AccountTextRow {
  std::string_view account;
  std::string_view replacement;
};

// An account key and the IBAN that stands for it.
struct FixedIbanRow {
  std::int32_t key;
  std::string_view iban;
};

// Account prefixes first to last (both included) held by `bankCode`.
struct PrefixRange {
  int first;
  int last;
  std::string_view bankCode;
};

// Keys strictly ascending: sorted and without duplicates.
template <typename Row>
constexpr bool KeysAscend(std::span<const Row> rows) {
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (!(rows[i - 1].key < rows[i].key)) return false;
  }
  return true;
}

// Plain values strictly ascending.
template <typename Value>
constexpr bool ValuesAscend(std::span<const Value> values) {
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (!(values[i - 1] < values[i])) return false;
  }
  return true;
}

// Rows ordered by key and then bank code, each pair once.
constexpr bool BankRowsAscend(std::span<const BankAccountRow> rows) {
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const BankAccountRow& a = rows[i - 1];
    const BankAccountRow& b = rows[i];
    if (!(a.key < b.key || (a.key == b.key && a.bankCode < b.bankCode))) return false;
  }
  return true;
}

// Ranges well formed, ascending and not overlapping.
constexpr bool RangesAscend(std::span<const PrefixRange> ranges) {
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (ranges[i].first > ranges[i].last) return false;
    if (i > 0 && !(ranges[i - 1].last < ranges[i].first)) return false;
  }
  return true;
}

// Whether a text is exactly eight decimal digits (the form of a bank code).
constexpr bool IsBankCodeForm(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace talvenor::rule_tables

#endif  // TALVENOR_CORE_RULE_TABLE_ROWS_H_
