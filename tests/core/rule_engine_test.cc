// The engine's common steps on a small directory whose methods are fixed:
// an empty method code means "no method" (every account passes), method
// "01" fails every account the tests use, "F0" is no method the program
// handles.
#include "core/rule_engine.h"

#include <gtest/gtest.h>

#include "core/iban.h"

namespace talvenor {
namespace {

constexpr const char* kPasses = "";
constexpr const char* kFails = "01";
constexpr const char* kUnhandled = "F0";

class RuleEngineTest : public ::testing::Test {
 protected:
  RuleEngineTest() {
    std::vector<BlzInfoIBAN> records;
    records.emplace_back(10000001u, kPasses, "Immer gut", "GOODDEFFXXX", "", 0);
    records.emplace_back(20000002u, kFails, "Immer schlecht", "BADBDEFFXXX", "", 0);
    records.emplace_back(30000003u, kPasses, "Ohne Nachfolger", "ORPHDEFFXXX", "00000000", 0);
    records.emplace_back(40000004u, kFails, "Ohne Nachfolger", "ORPHDEFFXXX", "00000000", 0);
    records.emplace_back(50000005u, "26", "Schiebebank", "", "", 0);
    records.emplace_back(60000006u, kUnhandled, "Neue Methode", "NEWMDEFFXXX", "", 0);
    directory_ = BankDirectory(std::move(records));
  }

  struct Run {
    int code;
    RuleTexts texts;
  };

  // Evaluates `account` for the record of `bankCode` under `rule`.
  Run Evaluate(const char* bankCode, std::string account, int rule = 0, std::string entered = "",
               bool substituted = false) {
    const BlzInfoIBAN* record = directory_.Lookup(bankCode);
    EXPECT_NE(record, nullptr);
    if (entered.empty()) entered = bankCode;
    RuleTexts texts;
    texts.bankCode = record->bankCodeText();
    texts.account = std::move(account);
    const RuleInput input{rule, record, *BankCode::Parse(entered), substituted};
    const int code = ResultNumber(ApplyIbanRule(directory_, input, texts));
    return {code, texts};
  }

  BankDirectory directory_;
};

TEST_F(RuleEngineTest, PassingAccountIsValidWithCodeZero) {
  const Run run = Evaluate("10000001", "1234567897");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.texts.verdict, kVerdictValid);
  EXPECT_EQ(run.texts.bic, "GOODDEFFXXX");
  EXPECT_EQ(run.texts.iban, FormIban("10000001", "1234567897"));
  EXPECT_EQ(run.texts.bankCode, "10000001");
}

TEST_F(RuleEngineTest, FailingAccountStillGetsAnIban) {
  const Run run = Evaluate("20000002", "1234567897");
  EXPECT_EQ(run.code, 11);
  EXPECT_EQ(run.texts.verdict, kVerdictInvalid);
  EXPECT_EQ(run.texts.iban, FormIban("20000002", "1234567897"));
}

TEST_F(RuleEngineTest, ZeroOrEmptyAccountIsInvalidWithZeroAccountIban) {
  for (const char* account : {"", "0", "0000000000", "  000  "}) {
    const Run run = Evaluate("10000001", account);
    EXPECT_EQ(run.code, 11) << '"' << account << '"';
    EXPECT_EQ(run.texts.verdict, kVerdictInvalid);
    EXPECT_EQ(run.texts.iban, FormIban("10000001", "0"));
    EXPECT_EQ(run.texts.iban.substr(12), "0000000000");
  }
}

TEST_F(RuleEngineTest, AccountIsTrimmedInPlaceAndLeadingZerosDoNotCount) {
  const Run run = Evaluate("10000001", " 0012345 ");
  EXPECT_EQ(run.texts.account, "0012345");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.texts.iban, FormIban("10000001", "12345"));
}

