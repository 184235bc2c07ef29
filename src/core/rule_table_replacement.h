// The account replacement tables of the IBAN rules 0004 to 0054: donation,
// pseudo and replaced accounts, each selected by a rule number or by a bank
// code, and tried in one fixed order (kReplacementTables).
//
// Keys are account values without leading zeros; replacements are account
// texts without leading zeros.
#ifndef TALVENOR_CORE_RULE_TABLE_REPLACEMENT_H_
#define TALVENOR_CORE_RULE_TABLE_REPLACEMENT_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "core/rule_table_rows.h"

namespace talvenor::rule_tables {

// clang-format off

// Rule 0004: donation accounts.
inline constexpr AccountRow kRule0004[] = {
    {135, "990021440"},
    {1111, "6600012020"},
    {1900, "920019005"},
    {7878, "780008006"},
    {8888, "250030942"},
    {9595, "1653524703"},
    {97097, "13044150"},
    {112233, "630025819"},
    {336666, "6604058903"},
    {484848, "920018963"},
};
static_assert(KeysAscend<AccountRow>(kRule0004));

// Rule 0006: donation accounts.
inline constexpr AccountRow kRule0006[] = {
    {70000, "18180018"},
    {1111111, "20228888"},
    {7777777, "903286003"},
    {34343434, "1000506517"},
};
static_assert(KeysAscend<AccountRow>(kRule0006));

// Rule 0011: donation accounts.
inline constexpr AccountRow kRule0011[] = {
    {1000, "8010001"},
    {47800, "47803"},
};
static_assert(KeysAscend<AccountRow>(kRule0011));

// Rule 0007: donation accounts.
inline constexpr AccountRow kRule0007[] = {
    {111, "1115"},
    {221, "23002157"},
    {1888, "18882068"},
    {2006, "1900668508"},
    {2626, "1900730100"},
    {3004, "1900637016"},
    {3636, "23002447"},
    {4000, "4028"},
    {4444, "17368"},
    {5050, "73999"},
    {8888, "1901335750"},
    {30000, "9992959"},
    {43430, "1901693331"},
    {46664, "1900399856"},
    {55555, "34407379"},
    {102030, "1900480466"},
    {151515, "57762957"},
    {222222, "2222222"},
    {300000, "9992959"},
    {333333, "33217"},
    {414141, "92817"},
    {606060, "91025"},
    {909090, "90944"},
    {2602024, "5602024"},
    {3000000, "9992959"},
    {7777777, "2222222"},
    {8090100, "38901"},
    {14141414, "43597665"},
    {15000023, "15002223"},
    {15151515, "57762957"},
    {22222222, "2222222"},
    {200820082, "1901783868"},
    {222220022, "2222222"},
};
static_assert(KeysAscend<AccountRow>(kRule0007));

// Rule 0015, both versions: pseudo accounts.
inline constexpr AccountRow kRule0015[] = {
    {94, "3008888018"},
    {556, "101010"},
    {888, "31870011"},
    {4040, "4003600101"},
    {5826, "1015826017"},
    {25000, "25000110"},
    {393393, "33013019"},
    {444555, "32230016"},
    {603060, "6002919018"},
    {2120041, "2130041"},
    {80868086, "4007375013"},
    {400569017, "4000569017"},
};
static_assert(KeysAscend<AccountRow>(kRule0015));

// Rule 0017: pseudo accounts.
inline constexpr AccountRow kRule0017[] = {
    {100, "2009090013"},
    {111, "2111111017"},
    {240, "2100240010"},
    {4004, "2204004016"},
    {4444, "2044444014"},
    {6060, "2016060014"},
    {102030, "1102030016"},
    {333333, "2033333016"},
    {909090, "2009090013"},
    {50005000, "5000500013"},
};
static_assert(KeysAscend<AccountRow>(kRule0017));

// Rule 0018: replaced accounts. The key of a ten-character account is
// its value without the leading "5" (see kRule0018LongFormOnly).
inline constexpr AccountRow kRule0018[] = {
    {556, "120440110"},
    {2157, "121787016"},
    {9800, "120800019"},
    {202050, "1221864014"},
};
static_assert(KeysAscend<AccountRow>(kRule0018));

// Rule 0018: found only through a ten-character account "5" + key.
inline constexpr AccountRow kRule0018LongFormOnly[] = {
    {435435430, "543543543"},
};

// Rule 0024: replaced accounts.
inline constexpr AccountRow kRule0024[] = {
    {94, "1694"},
    {248, "17248"},
    {345, "17345"},
    {400, "14400"},
};
static_assert(KeysAscend<AccountRow>(kRule0024));

// Rule 0033, both versions: donation accounts.
inline constexpr AccountRow kRule0033[] = {
    {94, "2711931"},
    {22222, "5803435253"},
    {55555, "5801800000"},
    {1111111, "39908140"},
    {7777777, "5800522694"},
};
static_assert(KeysAscend<AccountRow>(kRule0033));

// Rule 0034: donation accounts.
inline constexpr AccountRow kRule0034[] = {
    {502, "4340118001"},
    {500500500, "4340111112"},
};
static_assert(KeysAscend<AccountRow>(kRule0034));

// Rule 0035, both versions: donation account; looked up whatever the length.
inline constexpr AccountRow kRule0035[] = {
    {9696, "1490196966"},
};

// Rule 0051: replaced accounts.
inline constexpr AccountRow kRule0051[] = {
    {333, "7832500881"},
    {502, "1108884"},
    {500500500, "5005000"},
    {502502502, "1108884"},
};
static_assert(KeysAscend<AccountRow>(kRule0051));

// Rule 0054: two ten-digit accounts replaced by their whole text (leading
// zeros kept), whatever the length condition of the keyed rows.
inline constexpr AccountTextRow kRule0054WholeText[] = {
    {"1761070000", "176107000"},
    {"2210531180", "201053180"},
};

// Rule 0054: the keys listed one by one.
inline constexpr AccountRow kRule0054Listed[] = {
    {500, "500500"},
    {502, "502502"},
    {18067, "180670"},
    {484848, "484849"},
    {636306, "63606"},
    {760440, "160440"},
    {1018413, "10108413"},
    {2601577, "26015776"},
    {5005000, "500500"},
    {16307000, "163107000"},
    {16610700, "166107000"},
    {26610700, "266107000"},
};
static_assert(KeysAscend<AccountRow>(kRule0054Listed));

// Rule 0054 also replaces NN796740 by NN796743 for every two-digit NN in
// 10 to 29, 45 and 50 to 69.
inline constexpr std::size_t kRule0054SeriesCount = 41;

constexpr int Rule0054SeriesLead(std::size_t i) {
  return i < 20 ? 10 + static_cast<int>(i) : i == 20 ? 45 : 29 + static_cast<int>(i);
}

constexpr std::array<std::array<char, 8>, kRule0054SeriesCount> MakeRule0054SeriesTexts() {
  std::array<std::array<char, 8>, kRule0054SeriesCount> texts{};
  constexpr std::string_view kTail = "796743";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int lead = Rule0054SeriesLead(i);
    texts[i][0] = static_cast<char>('0' + lead / 10);
    texts[i][1] = static_cast<char>('0' + lead % 10);
    std::copy(kTail.begin(), kTail.end(), texts[i].begin() + 2);
  }
  return texts;
}

