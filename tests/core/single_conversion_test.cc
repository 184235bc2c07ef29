#include "core/single_conversion.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/account_text.h"
#include "core/iban.h"
#include "core/rule_engine.h"
#include "editions/builtin_directory.h"

namespace talvenor {
namespace {

// A DEBUG.INI in a fresh temporary folder, removed afterwards.
class DebugIni {
 public:
  explicit DebugIni(const std::string& content) {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("talvenor_debug_ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    std::ofstream(path()) << content;
  }
  ~DebugIni() { std::filesystem::remove_all(folder_); }
  std::filesystem::path path() const { return folder_ / "DEBUG.INI"; }

 private:
  std::filesystem::path folder_;
};

SingleConversionOutcome Convert(std::string_view bank, std::string_view account,
                                const std::filesystem::path& debugIni = {}) {
  return ConvertSingle(editions::BuiltinDirectory(), bank, account, debugIni);
}

TEST(ConvertSingle, InvalidBankCodes) {
  for (const char* bank :
       {"1000000", "01000000", "91000000", "99999999", "10000009", "", "100000000"}) {
    const auto outcome = Convert(bank, "1234567890");
    EXPECT_EQ(outcome.status, SingleConversionStatus::InvalidBankCode) << bank;
    EXPECT_EQ(outcome.bankName, "");
    EXPECT_EQ(outcome.verdict, "");
  }
}

TEST(ConvertSingle, BankCodeIsCheckedBeforeTheAccount) {
  EXPECT_EQ(Convert("1000000", "").status, SingleConversionStatus::InvalidBankCode);
  EXPECT_EQ(Convert("10000000", "").status, SingleConversionStatus::MissingAccount);
}

TEST(ConvertSingle, ConvertsWithNameBicAndIban) {
  const auto outcome = Convert("37050198", "1234567897");
  EXPECT_EQ(outcome.status, SingleConversionStatus::Converted);
  EXPECT_EQ(outcome.bankName, "Sparkasse K\xC3\xB6lnBonn");
  EXPECT_EQ(outcome.bic, "COLSDE33XXX");
  EXPECT_EQ(outcome.iban, FormIban("37050198", "1234567897"));
  EXPECT_EQ(outcome.deletionNotice, "");
  EXPECT_EQ(outcome.accountText, "1234567897");
  EXPECT_FALSE(outcome.notReleased);
  EXPECT_EQ(outcome.emphasise, ResultNumber(outcome.resultCode) == 11);
}

TEST(ConvertSingle, SuccessorIsUsedButTheEnteredBankKeepsItsName) {
  const auto outcome = Convert("38050000", "1234567897");
  EXPECT_EQ(outcome.status, SingleConversionStatus::Converted);
  EXPECT_EQ(outcome.bankName, "Sparkasse Bonn -alt-");
  EXPECT_NE(outcome.deletionNotice.find("Das Nachfolgeinstitut hat die BLZ: 37050198."),
            std::string::npos);
  EXPECT_EQ(outcome.bic, "COLSDE33XXX");
  EXPECT_EQ(outcome.iban, FormIban("37050198", "1234567897"));
}

TEST(ConvertSingle, UnreleasedBankIsEmphasisedAndWarned) {
  const auto outcome = Convert("21000000", "1234567897");
  EXPECT_EQ(ResultNumber(outcome.resultCode), 50);
  EXPECT_TRUE(outcome.emphasise);
  EXPECT_TRUE(outcome.notReleased);
  EXPECT_FALSE(outcome.iban.empty());
  EXPECT_NE(outcome.deletionNotice.find("Ein Nachfolgeinstitut ist nicht angegeben."),
            std::string::npos);
}

TEST(ConvertSingle, DebugIniOverridesTheRuleOfTheBankInUse) {
  // 21000000 has rule 100; a value of 0 releases it, -1 or a missing key or
  // file leaves it.
  const DebugIni released("[USEREGEL]\n21000000=0\n10000000=100\n");
  EXPECT_NE(ResultNumber(Convert("21000000", "1234567897", released.path()).resultCode), 50);
  EXPECT_FALSE(Convert("21000000", "1234567897", released.path()).notReleased);
  EXPECT_EQ(ResultNumber(Convert("10000000", "1234567897", released.path()).resultCode), 50);
  EXPECT_TRUE(Convert("10000000", "1234567897", released.path()).notReleased);

  const DebugIni negative("[useregel]\n21000000=-1\n");
  EXPECT_EQ(ResultNumber(Convert("21000000", "1234567897", negative.path()).resultCode), 50);
  EXPECT_EQ(ResultNumber(Convert("21000000", "1234567897", "/nonexistent/DEBUG.INI").resultCode),
            50);
  EXPECT_EQ(ResultNumber(Convert("21000000", "1234567897", {}).resultCode), 50);
}

TEST(ConvertSingle, DebugIniIsLookedUpUnderTheSuccessorsBankCode) {
  // 38050000 (rule 0) is resolved to 37050198: only the successor's key counts.
  const DebugIni bySuccessor("[USEREGEL]\n37050198=100\n");
  EXPECT_EQ(ResultNumber(Convert("38050000", "1234567897", bySuccessor.path()).resultCode), 50);
  const DebugIni byEntered("[USEREGEL]\n38050000=100\n");
  EXPECT_NE(ResultNumber(Convert("38050000", "1234567897", byEntered.path()).resultCode), 50);
}

TEST(ConvertSingle, DebugIniIsReadOnEveryRequest) {
  auto ini = std::make_unique<DebugIni>("[USEREGEL]\n10000000=100\n");
  const auto path = ini->path();
  EXPECT_EQ(ResultNumber(Convert("10000000", "1234567897", path).resultCode), 50);
  std::ofstream(path) << "[USEREGEL]\n10000000=-1\n";
  EXPECT_NE(ResultNumber(Convert("10000000", "1234567897", path).resultCode), 50);
}

TEST(ConvertSingle, AccountTextIsReturnedAsTheEngineLeftIt) {
  const auto outcome = Convert("37050198", " 0012345 ");
  EXPECT_EQ(outcome.accountText, "0012345");
}

TEST(AccountText, PrefixPaddingAndZeros) {
  EXPECT_EQ(AccountPrefix("1234567"), 0);
  EXPECT_EQ(AccountPrefix("12345678"), 1);
  EXPECT_EQ(AccountPrefix("8512345678"), 851);
  EXPECT_EQ(AccountPrefix("0852345678"), 85);
  EXPECT_EQ(PadAccount("123"), "0000000123");
  EXPECT_EQ(PadAccount("12345678901"), "12345678901");
  EXPECT_EQ(WithoutLeadingZeros("000120"), "120");
  EXPECT_EQ(WithoutLeadingZeros("000"), "");
  std::string padded = "keeps nothing of this";
  PadAccountInto("42", padded);
  EXPECT_EQ(padded, "0000000042");
}

}  // namespace
}  // namespace talvenor
