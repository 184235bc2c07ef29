#include "editions/file_form.h"

#include <gtest/gtest.h>

#include "editions/bank_lines.h"
#include "editions/builtin_directory.h"
#include "editions/zip_packer.h"
#include "support/test_files.h"

namespace talvenor::editions {
namespace {

using testing::BankLine;
using testing::CsvOf;
using testing::MakeLine;
using testing::XmlOf;
using testing::Zipped;

std::string Text(std::initializer_list<BankLine> lines) {
  std::string text;
  for (const BankLine& line : lines) text += MakeLine(line) + "\r\n";
  return text;
}

// Everything a record holds, as one text per record.
std::vector<std::string> Described(const std::vector<BlzInfoIBAN>& records) {
  std::vector<std::string> texts;
  for (const BlzInfoIBAN& r : records) {
    std::string text = r.bankCodeText() + "|" + r.checkMethod() + "|" + r.name() + "|" +
                       r.successorMark() + "|" + std::to_string(r.ibanRule());
    for (const std::string& bic : r.bics()) text += "|" + bic;
    texts.push_back(std::move(text));
  }
  return texts;
}

std::string Refusal(std::string_view bytes) {
  BankCodeFile file;
  file.lineWidth = -1;
  std::string error;
  EXPECT_FALSE(ReadAnyBankCodeFile(bytes, file, error));
  EXPECT_EQ(file.lineWidth, -1) << "a refused file must leave the result untouched";
  return error;
}

TEST(ReadAnyBankCodeFile, SameContentInEveryFormGivesTheSameRecords) {
  const std::string text = Text({
      BankLine{.bankCode = "10010000", .changeMark = 'D'},
      BankLine{.bankCode = "20030000", .shortName = "K\xF6ln & <Bonn>", .ibanRule = "003200"},
      BankLine{.bankCode = "20030000", .feature = '2', .bic = "HYVEDEMM488"},
      BankLine{.bankCode = "38050000", .bic = "", .deletionMark = '1', .successor = "37050198"},
      BankLine{.bankCode = "38050000", .feature = '2', .bic = "BRANDEFFXXX", .changeMark = 'D'},
  });
  BankCodeFile expected;
  std::string error;
  ASSERT_TRUE(ReadBankCodeFile(text, expected, error)) << error;
  ASSERT_EQ(expected.records.size(), 2u);
  struct Case {
    std::string bytes;
    const char* form;
  };
  const std::string xml = XmlOf(text);
  const std::string csv = CsvOf(text);
  const Case cases[] = {
      {text, "Textdatei fester Breite"},
      {xml, "XML-Datei"},
      {csv, "CSV-Datei"},
      {Zipped("blz-aktuell-txt-data.txt", text),
       "ZIP-Paket mit Textdatei fester Breite „blz-aktuell-txt-data.txt“"},
      {Zipped("blz-aktuell-xml-data.xml", xml),
       "ZIP-Paket mit XML-Datei „blz-aktuell-xml-data.xml“"},
      {Zipped("blz-aktuell-csv-data.csv", csv),
       "ZIP-Paket mit CSV-Datei „blz-aktuell-csv-data.csv“"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.form);
    BankCodeFile file;
    RecognisedForm form;
    ASSERT_TRUE(ReadAnyBankCodeFile(c.bytes, file, form, error)) << error;
    EXPECT_EQ(DescribeForm(form), c.form);
    EXPECT_TRUE(file.hasRuleNumbers());
    EXPECT_EQ(Described(file.records), Described(expected.records));
  }
}

TEST(ReadAnyBankCodeFile, RefusesWhatIsNoBankCodeFileNamingTheCause) {
  const std::string line = MakeLine(BankLine{.shortName = "K\xF6ln"}) + "\r\n";
  std::string utf8 = line;
  for (std::size_t at; (at = utf8.find('\xF6')) != std::string::npos;)
    utf8.replace(at, 1, "\xC3\xB6");
  struct Case {
    const char* what;
    std::string bytes;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {"empty", "", "Die Datei ist leer."},
      {"gzip", test_support::Deflate(line), "gzip-komprimiert; bitte entpacken Sie sie zuerst"},
      {"PDF", "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj", "ein PDF-Dokument"},
      {"HTML page", "\r\n  <!DOCTYPE html>\n<html lang=\"de\">", "eine Webseite (HTML)"},
      {"HTML without doctype", "<HTML><HEAD><TITLE>404 Not Found", "eine Webseite (HTML)"},
      {"XHTML", "<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\">", "eine Webseite (HTML)"},
      {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10) + line, "Binärdaten (Nullbytes)"},
      {"UTF-16", "\xFF\xFE" "1\0" "0\0", "in UTF-16 geschrieben"},
      {"byte order mark", "\xEF\xBB\xBF" + line, "beginnt mit der Kennung für UTF-8 (Byte Order Mark)"},
      {"UTF-8 instead of Latin-1", utf8, "in UTF-8 geschrieben; die Bundesbank veröffentlicht die Bankleitzahlendatei in Latin-1 (ISO 8859-1)"},
      {"UTF-8 CSV", "Bankleitzahl;Merkmal;Kurzbezeichnung\r\n10000000;1;K\xC3\xB6ln\r\n", "in UTF-8 geschrieben"},
      {"packed gzip", Zipped("blz.txt.gz", test_support::Deflate(line)), "ZIP-Paket, Datei „blz.txt.gz“: Die Datei ist gzip-komprimiert"},
      {"package in a package", Zipped("inner.zip", Zipped("blz.txt", line)), "ZIP-Paket, Datei „inner.zip“: das Paket enthält wiederum ein ZIP-Paket"},
      {"packed faulty file", Zipped("blz.txt", line.substr(0, 100)), "ZIP-Paket, Datei „blz.txt“: Zeile 1 hat 100 Zeichen"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = Refusal(c.bytes);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

// Latin-1 text that happens to be well-formed UTF-8 as well, with a
// character that Latin-1 cannot hold (here U+0121), cannot be converted
// Latin-1 and is read as the Latin-1 it is.
TEST(ReadAnyBankCodeFile, TakesLatin1TextThatIsNoConvertedUtf8AsText) {
  const std::string latin1 = Text({BankLine{.shortName = "Bank \xC4\xA1"}});
  BankCodeFile file;
  std::string error;
  ASSERT_TRUE(ReadAnyBankCodeFile(latin1, file, error)) << error;
  EXPECT_EQ(file.records[0].name(), "Bank \xC3\x84\xC2\xA1");
}

TEST(ReadAnyBankCodeFile, RealPublicFileReadsAsBefore) {
  const std::string text =
      test_support::ReadFile(std::string(TALVENOR_TEST_DATA) + "/blz_2026_06_08.txt");
  BankCodeFile direct;
  BankCodeFile any;
  std::string error;
  ASSERT_TRUE(ReadBankCodeFile(text, direct, error)) << error;
  ASSERT_TRUE(ReadAnyBankCodeFile(text, any, error)) << error;
  EXPECT_EQ(any.form, FileForm::kText);
  EXPECT_EQ(any.lineWidth, kPublicLineWidth);
  EXPECT_GT(any.records.size(), 3000u);
  EXPECT_EQ(any.records.size(), direct.records.size());
}

// The whole built-in edition written as XML and as CSV reads to the same
// directory as the text.
TEST(ReadAnyBankCodeFile, WholeBuiltInEditionInEveryFormGivesTheSameDirectory) {
  const std::string_view text = BuiltinEditionText();
  BankCodeFile expected;
  std::string error;
  ASSERT_TRUE(ReadBankCodeFile(text, expected, error)) << error;
  for (const std::string& bytes : {XmlOf(text, "2024-03-04", "2024-06-02"), CsvOf(text)}) {
    BankCodeFile file;
    ASSERT_TRUE(ReadAnyBankCodeFile(bytes, file, error)) << error;
    EXPECT_TRUE(file.hasRuleNumbers());
    EXPECT_EQ(Described(file.records), Described(expected.records));
  }
}

TEST(HeadNamesRuleNumbers, LooksAtTheStartOfEachForm) {
  const std::string extended = Text({BankLine{}});
  const std::string publicText = Text({BankLine{.ibanRule = ""}});
  struct Case {
    const char* what;
    std::string head;
    bool rules;
  };
  // clang-format off
  const Case cases[] = {
      {"extended text", extended, true},
      {"public text", publicText, false},
      {"first line cut off", extended.substr(0, 100), false},
      {"extended XML", XmlOf(extended).substr(0, 700), true},
      {"public XML", XmlOf(publicText), false},
      {"XML with prefixes", "<?xml version=\"1.0\"?><b:Document><b:BLZEintrag><b:IBANRegel>", true},
      {"extended CSV", CsvOf(extended), true},
      {"public CSV", CsvOf(publicText), false},
      {"ZIP package", Zipped("blz.txt", extended), false},
      {"web page", "<html><body>IBANRegel</body></html>", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(HeadNamesRuleNumbers(c.head), c.rules);
  }
}

}  // namespace
}  // namespace talvenor::editions
