// Methods that try a list of variants in order ("51", "73", "80", "81",
// "83", "84", "85", "86", "87", "90", "91").
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "method_test_support.h"
#include "platform/clock.h"

namespace talvenor::checkdigit {
namespace {

using Case = MethodCase;

void ExpectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes) << c.code << " " << c.account;
  }
}

// Most cases use the account 123456c (positions 4-9 "123456", check digit
// c at position 10). Each variant expects this digit for it:
//   mod 11, pos 4-9, weights 2..7: 6*2+5*3+4*4+3*5+2*6+1*7 = 77, 77 mod 11 = 0  -> 0
//   mod 11, pos 5-9, weights 2..6: 70, 70 mod 11 = 4                          -> 7
//   mod 7,  pos 5-9, weights 2..6: 70 mod 7 = 0                                -> 0
//   mod 9,  pos 5-9, weights 2..6: 70 mod 9 = 7                                -> 2
//   mod 10, pos 4-9, 2,1,2,1,2,1, cross sums: 3+5+8+3+4+1 = 24                -> 6
//   mod 10, pos 5-9, 2,1,2,1,2, cross sums:   3+5+8+3+4 = 23                  -> 7
//   mod 7,  pos 5-9, 2,1,2,1,2, cross sums:   23 mod 7 = 2                     -> 5
//   mod 10, pos 5-9, 2,1,2,1,2, plain:        12+5+8+3+4 = 32                  -> 8
//   mod 7,  pos 4-9, 2,1,2,1,2,1, plain:      32+1 = 33, 33 mod 7 = 5          -> 2
//
// The account 3947614 (positions 4-9 "394761") passes only modulus 7:
//   mod 11, pos 4-9: 1*2+6*3+7*4+4*5+9*6+3*7 = 143 = 13*11    -> 0
//   mod 11, pos 5-9: 122, 122 mod 11 = 1, remainder 10        -> 0
//   mod 10 cross, pos 4-9: 2+6+5+4+9+3 = 29                    -> 1
//   mod 7, pos 5-9: 122 mod 7 = 3                              -> 4
//
// With "9" at position 3 the accounts 109123456c follow thirdDigitNineRule:
//   pos 3-9 "9123456", weights 2..8: 12+15+16+15+12+7+72 = 149, mod 11 = 6 -> 5
//   pos 1-9, weights 2..10: 149 + 1*10 = 159, 159 mod 11 = 5               -> 6

TEST(VariantChainMethodsTest, ThirdDigitNineRuleReplacesTheOwnVariants) {
  // clang-format off
  ExpectAll({
      {"81", "1091234565", true},   // positions 3-9
      {"81", "1091234566", true},   // whole body, after positions 3-9 failed
      {"81", "1091234567", false},  // neither
      {"81", "1091234560", false},  // 0 would pass positions 4-9, not tried
      {"51", "1091234566", true},  {"51", "1091234560", false},
      {"73", "1091234566", true},  {"73", "1091234564", false},
      {"80", "1091234565", true},  {"80", "1091234567", false},
      {"84", "1091234566", true},  {"84", "1091234567", false},
      {"86", "1091234565", true},  {"86", "1091234560", false},
      {"87", "1091234566", true},  {"87", "1091234560", false},
  });
  // clang-format on
}

