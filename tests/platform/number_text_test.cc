#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace talvenor::platform {
namespace {

TEST(ParseLeadingLong, ReadsLikeTheCLibrary) {
  struct Case {
    const char* text;
    long expected;
  };
  const Case cases[] = {
      {"10000000", 10000000}, {"  42abc", 42},  {"-17", -17}, {"+5", 5},
      {"", 0},                {"abc", 0},       {"- 5", 0},   {"007", 7},
      {"12 34", 12},          {"\t\n 9", 9},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLeadingLong(c.text), c.expected) << c.text;
}

TEST(ParseLeadingLong, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(ParseLeadingLong("99999999999999999999999"), LONG_MAX);
  EXPECT_EQ(ParseLeadingLong("-99999999999999999999999"), LONG_MIN);
  // Nineteen digits still fit; the overflow test starts after eighteen.
  EXPECT_EQ(ParseLeadingLong("9223372036854775807"), LONG_MAX);
  EXPECT_EQ(ParseLeadingLong("9223372036854775808"), LONG_MAX);
  EXPECT_EQ(ParseLeadingLong("922337203685477580x7"), 922337203685477580L);
}

TEST(ParseLeadingDouble, ReadsTenDigitAccountsExactly) {
  EXPECT_EQ(ParseLeadingDouble("9999999999"), 9999999999.0);
  EXPECT_EQ(ParseLeadingDouble("0000123456"), 123456.0);
  EXPECT_EQ(ParseLeadingDouble(" 12.5x"), 12.5);
  EXPECT_EQ(ParseLeadingDouble("-3"), -3.0);
  // Beyond fifteen digits, and with a fraction, the decimal parse applies.
  EXPECT_EQ(ParseLeadingDouble("123456789012345678"), 123456789012345678.0);
  EXPECT_EQ(ParseLeadingDouble("1234567890123456789012345"), 1234567890123456789012345.0);
  EXPECT_EQ(ParseLeadingDouble("999999999999999.5"), 999999999999999.5);
}

TEST(ParseLeadingDouble, TakesNoExponentHexOrSpecialForms) {
  EXPECT_EQ(ParseLeadingDouble("1e5"), 1.0);
  EXPECT_EQ(ParseLeadingDouble("0x1A"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("inf"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("nan"), 0.0);
  EXPECT_EQ(ParseLeadingDouble(""), 0.0);
  EXPECT_EQ(ParseLeadingDouble("."), 0.0);
}

TEST(TrimBlanks, RemovesBlanksAtBothEndsOnly) {
  EXPECT_EQ(TrimBlanks(" 0012345 "), "0012345");
  EXPECT_EQ(TrimBlanks("\t12 34\r\n"), "12 34");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(""), "");
}

}  // namespace
}  // namespace talvenor::platform
