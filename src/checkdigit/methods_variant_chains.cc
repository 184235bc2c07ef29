// Check-digit methods made of a short list of variants tried in order.
//
// Each variant weighs a span of the account and checks one digit; the first
// variant that passes makes the account pass, and when none passes the
// account fails. Most of these methods pick their list by position 3 being
// "9" (then the shared thirdDigitNineRule applies) or by positions 3-4 being
// "99". The lists are data below; one function walks them.
#include <algorithm>
#include <chrono>
#include <span>

#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "checkdigit/shared_rules.h"
#include "platform/clock.h"

namespace talvenor::checkdigit {
namespace {

// The computation a variant applies to its span.
enum class Rule {
  kMod11,            // weightedMod11, tenRule 1
  kMod7,             // weightedMod7, plain products
  kMod7Cross,        // weightedMod7, cross sums of the products
  kMod9,             // weightedMod9
  kMod10,            // weightedMod10, plain products
  kMod10Cross,       // weightedMod10, cross sums of the products
  kHighCheckPasses,  // no computation: a check digit of 7, 8 or 9 passes
};

struct Variant {
  int first;  // the weighted span: positions first..last
  int last;
  Weights weights;  // from the right, cut to the length of the span
  Rule rule;
  int checkPosition = 10;
};

// 2, 3, 4, ... cut to the span: 2..6 on 5-9, 2..7 on 4-9, 2..8 on 3-9.
constexpr int kRising[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kAlternating[] = {2, 1, 2, 1, 2, 1};

bool VariantPasses(const Variant& v, const MethodAccount& account) {
  const int check = account.Digit(v.checkPosition);
  const std::string_view digits = account.Span(v.first, v.last);
  switch (v.rule) {
    case Rule::kMod11:
      return weightedMod11(digits, check, v.weights, 1);
    case Rule::kMod7:
      return weightedMod7(digits, check, v.weights, 0);
    case Rule::kMod7Cross:
      return weightedMod7(digits, check, v.weights, 1);
    case Rule::kMod9:
      return weightedMod9(digits, check, v.weights);
    case Rule::kMod10:
      return weightedMod10(digits, check, v.weights, 0);
    case Rule::kMod10Cross:
      return weightedMod10(digits, check, v.weights, 1);
    case Rule::kHighCheckPasses:
      return check >= 7;
  }
  return false;
}

bool AnyVariantPasses(std::span<const Variant> variants, const MethodAccount& account) {
  return std::ranges::any_of(variants, [&](const Variant& v) { return VariantPasses(v, account); });
}

// Positions 3-9 with modulus 11: the whole rule of "83"/"85" for "99" at
// positions 3-4 and of "90" for a "9" at position 3.
constexpr Variant kThreeToNine[] = {{3, 9, kRising, Rule::kMod11}};

// thirdDigitNineRule for a "9" at position 3, otherwise the method's own list.
bool NineRuleOr(std::span<const Variant> otherwise, const MethodAccount& account) {
  return account.At(3) == '9' ? thirdDigitNineRule(account) : AnyVariantPasses(otherwise, account);
}

// Positions 3-9 alone for "99" at positions 3-4, otherwise the method's list.
bool NinetyNineRuleOr(std::span<const Variant> otherwise, const MethodAccount& account) {
  return AnyVariantPasses(
      account.Span(3, 4) == "99" ? std::span<const Variant>(kThreeToNine) : otherwise, account);
}

// A check digit of 7, 8 or 9 can never pass modulus 7 (expected 0 to 6) nor
// 9 pass modulus 9 (expected 0 to 8), so the steps of "51" and "90" that
// fail such digits before those variants need no entry of their own.

// "51": two modulus-11 spans, a modulus-10 span, then modulus 7.
// clang-format off
constexpr Variant k51[] = {
    {4, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod11},
    {4, 9, kAlternating, Rule::kMod10Cross},
    {5, 9, kRising, Rule::kMod7},
};
// clang-format on
bool Method51(MethodAccount& account) { return NineRuleOr(k51, account); }

// "73": modulus 10 on two spans, then modulus 7, all with cross sums.
constexpr Variant k73[] = {
    {4, 9, kAlternating, Rule::kMod10Cross},
    {5, 9, kAlternating, Rule::kMod10Cross},
    {5, 9, kAlternating, Rule::kMod7Cross},
};
bool Method73(MethodAccount& account) { return NineRuleOr(k73, account); }

// "80": modulus 10, then modulus 7, on positions 5-9 with cross sums.
constexpr Variant k80[] = {
    {5, 9, kAlternating, Rule::kMod10Cross},
    {5, 9, kAlternating, Rule::kMod7Cross},
};
bool Method80(MethodAccount& account) { return NineRuleOr(k80, account); }

// "81": modulus 11 on positions 4-9.
constexpr Variant k81[] = {{4, 9, kRising, Rule::kMod11}};
bool Method81(MethodAccount& account) { return NineRuleOr(k81, account); }

// "83": modulus 11 on two spans, then modulus 7.
constexpr Variant k83[] = {
    {4, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod7},
};
bool Method83(MethodAccount& account) { return NinetyNineRuleOr(k83, account); }

// "84": modulus 11, modulus 7, then plain modulus 10, all on positions 5-9.
constexpr Variant k84[] = {
    {5, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod7},
    {5, 9, kAlternating, Rule::kMod10},
};
bool Method84(MethodAccount& account) { return NineRuleOr(k84, account); }

// "85": like "83", but a check digit of 7, 8 or 9 passes before modulus 7.
// clang-format off
constexpr Variant k85[] = {
    {4, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod11},
    {10, 10, {}, Rule::kHighCheckPasses},
    {5, 9, kRising, Rule::kMod7},
};
// clang-format on
bool Method85(MethodAccount& account) { return NinetyNineRuleOr(k85, account); }

// "86": modulus 10 with cross sums, then modulus 11, on positions 4-9.
constexpr Variant k86[] = {
    {4, 9, kAlternating, Rule::kMod10Cross},
    {4, 9, kRising, Rule::kMod11},
};
bool Method86(MethodAccount& account) { return NineRuleOr(k86, account); }

// tableMethod87: positions 4-9 from the first non-zero digit are folded
// through a digit transformation into a small sum that selects the expected
// digit from one of two rows. With "0" at position 4 the digit five apart
// (mod 10) is accepted as well. When positions 4-9 are all zero there is
// no digit to start from and no table value: the variant fails, and the
// account is left to the later variants of "87".
bool tableMethod87(const MethodAccount& account) {
  static constexpr int kTransformed[10] = {5, 6, 2, 3, 4, 10, 1, 7, 8, 9};
  static constexpr int kRowA[5] = {7, 1, 5, 9, 8};
  static constexpr int kRowB[5] = {0, 4, 3, 2, 6};

  int i = 4;
  while (i <= 9 && account.Digit(i) == 0) ++i;
  if (i > 9) return false;
  int c = i % 2;
  int b = 0;
  int s = 0;
  for (; i <= 9; ++i) {
    const int v = kTransformed[account.Digit(i)];
    if (c == b && v > 5) {
      if (c == 0) {
        s += 12 - v;
        c = b = 1;
      } else {
        s += v;
        c = b = 0;
      }
    } else if (c == b) {
      s += v;
      c = c == 0 ? 1 : 0;
    } else if (v > 5) {
      if (c == 0) {
        s += v - 12;
        c = 1;
        b = 0;
      } else {
        s -= v;
        c = 0;
        b = 1;
      }
    } else {
      s -= v;
      c = 1 - c;
    }
  }
  s = (s % 5 + 5) % 5;
  const int p = b != 0 ? kRowA[s] : kRowB[s];
  if (p == account.check) return true;
  return account.At(4) == '0' && (p > 4 ? p - 5 : p + 5) == account.check;
}

// "87": the table variant, then modulus 11, modulus 7 and modulus 11 spans.
constexpr Variant k87[] = {
    {5, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod7},
    {4, 9, kRising, Rule::kMod11},
};
bool Method87(MethodAccount& account) {
  if (account.At(3) == '9') return thirdDigitNineRule(account);
  return tableMethod87(account) || AnyVariantPasses(k87, account);
}

// "90": positions 3-9 alone for a "9" at position 3; otherwise a list of
// modulus 11, 7, 9 and 10 spans, and from 9 June 2014 on a last modulus-7
// span on positions 4-9.
// clang-format off
constexpr Variant k90[] = {
    {4, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod11},
    {5, 9, kRising, Rule::kMod7},
    {5, 9, kRising, Rule::kMod9},
    {5, 9, kAlternating, Rule::kMod10},
};
// clang-format on
constexpr Variant k90Dated = {4, 9, kAlternating, Rule::kMod7};
bool Method90(MethodAccount& account) {
  using namespace std::chrono;
  if (account.At(3) == '9') return AnyVariantPasses(kThreeToNine, account);
  if (AnyVariantPasses(k90, account)) return true;
  return platform::LocalToday() > year{2014} / June / 8 && VariantPasses(k90Dated, account);
}

// "91": four modulus-11 variants, all checking position 7.
constexpr int kFalling91[] = {7, 6, 5, 4, 3, 2};
constexpr int kWhole91[] = {2, 3, 4, 0, 5, 6, 7, 8, 9, 10};  // position 7 weighs 0
constexpr int kDoubling91[] = {2, 4, 8, 5, 10, 9};
// clang-format off
constexpr Variant k91[] = {
    {1, 6, kRising, Rule::kMod11, 7},
    {1, 6, kFalling91, Rule::kMod11, 7},
    {1, 10, kWhole91, Rule::kMod11, 7},
    {1, 6, kDoubling91, Rule::kMod11, 7},
};
// clang-format on
bool Method91(MethodAccount& account) { return AnyVariantPasses(k91, account); }

// clang-format off
constexpr MethodEntry kEntries[] = {
    {CheckMethodCode("51"), &Method51}, {CheckMethodCode("73"), &Method73},
    {CheckMethodCode("80"), &Method80}, {CheckMethodCode("81"), &Method81},
    {CheckMethodCode("83"), &Method83}, {CheckMethodCode("84"), &Method84},
    {CheckMethodCode("85"), &Method85}, {CheckMethodCode("86"), &Method86},
    {CheckMethodCode("87"), &Method87}, {CheckMethodCode("90"), &Method90},
    {CheckMethodCode("91"), &Method91},
};
// clang-format on

}  // namespace

std::span<const MethodEntry> VariantChainMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
