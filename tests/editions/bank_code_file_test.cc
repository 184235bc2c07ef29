#include "editions/bank_code_file.h"

#include <gtest/gtest.h>

#include "editions/bank_lines.h"

namespace talvenor::editions {
namespace {

using testing::BankLine;
using testing::MakeLine;

std::string Lines(std::initializer_list<BankLine> lines, const char* end = "\r\n") {
  std::string text;
  for (const BankLine& line : lines) text += MakeLine(line) + end;
  return text;
}

// The file read from `text`, which must be well-formed.
BankCodeFile Read(std::string_view text) {
  BankCodeFile file;
  std::string error;
  EXPECT_TRUE(ReadBankCodeFile(text, file, error)) << error;
  return file;
}

// The message for `text`, which must be refused.
std::string Refusal(std::string_view text) {
  BankCodeFile file;
  file.lineWidth = -1;
  std::string error;
  EXPECT_FALSE(ReadBankCodeFile(text, file, error));
  EXPECT_EQ(file.lineWidth, -1) << "a refused file must leave the result untouched";
  return error;
}

TEST(ReadBankCodeFile, MainLineGivesNameMethodAndRuleBranchesAddBics) {
  BankLine main{.bankCode = "20030000",
                .shortName = "UniCredit",
                .bic = "HYVEDEMM300",
                .method = "99",
                .ibanRule = "003200"};
  BankLine branch = main;
  branch.feature = '2';
  branch.shortName = "Branch name";
  branch.bic = "HYVEDEMM488";
  branch.method = "00";
  BankLine noBic = branch;
  noBic.bic = "";
  const auto content = Read(Lines({main, branch, noBic}));
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
  BankLine deletedBranch{
      .bankCode = "10020000", .feature = '2', .bic = "BRANDEFFXXX", .changeMark = 'D'};
  const auto content = Read(Lines({gone, kept, deletedBranch}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].bankCode(), 10020000u);
  EXPECT_EQ(content.records[0].firstBic(), "BRANDEFFXXX");
  EXPECT_EQ(content.records[0].numberOfBics(), 1);
}

TEST(ReadBankCodeFile, BankWithoutBicHasOneEmptyEntry) {
  const auto content = Read(Lines({BankLine{.bic = ""}}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].numberOfBics(), 0);
  ASSERT_EQ(content.records[0].bics().size(), 1u);
  EXPECT_EQ(content.records[0].firstBic(), "");
}

TEST(ReadBankCodeFile, SuccessorMarkOnlyWhenTheDeletionMarkIsSet) {
  BankLine noSuccessor{.bankCode = "21000000", .deletionMark = '1'};
  BankLine withSuccessor{.bankCode = "38050000", .deletionMark = '1', .successor = "37050198"};
  BankLine notDeleted{.bankCode = "39000000", .successor = "12345678"};
  const auto content = Read(Lines({noSuccessor, withSuccessor, notDeleted}));
  ASSERT_EQ(content.records.size(), 3u);
  EXPECT_EQ(content.records[0].successorMark(), "00000000");
  EXPECT_EQ(content.records[1].successorMark(), "37050198");
  EXPECT_EQ(content.records[2].successorMark(), "");
}

TEST(ReadBankCodeFile, NamesAreConvertedFromLatin1AndTrimmed) {
  const auto content = Read(Lines({BankLine{.shortName = "Sparkasse K\xF6lnBonn"}}));
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].name(), "Sparkasse K\xC3\xB6lnBonn");
}

TEST(ReadBankCodeFile, SortsByBankCodeAndAcceptsPlainLineEnds) {
  const auto content =
      Read(Lines({BankLine{.bankCode = "30000000"}, BankLine{.bankCode = "10000000"}}, "\n"));
  ASSERT_EQ(content.records.size(), 2u);
  EXPECT_EQ(content.records[0].bankCode(), 10000000u);
  EXPECT_EQ(content.records[1].bankCode(), 30000000u);
}

