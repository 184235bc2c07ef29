#include "editions/xml_form.h"

#include <gtest/gtest.h>

#include "editions/bank_lines.h"
#include "support/test_files.h"

namespace talvenor::editions {
namespace {

using std::chrono::June;
using std::chrono::September;
using testing::BankLine;
using testing::MakeLine;
using testing::XmlOf;

std::string Text(std::initializer_list<BankLine> lines) {
  std::string text;
  for (const BankLine& line : lines) text += MakeLine(line) + "\r\n";
  return text;
}

std::string Refusal(std::string_view xml) {
  BankCodeFile file;
  file.lineWidth = -1;
  std::string error;
  EXPECT_FALSE(ReadXmlBankCodeFile(xml, file, error));
  EXPECT_EQ(file.lineWidth, -1) << "a refused file must leave the result untouched";
  return error;
}

TEST(ReadXmlBankCodeFile, RealExcerptOfTheExtendedEditionReads) {
  const std::string xml = test_support::ReadFile(std::string(TALVENOR_TEST_DATA) +
                                                 "/blz_2026_06_08_extended_excerpt.xml");
  BankCodeFile file;
  std::string error;
  ASSERT_TRUE(ReadXmlBankCodeFile(xml, file, error)) << error;
  EXPECT_EQ(file.form, FileForm::kXml);
  EXPECT_EQ(file.statedFrom, std::chrono::year{2026} / June / 8);
  EXPECT_EQ(file.statedUntil, std::chrono::year{2026} / September / 6);
  EXPECT_TRUE(file.hasRuleNumbers());
  ASSERT_EQ(file.records.size(), 8u);  // nine entries, one of them a branch
  const BlzInfoIBAN& bundesbank = file.records[0];
  EXPECT_EQ(bundesbank.bankCode(), 10000000u);
  EXPECT_EQ(bundesbank.name(), "BBk Berlin");
  EXPECT_EQ(bundesbank.checkMethod(), "09");
  EXPECT_EQ(bundesbank.bics(), std::vector<std::string>{"MARKDEF1100"});
  EXPECT_EQ(bundesbank.ibanRule(), 4201);
  EXPECT_EQ(file.records[4].bics(), (std::vector<std::string>{"HYVEDEMM488", "HYVEDEMM488"}));
  EXPECT_EQ(file.records[6].name(), "M.M. Warburg (Löbbecke)");
  EXPECT_EQ(file.records[7].ibanRule(), 503);
}

TEST(ReadXmlBankCodeFile, PublicEditionWithoutIbanRegelHasNoRuleNumbers) {
  BankCodeFile file;
  std::string error;
  const std::string text =
      Text({BankLine{.ibanRule = ""}, BankLine{.bankCode = "20000000", .ibanRule = ""}});
  ASSERT_TRUE(ReadXmlBankCodeFile(XmlOf(text), file, error)) << error;
  EXPECT_FALSE(file.hasRuleNumbers());
  ASSERT_EQ(file.records.size(), 2u);
  EXPECT_EQ(file.records[1].ibanRule(), 0);
}

TEST(ReadXmlBankCodeFile, ElementsAreMatchedByLocalNameWhateverTheirNamespace) {
  std::string xml = XmlOf(Text({BankLine{.ibanRule = "004201"}}));
  // The same document with every element in a prefixed namespace.
  std::string prefixed;
  for (std::size_t i = 0; i < xml.size(); ++i) {
    prefixed += xml[i];
    if (xml[i] == '<' && xml[i + 1] != '?') {
      if (xml[i + 1] == '/') prefixed += xml[++i];
      prefixed += "b:";
    }
  }
  const std::size_t at = prefixed.find("xmlns=");
  prefixed.replace(at, 6, "xmlns:b=");
  BankCodeFile file;
  std::string error;
  ASSERT_TRUE(ReadXmlBankCodeFile(prefixed, file, error)) << error << "\n" << prefixed;
  ASSERT_EQ(file.records.size(), 1u);
  EXPECT_EQ(file.records[0].ibanRule(), 4201);
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

// Faults of the document, its header and its entries, each named.
TEST(ReadXmlBankCodeFile, RefusesFaultyDocumentsNamingTheCause) {
  const std::string good = XmlOf(Text({BankLine{}, BankLine{.bankCode = "20000000"}}));
  struct Case {
    const char* what;
    std::string xml;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {"not well-formed", good.substr(0, good.size() - 5), "nicht wohlgeformt"},
      {"no header dates", Replaced(good, "<ValidTill>2026-09-06</ValidTill>", ""), "nennt kein „ValidTill“"},
      {"no real day", Replaced(good, "2026-06-08", "2026-02-30"), "„ValidFrom“ „2026-02-30“; das ist kein gültiges Datum"},
      {"from after till", Replaced(good, "2026-09-06", "2026-06-07"), "Gültigkeitsbeginn (ValidFrom 2026-06-08) nach dem Gültigkeitsende"},
      {"no entries", XmlOf(""), "keine Einträge"},
      {"rule of one main entry missing",
       Replaced(good, "<IBANRegel>000000</IBANRegel></BLZEintrag></Document>", "</BLZEintrag></Document>"),
       "Eintrag 2 (BLZ 20000000): das Feld „IBAN-Regel“ fehlt"},
      {"lower-case BIC", Replaced(good, "<BIC>TESTDEFFXXX", "<BIC>testdeffxxx"),
       "Eintrag 1 (BLZ 10000000), Feld „BIC“: „testdeffxxx“ ist weder leer noch ein BIC"},
      {"feature left out", Replaced(good, "<Merkmal>1</Merkmal>", ""), "Eintrag 1 (BLZ 10000000), Feld „Merkmal“ fehlt."},
      {"short successor", Replaced(good, "<NachfolgeBLZ>00000000", "<NachfolgeBLZ>0000000"), "Feld „Nachfolge-Bankleitzahl“: „0000000“ ist keine achtstellige Zahl"},
      {"bank code of seven digits", Replaced(good, "<BLZ>10000000", "<BLZ>1000000"), "Eintrag 1, Feld „Bankleitzahl“: „1000000“"},
      {"field twice", Replaced(good, "<BIC>", "<BIC>TESTDEFFXXX</BIC><BIC>"), "Eintrag 1: das Feld „BIC“ steht zweimal darin"},
      {"element in a value", Replaced(good, "<BIC>", "<BIC><b/>"), "Eintrag 1: das Feld „BIC“ enthält ein Element"},
      {"line feed in a name", Replaced(good, "<Kurzbez>Test", "<Kurzbez>Te&#10;st"), "Feld „Kurzbezeichnung“ enthält ein Steuerzeichen (\\n)"},
      {"second main entry", XmlOf(Text({BankLine{}, BankLine{}})), "Eintrag 2: zweite Hauptstelle (Merkmal 1) der Bankleitzahl 10000000; die erste steht in Eintrag 1."},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = Refusal(c.xml);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

// Entities that would read a local file or grow without bound are never
// followed: a document type declaration is refused outright, and an
// entity without one is not defined.
TEST(ReadXmlBankCodeFile, DocumentTypesAndEntitiesAreNotFollowed) {
  const std::string good = XmlOf(Text({BankLine{}}));
  const std::string body = good.substr(good.find("<Document"));
  const std::string withName = Replaced(body, "<Kurzbez>Testbank", "<Kurzbez>&x;");
  const std::string cases[] = {
      "<?xml version=\"1.0\"?><!DOCTYPE Document [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
          withName,
      "<!DOCTYPE Document SYSTEM \"http://example.invalid/blz.dtd\">" + body,
      "<!DOCTYPE Document [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY x \"&a;&a;&a;&a;&a;&a;\">]>" +
          withName,
      withName,
  };
  for (const std::string& xml : cases) {
    SCOPED_TRACE(xml.substr(0, 80));
    const std::string message = Refusal(xml);
    EXPECT_EQ(message.find("root:"), std::string::npos) << message;
    EXPECT_TRUE(message.find("Dokumenttypdeklaration") != std::string::npos ||
                message.find("nicht wohlgeformt") != std::string::npos)
        << message;
  }
}

}  // namespace
}  // namespace talvenor::editions
