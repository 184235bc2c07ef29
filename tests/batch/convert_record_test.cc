// Converting single record lines: result codes, fields, quoting, line
// remainders and appended fields. A small directory of made-up banks keeps
// every expected IBAN workable by hand: N = bank code * 10^16 + account *
// 10^6 + 131400 ("DE00"), check digits = 98 - N mod 97.
#include "batch/record_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/record_layout.h"
#include "platform/private_profile.h"

namespace talvenor::batch {
namespace {

BankDirectory TestDirectory() {
  std::vector<BlzInfoIBAN> banks;
  // Method "09" passes every account, so only the rule decides.
  banks.emplace_back(20000001, "09", "Standard", "AAAADEFFXXX", "", 0);
  banks.emplace_back(20000002, "09", "Ohne BIC", "", "", 0);
  banks.emplace_back(20000003, "09", "Nicht freigegeben", "CCCCDEFFXXX", "", 100);
  banks.emplace_back(20000004, "09", "Ohne Nachfolger", "DDDDDEFFXXX", "00000000", 0);
  banks.emplace_back(20000005, "09", "Alt", "EEEEDEFFXXX", "20000006", 0);
  banks.emplace_back(20000006, "09", "Nachfolger", "FFFFDEFFXXX", "", 0);
  banks.emplace_back(20000007, "00", "Methode 00", "GGGGDEFFXXX", "", 0);
  banks.emplace_back(20000008, "09", "Nachfolger fehlt", "HHHHDEFFXXX", "29999999", 0);
  banks.emplace_back(20000009, "09", "Regel 0023", "IIIIDEFFXXX", "", 2300);
  banks.emplace_back(20000010, "09", "Regel 0003", "JJJJDEFFXXX", "", 300);
  banks.emplace_back(20000011, "09", "Regel 0012", "KKKKDEFFXXX", "", 1200);
  return BankDirectory(std::move(banks));
}

const BankDirectory& Directory() {
  static const BankDirectory directory = TestDirectory();
  return directory;
}

RecordLayout Layout(int format, const std::string& formatIni = "") {
  RecordLayout layout;
  layout.format = format;
  EXPECT_EQ(LoadRecordLayout(layout, platform::PrivateProfile::Parse(formatIni)), kLayoutUsable);
  return layout;
}

// A record of the built-in fixed layout; every value is padded with blanks
// to its field's width (widths 2, 5, 30, 11, 4, 8, 10, 20, 11, 22, 20, 2).
std::string Fixed(const std::vector<std::string>& values) {
  static const int widths[] = {2, 5, 30, 11, 4, 8, 10, 20, 11, 22, 20, 2};
  std::string line;
  for (std::size_t i = 0; i < 12; ++i) {
    std::string value = i < values.size() ? values[i] : "";
    value.resize(static_cast<std::size_t>(widths[i]), ' ');
    line += value;
  }
  return line;
}

std::string FixedGerman(const std::string& bank, const std::string& account,
                        const std::string& country = "DE") {
  return Fixed({country, "USER1", "Referenz", "ALTBIC", "", bank, account, "frei1", "INBIC",
                "INIBAN", "frei2", "XX"});
}

struct Expected {
  const char* name;
  const char* country;
  const char* bank;
  const char* account;
  int code;
  const char* bic;   // nullptr: the input field stays
  const char* iban;  // nullptr: the input field stays
};

// clang-format off
const Expected kResults[] = {
    {"Converted", "DE", "20000001", "1234567897", 0, "AAAADEFFXXX", "DE07200000011234567897"},
    // 20000001 * 10^16 + 12345 * 10^6 + 131400 = ... mod 97 = 65: 98 - 65 = 33.
    {"ShortAccount", "DE", "20000001", "0000012345", 0, "AAAADEFFXXX",
     "DE33200000010000012345"},
    {"BankWithoutBic", "DE", "20000002", "1234567897", 23, "", "DE42200000021234567897"},
    {"NotReleased", "DE", "20000003", "1234567897", 50, nullptr, nullptr},
    {"ToBeDeletedNoSuccessor", "DE", "20000004", "1234567897", 14, "DDDDDEFFXXX",
     "DE15200000041234567897"},
    {"SuccessorSubstituted", "DE", "20000005", "1234567897", 13, "FFFFDEFFXXX",
     "DE85200000061234567897"},
    // Method 00: digits 1-9 weighted 2,1,... from the right with cross sums
    // give 43, check digit 7; the account ends in 0 and fails.
    {"AccountFailsCheck", "DE", "20000007", "1234567890", 11, "GGGGDEFFXXX",
     "DE18200000071234567890"},
    // The successor is not in the directory: the engine's 0 becomes 14.
    {"SuccessorUnknown", "DE", "20000008", "1234567897", 14, "HHHHDEFFXXX",
     "DE58200000081234567897"},
    {"AccountReplacedByRule", "DE", "20000009", "0000000700", 1, "IIIIDEFFXXX",
     "DE93200000091000700800"},
    {"AccountExcludedByRule", "DE", "20000010", "6161604670", 12, nullptr, nullptr},
    {"BankCodeReplacedByRule", "DE", "20000011", "1234567897", 15, "HELADEFFXXX",
     "DE21500500001234567897"},
    {"UnknownBankCode", "DE", "29999999", "1234567897", 10, nullptr, nullptr},
    {"ZeroAccount", "DE", "20000001", "0000000000", 11, nullptr, nullptr},
    {"AccountWithLetter", "DE", "20000001", "123456789A", 11, nullptr, nullptr},
    {"AccountWithBlanks", "DE", "20000001", "   1234567", 11, nullptr, nullptr},
    {"Foreign", "AT", "20000001", "1234567897", 26, nullptr, nullptr},
    {"CountryCodeIsExact", "de", "20000001", "1234567897", 26, nullptr, nullptr},
};
// clang-format on

class ResultCodes : public testing::TestWithParam<Expected> {};

TEST_P(ResultCodes, FixedLength) {
  const Expected& c = GetParam();
  const RecordLayout layout = Layout(kFormatFixed);
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert(FixedGerman(c.bank, c.account, c.country)));

