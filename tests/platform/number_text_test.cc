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
      {"10000000", 10000000},
      {"  42abc", 42},
      {"-17", -17},
      {"+5", 5},
      {"", 0},
      {"abc", 0},
      {"- 5", 0},
      {"007", 7},
      {"12 34", 12},
      {"\t\n 9", 9},
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

TEST(IsDigit, TakesTheTenAsciiDigitsAndNothingElse) {
  int digits = 0;
  for (int code = CHAR_MIN; code <= CHAR_MAX; ++code) {
    const char c = static_cast<char>(code);
    const bool ascii = c >= '0' && c <= '9';
    EXPECT_EQ(IsDigit(c), ascii) << code;
    digits += IsDigit(c) ? 1 : 0;
  }
  EXPECT_EQ(digits, 10);
  // Bytes above 0x7F, superscript two and three in code page 1252 among
  // them, are no digits whatever the locale.
  EXPECT_FALSE(IsDigit('\xB2'));
  EXPECT_FALSE(IsDigit('\xB3'));
}

TEST(IsDigitsOnly, AcceptsOnlyTextsOfDigits) {
  EXPECT_TRUE(IsDigitsOnly(""));
  EXPECT_TRUE(IsDigitsOnly("0123456789"));
  EXPECT_FALSE(IsDigitsOnly("12 34"));
  EXPECT_FALSE(IsDigitsOnly("1234-"));
  EXPECT_FALSE(IsDigitsOnly("+1"));
  // The whole view counts: a NUL inside it is no digit.
  EXPECT_FALSE(
      IsDigitsOnly(std::string_view("12\0"
                                    "3",
                                    4)));
  EXPECT_TRUE(IsDigitsOnly(std::string_view("12x", 2)));
}

}  // namespace
}  // namespace talvenor::platform
