#include "core/rule_catalogue.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "checkdigit/check_method_code.h"

#include "core/rule_engine.h"
#include "core/rule_steps.h"
#include "core/rule_table_lists.h"
#include "core/rule_tables.h"

namespace talvenor {
namespace {

using namespace rule_steps;

// The entered bank codes under which a substitution applies; an empty list
// means every bank code.
constexpr std::string_view kLeerPartners[] = {"25090300", "26691213", "28591579"};
constexpr std::string_view kPostbankHome[] = {"60651070"};
constexpr std::string_view kVonEssenPartners[] = {"10120800", "27010200", "60020300"};
constexpr std::string_view kBremerLandesbankPartner[] = {"28252760"};
constexpr std::string_view kSpardaSaarPartner[] = {"50810900"};

// Rules that hand the account to another bank code and BIC, and may check
// it with another method than the bank's own; the account itself is
// neither tested nor changed by the rule.
struct BankSubstitution {
  int rule;
  std::span<const std::string_view> enteredCodes;  // empty: every bank code
  std::string_view bankCode;                       // empty: the bank code stays
  std::string_view bic;
  std::string_view method;  // empty: the bank's own method
};
// clang-format off
constexpr std::array<BankSubstitution, 23> kBankSubstitutions{{
    {800, {}, "50020200", "BHFBDEFF500", "60"},
    {1200, {}, "50050000", "HELADEFFXXX", ""},
    {1201, {}, "50050000", "HELADEFFXXX", ""},
    {1300, {}, "30050000", "WELADEDDXXX", ""},
    {1301, {}, "30050000", "WELADEDDXXX", ""},
    {1400, {}, "30060601", "DAAEDEDDXXX", ""},
    {1900, {}, "50120383", "DELBDE33XXX", ""},
    {2500, {}, "60050101", "SOLADEST600", ""},
    {2800, {}, "25050180", "SPKHDE2HXXX", ""},
    {3700, {}, "30010700", "BOTKDEDXXXX", ""},
    {3800, kLeerPartners, "28590075", "GENODEF1LER", ""},
    {3900, rule_tables::kRule0039BankCodes, "28020050", "OLBODEH2XXX", ""},
    {4000, {}, "68052328", "SOLADES1STF", ""},
    {4001, {}, "68052328", "SOLADES1STF", ""},
    {4300, kPostbankHome, "66650085", "PZHSDE66XXX", "06"},
    {4301, kPostbankHome, "66650085", "PZHSDE66XXX", "06"},
    {4500, {}, "", "ESSEDE5FXXX", ""},
    {4501, {}, "", "ESSEDE5FXXX", ""},
    {4600, {}, "31010833", "CCBADE31XXX", ""},
    {4800, kVonEssenPartners, "36010200", "VONEDE33XXX", ""},
    {5000, kBremerLandesbankPartner, "28550000", "BRLADE21LER", ""},
    {5500, {}, "25410200", "BHWBDE2HXXX", ""},
    {5700, kSpardaSaarPartner, "66010200", "BBSPDE6KXXX", ""},
}};
// clang-format on

bool Applies(const BankSubstitution& row, std::string_view entered) {
  return row.enteredCodes.empty() || std::find(row.enteredCodes.begin(), row.enteredCodes.end(),
                                               entered) != row.enteredCodes.end();
}

// Rules that replace listed accounts (donation and pseudo accounts) from
// the replacement table the rule number selects.
struct TableReplacement {
  int rule;
  std::string_view verdict;  // written on a hit
};
// clang-format off
constexpr std::array<TableReplacement, 10> kTableReplacements{{
    {400, kVerdictDonationValid},
    {600, kVerdictDonationValid},
    {700, kVerdictDonationValid},
    {1100, kVerdictDonationValid},
    {1500, kVerdictPseudoReplaced},
    {1501, kVerdictPseudoReplaced},
    {1700, kVerdictPseudoReplaced},
    {1800, kVerdictReplaced},
    {2400, kVerdictReplaced},
    {5100, kVerdictReplaced},
}};
// clang-format on

// Rules that know one or two accounts by their padded form and set fixed
// values for them.
struct FixedAccountTest {
  int rule;
  std::array<std::string_view, 2> padded;  // the second may be empty
  std::string_view ibanAccount;            // empty: unchanged
  AccountState state;
  ResultCode resultCode;
  std::string_view verdict;  // empty: unchanged
};
// clang-format off
constexpr std::array<FixedAccountTest, 5> kFixedAccountTests{{
    {1600, {"0000300000", ""}, "18128012", Replaced, ResultCode::kAccountChanged, kVerdictReplaced},
    {2200, {"0001111111", ""}, "2222200000", Valid, ResultCode::kAccountChanged, kVerdictReplaced},
    {2300, {"0000000700", ""}, "1000700800", Valid, ResultCode::kAccountChanged, kVerdictReplaced},
    {2600, {"0000055111", "0008090100"}, "", Valid, ResultCode::kConverted, ""},
    {2700, {"0000003333", "0000004444"}, "", Valid, ResultCode::kConverted, ""},
}};
// clang-format on

// The remaining rules, each with a step of its own.
struct OwnStep {
  int rule;
  RuleStep step;
};
// clang-format off
constexpr std::array<OwnStep, 39> kOwnSteps{{
    {200, Rule0002},        {300, Rule0003},        {500, Rule0005},
    {501, Rule0005},        {502, Rule0005},        {503, Rule0005},
    {900, Rule0009},        {1000, Rule0010},       {1001, Rule0010},
    {2000, Rule0020},       {2001, Rule0020},       {2002, Rule0020},
    {2100, Rule0021},       {2101, Rule0021},       {2900, Rule0029},
    {3000, Rule0030},       {3100, Rule0031},       {3101, Rule0031},
    {3200, Rule0032To0035}, {3300, Rule0032To0035}, {3301, Rule0032To0035},
    {3400, Rule0032To0035}, {3500, Rule0032To0035}, {3501, Rule0032To0035},
    {3600, Rule0036},       {4100, Rule0041},       {4200, Rule0042},
    {4201, Rule0042},       {4400, Rule0044},       {4700, Rule0047},
    {4901, Rule0049},       {5200, Rule0052},       {5300, Rule0053},
    {5400, Rule0054},       {5401, Rule0054},       {5600, Rule0056},
    {5601, Rule0056},       {5602, Rule0056},       {5603, Rule0056},
}};
// clang-format on

template <typename Row, std::size_t N>
const Row* FindRow(const std::array<Row, N>& table, int rule) {
  for (const Row& row : table) {
    if (row.rule == rule) return &row;
  }
  return nullptr;
}

RuleStepEnd SubstituteBankCode(RuleEvaluation& e) {
  const BankSubstitution& row = *FindRow(kBankSubstitutions, e.effectiveRule);
  if (!Applies(row, e.input.entered.text())) return RuleStepEnd::kComplete;
  if (!row.bankCode.empty()) e.texts.bankCode = row.bankCode;
  e.texts.bic = row.bic;
  return RuleStepEnd::kComplete;
}

RuleStepEnd ReplaceFromRuleTable(RuleEvaluation& e) {
  const TableReplacement& row = *FindRow(kTableReplacements, e.effectiveRule);
  if (ReplaceAccountFromTable(e.texts.bankCode, e.texts.account, e.effectiveRule)) {
    TakeReplacedAccount(e, row.verdict);
  }
  return RuleStepEnd::kComplete;
}

RuleStepEnd TestFixedAccount(RuleEvaluation& e) {
  const FixedAccountTest& row = *FindRow(kFixedAccountTests, e.effectiveRule);
  if (e.padded != row.padded[0] && (row.padded[1].empty() || e.padded != row.padded[1])) {
    return RuleStepEnd::kComplete;
  }
  if (!row.ibanAccount.empty()) e.ibanAccount = row.ibanAccount;
  e.state = row.state;
  e.resultCode = row.resultCode;
  if (!row.verdict.empty()) e.texts.verdict = row.verdict;
  return RuleStepEnd::kComplete;
}

// The step of a rule number, looked for in the tables above.
RuleStep SearchRuleStep(int effectiveRule) {
  if (FindRow(kBankSubstitutions, effectiveRule)) return SubstituteBankCode;
  if (FindRow(kTableReplacements, effectiveRule)) return ReplaceFromRuleTable;
  if (FindRow(kFixedAccountTests, effectiveRule)) return TestFixedAccount;
  if (const OwnStep* own = FindRow(kOwnSteps, effectiveRule)) return own->step;
  return nullptr;
}

}  // namespace

int RuleMethodOverride(int effectiveRule, std::string_view enteredBankCode) {
  // Every evaluation asks; only a few rows name a method, so those are
  // gathered once.
  static const std::vector<const BankSubstitution*> kWithMethod = [] {
    std::vector<const BankSubstitution*> rows;
    for (const BankSubstitution& row : kBankSubstitutions) {
      if (!row.method.empty()) rows.push_back(&row);
    }
    return rows;
  }();
  for (const BankSubstitution* row : kWithMethod) {
    if (row->rule == effectiveRule && Applies(*row, enteredBankCode)) {
      return checkdigit::CheckMethodCode(row->method);
    }
  }
  return -1;
}

RuleStep FindRuleStep(int effectiveRule) {
  // Every evaluation asks, so the answers for all four-digit rule numbers
  // are gathered once.
  static const std::array<RuleStep, 10000> kSteps = [] {
    std::array<RuleStep, 10000> steps{};
    for (int rule = 0; rule < static_cast<int>(steps.size()); ++rule) {
      steps[static_cast<std::size_t>(rule)] = SearchRuleStep(rule);
    }
    return steps;
  }();
  if (effectiveRule < 0 || effectiveRule >= static_cast<int>(kSteps.size())) {
    return SearchRuleStep(effectiveRule);
  }
  return kSteps[static_cast<std::size_t>(effectiveRule)];
}

bool IsKnownRule(int ruleNumber) {
  return ruleNumber == 0 || ruleNumber == kRuleNotReleased || FindRuleStep(ruleNumber) != nullptr;
}

}  // namespace talvenor
