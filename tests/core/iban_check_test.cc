// The IBAN check over the built-in directory, one step's failure at a time.
#include "core/iban_check.h"

#include <gtest/gtest.h>

#include "core/iban.h"
#include "editions/builtin_directory.h"

namespace talvenor {
namespace {

IbanCheck Check(std::string_view text) { return CheckIban(editions::BuiltinDirectory(), text); }

TEST(IbanCheck, ValidAccountIsPlausibleWithBankAndBic) {
  const IbanCheck check = Check("DE98370501981234567897");
  EXPECT_EQ(check.code, IbanCheckCode::kPlausible);
  EXPECT_TRUE(check.plausible());
  EXPECT_EQ(check.verdict, "IBAN plausibel.");
  EXPECT_EQ(check.country, "DE");
  EXPECT_TRUE(check.checksumValid);
  EXPECT_EQ(check.bankCode, "37050198");
  EXPECT_EQ(check.account, "1234567897");
  EXPECT_EQ(check.bic, "COLSDE33XXX");
  EXPECT_EQ(check.accountValid, std::optional<bool>(true));
  EXPECT_EQ(check.ruleIban, "DE98370501981234567897");
  EXPECT_EQ(check.paperIban, "DE98 3705 0198 1234 5678 97");
  EXPECT_FALSE(check.bankName.empty());
}

TEST(IbanCheck, PaperFormSmallLettersAndSurroundingBlanksAreAccepted) {
  for (const char* text : {"de98 3705 0198 1234 5678 97", "  DE98370501981234567897\t",
                           "De98 3705 0198 1234 5678 97 "}) {
    const IbanCheck check = Check(text);
    EXPECT_EQ(check.code, IbanCheckCode::kPlausible) << text << ": " << check.verdict;
    EXPECT_EQ(check.iban, "DE98370501981234567897") << text;
  }
}

TEST(IbanCheck, WrongCheckDigitsEndTheCheck) {
  const IbanCheck check = Check("DE99370501981234567897");
  EXPECT_EQ(check.code, IbanCheckCode::kWrongCheckDigits);
  EXPECT_FALSE(check.checksumValid);
  EXPECT_TRUE(check.bankCode.empty());
  EXPECT_TRUE(check.bankName.empty());
}

TEST(IbanCheck, BankCodeNotInTheDirectory) {
  const std::string iban = FormIban("12345679", "1234567897");  // correct check digits
  const IbanCheck check = Check(iban);
  EXPECT_TRUE(check.checksumValid);
  EXPECT_EQ(check.code, IbanCheckCode::kUnknownBankCode);
  EXPECT_EQ(check.bankCode, "12345679");
  EXPECT_NE(check.verdict.find("12345679"), std::string::npos);
}

TEST(IbanCheck, AccountFailingTheBanksMethod) {
  const IbanCheck check = Check("DE93370501981234567890");
  EXPECT_EQ(check.code, IbanCheckCode::kAccountInvalid);
  EXPECT_EQ(check.accountValid, std::optional<bool>(false));
  EXPECT_NE(check.verdict.find("Methode " + check.checkMethod), std::string::npos);
}

TEST(IbanCheck, DonationAccountTheRuleReplaces) {
  // The rule forms this IBAN from 37050198 and 8888: it is consistent.
  const IbanCheck produced = Check("DE42370501981901335750");
  EXPECT_EQ(produced.code, IbanCheckCode::kPlausible) << produced.verdict;
  // The IBAN formed from 8888 directly is not the one the rule gives.
  const IbanCheck direct = Check("DE52370501980000008888");
  EXPECT_TRUE(direct.checksumValid);
  EXPECT_EQ(direct.code, IbanCheckCode::kRuleFormsOther);
  EXPECT_EQ(direct.ruleIban, "DE42370501981901335750");
  EXPECT_NE(direct.verdict.find("DE42 3705 0198 1901 3357 50"), std::string::npos);
}

TEST(IbanCheck, CommerzbankBicComesFromTheRule) {
  const IbanCheck check = Check("DE89370400440532013000");
  EXPECT_EQ(check.code, IbanCheckCode::kPlausible) << check.verdict;
  EXPECT_EQ(check.bic, "COBADEFFXXX");
  EXPECT_EQ(check.ruleNumber, 503);
}

TEST(IbanCheck, ForeignIbansGetLengthAndCheckDigitsOnly) {
  const IbanCheck austrian = Check("AT61 1904 3002 3457 3201");
  EXPECT_EQ(austrian.code, IbanCheckCode::kNotGerman);
  EXPECT_TRUE(austrian.checksumValid);
  EXPECT_EQ(austrian.country, "AT");
  EXPECT_TRUE(austrian.bankCode.empty());
  EXPECT_EQ(Check("AT62 1904 3002 3457 3201").code, IbanCheckCode::kWrongCheckDigits);
  EXPECT_EQ(Check("AT61 1904 3002 3457 3201 1").code, IbanCheckCode::kWrongShape);
  EXPECT_EQ(Check("GB82WEST12345698765432").code, IbanCheckCode::kNotGerman);
  EXPECT_EQ(Check("ZZ82WEST12345698765432").code, IbanCheckCode::kWrongShape);
  EXPECT_EQ(Check("DE9837050198123456789").code, IbanCheckCode::kWrongShape);  // 21 characters
}

TEST(IbanCheck, TextsThatAreNoIban) {
  const std::string forty(40, '1');
  for (const std::string& text :
       {std::string(), std::string("   "), std::string("DE98 3705"),
        std::string("DE98370501981234S67897"), "DE" + forty,
        std::string("DE98370501981234\n567897"),
        std::string("DE98\x01"
                    "370501981234567897"),
        std::string("DE98  3705 0198 1234 5678 97"), std::string("DE983 705 0198 1234 5678 97"),
        std::string("DE98-3705-0198-1234-5678-97"), std::string("9898370501981234567897"),
        std::string("DE98 370501981234567897"), std::string("DE98370501981234567897\xc3\xa4")}) {
    const IbanCheck check = Check(text);
    EXPECT_EQ(check.code, IbanCheckCode::kNoIban) << text;
    EXPECT_TRUE(check.verdict.starts_with("Keine IBAN: ")) << check.verdict;
    EXPECT_TRUE(check.iban.empty()) << text;
  }
}

TEST(IbanCheck, CountryLengthsOfTheRegistry) {
  EXPECT_EQ(IbanLengthOf("DE"), 22);
  EXPECT_EQ(IbanLengthOf("NO"), 15);
  EXPECT_EQ(IbanLengthOf("RU"), 33);
  EXPECT_EQ(IbanLengthOf("AD"), 24);
  EXPECT_EQ(IbanLengthOf("YE"), 30);
  EXPECT_EQ(IbanLengthOf("US"), 0);
  EXPECT_EQ(IbanLengthOf("D"), 0);
}

}  // namespace
}  // namespace talvenor
