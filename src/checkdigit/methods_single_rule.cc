// Check-digit methods that are one fixed computation.
//
// Most of them differ only in which positions they weigh, where the check
// digit stands, the weight list and the primitive that turns the sum into an
// expected digit: those are rows of kFixedRules, all evaluated by
// ApplyFixedRule. The few that need a condition or arithmetic of their own
// ("09", "25", "67", "72", "77", "97", "E1") are small functions below the
// table.
#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <utility>

#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"

namespace talvenor::checkdigit {
namespace {

// Weight lists, applied from the rightmost weighted position (the two
// left-to-right primitives start at the leftmost). A list longer than the
// weighted positions is cut, so a method that weighs fewer positions shares
// the longer list that starts the same way.
constexpr int kAlternating21[] = {2, 1, 2, 1, 2, 1, 2, 1, 2};
constexpr int kAlternating12[] = {1, 2, 1, 2, 1, 2, 1, 2, 1};
constexpr int kAlternating31[] = {3, 1, 3, 1, 3, 1, 3, 1, 3};
constexpr int kCycle371[] = {3, 7, 1, 3, 7, 1, 3, 7, 1};
constexpr int kCycle731[] = {7, 3, 1, 7, 3, 1, 7, 3, 1};
constexpr int kCycle137[] = {1, 3, 7, 1, 3, 7, 1, 3, 7};
constexpr int kCycle3971[] = {3, 9, 7, 1, 3, 9, 7, 1, 3};
constexpr int kRising2To10[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kRising2To7Then2To4[] = {2, 3, 4, 5, 6, 7, 2, 3, 4};
constexpr int kRising2To9Then1[] = {2, 3, 4, 5, 6, 7, 8, 9, 1};
constexpr int kRising2To9Then2[] = {2, 3, 4, 5, 6, 7, 8, 9, 2};
constexpr int kRising2To9Then3[] = {2, 3, 4, 5, 6, 7, 8, 9, 3};
constexpr int kRising1To9[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr int kFalling9To1[] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
constexpr int kPowersOfTwoMod11[] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
constexpr int kWeights30FromLeft[] = {2, 0, 0, 0, 0, 1, 2, 1, 2};
constexpr int kWeights55[] = {2, 3, 4, 5, 6, 7, 8, 7, 8};

// The computation a table row applies to its weighted positions.
enum class Computation {
  kMod10,                   // weightedMod10; mode is the crossMode
  kMod11,                   // weightedMod11; mode is the tenRule
  kCrossSumReduced,         // crossSumMod10Reduced
  kUnitsMod10,              // unitsMod10
  kLeftMod10,               // leftWeightedMod10; mode is the crossMode
  kAlternatingLeftMod11,    // alternatingLeftMod11
  kMod11Direct,             // mod11Direct
  kMod11DirectLastDigit,    // mod11DirectLastDigit
  kMod11Remainder0or1Nine,  // mod11Remainder0or1Nine
  kTransformedMod10,        // transformedMod10 (no weight list)
};

struct FixedRule {
  std::string_view code;
  int first;        // first weighted position
  int last;         // last weighted position
  int checkAt;      // position of the check digit
  Weights weights;  // empty for kTransformedMod10
  Computation computation;
  int mode = 0;    // crossMode (modulus 10) or tenRule (modulus 11)
  int addend = 0;  // added to the modulus-10 sum
};

using enum Computation;

// One row per method, in code order.
// clang-format off
constexpr FixedRule kFixedRules[] = {
    // code, weighed positions from and to, check position, weights, computation,
    // mode, addend
    {"00", 1, 9, 10, kAlternating21,      kMod10,                  1},
    {"01", 1, 9, 10, kCycle371,           kMod10,                  0},
    {"02", 1, 9, 10, kRising2To9Then2,    kMod11,                  5},
    {"03", 1, 9, 10, kAlternating21,      kMod10,                  0},
    {"04", 1, 9, 10, kRising2To7Then2To4, kMod11,                  5},
    {"05", 1, 9, 10, kCycle731,           kMod10,                  0},
    {"06", 1, 9, 10, kRising2To7Then2To4, kMod11,                  1},
    {"07", 1, 9, 10, kRising2To10,        kMod11,                  5},
    {"10", 1, 9, 10, kRising2To10,        kMod11,                  1},
    {"11", 1, 9, 10, kRising2To10,        kMod11,                  3},
    {"12", 1, 9, 10, kCycle137,           kMod10,                  0},
    {"14", 4, 9, 10, kRising2To10,        kMod11,                  5},
    {"15", 6, 9, 10, kRising2To10,        kMod11,                  1},
    {"16", 1, 9, 10, kRising2To7Then2To4, kMod11,                  6},
    {"17", 2, 7, 8,  kAlternating12,      kAlternatingLeftMod11},
    {"18", 1, 9, 10, kCycle3971,          kMod10,                  0},
    {"19", 1, 9, 10, kRising2To9Then1,    kMod11,                  1},
    {"20", 1, 9, 10, kRising2To9Then3,    kMod11,                  1},
    {"21", 1, 9, 10, kAlternating21,      kCrossSumReduced},
    {"22", 1, 9, 10, kAlternating31,      kUnitsMod10},
    {"28", 1, 7, 8,  kRising2To10,        kMod11,                  1},
    {"29", 1, 9, 10, {},                  kTransformedMod10},
    {"30", 1, 9, 10, kWeights30FromLeft,  kLeftMod10,              0},
    {"31", 1, 9, 10, kFalling9To1,        kMod11Direct},
    {"32", 4, 9, 10, kRising2To10,        kMod11,                  1},
    {"33", 5, 9, 10, kRising2To10,        kMod11,                  1},
    {"34", 1, 7, 8,  kPowersOfTwoMod11,   kMod11,                  1},
    {"35", 1, 9, 10, kRising2To10,        kMod11DirectLastDigit},
    {"36", 6, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},
    {"37", 5, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},
    {"38", 4, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},
    {"39", 3, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},
    {"40", 1, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},
    {"42", 2, 9, 10, kRising2To10,        kMod11,                  1},
    {"43", 1, 9, 10, kRising1To9,         kMod10,                  0},
    {"44", 5, 9, 10, kPowersOfTwoMod11,   kMod11,                  1},  // positions 1-4 count nothing
    {"46", 3, 7, 8,  kRising2To10,        kMod11,                  1},
    {"47", 4, 8, 9,  kRising2To10,        kMod11,                  1},
    {"48", 3, 8, 9,  kRising2To10,        kMod11,                  1},
    {"54", 3, 9, 10, kRising2To7Then2To4, kMod11,                  7},
    {"55", 1, 9, 10, kWeights55,          kMod11,                  1},
    {"56", 1, 9, 10, kRising2To7Then2To4, kMod11Remainder0or1Nine},
    {"60", 3, 9, 10, kAlternating21,      kMod10,                  1},
    {"62", 3, 7, 8,  kAlternating21,      kMod10,                  1},
    {"92", 4, 9, 10, kCycle371,           kMod10,                  0},
    {"94", 1, 9, 10, kAlternating12,      kMod10,                  1},
    {"D7", 1, 9, 10, kAlternating21,      kMod10,                  -1},
    {"E0", 1, 9, 10, kAlternating21,      kMod10,                  1,  7},
};
// clang-format on

// The check digit at `position`; position 10 is the one the dispatcher
// prepared.
int CheckDigitAt(const MethodAccount& account, int position) {
  return position == 10 ? account.check : account.Digit(position);
}

bool ApplyFixedRule(const FixedRule& rule, const MethodAccount& account) {
  const std::string_view digits = account.Span(rule.first, rule.last);
  const int check = CheckDigitAt(account, rule.checkAt);
  switch (rule.computation) {
    case kMod10:
      return weightedMod10(digits, check, rule.weights, rule.mode, rule.addend);
    case kMod11:
      return weightedMod11(digits, check, rule.weights, rule.mode);
    case kCrossSumReduced:
      return crossSumMod10Reduced(digits, check, rule.weights);
    case kUnitsMod10:
      return unitsMod10(digits, check, rule.weights);
    case kLeftMod10:
      return leftWeightedMod10(digits, check, rule.weights, rule.mode);
    case kAlternatingLeftMod11:
      return alternatingLeftMod11(digits, check, rule.weights);
    case kMod11Direct:
      return mod11Direct(digits, check, rule.weights);
    case kMod11DirectLastDigit:
      return mod11DirectLastDigit(digits, check, rule.weights);
    case kMod11Remainder0or1Nine:
      return mod11Remainder0or1Nine(digits, check, rule.weights);
    case kTransformedMod10:
      return transformedMod10(digits, check);
  }
  return false;
}

// The method rule of table row `kRow`.
template <std::size_t kRow>
bool FixedRuleMethod(MethodAccount& account) {
  return ApplyFixedRule(kFixedRules[kRow], account);
}

// Every character, whatever it is, counts with its character code times its
// weight (no cross sums); the remainder modulo 11 is the check digit, and a
// remainder of 10 fails.
bool charCodeMod11(std::string_view characters, int check, Weights weights) {
  int sum = 0;
  const std::size_t n = std::min(characters.size(), weights.size());
  for (std::size_t i = 0; i < n; ++i) {
    sum += weights[i] * static_cast<unsigned char>(characters[characters.size() - 1 - i]);
  }
  const int r = sum % 11;
  return r != 10 && check == r;
}

// "09": no check; every account passes.
bool Method09(MethodAccount&) { return true; }

// "25": modulus 11 over positions 1-9; the remainder 1 (expected digit 10)
// is written as 0, but only for accounts whose position 2 is "8" or "9".
bool Method25(MethodAccount& account) {
  const int r = WeightedSum(account.Body(), kRising2To10, false) % 11;
  if (r == 0) return account.check == 0;
  if (r == 1) return (account.At(2) == '8' || account.At(2) == '9') && account.check == 0;
  return account.check == 11 - r;
}

// "67": modulus 10 with cross sums over positions 1-7, check digit at
// position 8; only ten-digit accounts can pass.
bool Method67(MethodAccount& account) {
  return account.length == 10 &&
         weightedMod10(account.Span(1, 7), account.Digit(8), kAlternating21, 1);
}

// "72": modulus 10 with cross sums over positions 4-9; accounts of fewer
// than eight digits fail.
bool Method72(MethodAccount& account) {
  return account.length >= 8 && weightedMod10(account.Span(4, 9), account.check, kAlternating21, 1);
}

// "77": positions 6-10, the last digit included, must weigh to a multiple
// of 11 with 1, 2, 3, 4, 5 or else with 5, 4, 3, 4, 5.
constexpr int kWeights77[] = {1, 2, 3, 4, 5};
bool Method77(MethodAccount& account) { return mod11TwoSums(account.Span(6, 10), kWeights77); }

// "97": positions 1-9 read as one number (a character that is not a digit
// counts as 0); its remainder modulo 11 is the check digit, 10 written as 0.
// Accounts of fewer than five digits fail.
bool Method97(MethodAccount& account) {
  if (account.length < 5) return false;
  int r = 0;
  for (char c : account.Body()) r = (r * 10 + DigitValue(c)) % 11;
  return account.check == (r == 10 ? 0 : r);
}

// "E1": character-code modulus 11 over positions 1-9; only nine-digit
// accounts (position 1 "0", position 2 not "0") can pass.
constexpr int kWeightsE1[] = {1, 2, 3, 4, 5, 6, 11, 10, 9};
bool MethodE1(MethodAccount& account) {
  if (account.At(1) != '0' || account.At(2) == '0') return false;
  return charCodeMod11(account.Body(), account.check, kWeightsE1);
}

// clang-format off
constexpr MethodEntry kIrregularEntries[] = {
    {CheckMethodCode("09"), &Method09}, {CheckMethodCode("25"), &Method25},
    {CheckMethodCode("67"), &Method67}, {CheckMethodCode("72"), &Method72},
    {CheckMethodCode("77"), &Method77}, {CheckMethodCode("97"), &Method97},
    {CheckMethodCode("E1"), &MethodE1},
};
// clang-format on

// The table rows as entries, followed by the irregular methods.
template <std::size_t... kRows>
constexpr auto BuildEntries(std::index_sequence<kRows...>) {
  std::array<MethodEntry, sizeof...(kRows) + std::size(kIrregularEntries)> entries{
      {{CheckMethodCode(kFixedRules[kRows].code), &FixedRuleMethod<kRows>}...}};
  std::size_t next = sizeof...(kRows);
  for (const MethodEntry& entry : kIrregularEntries) entries[next++] = entry;
  return entries;
}

constexpr bool CodesAreDistinct(std::span<const MethodEntry> entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (std::size_t j = i + 1; j < entries.size(); ++j) {
      if (entries[i].code == entries[j].code) return false;
    }
  }
  return true;
}

constexpr auto kEntries = BuildEntries(std::make_index_sequence<std::size(kFixedRules)>{});
static_assert(CodesAreDistinct(kEntries), "a method code is listed twice");

}  // namespace

std::span<const MethodEntry> SingleRuleMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