TEST(VariantChainMethodsTest, EachVariantCanPassOnItsOwn) {
  // clang-format off
  ExpectAll({
      {"51", "1234560", true},   // mod 11 on 4-9
      {"51", "1234567", true},   // mod 11 on 5-9
      {"51", "1234566", true},   // mod 10 on 4-9
      {"51", "3947614", true},   // mod 7 on 5-9
      {"51", "3947613", false},  //
      {"73", "1234566", true},   // mod 10 on 4-9
      {"73", "1234567", true},   // mod 10 on 5-9
      {"73", "1234565", true},   // mod 7 with cross sums
      {"73", "1234564", false},  //
      {"80", "1234567", true},   // mod 10 on 5-9
      {"80", "1234565", true},   // mod 7 with cross sums
      {"80", "1234566", false},  // 6 is mod 10 on 4-9, not a variant of "80"
      {"81", "1234560", true},   // mod 11 on 4-9
      {"81", "1234567", false},  // 7 is mod 11 on 5-9, not a variant of "81"
      {"84", "1234567", true},   // mod 11 on 5-9
      {"84", "1234560", true},   // mod 7 on 5-9
      {"84", "1234568", true},   // plain mod 10 on 5-9
      {"84", "1234566", false},  //
      {"86", "1234566", true},   // mod 10 on 4-9
      {"86", "1234560", true},   // mod 11 on 4-9
      {"86", "1234567", false},  //
  });
  // clang-format on
}

// "83" and "85": positions 3-4 "99" select modulus 11 on positions 3-9 only:
// "9912345", weights 2..8: 10+12+12+10+6+63+72 = 185, 185 mod 11 = 9 -> 2.
// The digit 8 would pass modulus 11 on 4-9 (113 mod 11 = 3 -> 8), and is a
// high check digit for "85"; neither applies.
TEST(VariantChainMethodsTest, NinetyNineAtPositionsThreeAndFour) {
  // clang-format off
  ExpectAll({
      {"83", "0099123452", true},  {"83", "0099123458", false},
      {"85", "0099123452", true},  {"85", "0099123458", false},
      {"83", "1234560", true},     {"83", "1234567", true},
      {"83", "3947614", true},     {"83", "1234568", false},
  });
  // clang-format on
}

// 1234568: both modulus-11 variants (0, 7) fail. "85" then passes any check
// digit 7, 8 or 9; "51" and "83" go on to variants that cannot give 8.
TEST(VariantChainMethodsTest, HighCheckDigitPassesEightyFiveOnly) {
  // clang-format off
  ExpectAll({
      {"85", "1234568", true},  {"85", "1234569", true},
      {"85", "1234567", true},  {"51", "1234568", false},
      {"51", "1234569", false}, {"83", "1234568", false},
      {"85", "1234560", true},  {"85", "3947614", true},  // mod 11, then mod 7
      {"85", "1234561", false}, {"85", "3947613", false},
  });
  // clang-format on
}

// tableMethod87 on 123456c: start at position 4 (c = 0, b = 0, s = 0):
//   1 -> 6: s = 12-6 = 6,  c = b = 1      2 -> 2: s = 8,  c = 0, b = 1
//   3 -> 3: s = 5,  c = 1                 4 -> 4: s = 9,  c = 0
//   5 -> 10: s = 9+10-12 = 7, c = 1, b = 0
//   6 -> 1: s = 6, c = 0
// s = 6 -> 1, b = 0: row B[1] = 4. The other variants expect 7, 0, 0.
// On 12345c (position 4 "0"), start at position 5 (c = 1, b = 0, s = 0):
//   1 -> 6: s = -6, c = 0, b = 1          2 -> 2: s = -8, c = 1
//   3 -> 3: s = -5, c = 0                 4 -> 4: s = -9, c = 1
//   5 -> 10: s = 1, c = b = 0
// s = 1, b = 0: B[1] = 4, and 9 because position 4 is "0". The other
// variants on "012345" expect 50 mod 11 = 6 -> 5, 50 mod 7 = 1 -> 6, and 5.
// On 712345c, start at position 4 (c = 0, b = 0, s = 0):
//   7 -> 7: s = 12-7 = 5, c = b = 1       1 -> 6: s = 11, c = b = 0
//   2 -> 2: s = 13, c = 1                 3 -> 3: s = 10, c = 0
//   4 -> 4: s = 14, c = 1                 5 -> 10: s = 4, c = 0, b = 1
// s = 4, b = 1: row A[4] = 8. The other variants expect 5, 6 and
// (50 + 7*7 = 99) 0.
TEST(VariantChainMethodsTest, TableMethodOfEightySeven) {
  // clang-format off
  ExpectAll({
      {"87", "1234564", true},   // the table value
      {"87", "1234569", false},  // its counterpart only counts with "0" at position 4
      {"87", "1234567", true},   // mod 11 on 5-9
      {"87", "1234560", true},   // mod 7 on 5-9
      {"87", "123454", true},    // the table value
      {"87", "123459", true},    // the counterpart, position 4 being "0"
      {"87", "123455", true},    // mod 11 on 5-9
      {"87", "123456", true},    // mod 7 on 5-9
      {"87", "123453", false},
      {"87", "7123458", true},   // the table value
      {"87", "7123453", false},  // no counterpart: position 4 is "7"
  });
  // clang-format on
}