TEST_F(RuleEngineTest, RuleOneHundredFormsTheIbanWithCodeFifty) {
  const Run good = Evaluate("10000001", "1234567897", kRuleNotReleased);
  EXPECT_EQ(good.code, 50);
  EXPECT_EQ(good.texts.verdict, kVerdictValid);
  EXPECT_EQ(good.texts.iban, FormIban("10000001", "1234567897"));
  const Run bad = Evaluate("20000002", "1234567897", kRuleNotReleased);
  EXPECT_EQ(bad.code, 50);
  EXPECT_EQ(bad.texts.verdict, kVerdictInvalid);
  EXPECT_FALSE(bad.texts.iban.empty());
}

TEST_F(RuleEngineTest, RuleNumbersWithoutStepBehaveAsTheStandardRule) {
  for (const char* bank : {"10000001", "20000002", "30000003"}) {
    const Run standard = Evaluate(bank, "1234567897", 0);
    for (int rule : {9900, 4900, 1, 99, 101}) {
      const Run other = Evaluate(bank, "1234567897", rule);
      EXPECT_EQ(other.code, standard.code) << bank << " rule " << rule;
      EXPECT_EQ(other.texts.verdict, standard.texts.verdict);
      EXPECT_EQ(other.texts.iban, standard.texts.iban);
      EXPECT_EQ(other.texts.bic, standard.texts.bic);
    }
  }
}

TEST_F(RuleEngineTest, SubstitutedSuccessorGivesThirteenUnlessTheAccountFails) {
  // The caller replaced the record of "38050000" by its successor's.
  const Run good = Evaluate("10000001", "1234567897", 0, "38050000", true);
  EXPECT_EQ(good.code, 13);
  EXPECT_EQ(good.texts.iban, FormIban("10000001", "1234567897"));
  const Run bad = Evaluate("20000002", "1234567897", 0, "38050000", true);
  EXPECT_EQ(bad.code, 11);
  // Without the flag a different bank code counts as replaced by a rule.
  EXPECT_EQ(Evaluate("10000001", "1234567897", 0, "38050000", false).code, 15);
}

TEST_F(RuleEngineTest, MarkWithoutSuccessorGivesFourteen) {
  EXPECT_EQ(Evaluate("30000003", "1234567897").code, 14);
  EXPECT_EQ(Evaluate("40000004", "1234567897").code, 11);
  EXPECT_EQ(Evaluate("30000003", "1234567897", kRuleNotReleased).code, 50);
}

TEST_F(RuleEngineTest, RewritingMethodPutsTheShiftedAccountIntoTheIban) {
  // Method "26": 0012345674 starts with "00" and is shifted to 1234567400;
  // positions 1-7 weighted 2,3,4,5,6,7,2 from the right: 14+18+20+20+18+14+2
  // = 106, 106 mod 11 = 7, 11 - 7 = 4 = position 8.
  const Run run = Evaluate("50000005", "0012345674");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.texts.verdict, kVerdictValid);
  EXPECT_EQ(run.texts.iban, FormIban("50000005", "1234567400"));
  EXPECT_EQ(run.texts.account, "0012345674");
  EXPECT_EQ(run.texts.bic, "");
}

TEST_F(RuleEngineTest, MethodOverrideOfRulesEightAndFortyThree) {
  // Method 60 on 1234567891: positions 3-9 with cross sums of 2,1,2,...:
  // 9 + 8 + 5 + 6 + 1 + 4 + 6 = 39, expected 1.
  EXPECT_EQ(Evaluate("20000002", "1234567891", 800).texts.verdict, kVerdictValid);
  EXPECT_EQ(Evaluate("20000002", "1234567891", 0).texts.verdict, kVerdictInvalid);
  // Method 6 on 1234567892 (sum 174, 174 mod 11 = 9, 11 - 9 = 2) only for
  // the entered bank code 60651070.
  EXPECT_EQ(Evaluate("20000002", "1234567892", 4300, "60651070").texts.verdict, kVerdictValid);
  EXPECT_EQ(Evaluate("20000002", "1234567892", 4301, "60651070").texts.verdict, kVerdictValid);
  EXPECT_EQ(Evaluate("20000002", "1234567892", 4300, "60651071").texts.verdict, kVerdictInvalid);
}

