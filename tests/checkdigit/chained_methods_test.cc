// Tests of the check-digit methods that try other methods in order.
//
// Most accounts have the body 123456789, for which the single methods expect
// these check digits (worked out in single_rule_methods_test.cc):
//   "00" 7, "01" 9, "02" 7, "03" 0, "04" 2, "05" 7, "06" 2, "10" 0,
//   "18" 9, "21" 3, "22" 5, "32" 7; "07" accepts none (11 - 1 = 10).
// With the body 123456788 (position 9 one lower):
//   "00": 43 - 9 + cross(16) = 41 -> 9;   "01": 171 - 3 = 168 -> 2;
//   "04": 174 - 2 = 172, mod 11 = 7 -> 4; "05": 183 - 7 = 176 -> 4;
//   "07": 210 - 2 = 208, mod 11 = 10 -> 1.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "method_test_support.h"
#include "platform/clock.h"

namespace talvenor::checkdigit {
namespace {

using Case = MethodCase;

// Each chain: an account its first method accepts, accounts only a later
// method accepts, and one none of them accepts.
TEST(ChainedMethods, LaterMethodsAreTriedAndNoneMeansFail) {
  static constexpr Case kCases[] = {
      // "49": "00", "01".
      {"49", "1234567897", true},
      {"49", "1234567899", true},
      {"49", "1234567890", false},
      // "98": own modulus 10 over 27+8+49+18+5+28+9 = 144 -> 6, then "32".
      {"98", "1234567896", true},
      {"98", "1234567897", true},
      {"98", "1234567890", false},
      // "A2": "00", "04".
      {"A2", "1234567897", true},
      {"A2", "1234567892", true},
      {"A2", "1234567890", false},
      // "A3": "00", "10".
      {"A3", "1234567897", true},
      {"A3", "1234567890", true},
      {"A3", "1234567891", false},
      // "A7": "00", "03".
      {"A7", "1234567897", true},
      {"A7", "1234567890", true},
      {"A7", "1234567891", false},
      // "A9": "01", "06".
      {"A9", "1234567899", true},
      {"A9", "1234567892", true},
      {"A9", "1234567890", false},
      // "B1": "05", "01", "00"; 1234567889 passes only "00" (05: 4, 01: 2, 00: 9).
      {"B1", "1234567897", true},
      {"B1", "1234567899", true},
      {"B1", "1234567889", true},
      {"B1", "1234567890", false},
      // "C8": "00", "04", "07"; 1234567881 passes only "07" (00: 9, 04: 4).
      {"C8", "1234567897", true},
      {"C8", "1234567892", true},
      {"C8", "1234567881", true},
      {"C8", "1234567880", false},
      // "C9": "00", "07".
      {"C9", "1234567897", true},
      {"C9", "1234567881", true},
      {"C9", "1234567880", false},
      // "D6": "07", "03", "00".
      {"D6", "1234567881", true},
      {"D6", "1234567890", true},
      {"D6", "1234567897", true},
      {"D6", "1234567891", false},
      // "D9": "00", "10", "18".
      {"D9", "1234567897", true},
      {"D9", "1234567890", true},
      {"D9", "1234567899", true},
      {"D9", "1234567891", false},
      // "E3": "00", "21".
      {"E3", "1234567897", true},
      {"E3", "1234567893", true},
      {"E3", "1234567890", false},
      // "E4": "02", "00". Body 123456780: "02" 202 - 18 = 184, mod 11 = 8 -> 3;
      // "00" 43 - 9 = 34 -> 6.
      {"E4", "1234567897", true},
      {"E4", "1234567806", true},
      {"E4", "1234567800", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes)
        << "method " << c.code << ", account " << c.account;
  }
}

// "D3" tries "00" and then "27". These accounts are decided by "00" alone or
// fail both: below 1 000 000 000 "27" is "00" itself, and for ten digits it
// is the transformation-table sum, 45 -> 5 for the body 123456789.
TEST(ChainedMethods, D3AcceptsWhatZeroZeroAcceptsAndFailsWhenBothFail) {
  // clang-format off
  static constexpr Case kCases[] = {
      {"D3", "1234567897", true},
      // Nine digits, body 012345678: cross sums 7+7+3+5+8+3+4+1 = 38 -> 2.
      {"D3", "123456782", true},
      {"D3", "1234567890", false},  // "00" wants 7, "27" wants 5
      {"D3", "123456780", false},   // "00" (and so "27") wants 2
  };
  // clang-format on
  for (const Case& c : kCases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes) << "account " << c.account;
  }
}

// "C2" tries "22" and "00", and "04" only from 4 September 2017 on.
TEST(ChainedMethods, C2TriesItsThirdMethodOnlyAfterThirdSeptember2017) {
  using namespace std::chrono;
  struct DatedCase {
    year_month_day today;
    const char* account;
    bool passes;
  };
  // clang-format off
  const DatedCase kCases[] = {
      {year{2017} / September / 3, "1234567892", false},  // only "04" accepts it
      {year{2017} / September / 4, "1234567892", true},
      {year{2016} / January / 1, "1234567892", false},
      {year{2024} / March / 4, "1234567892", true},
      {year{2017} / September / 3, "1234567895", true},  // "22"
      {year{2017} / September / 3, "1234567897", true},  // "00"
      {year{2024} / March / 4, "1234567897", true},
      {year{2024} / March / 4, "1234567890", false},  // none of the three
  };
  // clang-format on
  for (const DatedCase& c : kCases) {
    platform::ScopedClockOverride pin(c.today);
    EXPECT_EQ(Passes("C2", c.account), c.passes)
        << "account " << c.account << " on " << static_cast<int>(c.today.year()) << "-"
        << static_cast<unsigned>(c.today.month()) << "-" << static_cast<unsigned>(c.today.day());
  }
}

TEST(ChainedMethods, GroupListsEachOfItsCodesOnce) {
  const std::multiset<std::string> expected = {"49", "98", "A2", "A3", "A7", "A9", "B1", "C2",
                                               "C8", "C9", "D3", "D6", "D9", "E3", "E4"};
  std::multiset<int> wanted;
  for (const std::string& code : expected) wanted.insert(CheckMethodCode(code));
  std::multiset<int> listed;
  for (const MethodEntry& entry : ChainedMethods()) listed.insert(entry.code);
  EXPECT_EQ(listed, wanted);
}

}  // namespace
}  // namespace talvenor::checkdigit
