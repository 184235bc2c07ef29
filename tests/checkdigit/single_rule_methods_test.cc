// Tests of the check-digit methods that are one fixed computation.
//
// Unless a comment says otherwise an account's body (positions 1-9) is
// 123456789, so position p holds the digit p. Products are listed from the
// rightmost weighted position to the leftmost, "s" is their sum and "->"
// names the digit the method expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "method_test_support.h"

namespace talvenor::checkdigit {
namespace {

// How many of the ten accounts `body` + "0" ... `body` + "9" pass `code`.
int PassingCheckDigits(const char* code, const std::string& body) {
  int passing = 0;
  for (char check = '0'; check <= '9'; ++check) passing += Passes(code, body + check) ? 1 : 0;
  return passing;
}

using Case = MethodCase;

void ExpectCases(std::span<const Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes)
        << "method " << c.code << ", account " << c.account;
  }
}

TEST(SingleRuleMethods, EachMethodAcceptsItsCheckDigitAndRejectsAnother) {
  static constexpr Case kCases[] = {
      // "00": cross sums 9+8+5+6+1+4+6+2+2 = 43 -> 7.
      {"00", "1234567897", true},
      {"00", "1234567890", false},
      // "01": 27+56+7+18+35+4+9+14+1 = 171 -> 9.
      {"01", "1234567899", true},
      {"01", "1234567897", false},
      // "02": 18+24+28+30+30+28+24+18+2 = 202, mod 11 = 4 -> 7.
      {"02", "1234567897", true},
      {"02", "1234567890", false},
      // "03": plain products 18+8+14+6+10+4+6+2+2 = 70 -> 0.
      {"03", "1234567890", true},
      {"03", "1234567897", false},
      // "04": 18+24+28+30+30+28+6+6+4 = 174, mod 11 = 9 -> 2.
      {"04", "1234567892", true},
      {"04", "1234567897", false},
      // "05": 63+24+7+42+15+4+21+6+1 = 183 -> 7.
      {"05", "1234567897", true},
      {"05", "1234567899", false},
      // "06": s = 174 as for "04" -> 2.
      {"06", "1234567892", true},
      {"06", "1234567890", false},
      // "07": body 123456788: 16+24+28+30+30+28+24+18+10 = 208, mod 11 = 10 -> 1.
      {"07", "1234567881", true},
      {"07", "1234567880", false},
      {"09", "1234567890", true},
      // "10": 18+24+28+30+30+28+24+18+10 = 210, mod 11 = 1, 11 - 1 = 10 -> 0.
      {"10", "1234567890", true},
      {"10", "1234567891", false},
      // "11": s = 210 as for "10", 11 - 1 = 10 -> 9.
      {"11", "1234567899", true},
      {"11", "1234567890", false},
      // "12": 9+24+49+6+15+28+3+6+7 = 147 -> 3.
      {"12", "1234567893", true},
      {"12", "1234567897", false},
      // "14": positions 4-9: 18+24+28+30+30+28 = 158, mod 11 = 4 -> 7.
      {"14", "1234567897", true},
      {"14", "1234567892", false},
      // "15": positions 6-9: 18+24+28+30 = 100, mod 11 = 1, 11 - 1 = 10 -> 0.
      {"15", "1234567890", true},
      {"15", "1234567891", false},
      // "16": s = 174 as for "04" -> 2.
      {"16", "1234567892", true},
      {"16", "1234567899", false},
      // "17": positions 2-7 from the left: 2, 6, 4, cross(10) = 1, 6,
      // cross(14) = 5; s = 24, (24 - 1) mod 11 = 1 -> 9 at position 8.
      {"17", "1234567912", true},
      {"17", "1234567812", false},
      // "18": 27+72+49+6+15+36+21+2+3 = 231 -> 9.
      {"18", "1234567899", true},
      {"18", "1234567897", false},
      // "19": 18+24+28+30+30+28+24+18+1 = 201, mod 11 = 3 -> 8.
      {"19", "1234567898", true},
      {"19", "1234567897", false},
      // "20": 200 + 3 = 203, mod 11 = 5 -> 6.
      {"20", "1234567896", true},
      {"20", "1234567898", false},
      // "21": cross sums total 43, reduced 4 + 3 = 7 -> 3 ("00" would want 7).
      {"21", "1234567893", true},
      {"21", "1234567897", false},
      // "22": units of the products 7+8+1+6+5+4+9+2+3 = 45 -> 5.
      {"22", "1234567895", true},
      {"22", "1234567897", false},
      // "25": body 123456788: s = 208 as for "07", mod 11 = 10 -> 11 - 10 = 1.
      {"25", "1234567881", true},
      {"25", "1234567880", false},
      // "28": positions 1-7: 14+18+20+20+18+14+8 = 112, mod 11 = 2 -> 9 at position 8.
      {"28", "1234567900", true},
      {"28", "1234567800", false},
      // "29": transformed digits 1+2+4+9+7+6+5+5+6 = 45 -> 5.
      {"29", "1234567895", true},
      {"29", "1234567897", false},
      // "30": from the left 2 (pos 1) + 6 + 14 + 8 + 18 (pos 6-9) = 48 -> 2.
      {"30", "1234567892", true},
      {"30", "1234567897", false},
      // "31": body 123456788: squares 1+4+...+64 + 8*9 = 276, mod 11 = 1 -> 1.
      {"31", "1234567881", true},
      {"31", "1234567880", false},
      // "32": positions 4-9: s = 158 as for "14" -> 7.
      {"32", "1234567897", true},
      {"32", "1234567890", false},
      // "33": positions 5-9: 18+24+28+30+30 = 130, mod 11 = 9 -> 2.
      {"33", "1234567892", true},
      {"33", "1234567897", false},
      // "34": positions 1-7: 14+24+40+20+30+18+7 = 153, mod 11 = 10 -> 1 at position 8.
      {"34", "1234567100", true},
      {"34", "1234567800", false},
      // "35": s = 210 as for "10", mod 11 = 1 -> 1.
      {"35", "1234567891", true},
      {"35", "1234567890", false},
      // "36": positions 6-9: 18+32+56+30 = 136, mod 11 = 4 -> 7.
      {"36", "1234567897", true},
      {"36", "1234567891", false},
      // "37": 136 + 5*10 = 186, mod 11 = 10 -> 1.
      {"37", "1234567891", true},
      {"37", "1234567897", false},
      // "38": 186 + 4*9 = 222, mod 11 = 2 -> 9.
      {"38", "1234567899", true},
      {"38", "1234567891", false},
      // "39": 222 + 3*7 = 243, mod 11 = 1, 11 - 1 = 10 -> 0.
      {"39", "1234567890", true},
      {"39", "1234567899", false},
      // "40": 243 + 2*3 + 1*6 = 255, mod 11 = 2 -> 9.
      {"40", "1234567899", true},
      {"40", "1234567890", false},
      // "42": positions 2-9: 210 - 1*10 = 200, mod 11 = 2 -> 9.
      {"42", "1234567899", true},
      {"42", "1234567890", false},
      // "43": 9+16+21+24+25+24+21+16+9 = 165 -> 5.
      {"43", "1234567895", true},
      {"43", "1234567890", false},
      // "44": positions 5-9: s = 186 as for "37", mod 11 = 10 -> 1.
      {"44", "1234567891", true},
      {"44", "1234567890", false},
      // "46": positions 3-7: 14+18+20+20+18 = 90, mod 11 = 2 -> 9 at position 8.
      {"46", "1234567900", true},
      {"46", "1234567800", false},
      // "47": positions 4-8: 16+21+24+25+24 = 110, mod 11 = 0 -> 0 at position 9.
      {"47", "1234567800", true},
      {"47", "1234567890", false},
      // "48": positions 3-8: 110 + 3*7 = 131, mod 11 = 10 -> 1 at position 9.
      {"48", "1234567810", true},
      {"48", "1234567800", false},
      // "54": positions 3-9: 18+24+28+30+30+28+6 = 164, mod 11 = 10 -> 1.
      {"54", "1234567891", true},
      {"54", "1234567890", false},
      // "55": 18+24+28+30+30+28+24+14+8 = 204, mod 11 = 6 -> 5.
      {"55", "1234567895", true},
      {"55", "1234567890", false},
      // "56": s = 174 as for "04" -> 2.
      {"56", "1234567892", true},
      {"56", "1234567897", false},
      // "60": positions 3-9, cross sums 9+8+5+6+1+4+6 = 39 -> 1.
      {"60", "1234567891", true},
      {"60", "1234567897", false},
      // "62": positions 3-7, cross sums 5+6+1+4+6 = 22 -> 8 at position 8.
      {"62", "1234567800", true},
      {"62", "1234567900", false},
      // "67": positions 1-7, cross sums 5+6+1+4+6+2+2 = 26 -> 4 at position 8.
      {"67", "1234567400", true},
      {"67", "1234567800", false},
      // "72": positions 4-9, cross sums 9+8+5+6+1+4 = 33 -> 7.
      {"72", "1234567897", true},
      {"72", "1234567890", false},
      // "77": positions 6-10 of 0000012343: 3*1+4*2+3*3+2*4+1*5 = 33 = 3*11.
      // 12344: 34 and 4*5+4*4+3*3+2*4+1*5 = 58, neither divisible by 11.
      {"77", "12343", true},
      {"77", "12344", false},
      // "92": positions 4-9: 27+56+7+18+35+4 = 147 -> 3.
      {"92", "1234567893", true},
      {"92", "1234567897", false},
      // "94": cross sums 9+7+7+3+5+8+3+4+1 = 47 -> 3.
      {"94", "1234567893", true},
      {"94", "1234567897", false},
      // "97": 123456789 mod 11 = 9-8+7-6+5-4+3-2+1 = 5 -> 5.
      {"97", "1234567895", true},
      {"97", "1234567890", false},
      // "D7": cross sums total 43, the remainder 3 itself is the digit.
      {"D7", "1234567893", true},
      {"D7", "1234567897", false},
      // "E0": 43 + 7 = 50 -> 0.
      {"E0", "1234567890", true},
      {"E0", "1234567897", false},
      // "E1": positions 1-9 of 0123456784 by character code, from the right:
      // 56*1 + 55*2 + 54*3 + 53*4 + 52*5 + 51*6 + 50*11 + 49*10 + 48*9 =
      // 2578, mod 11 = 4 -> 4.
      {"E1", "123456784", true},
      {"E1", "123456780", false},
  };
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, RemainderTenFollowsEachMethodsOwnRule) {
  // clang-format off
  static constexpr Case kCases[] = {
      // s = 210 with weights 2 to 10: 210 mod 11 = 1, so 11 - 1 = 10.
      {"10", "1234567890", true},   // written as 0
      {"07", "1234567890", false},  // no digit is right
      {"11", "1234567899", true},   // written as 9
      {"11", "1234567890", false},
      // Body 123456799 with weights 2,3,4,5,6,7,2,3,4: 174 + 1*3 = 177 = 16*11 + 1.
      {"06", "1234567990", true},   // written as 0
      {"16", "1234567999", true},   // written as position 9
      {"16", "1234567990", false},
      // "35" with body 123456788: s = 208 mod 11 = 10 itself, so position 9.
      {"35", "1234567888", true},
      {"35", "1234567880", false},
  };
  // clang-format on
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, SomeSumsLeaveNoCheckDigitValid) {
  struct NoDigitCase {
    const char* code;
    const char* body;
  };
  // clang-format off
  static constexpr NoDigitCase kCases[] = {
      {"04", "123456799"},  // s = 177 = 16*11 + 1: 11 - 1 = 10 fails
      {"02", "123456779"},  // s = 202 - 3 = 199 = 18*11 + 1
      {"07", "123456789"},  // s = 210 = 19*11 + 1
      {"31", "123456789"},  // squares 1..81 sum to 285 = 25*11 + 10
      {"54", "123456784"},  // positions 3-9: 164 - 10 = 154 = 14*11: 11 - 0 = 11 fails
      {"54", "123456759"},  // positions 3-9: 164 - 9 = 155 = 14*11 + 1: 11 - 1 = 10 fails
      {"25", "123456789"},  // s = 210, mod 11 = 1, and position 2 is "2"
      {"56", "124456789"},  // s = 176 = 16*11, body does not start with "9"
      {"56", "123456799"},  // s = 177 = 16*11 + 1, body does not start with "9"
      {"E1", "012345673"},  // character codes 2578 - 5 = 2573, mod 11 = 10
  };
  // clang-format on
  for (const NoDigitCase& c : kCases) {
    EXPECT_EQ(PassingCheckDigits(c.code, c.body), 0) << "method " << c.code << ", body " << c.body;
  }
}

