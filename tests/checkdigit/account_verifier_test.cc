#include "checkdigit/account_verifier.h"

#include <gtest/gtest.h>

#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {
namespace {

constexpr int kNotHandled = 60000;  // "F0": well-formed, but no such method

TEST(CheckMethodCode, EncodesDigitsAndLetters) {
  struct Case {
    const char* code;
    int expected;
  };
  const Case cases[] = {
      {"00", 0},     {"09", 9},     {"99", 99},    {"A0", 10000}, {"A9", 10009},
      {"B3", 20003}, {"C7", 30007}, {"D0", 40000}, {"E4", 50004}, {"F0", 60000},
      {"0A", 10},    {"1B", 20},    {"", -1},      {"7", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckMethodCode(c.code), c.expected) << c.code;
}

TEST(MethodTable, NumbersExactlyTheHandledCodes) {
  for (int index = 0; index < kHandledMethodCount; ++index) {
    const std::string code = MethodCodeText(index);
    EXPECT_EQ(MethodTableIndex(CheckMethodCode(code)), index) << code;
  }
  EXPECT_EQ(MethodCodeText(0), "00");
  EXPECT_EQ(MethodCodeText(100), "A0");
  EXPECT_EQ(MethodCodeText(144), "E4");
  for (int code : {-1, 100, 9999, 10010, 19999, 50005, 50009, 60000}) {
    EXPECT_EQ(MethodTableIndex(code), -1) << code;
  }
}

TEST(MethodTable, EveryHandledCodeHasARule) {
  for (int index = 0; index < kHandledMethodCount; ++index) {
    const std::string code = MethodCodeText(index);
    EXPECT_NE(FindMethod(CheckMethodCode(code)), nullptr) << "no rule for method " << code;
  }
}

TEST(VerifyAccount, CodesOutsideTheHandledSetFail) {
  for (int code : {100, 9999, 10010, 50005, kNotHandled}) {
    std::string account = "1234567897";
    EXPECT_EQ(verifyAccount(account, 0, code), 0) << code;
  }
}

TEST(VerifyAccount, EmptyOrOverlongAccountsFail) {
  std::string empty;
  std::string eleven = "12345678901";
  EXPECT_EQ(verifyAccount(empty, 0, CheckMethodCode("09")), 0);
  EXPECT_EQ(verifyAccount(eleven, 0, CheckMethodCode("09")), 0);
}

TEST(VerifyAccountNumber, AccountsWithoutValueGiveMinusOne) {
  for (const char* account : {"", "0", "00000000000", "   ", "abc", "-5"}) {
    std::string adjusted = "untouched";
    EXPECT_EQ(verifyAccountNumber(account, "10000000", CheckMethodCode("09"), adjusted), -1)
        << '"' << account << '"';
    EXPECT_EQ(adjusted, "untouched");
  }
}

TEST(VerifyAccountNumber, NoMethodMeansNothingToCheck) {
  std::string adjusted = "untouched";
  EXPECT_EQ(verifyAccountNumber("1234567890", "10000000", -1, adjusted), 1);
  EXPECT_EQ(adjusted, "untouched");
}

TEST(VerifyAccountNumber, LeadingZerosAreRemovedBeforeTheLengthTest) {
  std::string adjusted;
  // Eleven characters with a leading zero are a ten-digit account.
  EXPECT_NE(verifyAccountNumber("01234567890", "", CheckMethodCode("09"), adjusted), 0);
  EXPECT_EQ(adjusted, "1234567890");
  // Eleven significant digits fail.
  EXPECT_EQ(verifyAccountNumber("12345678901", "", CheckMethodCode("09"), adjusted), 0);
}

TEST(VerifyAccountNumber, MethodNineAcceptsEveryLength) {
  for (std::size_t length = 1; length <= 10; ++length) {
    const std::string account = std::string("9876543211").substr(0, length);
    std::string adjusted;
    EXPECT_EQ(verifyAccountNumber(account, "", CheckMethodCode("09"), adjusted), 1) << account;
    EXPECT_EQ(adjusted, account);
  }
}

TEST(VerifyAccountNumber, UnhandledMethodFailsAndStillReportsTheAccount) {
  std::string adjusted;
  EXPECT_EQ(verifyAccountNumber("0001234", "10000000", kNotHandled, adjusted), 0);
  EXPECT_EQ(adjusted, "1234");
}

TEST(VerifySubAccountShift, ChecksPositionsFourToNine) {
  // Positions 4-9 "123456", weights 2,1,2,1,2,1 from the right with cross
  // sums: 3 + 5 + 8 + 3 + 4 + 1 = 24, expected 6.
  EXPECT_EQ(verifySubAccountShift("0001234566"), 1);
  EXPECT_EQ(verifySubAccountShift("0001234560"), 0);
  EXPECT_EQ(verifySubAccountShift("1234566"), 1);  // padded to 0001234566
  // Positions 4-6 "000" never pass.
  EXPECT_EQ(verifySubAccountShift("0000004566"), 0);
  EXPECT_EQ(verifySubAccountShift("00001234566"), 0);  // longer than ten
}

}  // namespace
}  // namespace talvenor::checkdigit
