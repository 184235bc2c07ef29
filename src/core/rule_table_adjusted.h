// The adjusted accounts of IBAN rule 0053, one sub-table per bank code.
#ifndef TALVENOR_CORE_RULE_TABLE_ADJUSTED_H_
#define TALVENOR_CORE_RULE_TABLE_ADJUSTED_H_

#include <span>
#include <string_view>

#include "core/rule_table_rows.h"

namespace talvenor::rule_tables {

// clang-format off

inline constexpr AccountRow kAdjusted55050000[] = {
    {901, "7401507497"},
    {902, "7401507473"},
    {908, "7401507480"},
    {910, "7401507466"},
    {3500, "7401555913"},
    {35000, "7401555913"},
    {35100, "7401555913"},
    {44000, "7401555872"},
    {55020100, "7401555872"},
    {110024270, "7401501266"},
    {110050002, "7401502234"},
    {110132511, "7401550530"},
    {110149226, "7401512248"},
    {119345106, "7401555906"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted55050000));

inline constexpr AccountRow kAdjusted60020030[] = {
    {617900, "2009906"},
    {919900, "7871531505"},
    {2999900, "2588991"},
    {3340500, "2001155"},
    {4184600, "7871513509"},
    {40748400, "1366705"},
    {47444300, "7871538395"},
    {54290000, "7871521216"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted60020030));

inline constexpr AccountRow kAdjusted60050000[] = {
    {1523, "1364934"},
    {2502, "1366705"},
    {2535, "1119897"},
    {2811, "1367450"},
    {3002, "1367924"},
    {3009, "1367924"},
    {3080, "2009906"},
    {4596, "1372809"},
    {5500, "1375703"},
    {123456, "1362826"},
    {250412, "7402051588"},
    {1029204, "2782254"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted60050000));

inline constexpr AccountRow kAdjusted66020020[] = {
    {604100, "2810030"},
    {2015800, "7495530102"},
    {2401000, "7495500967"},
    {3746700, "7495501485"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted66020020));

inline constexpr AccountRow kAdjusted66050000[] = {
    {85304, "7402045439"},
    {85990, "7402051588"},
    {86345, "7402046641"},
    {86567, "1364934"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted66050000));

inline constexpr AccountRow kAdjusted86050000[] = {
    {1016, "7461500128"},
    {2020, "7461500018"},
    {3535, "7461505611"},
    {4394, "7461505714"},
};
static_assert(KeysAscend<AccountRow>(kAdjusted86050000));

// A bank code's sub-table. With a leading digit, only an account of ten
// characters (without leading zeros) starting with that digit is looked up,
// keyed by its value without that digit; otherwise the key is the account's
// value whatever its length.
struct AdjustedBank {
  std::string_view bankCode;
  char leadingDigit;  // '\0' when the whole account is the key
  std::span<const AccountRow> rows;
};

inline constexpr AdjustedBank kAdjustedBanks[] = {
    {"55050000", '\0', kAdjusted55050000},
    {"60020030", '1', kAdjusted60020030},
    {"60050000", '\0', kAdjusted60050000},
    {"66020020", '4', kAdjusted66020020},
    {"66050000", '\0', kAdjusted66050000},
    {"86050000", '\0', kAdjusted86050000},
};

// clang-format on

}  // namespace talvenor::rule_tables

#endif  // TALVENOR_CORE_RULE_TABLE_ADJUSTED_H_
