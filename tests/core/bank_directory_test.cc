#include "core/bank_directory.h"

#include "core/bank_code.h"
#include "editions/builtin_directory.h"

#include <gtest/gtest.h>

#include "editions/builtin_directory.h"

namespace talvenor {
namespace {

constexpr const char* kClosing =
    "\r\n\r\nBitte denken Sie daran, dass die Kontoangaben in\r\nzuk\xC3\xBCnftigen Versionen "
    "f\xC3\xBCr den Zahlungsverkehr\r\nnicht mehr g\xC3\xBCltig sind!";

// A small directory with a bank to be deleted under each kind of mark.
BankDirectory SmallDirectory(int ruleOfDeletedBank) {
  std::vector<BlzInfoIBAN> records;
  records.emplace_back(10000001u, "09", "Nachfolger", "SUCCDEFFXXX", "", 0);
  records.emplace_back(20000002u, "09", "Alte Bank", "OLDBDEFFXXX", "10000001", ruleOfDeletedBank);
  records.emplace_back(30000003u, "09", "Verwaiste Bank", "ORPHDEFFXXX", "40000004", 0);
  records.emplace_back(50000005u, "09", "Kettenbank", "CHAIDEFFXXX", "20000002", 0);
  return BankDirectory(std::move(records));
}

TEST(ResolveDeletion, SubstitutesAKnownSuccessor) {
  const BankDirectory& directory = editions::BuiltinDirectory();
  const BlzInfoIBAN* record = directory.Lookup("38050000");
  const std::string notice = directory.ResolveDeletion(record, 0, record->ibanRule());
  EXPECT_EQ(notice, std::string("Sparkasse Bonn -alt- ist zur L\xC3\xB6schung vorgesehen.") +
                        "\r\nDas Nachfolgeinstitut hat die BLZ: 37050198." +
                        " Sie wird zur IBAN/BIC Ermittlung verwendet." + kClosing);
  EXPECT_EQ(record, directory.Lookup("37050198"));
}

TEST(ResolveDeletion, NoSuccessorNamed) {
  const BankDirectory& directory = editions::BuiltinDirectory();
  const BlzInfoIBAN* record = directory.Lookup("21000000");
  const BlzInfoIBAN* before = record;
  const std::string notice = directory.ResolveDeletion(record, 0, record->ibanRule());
  EXPECT_EQ(notice, std::string("BBk Hamburg eh Kiel ist zur L\xC3\xB6schung vorgesehen.") +
                        " Ein Nachfolgeinstitut ist nicht angegeben." + kClosing);
  EXPECT_EQ(record, before);
}

TEST(ResolveDeletion, UnknownSuccessorIsNamedButNotUsed) {
  const BankDirectory directory = SmallDirectory(0);
  const BlzInfoIBAN* record = directory.Lookup("30000003");
  const std::string notice = directory.ResolveDeletion(record, 0, 0);
  EXPECT_EQ(notice, std::string("Verwaiste Bank ist zur L\xC3\xB6schung vorgesehen.") +
                        "\r\nDas Nachfolgeinstitut hat die BLZ: 40000004." + kClosing);
  EXPECT_EQ(record->bankCode(), 30000003u);
}

TEST(ResolveDeletion, FollowsOneStepOnly) {
  const BankDirectory directory = SmallDirectory(0);
  const BlzInfoIBAN* record = directory.Lookup("50000005");
  directory.ResolveDeletion(record, 0, 0);
  EXPECT_EQ(record->bankCode(), 20000002u);  // not on to 10000001
}

TEST(ResolveDeletion, NoMarkNoNotice) {
  const BankDirectory directory = SmallDirectory(0);
  for (int rule : {0, 3100, 3200, 3301}) {
    for (long prefix : {0L, 42L, 85L, 150L}) {
      const BlzInfoIBAN* record = directory.Lookup("10000001");
      EXPECT_EQ(directory.ResolveDeletion(record, prefix, rule), "");
      EXPECT_EQ(record->bankCode(), 10000001u);
    }
  }
}

TEST(ResolveDeletion, RulesThirtyOneToThirtyFiveSuppressTheNotice) {
  struct Case {
    int rule;
    long prefix;
    bool notice;
  };
  // clang-format off
  const Case cases[] = {
      {3200, 85, false}, {3200, 150, false}, {3200, 0, true},   {3200, 42, true},
      {3200, 80, false}, {3200, 89, false},  {3200, 79, true},  {3200, 99, true},
      {3301, 85, true},  {3301, 100, false}, {3100, 0, false},  {3199, 42, false},
      {3501, 85, false}, {3600, 85, true},   {0, 150, true},    {3099, 85, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    const BankDirectory directory = SmallDirectory(c.rule);
    const BlzInfoIBAN* record = directory.Lookup("20000002");
    const std::string notice = directory.ResolveDeletion(record, c.prefix, c.rule);
    EXPECT_EQ(!notice.empty(), c.notice) << "rule " << c.rule << " prefix " << c.prefix;
    EXPECT_EQ(record->bankCode(), c.notice ? 10000001u : 20000002u);
  }
}

TEST(Rule31To35Class, RuleDigitsForRules3100To3599) {
  EXPECT_EQ(Rule31To35Class(3100), 1);
  EXPECT_EQ(Rule31To35Class(3200), 2);
  EXPECT_EQ(Rule31To35Class(3301), 3);
  EXPECT_EQ(Rule31To35Class(3400), 4);
  EXPECT_EQ(Rule31To35Class(3599), 5);
  EXPECT_EQ(Rule31To35Class(3099), 0);
  EXPECT_EQ(Rule31To35Class(3600), 0);
  EXPECT_EQ(Rule31To35Class(0), 0);
}

}  // namespace
}  // namespace talvenor

namespace talvenor {
namespace {

TEST(BankDirectoryLookup, FindsEveryRecordByNumberAndNothingBetween) {
  const BankDirectory& directory = editions::BuiltinDirectory();
  const auto records = directory.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::uint32_t code = records[i].bankCode();
    ASSERT_EQ(directory.Lookup(code), &records[i]) << code;
    const bool nextIsRecord = i + 1 < records.size() && records[i + 1].bankCode() == code + 1;
    if (!nextIsRecord) {
      EXPECT_EQ(directory.Lookup(code + 1), nullptr) << code + 1;
    }
    if (i == 0 || records[i - 1].bankCode() != code - 1) {
      EXPECT_EQ(directory.Lookup(code - 1), nullptr) << code - 1;
    }
  }
  for (const std::uint32_t outside : {0u, 9999u, 99999999u, 100000000u, 4294967295u}) {
    EXPECT_EQ(directory.Lookup(outside), nullptr) << outside;
  }
  EXPECT_EQ(BankDirectory().Lookup(std::uint32_t{10000000}), nullptr);
}

TEST(BankDirectoryLookup, FactsMirrorTheRecord) {
  const BankDirectory& directory = editions::BuiltinDirectory();
  for (const BlzInfoIBAN& record : directory.records()) {
    const BankFacts& facts = directory.facts(record);
    ASSERT_EQ(facts.ibanRule, record.ibanRule());
    ASSERT_EQ(facts.firstBic(), record.firstBic());
    ASSERT_EQ(facts.toBeDeleted, !record.successorMark().empty());
  }
}

TEST(BankCodeText, ExactlyEightDigits) {
  const auto code = BankCode::Parse("37050198");
  ASSERT_TRUE(code);
  EXPECT_EQ(code->number(), 37050198u);
  EXPECT_EQ(code->text(), "37050198");
  for (const char* text : {"", "3705019", "370501980", " 7050198", "3705O198", "-7050198"}) {
    EXPECT_FALSE(BankCode::Parse(text)) << text;
  }
  EXPECT_EQ(BankCode::FromNumber(1234).text(), "00001234");
  EXPECT_EQ(BankCode().text(), "00000000");
}

}  // namespace
}  // namespace talvenor