TEST_F(RuleEngineTest, RuleStepsMeetTheCompletionCodes) {
  // At a bank to be deleted without successor: a rule that moves the bank
  // code gives 15, one that keeps it gives 14, a refusal keeps its 12.
  EXPECT_EQ(Evaluate("30000003", "1234567897", 3700).code, 15);
  const Run kept = Evaluate("30000003", "1234567897", 4500);
  EXPECT_EQ(kept.code, 14);
  EXPECT_EQ(kept.texts.bic, "ESSEDE5FXXX");
  EXPECT_EQ(Evaluate("30000003", "6161604670", 300).code, 12);
  // A failing account stays 11 whatever the rule moved.
  EXPECT_EQ(Evaluate("40000004", "1234567897", 3700).code, 11);
}

TEST_F(RuleEngineTest, RefusalOfAnIbanNotAllowedGivesFifty) {
  const Run refused = Evaluate("10000001", "123456789", 5601);
  EXPECT_EQ(refused.code, 50);
  EXPECT_EQ(refused.texts.verdict, kVerdictNotAllowed);
  EXPECT_EQ(refused.texts.iban, "");
  // A plain refusal right after it is not affected.
  const Run excluded = Evaluate("10000001", "6161604670", 300);
  EXPECT_EQ(excluded.code, 12);
  EXPECT_EQ(excluded.texts.verdict, kVerdictExcluded);
  // Rule 0052's miss forms the IBAN and still ends with 50.
  const Run missed = Evaluate("20000002", "1234567897", 5200);
  EXPECT_EQ(missed.code, 50);
  EXPECT_EQ(missed.texts.verdict, kVerdictInvalid);
  EXPECT_EQ(missed.texts.iban, FormIban("20000002", "1234567897"));
}

// An account the program cannot check is neither valid nor invalid: it
// keeps its IBAN and the code its rule gives, with the verdict saying so.
TEST_F(RuleEngineTest, MethodThatIsNotHandledLeavesTheAccountUnchecked) {
  const Run run = Evaluate("60000006", "0012345678");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.texts.verdict, kVerdictNotCheckable);
  EXPECT_TRUE(run.texts.accountUnchecked);
  EXPECT_EQ(run.texts.iban, FormIban("60000006", "0012345678"));
  // Rules still apply on top of it: a refusal stays a refusal, rule 0001
  // stays 50, and an override to a handled method checks again.
  EXPECT_EQ(Evaluate("60000006", "6161604670", 300).code, 12);
  EXPECT_EQ(Evaluate("60000006", "0012345678", kRuleNotReleased).code, 50);
  const Run checked = Evaluate("60000006", "1234567891", 800);
  EXPECT_FALSE(checked.texts.accountUnchecked);
  EXPECT_EQ(checked.texts.verdict, kVerdictValid);
  // The flag does not stick to the texts of the next evaluation.
  RuleTexts texts = run.texts;
  texts.account = "1234567897";
  const RuleInput input{0, directory_.Lookup("10000001"), *BankCode::Parse("10000001"), false};
  texts.bankCode = "10000001";
  ApplyIbanRule(directory_, input, texts);
  EXPECT_FALSE(texts.accountUnchecked);
}

TEST_F(RuleEngineTest, AccountTextThatIsNoNumberGetsNoIban) {
  for (const char* account : {"12a45", "12345678901", "-5", "12 34", "00000000000"}) {
    const Run run = Evaluate("10000001", account);
    EXPECT_EQ(run.code, 11) << account;
    EXPECT_EQ(run.texts.verdict, kVerdictInvalid);
    EXPECT_EQ(run.texts.iban, "");
    EXPECT_EQ(run.texts.bic, "GOODDEFFXXX");
  }
  EXPECT_EQ(Evaluate("10000001", "12a45", kRuleNotReleased).code, 50);
}

}  // namespace
}  // namespace talvenor