  std::string bic = c.bic ? c.bic : "INBIC";
  bic.resize(11, ' ');
  std::string iban = c.iban ? c.iban : "INIBAN";
  iban.resize(22, ' ');
  char code[3];
  std::snprintf(code, sizeof code, "%02d", c.code);
  const std::string expected =
      Fixed({c.country, "USER1", "Referenz", "ALTBIC", "", c.bank, c.account, "frei1"})
          .substr(0, 90) +
      bic + iban + std::string("frei2") + std::string(15, ' ') + code + "\r\n";
  EXPECT_EQ(converter.resultCode(), c.code);
  EXPECT_EQ(converter.output(), expected);
  EXPECT_EQ(converter.output().size(), 145u + 2u);
}

TEST_P(ResultCodes, SeparatedValues) {
  const Expected& c = GetParam();
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  const std::string line =
      std::string(c.country) + ";U;R;;;" + c.bank + ";" + c.account + ";;\"INBIC\";INIBAN;;";
  ASSERT_TRUE(converter.Convert(line));
  const std::string bic = c.bic ? c.bic : "INBIC";
  const std::string iban = c.iban ? c.iban : "INIBAN";
  char code[3];
  std::snprintf(code, sizeof code, "%02d", c.code);
  // Fields of quote flag 1 are quoted when not empty; the bank code, the
  // account and the result (flag 0) never are.
  const std::string quotedBic = bic.empty() ? std::string() : "\"" + bic + "\"";
  std::string expected = "\"";
  for (const std::string& part :
       {std::string(c.country), std::string("\";\"U\";\"R\";;;"), std::string(c.bank),
        std::string(";"), std::string(c.account), std::string(";;"), quotedBic, std::string(";\""),
        iban, std::string("\";;"), std::string(code), std::string("\r\n")}) {
    expected += part;
  }
  EXPECT_EQ(converter.resultCode(), c.code);
  EXPECT_EQ(converter.output(), expected);
}

INSTANTIATE_TEST_SUITE_P(Records, ResultCodes, testing::ValuesIn(kResults),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(RecordConversion, FixedLineMustHoldTheWholeRecord) {
  const RecordLayout layout = Layout(kFormatFixed);
  RecordConverter converter(layout, Directory(), 1);
  const std::string record = FixedGerman("20000001", "1234567897");
  ASSERT_EQ(record.size(), 145u);
  EXPECT_FALSE(converter.Convert(record.substr(0, 144)));
  EXPECT_FALSE(converter.Convert(""));
}

TEST(RecordConversion, FixedRemainderFollowsTheFields) {
  const RecordLayout layout = Layout(kFormatFixed);
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert(FixedGerman("20000001", "1234567897") + "12345"));
  const std::string_view out = converter.output();
  ASSERT_EQ(out.size(), 150u + 2u);
  EXPECT_EQ(out.substr(143, 2), "00");
  EXPECT_EQ(out.substr(145), "12345\r\n");
}

TEST(RecordConversion, SeparatedQuotesAreRemovedAndWrittenByFlag) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert(
      "\"DE\";\"USER1\";\"Ref\";\"\";\"\";\"20000001\";\"1234567897\";\"\";\"\";\"\";\"\";\"\""));
  EXPECT_EQ(converter.output(),
            "\"DE\";\"USER1\";\"Ref\";;;20000001;1234567897;;\"AAAADEFFXXX\";"
            "\"DE07200000011234567897\";;00\r\n");
}