TEST(ReadBankCodeFile, PublicFileHasNoRuleNumbersAndLastLineMayLackItsEnd) {
  const BankLine line{.bankCode = "70022424", .ibanRule = ""};
  const auto content = Read(MakeLine(line));
  EXPECT_EQ(content.lineWidth, kPublicLineWidth);
  EXPECT_FALSE(content.hasRuleNumbers());
  ASSERT_EQ(content.records.size(), 1u);
  EXPECT_EQ(content.records[0].ibanRule(), 0);
  EXPECT_EQ(Read(Lines({BankLine{}})).lineWidth, kExtendedLineWidth);
}

// Every fault refuses the whole file and names its line and field.
TEST(ReadBankCodeFile, RefusesAnyMalformedLineNamingLineAndField) {
  struct Case {
    const char* what;
    BankLine bad;
    const char* expected;  // a part of the message
  };
  // clang-format off
  const Case cases[] = {
      {"letter in bank code", {.bankCode = "1234567X"}, "Feld „Bankleitzahl“ (Spalten 1-8): „1234567X“"},
      {"bank code starting 0", {.bankCode = "01234567"}, "Bankleitzahl"},
      {"bank code starting 9", {.bankCode = "91234567"}, "Bankleitzahl"},
      {"feature 3", {.feature = '3'}, "Feld „Merkmal“ (Spalte 9): „3“ ist weder 1 noch 2"},
      {"lower-case method", {.method = "b7"}, "Prüfzifferberechnungsmethode"},
      {"blank method", {.method = "  "}, "Prüfzifferberechnungsmethode"},
      {"method ending in a letter", {.method = "1A"}, "Prüfzifferberechnungsmethode"},
      {"change mark X", {.changeMark = 'X'}, "Änderungskennzeichen"},
      {"deletion mark 2", {.deletionMark = '2'}, "Bankleitzahllöschung"},
      {"successor with blanks", {.successor = "1234"}, "Nachfolge-Bankleitzahl"},
      {"rule with letters", {.ibanRule = "00A100"}, "IBAN-Regel"},
      {"BIC in lower case", {.bic = "testdeffxxx"}, "Feld „BIC“"},
      {"short BIC", {.bic = "TESTDEFF"}, "Feld „BIC“"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BankLine bad = c.bad;
    if (bad.bankCode == BankLine{}.bankCode) bad.bankCode = "20000000";
    const std::string message = Refusal(Lines({BankLine{}, bad}));
    EXPECT_NE(message.find("Zeile 2"), std::string::npos) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

TEST(ReadBankCodeFile, RefusesFilesThatAreNotWholeOrOfOneWidth) {
  struct Case {
    const char* what;
    std::string text;
    const char* expected;
  };
  const std::string good = MakeLine(BankLine{});
  const std::string publicLine = MakeLine(BankLine{.bankCode = "20000000", .ibanRule = ""});
  // clang-format off
  const Case cases[] = {
      {"empty file", "", "leer"},
      {"widths mixed", good + "\r\n" + publicLine + "\r\n", "Zeile 2 hat 168 Zeichen, die erste Zeile 174"},
      {"truncated last line", good + "\r\n" + good.substr(0, 100), "Zeile 2 hat 100 Zeichen"},
      {"empty line", good + "\r\n\r\n", "Zeile 2 hat 0 Zeichen"},
      {"other width first", good.substr(0, 170) + "\r\n", "Zeile 1 hat 170 Zeichen"},
      {"CR inside a line", good.substr(0, 50) + "\r" + good.substr(51) + "\r\n",
       "Zeile 1 enthält in Spalte 51 ein Steuerzeichen (\\r)"},
      {"NUL in the name", good.substr(0, 20) + std::string(1, '\0') + good.substr(21) + "\n",
       "Spalte 21 ein Steuerzeichen (\\x00)"},
      {"second main line", Lines({BankLine{}, BankLine{}}), "Zeile 2: zweite Hauptstelle"},
      {"branch without main line", Lines({BankLine{.feature = '2'}}), "keine Hauptstelle"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = Refusal(c.text);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

TEST(Latin1ToUtf8, EncodesTheUpperHalfInTwoBytes) {
  EXPECT_EQ(Latin1ToUtf8("abc"), "abc");
  EXPECT_EQ(Latin1ToUtf8("\xE4\xF6\xFC\xDF"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
  EXPECT_EQ(Latin1ToUtf8("\xFF"), "\xC3\xBF");
}

}  // namespace
}  // namespace talvenor::editions
