#include "editions/csv_form.h"

#include <gtest/gtest.h>

#include "editions/bank_lines.h"

namespace talvenor::editions {
namespace {

using testing::BankLine;
using testing::CsvOf;
using testing::MakeLine;

std::string Text(std::initializer_list<BankLine> lines) {
  std::string text;
  for (const BankLine& line : lines) text += MakeLine(line) + "\r\n";
  return text;
}

BankCodeFile Read(std::string_view csv) {
  BankCodeFile file;
  std::string error;
  EXPECT_TRUE(ReadCsvBankCodeFile(csv, file, error)) << error;
  return file;
}

std::string Refusal(std::string_view csv) {
  BankCodeFile file;
  file.lineWidth = -1;
  std::string error;
  EXPECT_FALSE(ReadCsvBankCodeFile(csv, file, error));
  EXPECT_EQ(file.lineWidth, -1) << "a refused file must leave the result untouched";
  return error;
}

// The header line in the columns' order below, then one bank.
std::string WithHeader(std::string_view header) {
  return std::string(header) +
         "\n20030000;1;HypoVereinsbank;UniCredit \"Bank\";HYVEDEMM300;99;U;0;00000000;003200\n";
}

TEST(ReadCsvBankCodeFile, HeaderNamesAreTakenInTheirManySpellings) {
  // clang-format off
  const char* headers[] = {
      "Bankleitzahl;Merkmal;Bezeichnung;Kurzbezeichnung;BIC;Pr\xFC" "fzifferberechnungsmethode;\xC4nderungskennzeichen;Bankleitzahll\xF6schung;Nachfolge-Bankleitzahl;IBAN-Regel",
      "\"BANKLEITZAHL\";\"MERKMAL\";\"BEZEICHNUNG\";\"KURZBEZEICHNUNG\";\"BIC\";\"PRUEFZIFFER\";\"AENDERUNGSKENNZEICHEN\";\"BANKLEITZAHLLOESCHUNG\";\"NACHFOLGE BANKLEITZAHL\";\"IBAN Regel\"",
      "BLZ;Merkmal;Bezeichnung;Kurzbez;BIC;PruefZiffMeth;Aenderungskennz;BLZLoesch;NachfolgeBLZ;IBANRegel",
      "Bankleitzahl;Merkmal;Bezeichnung;Kurzbezeichnung;BIC;Pr\xC3\xBC" "fziffer;\xC3\x84nderungskennzeichen;Bankleitzahll\xC3\xB6schung;Nachfolge-Bankleitzahl;IBAN-Regel",
  };
  // clang-format on
  for (const char* header : headers) {
    SCOPED_TRACE(header);
    const BankCodeFile file = Read(WithHeader(header));
    ASSERT_EQ(file.records.size(), 1u);
    const BlzInfoIBAN& bank = file.records[0];
    EXPECT_EQ(bank.bankCode(), 20030000u);
    EXPECT_EQ(bank.name(), "UniCredit \"Bank\"");
    EXPECT_EQ(bank.checkMethod(), "99");
    EXPECT_EQ(bank.firstBic(), "HYVEDEMM300");
    EXPECT_EQ(bank.ibanRule(), 3200);
  }
}

TEST(ReadCsvBankCodeFile, ColumnsInAnyOrderPlainLineEndsAndEmptyLinesAtTheEnd) {
  const std::string csv =
      "Kurzbezeichnung;Bankleitzahl;BIC;Merkmal;Pruefziffer;Aenderungskennzeichen;"
      "Bankleitzahlloeschung;Nachfolge-Bankleitzahl;Ort\n"
      "\"M\xFCller; Co\";30000000;;1;A0;U;1;37050198;K\xF6ln\n"
      "Branch;30000000;BRANDEFFXXX;2;00;U;0;00000000;\n"
      "\n\r\n";
  const BankCodeFile file = Read(csv);
  EXPECT_FALSE(file.hasRuleNumbers());
  ASSERT_EQ(file.records.size(), 1u);
  const BlzInfoIBAN& bank = file.records[0];
  EXPECT_EQ(bank.name(), "M\xC3\xBCller; Co");
  EXPECT_EQ(bank.checkMethod(), "A0");
  EXPECT_EQ(bank.bics(), std::vector<std::string>{"BRANDEFFXXX"});
  EXPECT_EQ(bank.successorMark(), "37050198");
  EXPECT_EQ(bank.ibanRule(), 0);
}

TEST(ReadCsvBankCodeFile, RefusesFaultyLayoutAndContentNamingLineAndColumn) {
  // The header and two lines, each with its line end.
  const std::string good = CsvOf(Text({BankLine{}, BankLine{.bankCode = "20000000"}}));
  const std::size_t second = good.find('\n') + 1;
  const std::size_t third = good.find('\n', second) + 1;
  const std::string header = good.substr(0, second);
  const std::string first = good.substr(second, third - second);
  const std::string last = good.substr(third);
  const std::string lastWithoutRule = last.substr(0, last.rfind(';') + 1) + "\r\n";
  struct Case {
    const char* what;
    std::string csv;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {"empty", "", "leer"},
      {"no entries", header, "keine Einträge"},
      {"columns missing", "Bankleitzahl;Merkmal;Kurzbezeichnung;BIC\n",
       "fehlen Spalten, die eine Bankleitzahlendatei hat: „Prüfzifferberechnungsmethode“, "
       "„Änderungskennzeichen“, „Bankleitzahllöschung“, „Nachfolge-Bankleitzahl“."},
      {"column twice", "BLZ;Bankleitzahl\n", "nennt die Spalte „Bankleitzahl“ zweimal (Spalten 1 und 2)"},
      {"quote not closed", header + "\"10000000;1\n", "Zeile 2: ein Feld in Anführungszeichen"},
      {"field missing", header + "10000000;1\n", "Zeile 2 hat 2 Felder, die Kopfzeile nennt 14 Spalten"},
      {"empty line inside", header + first + "\r\n" + last, "Zeile 3 ist leer"},
      {"BIC in lower case", header + "\"20000000\";\"1\";\"\";\"\";\"\";\"X\";\"\";\"bic\";\"09\";\"1\";\"U\";\"0\";\"00000000\";\"000000\"\r\n",
       "Zeile 2 (BLZ 20000000), Feld „BIC“: „bic“ ist weder leer noch ein BIC"},
      {"rule of one main entry missing",
       header + first + lastWithoutRule, "Zeile 3 (BLZ 20000000): das Feld „IBAN-Regel“ fehlt"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = Refusal(c.csv);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

TEST(IsCsvHeaderLine, NeedsSeparatorsAndABankCodeColumn) {
  EXPECT_TRUE(IsCsvHeaderLine("\"Bankleitzahl\";\"Merkmal\""));
  EXPECT_TRUE(IsCsvHeaderLine("Merkmal;BLZ"));
  EXPECT_FALSE(IsCsvHeaderLine("Bankleitzahl,Merkmal"));
  EXPECT_FALSE(IsCsvHeaderLine("Name;Merkmal"));
  EXPECT_FALSE(IsCsvHeaderLine(MakeLine(BankLine{})));
  EXPECT_TRUE(CsvHeaderNamesRules("BLZ;IBAN Regel"));
  EXPECT_FALSE(CsvHeaderNamesRules("BLZ;Regel"));
}

}  // namespace
}  // namespace talvenor::editions