// Storage of the replacement texts of the series, referred to by kRule0054.
inline constexpr auto kRule0054SeriesTexts = MakeRule0054SeriesTexts();

constexpr std::array<AccountRow, std::size(kRule0054Listed) + kRule0054SeriesCount>
MakeRule0054() {
  std::array<AccountRow, std::size(kRule0054Listed) + kRule0054SeriesCount> rows{};
  std::size_t n = 0;
  for (const AccountRow& row : kRule0054Listed) rows[n++] = row;
  for (std::size_t i = 0; i < kRule0054SeriesCount; ++i) {
    const std::array<char, 8>& text = kRule0054SeriesTexts[i];
    rows[n++] = {Rule0054SeriesLead(i) * 1000000 + 796740,
                 std::string_view(text.data(), text.size())};
  }
  std::sort(rows.begin(), rows.end(),
            [](const AccountRow& a, const AccountRow& b) { return a.key < b.key; });
  return rows;
}

// Rule 0054 versions 00 and 01: the listed keys and the series together.
inline constexpr auto kRule0054 = MakeRule0054();
static_assert(KeysAscend<AccountRow>(kRule0054));
static_assert(Rule0054SeriesLead(19) == 29 && Rule0054SeriesLead(20) == 45 &&
              Rule0054SeriesLead(21) == 50 && Rule0054SeriesLead(40) == 69);

// How a table reads its key from the account L (the account without its
// leading zeros).
enum class KeyForm {
  kShortAccount,    // only an L of fewer than ten characters; key L's value
  kAnyLength,       // any L; key L's value
  kLeadingFive,     // as kShortAccount, or an L of ten characters starting
                    // with "5", keyed by the rest (also in longFormRows)
  kWholeTextFirst,  // the whole account text in textRows first, then as
                    // kShortAccount
};

// No rule number: a table that one rule number alone selects.
inline constexpr int kNoRule = -1;

// A replacement table and what selects it: one or two rule numbers, or the
// bank code B whatever the rule number.
struct ReplacementTable {
  int ruleNumber;
  int otherRuleNumber;        // kNoRule when only one number selects it
  std::string_view bankCode;  // empty when no bank code selects it
  KeyForm keyForm;
  std::span<const AccountRow> rows;
  std::span<const AccountRow> longFormRows = {};
  std::span<const AccountTextRow> textRows = {};
};

// The tables in the order they are tried. The first one whose selection and
// length condition hold decides, hit or miss: so an account shorter than ten
// digits at bank code 10050000 always goes to the table of rule 0004,
// whatever rule number asks.
inline constexpr ReplacementTable kReplacementTables[] = {
    {400, kNoRule, "10050000", KeyForm::kShortAccount, kRule0004},
    {600, kNoRule, "", KeyForm::kShortAccount, kRule0006},
    {1100, kNoRule, "", KeyForm::kShortAccount, kRule0011},
    {700, kNoRule, "37050198", KeyForm::kShortAccount, kRule0007},
    {1500, 1501, "37060193", KeyForm::kShortAccount, kRule0015},
    {1700, kNoRule, "", KeyForm::kShortAccount, kRule0017},
    {1800, kNoRule, "", KeyForm::kLeadingFive, kRule0018, kRule0018LongFormOnly},
    {2400, kNoRule, "", KeyForm::kShortAccount, kRule0024},
    {3300, 3301, "", KeyForm::kShortAccount, kRule0033},
    {3400, kNoRule, "", KeyForm::kShortAccount, kRule0034},
    {3500, 3501, "", KeyForm::kAnyLength, kRule0035},
    {5100, kNoRule, "", KeyForm::kShortAccount, kRule0051},
    {5400, 5401, "", KeyForm::kWholeTextFirst, kRule0054, {}, kRule0054WholeText},
};

// clang-format on

}  // namespace talvenor::rule_tables

#endif  // TALVENOR_CORE_RULE_TABLE_REPLACEMENT_H_
