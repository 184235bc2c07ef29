#include "core/rule_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/rule_table_adjusted.h"
#include "core/rule_table_fixed_iban.h"
#include "core/rule_table_lists.h"
#include "core/rule_table_pseudo.h"
#include "core/rule_table_replacement.h"
#include "core/rule_table_successor.h"

namespace talvenor {
namespace {

namespace rt = rule_tables;

// An account text as the tables hand it out: one to ten digits, no leading 0.
bool IsPlainAccount(std::string_view text) {
  return !text.empty() && text.size() <= 10 && text.front() != '0' &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ---------------------------------------------------------------------------
// Table integrity: counts and shapes a transcription slip would change.

TEST(RuleTablesIntegrity, ReplacementTableSizes) {
  struct Size {
    int ruleNumber;
    std::size_t rows;
  };
  // Multi-key entries count once per key: rule 0007 has 27 entries, three of
  // them with 3, 2 and 4 keys (27 + 2 + 1 + 3 = 33).
  const Size sizes[] = {{400, 10},  {600, 4},  {1100, 2}, {700, 33}, {1500, 12},
                        {1700, 10}, {1800, 4}, {2400, 4}, {3300, 5}, {3400, 2},
                        {3500, 1},  {5100, 4}, {5400, 53}};
  ASSERT_EQ(std::size(rt::kReplacementTables), std::size(sizes));
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    EXPECT_EQ(rt::kReplacementTables[i].ruleNumber, sizes[i].ruleNumber);
    EXPECT_EQ(rt::kReplacementTables[i].rows.size(), sizes[i].rows) << sizes[i].ruleNumber;
  }
  EXPECT_EQ(std::size(rt::kRule0018LongFormOnly), 1u);
  EXPECT_EQ(std::size(rt::kRule0054WholeText), 2u);
}

TEST(RuleTablesIntegrity, EveryReplacementIsAPlainAccount) {
  for (const auto& table : rt::kReplacementTables) {
    for (const auto& row : table.rows) {
      EXPECT_GT(row.key, 0);
      EXPECT_TRUE(IsPlainAccount(row.replacement)) << table.ruleNumber << " " << row.key;
    }
  }
  for (const auto& row : rt::kPseudoAccounts) {
    EXPECT_TRUE(IsPlainAccount(row.replacement)) << row.key;
    EXPECT_TRUE(rt::IsBankCodeForm(row.bankCode)) << row.key;
  }
  for (const auto& bank : rt::kAdjustedBanks) {
    for (const auto& row : bank.rows) EXPECT_TRUE(IsPlainAccount(row.replacement)) << row.key;
  }
}

TEST(RuleTablesIntegrity, Rule0054SeriesHasFortyOneKeys) {
  std::set<int> leads;
  for (const auto& row : rt::kRule0054) {
    if (row.key % 1000000 != 796740) continue;
    leads.insert(row.key / 1000000);
    EXPECT_EQ(row.replacement, std::to_string(row.key + 3));
  }
  std::set<int> expected = {45};
  for (int lead = 10; lead <= 29; ++lead) expected.insert(lead);
  for (int lead = 50; lead <= 69; ++lead) expected.insert(lead);
  EXPECT_EQ(leads.size(), 41u);
  EXPECT_EQ(leads, expected);
}

TEST(RuleTablesIntegrity, PseudoTableHas80KeysIn96Rows) {
  std::set<std::int32_t> keys;
  for (const auto& row : rt::kPseudoAccounts) keys.insert(row.key);
  EXPECT_EQ(std::size(rt::kPseudoAccounts), 96u);
  EXPECT_EQ(keys.size(), 80u);
}

TEST(RuleTablesIntegrity, ExclusionListHas110CodesWithEightAsFourthDigit) {
  EXPECT_EQ(std::size(rt::kExcludedPseudoBankCodes), 110u);
  for (std::string_view code : rt::kExcludedPseudoBankCodes) {
    EXPECT_TRUE(rt::IsBankCodeForm(code)) << code;
    EXPECT_EQ(code[3], '8') << code;
  }
}

TEST(RuleTablesIntegrity, AdjustedSubTableSizes) {
  const std::vector<std::pair<std::string_view, std::size_t>> expected = {
      {"55050000", 14}, {"60020030", 8}, {"60050000", 12},
      {"66020020", 4},  {"66050000", 4}, {"86050000", 4}};
  ASSERT_EQ(std::size(rt::kAdjustedBanks), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(rt::kAdjustedBanks[i].bankCode, expected[i].first);
    EXPECT_EQ(rt::kAdjustedBanks[i].rows.size(), expected[i].second);
  }
}

TEST(RuleTablesIntegrity, SuccessorTableHas456PrefixesOver91BankCodes) {
  int prefixes = 0;
  std::set<std::string_view> codes;
  for (const auto& range : rt::kSuccessorRanges) {
    prefixes += range.last - range.first + 1;
    codes.insert(range.bankCode);
    EXPECT_TRUE(rt::IsBankCodeForm(range.bankCode));
  }
  EXPECT_EQ(prefixes, 456);
  EXPECT_EQ(codes.size(), 91u);
  EXPECT_EQ(rt::kSuccessorRanges[0].first, 100);
  EXPECT_EQ(std::end(rt::kSuccessorRanges)[-1].last, 798);
}

TEST(RuleTablesIntegrity, ListSizes) {
  EXPECT_EQ(std::size(rt::kRule0030Accounts), 113u);
  EXPECT_EQ(std::size(rt::kRule0039BankCodes), 30u);
  EXPECT_EQ(std::size(rt::kFixedIbans), 35u);
}

// ISO 13616: the IBAN with its first four characters moved to the end and
// letters counted as 10 to 35 leaves remainder 1 modulo 97.
int Mod97(std::string_view iban) {
  const std::string moved = std::string(iban.substr(4)) + std::string(iban.substr(0, 4));
  int remainder = 0;
  for (char c : moved) {
    if (c >= 'A' && c <= 'Z') {
      remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
    } else {
      remainder = (remainder * 10 + (c - '0')) % 97;
    }
  }
  return remainder;
}

TEST(RuleTablesIntegrity, EveryFixedIbanPassesTheIsoCheck) {
  for (const auto& row : rt::kFixedIbans) {
    EXPECT_EQ(row.iban.size(), 22u) << row.key;
    EXPECT_EQ(row.iban.substr(0, 2), "DE") << row.key;
    EXPECT_EQ(Mod97(row.iban), 1) << row.key << " " << row.iban;
  }
}

// ---------------------------------------------------------------------------
// Account replacement lookup.

struct ReplaceCase {
  const char* bankCode;
  const char* account;
  int ruleNumber;
  const char* expected;  // nullptr: a miss, the account stays as it was
};

void ExpectReplacement(const ReplaceCase& c) {
  std::string account = c.account;
  const bool hit = ReplaceAccountFromTable(c.bankCode, account, c.ruleNumber);
  SCOPED_TRACE(std::string(c.bankCode) + " " + c.account + " rule " + std::to_string(c.ruleNumber));
  EXPECT_EQ(hit, c.expected != nullptr);
  EXPECT_EQ(account, c.expected != nullptr ? c.expected : c.account);
}

TEST(ReplaceAccountFromTable, FirstAndLastRowOfEveryTable) {
  // clang-format off
  const ReplaceCase cases[] = {
      {"12345678", "135", 400, "990021440"},
      {"12345678", "484848", 400, "920018963"},
      {"12345678", "70000", 600, "18180018"},
      {"12345678", "34343434", 600, "1000506517"},
      {"12345678", "1000", 1100, "8010001"},
      {"12345678", "47800", 1100, "47803"},
      {"12345678", "111", 700, "1115"},
      {"12345678", "200820082", 700, "1901783868"},
      {"12345678", "3000000", 700, "9992959"},    // one of three keys
      {"12345678", "222220022", 700, "2222222"},  // one of four keys
      {"12345678", "94", 1500, "3008888018"},
      {"12345678", "400569017", 1501, "4000569017"},
      {"12345678", "100", 1700, "2009090013"},
      {"12345678", "909090", 1700, "2009090013"},
      {"12345678", "50005000", 1700, "5000500013"},
      {"12345678", "94", 2400, "1694"},
      {"12345678", "400", 2400, "14400"},
      {"12345678", "94", 3300, "2711931"},
      {"12345678", "7777777", 3300, "5800522694"},
      {"12345678", "502", 3400, "4340118001"},
      {"12345678", "500500500", 3400, "4340111112"},
      {"12345678", "9696", 3500, "1490196966"},
      // Both versions of rules 0033 and 0035 share their tables.
      {"12345678", "94", 3301, "2711931"},
      {"12345678", "7777777", 3301, "5800522694"},
      {"12345678", "9696", 3501, "1490196966"},
      {"12345678", "0000009696", 3501, "1490196966"},
      // Rule 0007's table has 8888, not 888.
      {"12345678", "8888", 700, "1901335750"},
      {"37050198", "8888", 0, "1901335750"},
      {"12345678", "888", 700, nullptr},
      {"12345678", "333", 5100, "7832500881"},
      {"12345678", "500500500", 5100, "5005000"},
      {"12345678", "500", 5400, "500500"},
      {"12345678", "26610700", 5401, "266107000"},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, LeadingZerosAndLengthCondition) {
  // clang-format off
  const ReplaceCase cases[] = {
      {"10050000", "0000000135", 400, "990021440"},
      {"10050000", "  135", 400, "990021440"},   // the number read skips blanks
      {"10050000", "1000000135", 400, nullptr},  // ten digits never hit
      {"12345678", "0000009696", 3500, "1490196966"},
      {"12345678", "0000000000", 400, nullptr},
      {"12345678", "", 400, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, TrialOrderPutsBankCodeTablesFirst) {
  // clang-format off
  const ReplaceCase cases[] = {
      // Bank code 10050000 always goes to the rule-0004 table.
      {"10050000", "135", 3200, "990021440"},
      {"10050000", "135", 0, "990021440"},
      {"10050000", "111", 700, nullptr},   // 111 is only in the rule-0007 table
      {"10050000", "100", 1700, nullptr},  // and 100 only in the rule-0017 one
      // A ten-digit account passes on to the rule's own table.
      {"10050000", "1761070000", 5400, "176107000"},
      // 37050198 selects the rule-0007 table, before that of rule 0015.
      {"37050198", "111", 3200, "1115"},
      {"37050198", "94", 1500, nullptr},       // 0007 answers, and lacks 94
      {"37050198", "556", 1700, nullptr},      // 556 in 0015, not in 0007
      {"37060193", "556", 1700, "101010"},
      {"37060193", "111", 700, "1115"},  // the rule number selects 0007 first
      // The rule number selects the table of rule 0004 before 0007's bank.
      {"37050198", "135", 400, "990021440"},
      {"37050198", "111", 400, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, RuleNumbersWithoutTableMiss) {
  // clang-format off
  const ReplaceCase cases[] = {
      {"12345678", "135", 0, nullptr},     {"12345678", "135", 401, nullptr},
      {"12345678", "94", 3200, nullptr},   {"12345678", "502", 3500, nullptr},
      {"12345678", "556", 1801, nullptr},  {"12345678", "500", 5402, nullptr},
      {"12345678", "135", -1, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, Rule0018Keys) {
  // clang-format off
  const ReplaceCase cases[] = {
      {"12345678", "5435435430", 1800, "543543543"},
      {"12345678", "435435430", 1800, nullptr},  // only from ten characters
      {"12345678", "5000000556", 1800, "120440110"},
      {"12345678", "00005000000556", 1800, "120440110"},
      {"12345678", "556", 1800, "120440110"},
      {"12345678", "0000202050", 1800, "1221864014"},
      {"12345678", "4000000556", 1800, nullptr},   // ten digits, not "5"
      {"12345678", "50000000556", 1800, nullptr},  // eleven digits
      {"12345678", "5000009801", 1800, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, Rule0054Keys) {
  // clang-format off
  const ReplaceCase cases[] = {
      {"12345678", "1761070000", 5400, "176107000"},
      {"12345678", "2210531180", 5401, "201053180"},
      {"12345678", "01761070000", 5400, nullptr},  // leading zeros are kept
      {"12345678", "1761070000", 5100, nullptr},
      {"12345678", "5005000", 5400, "500500"},
      {"12345678", "10796740", 5400, "10796743"},
      {"12345678", "29796740", 5400, "29796743"},
      {"12345678", "45796740", 5401, "45796743"},
      {"12345678", "50796740", 5400, "50796743"},
      {"12345678", "69796740", 5400, "69796743"},
      {"12345678", "30796740", 5400, nullptr},
      {"12345678", "44796740", 5400, nullptr},
      {"12345678", "70796740", 5400, nullptr},
      {"12345678", "9796740", 5400, nullptr},
      {"12345678", "10796743", 5400, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) ExpectReplacement(c);
}

TEST(ReplaceAccountFromTable, KeysBeyond32BitsNeverHit) {
  // 4294976992 = 2^32 + 9696: a key cut to 32 bits would find 9696.
  ExpectReplacement({"12345678", "4294976992", 3500, nullptr});
  ExpectReplacement({"12345678", "99999999999999999999", 3500, nullptr});
  // 2147483647 still is a key, just not listed.
  ExpectReplacement({"12345678", "2147483647", 3500, nullptr});
}

TEST(ReplaceAccountFromTable, KeyIsTheLeadingNumber) {
  // The key is read like the C library reads an integer: digits up to the
  // first other character. The length condition counts every character.
  ExpectReplacement({"12345678", "135x", 400, "990021440"});
  ExpectReplacement({"12345678", "0135 ", 400, "990021440"});
  ExpectReplacement({"12345678", "x135", 400, nullptr});
  ExpectReplacement({"12345678", "-135", 400, nullptr});
  ExpectReplacement({"12345678", "135xxxxxxx", 400, nullptr});  // ten characters
}

// ---------------------------------------------------------------------------
// Rule 0005.

TEST(ReplacePseudoAccount, KeyAndBankCodeTogether) {
  struct Case {
    const char* bankCode;
    const char* account;
    const char* expected;
    // clang-format off
  } const cases[] = {
      {"30040000", "36", "261103600"},  // first row
      {"60080000", "500500500", "901581400"},  // last row
      {"47880031", "50", "519899900"},
      {"47840065", "0000000050", "150103000"},
      {"47840066", "50", nullptr},
      {"70040041", "400500500", "400500500"},  // replaced by itself
      {"37080040", "909090", "269100000"},
      {"38040007", "909090", "119160000"},
      {"30040000", "4294967332", nullptr},  // 2^32 + 36
      {"30040000", "37", nullptr},
      {"30040000", "", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string account = c.account;
    EXPECT_EQ(ReplacePseudoAccount(c.bankCode, account), c.expected != nullptr)
        << c.bankCode << " " << c.account;
    EXPECT_EQ(account, c.expected != nullptr ? c.expected : c.account);
  }
}

TEST(IsExcludedPseudoAccount, RangeAtListedBankCodes) {
  struct Case {
    const char* bankCode;
    const char* account;
    bool excluded;
    // clang-format off
  } const cases[] = {
      {"10080900", "998000000", true},   // first code, lower bound
      {"76080053", "999499999", true},   // last code, upper bound
      {"87080000", "0998765432", true},  // highest code, leading zero
      {"10080900", "997999999", false},
      {"10080900", "999500000", false},
      {"10080900", "5292967296", false},  // 2^32 + 998000000
      {"10080901", "998000000", false},
      {"28021002", "998000000", false},
      {"1008090", "998000000", false},
      {"", "998000000", false},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(IsExcludedPseudoAccount(c.bankCode, c.account), c.excluded)
        << c.bankCode << " " << c.account;
  }
}

// ---------------------------------------------------------------------------
// Rule 0053.

TEST(ReplaceAdjustedAccount, SubTablesByBankCode) {
  struct Case {
    const char* bankCode;
    const char* account;
    const char* expected;
    // clang-format off
  } const cases[] = {
      {"55050000", "901", "7401507497"},
      {"55050000", "119345106", "7401555906"},
      {"55050000", "55020100", "7401555872"},
      {"55050000", "4294968197", nullptr},  // 2^32 + 901
      {"60020030", "1000617900", "2009906"},
      {"60020030", "0001054290000", "7871521216"},
      {"60020030", "617900", nullptr},
      {"60020030", "2000617900", nullptr},
      {"60050000", "1523", "1364934"},
      {"60050000", "1029204", "2782254"},
      {"66020020", "4000604100", "2810030"},
      {"66020020", "4003746700", "7495501485"},
      {"66020020", "1000604100", nullptr},
      {"66050000", "85304", "7402045439"},
      {"66050000", "86567", "1364934"},
      {"86050000", "1016", "7461500128"},
      {"86050000", "4394", "7461505714"},
      {"86050001", "4394", nullptr},
      {"60050000", "901", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string account = c.account;
    EXPECT_EQ(ReplaceAdjustedAccount(c.bankCode, account), c.expected != nullptr)
        << c.bankCode << " " << c.account;
    EXPECT_EQ(account, c.expected != nullptr ? c.expected : c.account);
  }
}

// ---------------------------------------------------------------------------
// Rule 0056.

TEST(FindFixedIban, ShortAccountsOnly) {
  struct Case {
    const char* account;
    const char* expected;
    // clang-format off
  } const cases[] = {
      {"36", "DE29380101111010240003"},
      {"0000000036", "DE29380101111010240003"},
      {"500500500", "DE17600101111045720000"},
      {"5000000", "DE62370101111403124100"},
      {"37", nullptr},
      {"1000000036", nullptr},
      {"", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string iban = "unchanged";
    EXPECT_EQ(FindFixedIban(c.account, iban), c.expected != nullptr) << c.account;
    EXPECT_EQ(iban, c.expected != nullptr ? c.expected : "unchanged") << c.account;
  }
}

// ---------------------------------------------------------------------------
// Rules 0031 to 0035, 0030 and 0039.

TEST(SuccessorBankCode, ListedAndUnlistedPrefixes) {
  struct Case {
    long prefix;
    std::string_view expected;
    // clang-format off
  } const cases[] = {
      {100, "76020070"}, {101, "10020890"}, {341, "10020890"}, {342, "10020890"},
      {162, "70020270"}, {163, "70020270"}, {164, "70020270"}, {733, "83020087"},
      {798, "70020270"}, {333, "own"},      {401, "own"},      {799, "own"},
      {99, "own"},       {0, "own"},        {-100, "own"},     {1000, "own"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(SuccessorBankCode(c.prefix, "own"), c.expected) << c.prefix;
}

TEST(InRule0030AccountList, WholeAccountsOnly) {
  EXPECT_TRUE(InRule0030AccountList("1718190"));
  EXPECT_TRUE(InRule0030AccountList("9999999999"));
  EXPECT_TRUE(InRule0030AccountList("300008542"));
  EXPECT_TRUE(InRule0030AccountList("0001718190"));
  EXPECT_FALSE(InRule0030AccountList("1718191"));
  EXPECT_FALSE(InRule0030AccountList("171819"));  // part of an entry
  EXPECT_FALSE(InRule0030AccountList("17181900"));
  EXPECT_FALSE(InRule0030AccountList("1718190x"));
  EXPECT_FALSE(InRule0030AccountList("19999999999"));
  EXPECT_FALSE(InRule0030AccountList("0000000000"));
  EXPECT_FALSE(InRule0030AccountList(""));
}

TEST(InRule0039BankCodeList, WholeBankCodesOnly) {
  EXPECT_TRUE(InRule0039BankCodeList("25621327"));
  EXPECT_TRUE(InRule0039BankCodeList("28022620"));
  EXPECT_TRUE(InRule0039BankCodeList("29121731"));
  EXPECT_FALSE(InRule0039BankCodeList("28022621"));
  EXPECT_FALSE(InRule0039BankCodeList("2562132"));  // part of an entry
  EXPECT_FALSE(InRule0039BankCodeList(""));
}

}  // namespace
}  // namespace talvenor