TEST(SingleRuleMethods, RemaindersZeroAndOneOf25And56) {
  static constexpr Case kCases[] = {
      // "25", body 183456789: 210 + 6*9 = 264 = 24*11, remainder 0 -> 0.
      {"25", "1834567890", true},
      // "25", body 193456785: 10+24+28+30+30+28+24+81+10 = 265, remainder 1
      // with position 2 "9" -> 0.
      {"25", "1934567850", true},
      {"25", "1934567851", false},
      // "56", body 923356789: 18+24+28+30+30+21+6+6+36 = 199, remainder 1 and
      // the body starts with "9" -> 7.
      {"56", "9233567897", true},
      {"56", "9233567890", false},
  };
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, PositionsOutsideTheWeightsDoNotCount) {
  // clang-format off
  static constexpr Case kCases[] = {
      // "44" weighs positions 5-9 only (s = 186 -> 1 whatever positions 1-4 hold).
      {"44", "9999567891", true},
      {"44", "567891", true},
      // Position 5 does count: 186 + 1*10 = 196, mod 11 = 9 -> 2.
      {"44", "1234667891", false},
      {"30", "1999967892", true},  // positions 2-5 weigh 0
      {"60", "9934567891", true},  // positions 1-2 are outside 3-9
      {"92", "9994567893", true},  // positions 1-3 are outside 4-9
      {"14", "9994567897", true},
  };
  // clang-format on
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, LengthAndLeadingZeroConditions) {
  static constexpr Case kCases[] = {
      // "67": 0234567600 computes 26 - 2 = 24 -> 6 at position 8, but only
      // ten-digit accounts may pass.
      {"67", "234567600", false},
      // "72": positions 4-9 of both are 456789 (-> 7); eight digits are enough,
      // seven are not.
      {"72", "34567897", true},
      {"72", "4567897", false},
      // "97": 1001 = 91*11 -> 0 with five digits; 22 = 2*11 would also give
      // 0 but three digits are too few.
      {"97", "10010", true},
      {"97", "220", false},
      // "97": 123456783 mod 11 = 5 - 6 = -1 = 10, written as 0.
      {"97", "1234567830", true},
      // "E1": 0012345676 would compute 2536 mod 11 = 6, but has two leading
      // zeros; 1123456782 would compute 2578 + 9 = 2587 mod 11 = 2, but does
      // not start with "0".
      {"E1", "12345676", false},
      {"E1", "1123456782", false},
  };
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, SeventySevenWeighsTheLastDigitLikeTheOthers) {
  static constexpr Case kCases[] = {
      // Positions 6-10 = 6,7,8,9,5: 5+18+24+28+30 = 105 (mod 11 = 6), but
      // 25+36+24+28+30 = 143 = 13*11 with the second weights.
      {"77", "1234567895", true},
      // With 0 at position 10: 100 (mod 11 = 1) and 118 (mod 11 = 8).
      {"77", "1234567890", false},
  };
  ExpectCases(kCases);
}

