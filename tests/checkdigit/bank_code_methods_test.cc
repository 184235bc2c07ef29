// Methods that depend on the bank code ("13", "52", "53", "B6", "C0").
#include <string>

#include <gtest/gtest.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "method_test_support.h"

namespace talvenor::checkdigit {
namespace {

constexpr long kPlainBank = 10020000;     // fourth character "2"
constexpr long kFourthIsFour = 10040000;  // fourth character "4"
constexpr long kEndsIn10111 = 10010111;   // last five digits 10111
constexpr long kPlaceBank = 12345678;     // digits 5-8: "5678"

// "13". Weights 2,1,2,1,2,1 from the right with cross sums throughout.
//   0123456600: positions 2-7 "123456": 3+5+8+3+4+1 = 24 -> 6 = position 8.
//   1234566 (0001234566): positions 2-7 "001234": 8+3+4+1 = 16 -> 4, not 5;
//     positions 4-9 "123456" -> 6 = position 10; shifted: 123456600.
//   12345676 (0012345676): positions 2-7 "012345": 1+4+6+2+2 = 15 -> 5, not 6;
//     positions 4-9 "234567": 5+6+1+4+6+2 = 24 -> 6; shifted: 1234567600.
//   12344 (0000012344): positions 2-7 "000012": 4+1 = 5 -> 5, not 3;
//     positions 4-9 "001234" -> 4; shifted: 0001234400 -> 1234400.
//   1234401 (0001234401): positions 2-7 "001234" -> 4 = position 8;
//     positions 4-9 "123440": 0+4+8+3+4+1 = 20 -> 0, not 1.
struct Case13 {
  const char* account;
  long bankCode;
  bool passes;
  const char* after;  // the account text the caller holds afterwards
};

TEST(BankCodeMethodsTest, ThirteenByBankCode) {
  // clang-format off
  const Case13 cases[] = {
      {"123456600", kPlainBank, true, "123456600"},
      {"1234566", kPlainBank, true, "123456600"},
      {"1234567", kPlainBank, false, "1234567"},
      {"1001234566", kPlainBank, false, "1001234566"},  // does not start with "00"
      {"12345676", kPlainBank, true, "1234567600"},
      {"12344", kPlainBank, true, "1234400"},
      {"1234401", kPlainBank, true, "1234401"},
      // Bank codes ending in 10111 allow the position-8 check only.
      {"123456600", kEndsIn10111, true, "123456600"},
      {"1234566", kEndsIn10111, false, "1234566"},
      // A "4" as fourth character: the account must start with "0" but not
      // with "00000"; positions 2-3 "00" skip the position-8 check, and only
      // accounts starting with "000" get the sub-account check.
      {"123456600", kFourthIsFour, true, "123456600"},
      {"1234566", kFourthIsFour, true, "123456600"},
      {"1234567", kFourthIsFour, false, "1234567"},
      {"12345676", kFourthIsFour, false, "12345676"},
      {"12344", kFourthIsFour, false, "12344"},
      {"1234401", kFourthIsFour, false, "1234401"},
  };
  // clang-format on
  for (const Case13& c : cases) {
    std::string account = c.account;
    EXPECT_EQ(verifyAccount(account, c.bankCode, CheckMethodCode("13")) != 0, c.passes)
        << c.account << " at " << c.bankCode;
    EXPECT_EQ(account, c.after) << c.account << " at " << c.bankCode;
  }
}

TEST(BankCodeMethodsTest, ThirteenRewriteReachesTheEntryPoint) {
  std::string adjusted = "untouched";
  EXPECT_EQ(verifyAccountNumber("0001234566", "10020000", CheckMethodCode("13"), adjusted), 1);
  EXPECT_EQ(adjusted, "123456600");
}

struct Case {
  const char* code;
  const char* account;
  long bankCode;
  bool passes;
};

// The place table on bank code 12345678 and the padded account, weights
// 2,4,8,5,10,9,7,3,6,1,2,4 from the right, the sixth character set aside:
//   "52" on 10345678: "5678"+"10"+"345678" = 567810345678;
//     16+28+48+25+40+27 + 1*3+8*6+7*1+6*2+5*4 = 274, 274 mod 11 = 10;
//     set aside "0" (weight 7): (10 + 0) mod 11 = 10: passes.
//   "52" on 12345678: same sum, set aside "2": (10 + 14) mod 11 = 2: fails.
//   "52" on 16345678: same sum, set aside "6": (10 + 42) mod 11 = 8: fails.
//   "52" on 10345678 at bank code 87654321: 432110345678, sum 217,
//     217 mod 11 = 8: fails.
//   "53" on 16345678: "5678"+"0"+"6", third place "1": 561806345678;
//     16+28+48+25+40+27 + 0*3+8*6+1*1+6*2+5*4 = 265, 265 mod 11 = 1;
//     set aside "6": (1 + 42) mod 11 = 10: passes.
//   "53" on 10345678: 561800345678, sum 265, set aside "0": 1: fails.
// Accounts starting with "9" are checked like "20" accounts, positions 1-9
// against position 10, weights 2,3,4,5,6,7,8,9,3 from the right:
//   9123456784: 16+21+24+25+24+21+16+9+27 = 183, 183 mod 11 = 7 -> 4.
//   (Weighing the whole account against 0 instead would give 193,
//   193 mod 11 = 6 -> 5, and fail it.)
TEST(BankCodeMethodsTest, FiftyTwoAndFiftyThree) {
  // clang-format off
  const Case cases[] = {
      {"52", "10345678", kPlaceBank, true},    {"52", "12345678", kPlaceBank, false},
      {"52", "16345678", kPlaceBank, false},   {"52", "10345678", 87654321, false},
      {"53", "16345678", kPlaceBank, true},    {"53", "10345678", kPlaceBank, false},
      {"52", "9123456784", kPlaceBank, true},  {"52", "9123456785", kPlaceBank, false},
      {"53", "9123456784", kPlaceBank, true},  {"53", "9123456785", kPlaceBank, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account, c.bankCode), c.passes) << c.code << " " << c.account;
  }
}

// "B6": "20" for accounts not starting with "0" and for 02691... to 02699...
//   0269123458 under "20": 10+12+12+10+6+63+48+18+0 = 179, mod 11 = 3 -> 8.
//   0269012346 under "20": 8+9+8+5+0+63+48+18 = 159, mod 11 = 5 -> 6, but
//   "02690" is outside the range, so the place table applies and fails it.
//   0269012345, place table variant 1: "5678"+"2"+"9", third place "6",
//   then "12345": 56682912345; 10+16+24+10+10 + 2*7+8*3+6*6+6*1+5*2 = 160,
//   160 mod 11 = 6; set aside "9" (weight 9): (6 + 81) mod 11 = 10: passes.
//   16345678 passes the place table as under "53"; "20" would expect
//   140 mod 11 = 8 -> 3.
// "C0": the place table (variant 0) only for exactly two leading zeros.
//   10345678 passes it (see "52"); under "20": 98 mod 11 = 10 -> 1, not 8.
//   12345679: place table sum 276, 276 mod 11 = 1, (1 + 14) mod 11 = 4
//   fails; "20": 14+18+20+20+18+14+8 = 112, mod 11 = 2 -> 9 passes.
//   2345678 (0002345678) would pass the place table (271 mod 11 = 7,
//   7 + 2*7 = 21, mod 11 = 10) but is not offered to it; "20": 104 -> 6.
TEST(BankCodeMethodsTest, BSixAndCZero) {
  // clang-format off
  const Case cases[] = {
      {"B6", "9123456784", kPlaceBank, true},  {"B6", "9123456785", kPlaceBank, false},
      {"B6", "269123458", kPlaceBank, true},   {"B6", "269012345", kPlaceBank, true},
      {"B6", "269012346", kPlaceBank, false},  {"B6", "16345678", kPlaceBank, true},
      {"B6", "16345678", 87654321, false},
      {"C0", "10345678", kPlaceBank, true},    {"C0", "12345679", kPlaceBank, true},
      {"C0", "12345678", kPlaceBank, false},   {"C0", "2345678", kPlaceBank, false},
      {"C0", "9123456784", kPlaceBank, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account, c.bankCode), c.passes) << c.code << " " << c.account;
  }
}

}  // namespace
}  // namespace talvenor::checkdigit
