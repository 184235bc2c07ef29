// Methods that hand the caller a rewritten account ("26", "50", "63", "76",
// "C7"): the rewritten text is checked through both entry points, and a
// failing account (or one passing without a rewrite) keeps its text.
#include <string>

#include <gtest/gtest.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"

namespace talvenor::checkdigit {
namespace {

struct Case {
  const char* code;
  const char* account;  // as the caller holds it, without leading zeros
  bool passes;
  const char* after;  // the caller's account text afterwards
};

void ExpectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    std::string account = c.account;
    EXPECT_EQ(verifyAccount(account, 0, CheckMethodCode(c.code)) != 0, c.passes)
        << c.code << " " << c.account;
    EXPECT_EQ(account, c.after) << c.code << " " << c.account;

    std::string adjusted = "untouched";
    const std::string withZeros = std::string("00") + c.account;
    EXPECT_EQ(verifyAccountNumber(withZeros, "10020030", CheckMethodCode(c.code), adjusted),
              c.passes ? 1 : 0)
        << c.code << " " << withZeros;
    EXPECT_EQ(adjusted, c.after) << c.code << " " << withZeros;
  }
}

// "26": positions 1-7 against position 8, weights 2,3,4,5,6,7,2 from the
// right, after shifting an account that starts with "00" by two.
//   0012345674 -> 1234567400: 14+18+20+20+18+14+2 = 106, mod 11 = 7 -> 4.
//   0012345678 -> 1234567800: expects 4 as well, position 8 is 8: fails.
//   0123456012 (not shifted): 12+15+16+15+12+7+0 = 77, mod 11 = 0 -> 0; the
//   caller receives the ten-digit form.
TEST(RewritingMethodsTest, TwentySix) {
  // clang-format off
  ExpectAll({
      {"26", "12345674", true, "1234567400"},
      {"26", "12345678", false, "12345678"},
      {"26", "123456012", true, "0123456012"},
      {"26", "1234567499", true, "1234567499"},
      {"26", "1234567599", false, "1234567599"},
  });
  // clang-format on
}

// "50": positions 1-6 against position 7, weights 2..7 from the right.
//   1234560789: "123456" -> 77 mod 11 = 0 -> 0: passes unshifted.
//   1234560 (0001234560): "000123" -> 16 mod 11 = 5 -> 6, not 4; shifted
//     1234560000: "123456" -> 0 = position 7.
//   123455 (0000123455): "000012" -> 7 -> 4, not 3; shifted 0123455000:
//     "012345" -> 50 mod 11 = 6 -> 5 = position 7; the ten digits are kept.
//   1234561: shifted 1234561000 expects 0, not 1.
TEST(RewritingMethodsTest, Fifty) {
  // clang-format off
  ExpectAll({
      {"50", "1234560789", true, "1234560789"},
      {"50", "1234560", true, "1234560000"},
      {"50", "123455", true, "0123455000"},
      {"50", "1234561", false, "1234561"},
  });
  // clang-format on
}

// "63" and "C7": weights 2,1,2,1,2,1 with cross sums.
//   0123456600: positions 2-7 "123456" -> 24 -> 6 = position 8.
//   0001234566: positions 2-7 "001234" -> 16 -> 4, not 5; positions 4-9
//     "123456" -> 6 = position 10; shifted: 123456600.
//   0001234567: both fail (4 and 6).
//   0000001230: positions 4-9 "000123" would give 10 -> 0, but "000" at
//     positions 4-6 fails "63".
//   0000123001: "000" at 2-4 skips positions 2-7 (which would give 0 = the
//     position 8); positions 4-9 "012300" -> 10 -> 0, not 1.
// "C7" then tries "06" (weights 2,3,4,5,6,7,2,3,4 from the right):
//   0001234560: 12+15+16+15+12+7 = 77 -> 0: passes, without a rewrite.
//   1234567892: 18+24+28+30+30+28+6+6+4 = 174, mod 11 = 9 -> 2.
//   0234567896: positions 2-7 "234567" -> 5+6+1+4+6+2 = 24 -> 6, not 8;
//     "06": 18+24+28+30+30+28+6+6 = 170, mod 11 = 5 -> 6.
TEST(RewritingMethodsTest, SixtyThreeAndCSeven) {
  // clang-format off
  ExpectAll({
      {"63", "123456600", true, "123456600"},
      {"63", "1234566", true, "123456600"},
      {"63", "1234567", false, "1234567"},
      {"63", "1230", false, "1230"},
      {"63", "123001", false, "123001"},
      {"63", "1123456600", false, "1123456600"},  // position 1 must be "0"
      {"C7", "123456600", true, "123456600"},
      {"C7", "1234566", true, "123456600"},
      {"C7", "1234560", true, "1234560"},
      {"C7", "1234567", false, "1234567"},
      {"C7", "1234567892", true, "1234567892"},
      {"C7", "1234567893", false, "1234567893"},
      {"C7", "234567896", true, "234567896"},
  });
  // clang-format on
}

// "76": the remainder mod 11 itself is the check digit, weights 2..7.
//   1235 (L = 4) fails, although positions 4-9 "000123" give 16 mod 11 = 5.
//   4123456012: positions 2-7 "123456" -> 77 mod 11 = 0 = position 8.
//   1123456012: the same digits, but an account starting with "1" fails.
//   1234560: positions 2-7 "001234" -> 8+9+8+5 = 30, mod 11 = 8, not 5;
//     positions 4-9 "123456" -> 0 = position 10; shifted: 123456000.
//   123456 (L = 6): positions 4-9 "012345" -> 50 mod 11 = 6 = position 10;
//     shifted: 0012345600 -> 12345600.
//   123540 (L = 6): positions 2-7 "000123" would give 16 mod 11 = 5 =
//     position 8, but need L >= 7; positions 4-9 "012354" -> 8+15+12+10+6
//     = 51, mod 11 = 7, not 0.
//   21234560: positions 2-7 "021234" -> 42 mod 11 = 9, not 5; position 3 "2"
//     allows no sub-account check, though positions 4-9 would give 0.
TEST(RewritingMethodsTest, SeventySix) {
  // clang-format off
  ExpectAll({
      {"76", "1235", false, "1235"},
      {"76", "4123456012", true, "4123456012"},
      {"76", "1123456012", false, "1123456012"},
      {"76", "1234560", true, "123456000"},
      {"76", "123456", true, "12345600"},
      {"76", "123457", false, "123457"},
      {"76", "123540", false, "123540"},
      {"76", "123547", true, "12354700"},
      {"76", "21234560", false, "21234560"},
  });
  // clang-format on
}

}  // namespace
}  // namespace talvenor::checkdigit
