#include "core/bank_code_file.h"

#include <gtest/gtest.h>

#include "core/bank_lines.h"

namespace talvenor {
namespace {

using testing::BankLine;
using testing::MakeLine;

std::string Lines(std::initializer_list<BankLine> lines, const char* end = "\r\n") {
  std::string text;
  for (const BankLine& line : lines) text += MakeLine(line) + end;
  return text;
}

TEST(ReadBankCodeFile, MainLineGivesNameMethodAndRuleBranchesAddBics) {
  BankLine main{.bankCode = "20030000", .shortName = "UniCredit", .bic = "HYVEDEMM300",
                .method = "99", .ibanRule = "003200"};
  BankLine branch = main;
  branch.feature = '2';
  branch.shortName = "Branch name";
  branch.bic = "HYVEDEMM488";
  branch.method = "00";
  BankLine noBic = branch;
  noBic.bic = "";
  const auto content = ReadBankCodeFile(Lines({main, branch, noBic}));
  ASSERT_EQ(content.records.size(), 1u);
  const BlzInfoIBAN& record = content.records[0];
  EXPECT_EQ(record.bankCode(), 20030000u);
  EXPECT_EQ(record.name(), "UniCredit");
  EXPECT_EQ(record.checkMethod(), "99");
  EXPECT_EQ(record.ibanRule(), 3200);
  EXPECT_EQ(record.numberOfBics(), 2);
  EXPECT_EQ(record.bics(), (std::vector<std::string>{"HYVEDEMM300", "HYVEDEMM488"}));
  EXPECT_EQ(record.successorMark(), "");
}

TEST(ReadBankCodeFile, DeletedMainLineDropsTheBankButDeletedBranchesKeepTheirBic) {
  BankLine gone{.bankCode = "10010000", .changeMark = 'D'};
  BankLine kept{.bankCode = "10020000", .bic = ""};
  BankLine deletedBranch{.bankCode = "10020000", .feature = '2', .bic = "BRANDEFFXXX",
                         .changeMark = 'D'};
  const auto content = ReadBankCodeFile(Lines({gone, kept, deletedBranch}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].bankCode(), 10020000u);
  EXPECT_EQ(content.records[0].firstBic(), "BRANDEFFXXX");
  EXPECT_EQ(content.records[0].numberOfBics(), 1);
}

TEST(ReadBankCodeFile, BankWithoutBicHasOneEmptyEntry) {
  const auto content = ReadBankCodeFile(Lines({BankLine{.bic = ""}}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].numberOfBics(), 0);
  ASSERT_EQ(content.records[0].bics().size(), 1u);
  EXPECT_EQ(content.records[0].firstBic(), "");
}

TEST(ReadBankCodeFile, SuccessorMarkOnlyWhenTheDeletionMarkIsSet) {
  BankLine noSuccessor{.bankCode = "21000000", .deletionMark = '1'};
  BankLine withSuccessor{.bankCode = "38050000", .deletionMark = '1', .successor = "37050198"};
  BankLine notDeleted{.bankCode = "39000000", .successor = "12345678"};
  const auto content = ReadBankCodeFile(Lines({noSuccessor, withSuccessor, notDeleted}));
  ASSERT_EQ(content.records.size(), 3u);
  EXPECT_EQ(content.records[0].successorMark(), "00000000");
  EXPECT_EQ(content.records[1].successorMark(), "37050198");
  EXPECT_EQ(content.records[2].successorMark(), "");
}

TEST(ReadBankCodeFile, NamesAreConvertedFromLatin1AndTrimmed) {
  const auto content = ReadBankCodeFile(Lines({BankLine{.shortName = "Sparkasse K\xF6lnBonn"}}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].name(), "Sparkasse K\xC3\xB6lnBonn");
}

TEST(ReadBankCodeFile, SortsByBankCodeAndAcceptsPlainLineEnds) {
  const auto content =
      ReadBankCodeFile(Lines({BankLine{.bankCode = "30000000"}, BankLine{.bankCode = "10000000"}}, "\n"));
  ASSERT_EQ(content.records.size(), 2u);
  EXPECT_EQ(content.records[0].bankCode(), 10000000u);
  EXPECT_EQ(content.records[1].bankCode(), 30000000u);
}

TEST(ReadBankCodeFile, SkipsAndCountsMalformedLines) {
  std::string text = MakeLine(BankLine{}) + "\r\n";
  text += "too short\r\n";
  text += MakeLine(BankLine{.bankCode = "1234567X"}) + "\r\n";
  text += "\r\n";
  const auto content = ReadBankCodeFile(text);
  EXPECT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.skippedLines, 2);
}

TEST(Latin1ToUtf8, EncodesTheUpperHalfInTwoBytes) {
  EXPECT_EQ(Latin1ToUtf8("abc"), "abc");
  EXPECT_EQ(Latin1ToUtf8("\xE4\xF6\xFC\xDF"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
  EXPECT_EQ(Latin1ToUtf8("\xFF"), "\xC3\xBF");
}

}  // namespace
}  // namespace talvenor