// With positions 4-9 all "0" no table value exists: the table variant fails
// and the later variants decide (every sum is 0, so they expect 0).
TEST(VariantChainMethodsTest, EightySevenWithoutAStartDigit) {
  ExpectAll({
      {"87", "1230000000", true},
      {"87", "1230000005", false},
      {"87", "1", false},
  });
}

// "90": "9" at position 3 allows positions 3-9 only (109123456c: 5, not 6).
// The account 123123c: mod 11 on 4-9: 50 mod 11 = 6 -> 5; mod 11 on 5-9:
// 43 mod 11 = 10 -> 1; mod 7: 43 mod 7 = 1 -> 6; mod 9: 43 mod 9 = 7 -> 2;
// plain mod 10: 6+2+2+3+4 = 17 -> 3.
TEST(VariantChainMethodsTest, NinetyVariants) {
  // clang-format off
  ExpectAll({
      {"90", "0091234565", true},  {"90", "1091234565", true},
      {"90", "1091234566", false},  // the whole body does not count here
      {"90", "1234560", true},     {"90", "1234567", true},
      {"90", "1231236", true},     {"90", "1231232", true},
      {"90", "1234568", true},     {"90", "1234563", false},
  });
  // clang-format on
}

// The account 1111115 passes only the dated variant: mod 11 on 4-9: 27 -> 6;
// on 5-9: 20 -> 2; mod 7: 20 mod 7 = 6 -> 1; mod 9: 20 mod 9 = 2 -> 7;
// plain mod 10: 8 -> 2; dated mod 7 on 4-9, 2,1,2,1,2,1: 9 mod 7 = 2 -> 5.
TEST(VariantChainMethodsTest, NinetyDatedVariantFromNinthJune2014) {
  using namespace std::chrono;
  {
    platform::ScopedClockOverride pin(year{2014} / June / 8);
    EXPECT_FALSE(Passes("90", "1111115"));
    EXPECT_TRUE(Passes("90", "1231232"));  // the undated variants still apply
  }
  {
    platform::ScopedClockOverride pin(year{2014} / June / 9);
    EXPECT_TRUE(Passes("90", "1111115"));
    EXPECT_FALSE(Passes("90", "1111114"));
  }
}

// "91" checks position 7. Positions 1-6 "123456":
//   weights 2..7: 77 -> 0;  weights 7..2: 42+30+20+12+6+2 = 112, mod 11 = 2 -> 9
//   whole account, weights 2,3,4,0,5,6,7,8,9,10 from the right:
//     30+30+28+24+18+10 = 140 plus 4*pos8 + 3*pos9 + 2*pos10;
//     with "000": 140 mod 11 = 8 -> 3; with "001": 142 mod 11 = 10 -> 1
//   weights 2,4,8,5,10,9: 12+20+32+15+20+9 = 108, mod 11 = 9 -> 2
TEST(VariantChainMethodsTest, NinetyOneChecksPositionSeven) {
  // clang-format off
  ExpectAll({
      {"91", "1234560000", true},  {"91", "1234569000", true},
      {"91", "1234563000", true},  {"91", "1234562000", true},
      {"91", "1234561001", true},  {"91", "1234561000", false},
      {"91", "1234564000", false},
  });
  // clang-format on
}

}  // namespace
}  // namespace talvenor::checkdigit