TEST(RecordConversion, SeparatedQuoteEdges) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  // An opening quote without a closing one goes; a lone quote stays (and is
  // quoted again on output); there is no escaping, so ";" inside quotes
  // still separates.
  ASSERT_TRUE(converter.Convert("DE;\"abc;\";\"x;;20000001;1234567897;;;;;"));
  EXPECT_EQ(converter.output(),
            "\"DE\";\"abc\";\"\"\";\"x\";;20000001;1234567897;;\"AAAADEFFXXX\";"
            "\"DE07200000011234567897\";;00\r\n");
}

TEST(RecordConversion, SeparatedMissingFieldsAreAddedBehindTheNumbers) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert("DE;U;R;;;20000001;12345"));
  EXPECT_EQ(converter.output(),
            "\"DE\";\"U\";\"R\";;;20000001;12345;;\"AAAADEFFXXX\";"
            "\"DE33200000010000012345\";;00\r\n");
  // Without the account field nothing can be added.
  EXPECT_FALSE(converter.Convert("DE;U;R;;;20000001"));
}

TEST(RecordConversion, SeparatedRemainderStaysAsItIs) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert("DE;U;R;;;20000001;1234567897;;;;;;\"x\";y"));
  EXPECT_EQ(converter.output(),
            "\"DE\";\"U\";\"R\";;;20000001;1234567897;;\"AAAADEFFXXX\";"
            "\"DE07200000011234567897\";;00;\"x\";y\r\n");
  // A separator behind the last field is kept.
  ASSERT_TRUE(converter.Convert("DE;U;R;;;20000001;1234567897;;;;;;"));
  EXPECT_EQ(converter.output().substr(converter.output().size() - 6), ";00;\r\n");
}

TEST(RecordConversion, SeparatedGuardedFieldsMustFitTheirLength) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  EXPECT_FALSE(converter.Convert("DE;U;R;;;200000011;1234567897;;;;;"));      // 9-digit bank code
  EXPECT_FALSE(converter.Convert("DE;U;R;;;20000001;12345678970;;;;;"));      // 11-digit account
  EXPECT_FALSE(converter.Convert("DE;U;R;;DE123;20000001;1234567897;;;;;"));  // old IBAN part
  // Other fields are not limited.
  EXPECT_TRUE(converter.Convert("DE;USER-LONGER-THAN-5;R;;;20000001;1234567897;;;;;"));
}

TEST(RecordConversion, JoinedNumbersMustHave22Characters) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter converter(layout, Directory(), 1);
  // "DE" + "20000001" + "1234567897" has 20 characters; characters 5-12 are
  // "00000112", which is no bank code: 20.
  ASSERT_TRUE(converter.Convert("DE;U;R;;DE;20000001;1234567897;;;;;"));
  EXPECT_EQ(converter.resultCode(), 20);
  // "DE1" + "92000000" + "1234567897" has 21: characters 5-12 are the bank
  // code 20000001, the account "234567897" is all digits: still 20.
  ASSERT_TRUE(converter.Convert("DE;U;R;;DE1;92000000;1234567897;;;;;"));
  EXPECT_EQ(converter.resultCode(), 20);
  // Four blanks count as "0000"; any four characters do.
  ASSERT_TRUE(converter.Convert("DE;U;R;;    ;20000001;1234567897;;;;;"));
  EXPECT_EQ(converter.resultCode(), 0);
  ASSERT_TRUE(converter.Convert("DE;U;R;;DE99;20000001;1234567897;;;;;"));
  EXPECT_EQ(converter.resultCode(), 0);
}

TEST(RecordConversion, GroupIsTheFourthBankCodeDigit) {
  const RecordLayout layout = Layout(kFormatSeparated);
  RecordConverter grouped(layout, Directory(), 10);
  struct Case {
    const char* bank;
    int group;
  };
  const Case cases[] = {{"20000001", 0}, {"12370000", 7}, {"123X", 0},
                        {"123", 0},      {"", 0},         {"99999999", 9}};
  for (const Case& c : cases) {
    ASSERT_TRUE(grouped.Convert(std::string("DE;U;R;;;") + c.bank + ";1234567897;;;;;"));
    EXPECT_EQ(grouped.group(), c.group) << c.bank;
  }
  RecordConverter single(layout, Directory(), 1);
  ASSERT_TRUE(single.Convert("DE;U;R;;;99999999;1234567897;;;;;"));
  EXPECT_EQ(single.group(), 0);
}

