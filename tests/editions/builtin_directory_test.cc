// The built-in directory must reproduce the published edition's figures.
#include "editions/builtin_directory.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editions/bank_code_file.h"

namespace talvenor::editions {
namespace {

using std::chrono::year;

const BankDirectory& Directory() { return BuiltinDirectory(); }

TEST(BuiltinDirectory, IsBuiltOnceAndEveryLineIsWellFormed) {
  EXPECT_EQ(&BuiltinDirectory(), &BuiltinDirectory());
  BankCodeFile file;
  std::string error;
  EXPECT_TRUE(ReadBankCodeFile(BuiltinEditionText(), file, error)) << error;
  EXPECT_EQ(file.lineWidth, kExtendedLineWidth);
  EXPECT_EQ(BuiltinEditionText().size(), 14573u * 176u);
}

TEST(BuiltinDirectory, RecordCountsAndKeys) {
  EXPECT_EQ(Directory().size(), 3544u);
  int single = 0;
  int list = 0;
  std::uint32_t previous = 0;
  for (const BlzInfoIBAN& record : Directory().records()) {
    (record.numberOfBics() <= 1 ? single : list) += 1;
    EXPECT_GT(record.bankCode(), previous);
    previous = record.bankCode();
    const char first = record.bankCodeText().front();
    EXPECT_TRUE(first >= '1' && first <= '8') << record.bankCodeText();
    EXPECT_GE(record.ibanRule(), 0);
  }
  EXPECT_EQ(single, 3292);
  EXPECT_EQ(list, 252);
}

TEST(BuiltinDirectory, BicLists) {
  EXPECT_EQ(Directory().Lookup("20030000")->numberOfBics(), 44);
  EXPECT_EQ(Directory().Lookup("20030000")->name(), "UniCredit Bank-HypoVereinbk");
  EXPECT_EQ(Directory().Lookup("12070000")->numberOfBics(), 37);
  EXPECT_EQ(Directory().Lookup("12070000")->name(), "Deutsche Bank");
  int largest = 0;
  std::set<std::string> withoutBic;
  for (const BlzInfoIBAN& record : Directory().records()) {
    largest = std::max(largest, record.numberOfBics());
    if (record.numberOfBics() == 0) {
      withoutBic.insert(record.bankCodeText());
      EXPECT_EQ(record.firstBic(), "");
    }
  }
  EXPECT_EQ(largest, 44);
  EXPECT_EQ(withoutBic,
            (std::set<std::string>{"25050299", "30150001", "40150001", "60050009", "73311600"}));
}

TEST(BuiltinDirectory, SuccessorMarks) {
  int marked = 0;
  int withoutSuccessor = 0;
  for (const BlzInfoIBAN& record : Directory().records()) {
    const std::string& mark = record.successorMark();
    if (mark.empty()) continue;
    ++marked;
    if (mark == "00000000") {
      ++withoutSuccessor;
      continue;
    }
    const BlzInfoIBAN* successor = Directory().Lookup(mark);
    ASSERT_NE(successor, nullptr) << record.bankCodeText() << " names " << mark;
    EXPECT_EQ(successor->successorMark(), "") << mark;
  }
  EXPECT_EQ(marked, 89);
  EXPECT_EQ(withoutSuccessor, 53);
}

TEST(BuiltinDirectory, MethodCodes) {
  std::set<std::string> methods;
  for (const BlzInfoIBAN& record : Directory().records()) methods.insert(record.checkMethod());
  const std::set<std::string> expected = {
      "00", "01", "03", "05", "06", "08", "09", "10", "11", "13", "16", "17", "18", "19",
      "20", "21", "22", "24", "25", "26", "27", "28", "29", "30", "31", "32", "33", "34",
      "38", "40", "41", "42", "43", "44", "46", "47", "48", "49", "50", "51", "56", "57",
      "59", "60", "61", "63", "64", "65", "66", "67", "68", "71", "73", "74", "76", "78",
      "81", "85", "87", "88", "91", "92", "94", "95", "96", "98", "99", "A2", "A3", "A4",
      "A5", "A6", "A7", "A8", "B1", "B2", "B3", "B5", "B6", "B7", "B8", "C0", "C1", "C2",
      "C3", "C5", "C7", "C8", "C9", "D0", "D2", "D6", "D7", "D8", "D9", "E0", "E3", "E4"};
  EXPECT_EQ(expected.size(), 98u);
  EXPECT_EQ(methods, expected);
}

TEST(BuiltinDirectory, RuleNumbersWithTheirCounts) {
  std::map<int, int> counts;
  for (const BlzInfoIBAN& record : Directory().records()) ++counts[record.ibanRule()];
  const std::map<int, int> expected = {
      {0, 2281},   {100, 46},   {400, 1},   {503, 609}, {600, 1},  {700, 1},  {800, 9},  {1001, 2},
      {1100, 1},   {1201, 1},   {1301, 2},  {1400, 1},  {1501, 2}, {1600, 1}, {1700, 1}, {1800, 1},
      {2002, 373}, {2101, 1},   {2200, 1},  {2300, 1},  {2400, 1}, {2600, 2}, {2700, 1}, {2800, 1},
      {2900, 4},   {3200, 100}, {3301, 1},  {3400, 1},  {3501, 1}, {3600, 3}, {3700, 1}, {3800, 3},
      {3900, 30},  {4100, 1},   {4201, 36}, {4400, 1},  {4600, 1}, {4700, 8}, {4901, 3}, {5000, 1},
      {5100, 1},   {5300, 6},   {5700, 1}};
  EXPECT_EQ(expected.size(), 43u);
  EXPECT_EQ(counts, expected);
}

TEST(BuiltinDirectory, ExampleRows) {
  struct Row {
    const char* key;
    const char* method;
    std::vector<std::string> bics;
    const char* name;
    int rule;
    const char* successor;
  };
  // clang-format off
  const Row rows[] = {
      {"10000000", "09", {"MARKDEF1100"}, "BBk Berlin", 4201, ""},
      {"20000000", "09", {"MARKDEF1200"}, "BBk Hamburg", 4201, ""},
      {"21000000", "09", {"MARKDEF1210"}, "BBk Hamburg eh Kiel", 100, "00000000"},
      {"10020890", "99", {"HYVEDEMM488", "HYVEDEMM488", "HYVEDEMM488"},
       "UniCredit Bank-HypoVereinbk", 3200, ""},
      {"30150001", "09", {""}, "Helaba Dus, Gf Ver. FI-Dus", 100, ""},
      {"38050000", "00", {"COLSDE33BON"}, "Sparkasse Bonn -alt-", 0, "37050198"},
      {"37050198", "00", {"COLSDE33XXX"}, "Sparkasse K\xC3\xB6lnBonn", 700, ""},
  };
  // clang-format on
  for (const Row& row : rows) {
    const BlzInfoIBAN* record = Directory().Lookup(row.key);
    ASSERT_NE(record, nullptr) << row.key;
    EXPECT_EQ(record->checkMethod(), row.method) << row.key;
    EXPECT_EQ(record->bics(), row.bics) << row.key;
    EXPECT_EQ(record->name(), row.name) << row.key;
    EXPECT_EQ(record->ibanRule(), row.rule) << row.key;
    EXPECT_EQ(record->successorMark(), row.successor) << row.key;
  }
}

TEST(BuiltinDirectory, LookupNeedsTheExactKey) {
  EXPECT_NE(Directory().Lookup("10000000"), nullptr);
  for (const char* key :
       {"00000000", "99999999", "010000000", " 10000000", "1000000", "", "10000000 ", "1000000O"}) {
    EXPECT_EQ(Directory().Lookup(key), nullptr) << '"' << key << '"';
  }
}

TEST(BuiltinDirectory, ValidFromFourthOfMarchUntilSecondOfJune2024) {
  EXPECT_EQ(BuiltinDataValidFrom, year{2024} / std::chrono::March / 4);
  EXPECT_EQ(BuiltinDataValidUntil, year{2024} / std::chrono::June / 2);
}

}  // namespace
}  // namespace talvenor::editions

namespace talvenor::editions {
namespace {

// The quick reading of rule numbers, used when a public edition takes the
// built-in rules at every start, agrees with the full reading.
TEST(BuiltinDirectory, QuickRuleNumbersMatchTheFullReading) {
  BankCodeFile file;
  std::string error;
  ASSERT_TRUE(ReadBankCodeFile(BuiltinEditionText(), file, error));
  const std::vector<RuleNumber> quick = ReadRuleNumbersOfCheckedFile(BuiltinEditionText());
  const std::vector<RuleNumber> full = RuleNumbersOf(file);
  ASSERT_EQ(quick.size(), full.size());
  for (std::size_t i = 0; i < quick.size(); ++i) {
    EXPECT_EQ(quick[i].bankCode, full[i].bankCode);
    EXPECT_EQ(quick[i].rule, full[i].rule) << quick[i].bankCode;
  }
}

}  // namespace
}  // namespace talvenor::editions
