// Methods that check the account behind a fixed prefix ("C6", "D1", "D4",
// "E2"): fifteen digits, weights 2,1,2,1,... from the right, cross sums,
// checked against position 10.
#include <string>

#include <gtest/gtest.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "method_test_support.h"

namespace talvenor::checkdigit {
namespace {

using Case = MethodCase;

// Cross sums from the right of each fifteen-digit string:
//   "C6" 1234567896: 4451981 23456789 -> 9+8+5+6+1+4+6+2+2+8+9+1+1+4+8 = 74 -> 6
//   "C6" 0234567899: 4451970 23456789 -> 9+8+5+6+1+4+6+2+0+7+9+1+1+4+8 = 71 -> 9
//   "C6" 7234567898: 5499570 23456789 -> 9+8+5+6+1+4+6+2+0+7+1+9+9+4+1 = 72 -> 8
//   "D1" 1234567896: 436338 123456789 -> 9+8+5+6+1+4+6+2+2+8+6+3+3+3+8 = 74 -> 6
//   "D1" 8234567891: 436338 823456789 -> 79 -> 1, but "8" at position 1 fails
//   "D4" 1234567898: 428259 123456789 -> 9+8+5+6+1+4+6+2+2+9+1+2+7+2+8 = 72 -> 8
//   "D4" 0234567890: 428259 023456789 -> 70 -> 0, but "0" at position 1 fails
//   "E2" 1234567892: 438320 123456789 -> 9+8+5+6+1+4+6+2+2+0+4+3+7+3+8 = 68 -> 2
//   "E2" 5234567893: 438320 523456789 -> 67 -> 3
//   "E2" 6234567891: 438320 623456789 -> 69 -> 1, but "6" at position 1 fails
TEST(PrefixedMethodsTest, FifteenDigitChecks) {
  // clang-format off
  const Case cases[] = {
      {"C6", "1234567896", true},  {"C6", "1234567890", false},
      {"C6", "234567899", true},   {"C6", "234567896", false},
      {"C6", "7234567898", true},  {"C6", "7234567896", false},
      {"D1", "1234567896", true},  {"D1", "1234567890", false},
      {"D1", "8234567891", false},
      {"D4", "1234567898", true},  {"D4", "1234567899", false},
      {"D4", "234567890", false},
      {"E2", "1234567892", true},  {"E2", "1234567893", false},
      {"E2", "5234567893", true},  {"E2", "6234567891", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes) << c.code << " " << c.account;
  }
}

// A blank at position 1 chooses the prefix of "0", as it counts 0 anywhere.
TEST(PrefixedMethodsTest, CSixWithoutADigitAtPositionOne) {
  EXPECT_TRUE(Passes("C6", " 234567899"));
  EXPECT_FALSE(Passes("C6", " 234567896"));
}

}  // namespace
}  // namespace talvenor::checkdigit