TEST(SingleRuleMethods, NoCheckMethodPassesAccountsOfEveryLength) {
  const std::string digits = "9876543210";
  for (std::size_t length = 1; length <= digits.size(); ++length) {
    EXPECT_TRUE(Passes("09", digits.substr(0, length))) << length;
  }
  EXPECT_EQ(PassingCheckDigits("09", "000000000"), 10);
}

// For a modulus-11 method exactly one check digit is right for any body,
// except that with tenRule 5 a sum s with 11 - (s mod 11) = 10 leaves none.
TEST(SingleRuleMethods, ModulusElevenAcceptsExactlyOneCheckDigit) {
  struct Family {
    const char* code;
    std::vector<int> weights;  // from position 9 leftwards
    bool tenLeavesNone;
  };
  // clang-format off
  const Family families[] = {
      {"06", {2, 3, 4, 5, 6, 7, 2, 3, 4}, false},
      {"10", {2, 3, 4, 5, 6, 7, 8, 9, 10}, false},
      {"02", {2, 3, 4, 5, 6, 7, 8, 9, 2}, true},
      {"04", {2, 3, 4, 5, 6, 7, 2, 3, 4}, true},
      {"07", {2, 3, 4, 5, 6, 7, 8, 9, 10}, true},
  };
  // clang-format on
  std::mt19937 random(20240304);
  std::uniform_int_distribution<int> digit(0, 9);
  for (const Family& family : families) {
    int bodiesWithoutDigit = 0;
    for (int round = 0; round < 300; ++round) {
      std::string body(9, '0');
      for (char& c : body) c = static_cast<char>('0' + digit(random));
      int sum = 0;
      for (std::size_t i = 0; i < 9; ++i) sum += family.weights[i] * (body[8 - i] - '0');
      const bool noDigit = family.tenLeavesNone && sum % 11 == 1;
      bodiesWithoutDigit += noDigit ? 1 : 0;
      EXPECT_EQ(PassingCheckDigits(family.code, body), noDigit ? 0 : 1)
          << "method " << family.code << ", body " << body << ", sum " << sum;
    }
    // The tenRule 5 families must have met such a sum at least once.
    if (family.tenLeavesNone) {
      EXPECT_GT(bodiesWithoutDigit, 0) << family.code;
    }
  }
}

TEST(SingleRuleMethods, GroupListsEachOfItsCodesOnce) {
  const std::set<std::string> expected = {
      "00", "01", "02", "03", "04", "05", "06", "07", "09", "10", "11", "12", "14", "15",
      "16", "17", "18", "19", "20", "21", "22", "25", "28", "29", "30", "31", "32", "33",
      "34", "35", "36", "37", "38", "39", "40", "42", "43", "44", "46", "47", "48", "54",
      "55", "56", "60", "62", "67", "72", "77", "92", "94", "97", "D7", "E0", "E1"};
  std::multiset<int> listed;
  for (const MethodEntry& entry : SingleRuleMethods()) listed.insert(entry.code);
  std::multiset<int> wanted;
  for (const std::string& code : expected) wanted.insert(CheckMethodCode(code));
  EXPECT_EQ(listed, wanted);
}

}  // namespace
}  // namespace talvenor::checkdigit
