// The arithmetic every check-digit method is assembled from.
//
// Each primitive weighs the characters of a string with a weight list and
// compares a digit derived from the sum with the given check digit. Only the
// characters "1" to "9" carry their value; every other character, "0",
// blanks and letters alike, counts 0 but still takes its weight. Unless a
// primitive says otherwise, weights start at the rightmost character. A
// weight list longer than the string is cut; positions beyond a shorter list
// count nothing. Every primitive is pure and returns whether the check passes.
#ifndef TALVENOR_CHECKDIGIT_PRIMITIVES_H_
#define TALVENOR_CHECKDIGIT_PRIMITIVES_H_

#include <cstddef>
#include <span>
#include <string_view>

namespace talvenor::checkdigit {

using Weights = std::span<const int>;

// The value of a digit character "1".."9"; 0 for anything else.
constexpr int DigitValue(char c) {
  // "0" counts 0 either way, so one unsigned comparison tells a digit.
  const auto value = static_cast<unsigned>(c - '0');
  return value <= 9 ? static_cast<int>(value) : 0;
}

// Sum of the decimal digits of a product, p / 10 + p % 10.
constexpr int CrossSum(int product) { return product / 10 + product % 10; }

// Sum of weight * digit from the right. With `cross` each product is
// replaced by its cross sum. Inline: every method sums, and the compiler can
// specialise the loop for each caller's `cross`.
inline int WeightedSum(std::string_view digits, Weights weights, bool cross) {
  int sum = 0;
  const std::size_t n = digits.size() < weights.size() ? digits.size() : weights.size();
  const char* last = digits.data() + digits.size() - 1;
  for (std::size_t i = 0; i < n; ++i) {
    const int product = weights[i] * DigitValue(last[-static_cast<std::ptrdiff_t>(i)]);
    sum += cross ? CrossSum(product) : product;
  }
  return sum;
}

// Modulus 10. crossMode 0: plain products, 1: cross sums; -1: cross sums and
// the remainder itself is the expected digit. Otherwise the expected digit is
// 10 - ((sum + addend) mod 10), 10 read as 0.
bool weightedMod10(std::string_view digits, int check, Weights weights, int crossMode,
                   int addend = 0);

// Modulus 11 with a rule for the remainder 10 (tenRule):
//   0, 1: expect 0;  2, 6: expect the string's last digit;  3: expect 9;
//   4: expect 1;  8: the remainder itself counts, and 0 or 5 for 10 (a
//   remainder r also passes with (r + 5) mod 10);  7: like 5, and the
//   remainder 11 fails too;  5 and any other value: fail.
bool weightedMod11(std::string_view digits, int check, Weights weights, int tenRule,
                   int crossMode = 0);

// Sum of the cross sums of the products, reduced to one digit by repeated
// digit sums; expected 10 - (sum mod 10), 10 read as 0.
bool crossSumMod10Reduced(std::string_view digits, int check, Weights weights);

// Sum of the units of the products; expected 10 - (sum mod 10), 10 read as 0.
bool unitsMod10(std::string_view digits, int check, Weights weights);

// Sum of the cross sums of the products; expected: the distance to the next
// multiple of 5 while the sum is below 5, else to the next number ending in 5.
bool nextFiveMod10(std::string_view digits, int check, Weights weights);

// Like weightedMod10 without addend, but the weights start at the leftmost
// character.
bool leftWeightedMod10(std::string_view digits, int check, Weights weights, int crossMode);

// From the left: odd places add the product, even places its cross sum;
// b = (sum - 1) mod 11; expected 10 - b, or 0 when b is 0.
bool alternatingLeftMod11(std::string_view digits, int check, Weights weights);

// Leading "0" characters are skipped; from the first other character each
// character adds ((value + 1) * weight) mod 11, weights from the left;
// expected sum mod 10. The tolerant form counts only the characters "0" to
// "9" and also accepts ((sum mod 10) + 5) mod 10.
bool incrementedMod11(std::string_view digits, int check, Weights weights, bool tolerant = false);

// r = sum mod 11; r passes when equal to the check digit, r = 10 when the
// check digit equals the string's last digit.
bool mod11DirectLastDigit(std::string_view digits, int check, Weights weights);

// r = sum mod 11; passes when r is not 10 and equals the check digit.
bool mod11Direct(std::string_view digits, int check, Weights weights);

// r = sum mod 11; expected 1 for r = 0, 0 for r = 1, else 11 - r.
bool mod11OneToZero(std::string_view digits, int check, Weights weights);

// r = sum mod 11; expected 11 - r for r > 1; for r of 0 or 1 only a
// nine-character string starting with "9" passes, with check digit 7.
bool mod11Remainder0or1Nine(std::string_view digits, int check, Weights weights);

// Weights from the left; r = 11 - (sum mod 11), r = 11 read as 0. For r = 10:
// tenRule 0, 1 expect 0; 2 expects the string's last digit to be 0; 3
// expects 9; 4 expects 1; any other value fails.
bool mod11LeftTenRule(std::string_view digits, int check, Weights weights, int tenRule);

// The string includes its check digit. Passes when the weighted sum is
// divisible by 11, or else when the sum with weights 5, 4, 3, 4, 5 is.
bool mod11TwoSums(std::string_view digits, Weights weights);

// Expected 7 - (sum mod 7), 7 read as 0.
bool weightedMod7(std::string_view digits, int check, Weights weights, int crossMode);

// Expected 9 - (sum mod 9), 9 read as 0.
bool weightedMod9(std::string_view digits, int check, Weights weights);

// Up to nine characters from the left, each mapped through one row of the
// transformation table (rows 1, 4, 3, 2, 1, 4, 3, 2, 1) and summed;
// expected 10 - (sum mod 10), 10 read as 0.
bool transformedMod10(std::string_view digits, int check);

// The place-table check on a string built from digits 5-8 of the bank code
// and the ten-character account. variant 0 takes account characters 3 and 4;
// variant 1 takes characters 2 and 4 and then puts character 3 in the third
// place. REQUIRES: account has ten characters.
bool mod11PlaceTable(std::string_view account, long bankCode, int variant);

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_PRIMITIVES_H_