// A custom layout without fields for BIC, IBAN and result: all three are
// appended, behind any remainder of the line.
constexpr const char* kThreeFields =
    "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=%d\nindexblz=2\nindexkto=3\n"
    "[FIELDS]\nANZ=3\nFIELD1=2,0,LKZ,1\nFIELD2=8,0,BLZ\nFIELD3=10,0,KTO\n";

std::string ThreeFields(int format) {
  char text[256];
  std::snprintf(text, sizeof text, kThreeFields, format);
  return text;
}

TEST(RecordConversion, FixedAppendedFields) {
  const RecordLayout layout = Layout(kFormatFixed, ThreeFields(0));
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert("DE200000011234567897rest"));
  EXPECT_EQ(converter.output(), "DE200000011234567897restAAAADEFFXXXDE0720000001123456789700\r\n");
  // Nothing written: an 11-blank BIC and a 22-blank IBAN keep the length.
  ASSERT_TRUE(converter.Convert("AT200000011234567897"));
  EXPECT_EQ(converter.output(),
            "AT200000011234567897" + std::string(11, ' ') + std::string(22, ' ') + "26\r\n");
  // A bank without BIC gets an 11-blank BIC.
  ASSERT_TRUE(converter.Convert("DE200000021234567897"));
  EXPECT_EQ(converter.output(),
            "DE200000021234567897" + std::string(11, ' ') + "DE4220000002123456789723\r\n");
}

TEST(RecordConversion, FixedFieldsWiderThanTheirValuesArePadded) {
  // BIC and IBAN fields of 15 and 30 characters: the values are padded to
  // the fields' widths, so every output record keeps the layout's length
  // (65) before the appended result.
  const RecordLayout layout =
      Layout(kFormatFixed,
             "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=2\nindexkto=3\n[FIELDS]\nANZ=5\n"
             "FIELD1=2,0,LKZ,1\nFIELD2=8,0\nFIELD3=10,0\nFIELD4=15,0,BIC,9\nFIELD5=30,0,IBAN,10\n");
  RecordConverter converter(layout, Directory(), 1);
  const std::string old = "oldbic" + std::string(9, '.') + "oldiban" + std::string(23, '.');
  struct Case {
    std::string record;
    std::string output;
  };
  // clang-format off
  const Case cases[] = {
      {"DE200000011234567897" + old, "DE200000011234567897AAAADEFFXXX    "
                                     "DE07200000011234567897        00\r\n"},
      // A bank without BIC: a blank BIC field of the field's width.
      {"DE200000021234567897" + old, "DE200000021234567897" + std::string(15, ' ') +
                                         "DE42200000021234567897        23\r\n"},
      // Nothing written: the fields keep their input.
      {"AT200000011234567897" + old, "AT200000011234567897" + old + "26\r\n"},
  };
  // clang-format on
  for (const Case& c : cases) {
    ASSERT_TRUE(converter.Convert(c.record));
    EXPECT_EQ(converter.output(), c.output);
    EXPECT_EQ(converter.output().size(), 65u + 4u);
  }
}

TEST(RecordConversion, SeparatedAppendedFields) {
  const RecordLayout layout = Layout(kFormatSeparated, ThreeFields(1));
  RecordConverter converter(layout, Directory(), 1);
  ASSERT_TRUE(converter.Convert("DE;20000001;1234567897;rest;more"));
  EXPECT_EQ(converter.output(),
            "DE;20000001;1234567897;rest;more;\"AAAADEFFXXX\";\"DE07200000011234567897\";00\r\n");
  ASSERT_TRUE(converter.Convert("AT;20000001;1234567897"));
  EXPECT_EQ(converter.output(), "AT;20000001;1234567897;\"\";\"\";26\r\n");
}

TEST(RecordConversion, LayoutsThatAddressMissingFieldsAreRefused) {
  RecordLayout layout = Layout(kFormatFixed);
  EXPECT_TRUE(LayoutIsAddressable(layout));
  layout.bankCodePosition = -1;
  EXPECT_FALSE(LayoutIsAddressable(layout));
  layout = Layout(kFormatFixed);
  layout.roles[kRoleNewIban - 1] = 12;
  EXPECT_FALSE(LayoutIsAddressable(layout));
}

}  // namespace
}  // namespace talvenor::batch
