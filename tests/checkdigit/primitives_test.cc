// Each primitive on strings whose sums are worked out by hand. The common
// string "123456789" has, from the right:
//   weights 2,1,2,...   products 18 8 14 6 10 4 6 2 2 (plain total 70),
//                        cross sums 9 8 5 6 1 4 6 2 2 (total 43);
//   weights 2..10       products 18 24 28 30 30 28 24 18 10 (total 210,
//                        210 mod 11 = 1, so 11 - 1 = 10 hits the ten-rule).
#include "checkdigit/primitives.h"

#include <gtest/gtest.h>

namespace talvenor::checkdigit {
namespace {

constexpr int kAlternating[] = {2, 1, 2, 1, 2, 1, 2, 1, 2};
constexpr int kTwoToTen[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kOne[] = {1};
constexpr int kTwo[] = {2};
constexpr int kOneTwoThree[] = {1, 2, 3};

// The single check digit in 0..9 that passes, or -1 when none or several do.
template <typename Check>
int OnlyPassingDigit(Check passes) {
  int found = -1;
  for (int d = 0; d <= 9; ++d) {
    if (!passes(d)) continue;
    if (found != -1) return -1;
    found = d;
  }
  return found;
}

TEST(DigitValue, OnlyDigitsOneToNineCarryValue) {
  EXPECT_EQ(DigitValue('7'), 7);
  EXPECT_EQ(DigitValue('0'), 0);
  EXPECT_EQ(DigitValue(' '), 0);
  EXPECT_EQ(DigitValue('A'), 0);
  EXPECT_EQ(CrossSum(18), 9);
  EXPECT_EQ(CrossSum(10), 1);
}

TEST(WeightedMod10, CrossModesAndAddend) {
  // Cross sums total 43: expected 7. Plain products total 70: expected 0.
  EXPECT_EQ(OnlyPassingDigit([](int d) { return weightedMod10("123456789", d, kAlternating, 1); }),
            7);
  EXPECT_EQ(OnlyPassingDigit([](int d) { return weightedMod10("123456789", d, kAlternating, 0); }),
            0);
  // crossMode -1: the remainder itself, 43 mod 10 = 3.
  EXPECT_EQ(OnlyPassingDigit([](int d) { return weightedMod10("123456789", d, kAlternating, -1); }),
            3);
  // Addend 7: 43 + 7 = 50, expected 0.
  EXPECT_EQ(
      OnlyPassingDigit([](int d) { return weightedMod10("123456789", d, kAlternating, 1, 7); }), 0);
}

TEST(WeightedMod10, NonDigitsCountZeroButTakeTheirWeight) {
  // "1 2": from the right 2*2=4, blank*1=0, 1*2=2 -> 6, expected 4.
  EXPECT_TRUE(weightedMod10("1 2", 4, kAlternating, 0));
  // A shorter weight list leaves the remaining characters out: only 9*1.
  EXPECT_TRUE(weightedMod10("99", 1, kOne, 0));
}

TEST(WeightedMod11, TenRulesOnRemainderTen) {
  struct Case {
    int tenRule;
    int expected;  // the only passing digit, -1 for none
  };
  const Case cases[] = {
      {0, 0}, {1, 0}, {2, 9},  {6, 9},  // 2 and 6: the string's last digit, 9
      {3, 9}, {4, 1}, {5, -1}, {7, -1}, {9, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OnlyPassingDigit(
                  [&](int d) { return weightedMod11("123456789", d, kTwoToTen, c.tenRule); }),
              c.expected)
        << "tenRule " << c.tenRule;
  }
}

TEST(WeightedMod11, OrdinaryRemaindersAndRemainderEleven) {
  // "5" weight 1: 11 - 5 = 6 for every rule but 8.
  EXPECT_TRUE(weightedMod11("5", 6, kOne, 1));
  EXPECT_TRUE(weightedMod11("5", 6, kOne, 5));
  // Sum 0: 11 - 0 = 11 is read as 0, except under rule 7, which fails it.
  EXPECT_TRUE(weightedMod11("0", 0, kOne, 1));
  EXPECT_EQ(OnlyPassingDigit([](int d) { return weightedMod11("0", d, kOne, 7); }), -1);
  // With cross sums: "9" weight 2 -> 18 -> 9, expected 2 (plain: 11 - 7 = 4).
  EXPECT_TRUE(weightedMod11("9", 2, kTwo, 1, 1));
  EXPECT_TRUE(weightedMod11("9", 4, kTwo, 1, 0));
}

TEST(WeightedMod11, RuleEightUsesTheRemainderAndItsCounterpart) {
  // Sum 210: remainder 1, passes with 1 or 6.
  EXPECT_TRUE(weightedMod11("123456789", 1, kTwoToTen, 8));
  EXPECT_TRUE(weightedMod11("123456789", 6, kTwoToTen, 8));
  EXPECT_FALSE(weightedMod11("123456789", 0, kTwoToTen, 8));
  // Sum 10: remainder 10, passes with 0 or 5.
  EXPECT_TRUE(weightedMod11("5", 0, kTwo, 8));
  EXPECT_TRUE(weightedMod11("5", 5, kTwo, 8));
  EXPECT_FALSE(weightedMod11("5", 1, kTwo, 8));
}

TEST(Mod10Variants, ReducedUnitsAndNextFive) {
  // Cross sums total 43 -> 4 + 3 = 7 -> expected 3.
  EXPECT_EQ(
      OnlyPassingDigit([](int d) { return crossSumMod10Reduced("123456789", d, kAlternating); }),
      3);
  // "99" weights 2,1: cross sums 9 + 9 = 18 -> 9 -> expected 1.
  EXPECT_TRUE(crossSumMod10Reduced("99", 1, kAlternating));
  // Units of 27 and 8: 7 + 8 = 15, expected 5.
  constexpr int kThreeOne[] = {3, 1};
  EXPECT_EQ(OnlyPassingDigit([&](int d) { return unitsMod10("89", d, kThreeOne); }), 5);
  // Next five: 43 -> 45 gives 2; 2 -> 5 gives 3; 0 gives 0; 5 gives 0; 10 -> 15 gives 5.
  EXPECT_TRUE(nextFiveMod10("123456789", 2, kAlternating));
  EXPECT_TRUE(nextFiveMod10("2", 3, kOne));
  EXPECT_TRUE(nextFiveMod10("0", 0, kOne));
  EXPECT_TRUE(nextFiveMod10("5", 0, kOne));
  constexpr int kOneOne[] = {1, 1};
  EXPECT_EQ(OnlyPassingDigit([&](int d) { return nextFiveMod10("55", d, kOneOne); }), 5);
}

TEST(LeftWeightedMod10, WeightsStartAtTheLeft) {
  // From the left 1*1 + 2*2 + 3*3 = 14, expected 6 (from the right it would be 0).
  EXPECT_EQ(OnlyPassingDigit([](int d) { return leftWeightedMod10("123", d, kOneTwoThree, 0); }),
            6);
  EXPECT_EQ(OnlyPassingDigit([](int d) { return leftWeightedMod10("123", d, kOneTwoThree, -1); }),
            4);
}

TEST(AlternatingLeftMod11, OddPlacesPlainEvenPlacesCrossSums) {
  constexpr int kOneTwo[] = {1, 2, 1, 2, 1, 2};
  // 1 + 4 + 3 + 8 + 5 + cross(12)=3 -> 24; (24 - 1) mod 11 = 1; expected 9.
  EXPECT_EQ(OnlyPassingDigit([&](int d) { return alternatingLeftMod11("123456", d, kOneTwo); }), 9);
  // 0 + cross(10)=1 -> 1; b = 0; expected 0.
  EXPECT_TRUE(alternatingLeftMod11("05", 0, kOneTwo));
  // Sum 0: b = (0 - 1) mod 11 = 10, expected 0.
  EXPECT_TRUE(alternatingLeftMod11("00", 0, kOneTwo));
}

TEST(IncrementedMod11, SkipsLeadingZerosAndAddsOne) {
  // "12" after the zeros: (1+1)*1 + (2+1)*2 = 8.
  EXPECT_EQ(OnlyPassingDigit([](int d) { return incrementedMod11("0012", d, kOneTwoThree); }), 8);
  // "9" weight 2: (10*2) mod 11 = 9.
  EXPECT_TRUE(incrementedMod11("9", 9, kTwo));
  // The tolerant form skips non-digits and also takes (8 + 5) mod 10 = 3.
  EXPECT_TRUE(incrementedMod11("1a2", 8, kOneTwoThree, true));
  EXPECT_TRUE(incrementedMod11("1a2", 3, kOneTwoThree, true));
  EXPECT_FALSE(incrementedMod11("0012", 3, kOneTwoThree));
}

TEST(Mod11Directs, RemainderAsCheckDigit) {
  // Sum 210: remainder 1.
  EXPECT_TRUE(mod11DirectLastDigit("123456789", 1, kTwoToTen));
  EXPECT_TRUE(mod11Direct("123456789", 1, kTwoToTen));
  // "5" weight 2: remainder 10 -> the last digit (5), or a failure.
  EXPECT_EQ(OnlyPassingDigit([](int d) { return mod11DirectLastDigit("5", d, kTwo); }), 5);
  EXPECT_EQ(OnlyPassingDigit([](int d) { return mod11Direct("5", d, kTwo); }), -1);
}

TEST(Mod11OneToZero, SwapsTheFirstTwoRemainders) {
  EXPECT_TRUE(mod11OneToZero("0", 1, kOne));  // remainder 0
  EXPECT_TRUE(mod11OneToZero("1", 0, kOne));  // remainder 1
  EXPECT_TRUE(mod11OneToZero("5", 6, kOne));  // 11 - 5
}

TEST(Mod11Remainder0or1Nine, OnlyNineCharacterStringsStartingWithNine) {
  constexpr int kWeights[] = {2, 3, 4, 5, 6, 7, 2, 3, 4};
  // 9*4 + 4*2 = 44: remainder 0, so only check digit 7 passes.
  EXPECT_EQ(
      OnlyPassingDigit([&](int d) { return mod11Remainder0or1Nine("900000004", d, kWeights); }), 7);
  // 1*4 + 4*2 = 12: remainder 1, does not start with 9: nothing passes.
  EXPECT_EQ(
      OnlyPassingDigit([&](int d) { return mod11Remainder0or1Nine("100000004", d, kWeights); }),
      -1);
  // 8*4 + 4*2 = 40: remainder 7, expected 4.
  EXPECT_TRUE(mod11Remainder0or1Nine("800000004", 4, kWeights));
}

TEST(Mod11LeftTenRule, TenRulesFromTheLeft) {
  // 1*1 + 2*2 + 3*3 = 14: 11 - 3 = 8.
  EXPECT_TRUE(mod11LeftTenRule("123", 8, kOneTwoThree, 1));
  // "1": 11 - 1 = 10.
  EXPECT_TRUE(mod11LeftTenRule("1", 0, kOneTwoThree, 1));
  EXPECT_TRUE(mod11LeftTenRule("1", 9, kOneTwoThree, 3));
  EXPECT_TRUE(mod11LeftTenRule("1", 1, kOneTwoThree, 4));
  EXPECT_EQ(OnlyPassingDigit([](int d) { return mod11LeftTenRule("1", d, kOneTwoThree, 5); }), -1);
  // Rule 2 compares the string's last digit with 0: "10" passes whatever the check, "1" never.
  constexpr int kOneFive[] = {1, 5};
  EXPECT_TRUE(mod11LeftTenRule("10", 7, kOneFive, 2));
  EXPECT_FALSE(mod11LeftTenRule("1", 0, kOneFive, 2));
  // Sum 0: 11 read as 0.
  EXPECT_TRUE(mod11LeftTenRule("0", 0, kOneTwoThree, 5));
}

TEST(Mod11TwoSums, SecondSumIsTheFallback) {
  constexpr int kOneToFive[] = {1, 2, 3, 4, 5};
  EXPECT_TRUE(mod11TwoSums("00019", kOneToFive));   // 9 + 2 = 11
  EXPECT_TRUE(mod11TwoSums("00071", kOneToFive));   // first 15; second 5 + 28 = 33
  EXPECT_FALSE(mod11TwoSums("00072", kOneToFive));  // 16 and 38
}

TEST(Mod7AndMod9, ComplementsWithZeroForTheModulus) {
  EXPECT_TRUE(weightedMod7("123", 4, kOneTwoThree, 0));  // 10 mod 7 = 3
  EXPECT_TRUE(weightedMod7("7", 0, kOne, 0));            // 7 - 0 read as 0
  EXPECT_TRUE(weightedMod7("9", 5, kTwo, 1));            // cross 9 -> 7 - 2
  EXPECT_TRUE(weightedMod7("9", 3, kTwo, 0));            // 18 -> 7 - 4
  EXPECT_TRUE(weightedMod9("123", 8, kOneTwoThree));     // 10 mod 9 = 1
  EXPECT_TRUE(weightedMod9("9", 0, kOne));
}

TEST(TransformedMod10, RowsByPosition) {
  // 1 2 4 9 7 6 5 5 6 = 45, expected 5.
  EXPECT_EQ(OnlyPassingDigit([](int d) { return transformedMod10("123456789", d); }), 5);
  EXPECT_TRUE(transformedMod10("000000000", 0));
}

TEST(Mod11PlaceTable, BuildsFromBankCodeAndAccount) {
  // Variant 0: "5678" + "23" + "456789"; the sixth character ("3", weight 7)
  // is set aside: 315 mod 11 = 7, 7 + 21 = 28 -> 6, fails; with account
  // character 4 = "2" it is 7 + 14 = 21 -> 10, passes.
  EXPECT_FALSE(mod11PlaceTable("0123456789", 12345678, 0));
  EXPECT_TRUE(mod11PlaceTable("0122456789", 12345678, 0));
  // Variant 1: "56" + account char 3 + "8" + chars 2 and 4 + "456789":
  // 307 mod 11 = 10, passes only when the set-aside digit is 0.
  EXPECT_FALSE(mod11PlaceTable("0123456789", 12345678, 1));
  EXPECT_TRUE(mod11PlaceTable("0120456789", 12345678, 1));
  // Leading zeros of the last six characters are dropped before weighing.
  EXPECT_TRUE(mod11PlaceTable("0000031234", 12345678, 0));
}

}  // namespace
}  // namespace talvenor::checkdigit
