// Check-digit methods that hand the caller a rewritten account.
//
// These methods recognise an account written without its trailing zeros
// (a sub-account number) and, only when the account passes, replace the
// caller's text with the full form: shifted left by two places with "00"
// appended, by three places with "000" appended ("50"), or the ten-digit
// form ("26"). A failing account is never rewritten.
#include <algorithm>
#include <string>
#include <string_view>

#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "checkdigit/shared_rules.h"

namespace talvenor::checkdigit {

namespace {

// Shifts the account by two for the caller when `passes`; returns `passes`.
bool ShiftWhen(bool passes, const MethodAccount& account) {
  if (passes) RewriteShiftedByTwo(account);
  return passes;
}

// Modulus 11 (tenRule 1) on the positions before `checkPosition` of a
// ten-character text, checked against that position.
bool Mod11Before(std::string_view text, int checkPosition, Weights weights) {
  const auto check = static_cast<std::size_t>(checkPosition);
  return weightedMod11(text.substr(0, check - 1), DigitValue(text[check - 1]), weights, 1);
}

// "26": an account starting with "00" is first shifted by two; then
// positions 1-7 against position 8. The caller gets the ten-digit form.
constexpr int kWeights26[] = {2, 3, 4, 5, 6, 7, 2};
bool Method26(MethodAccount& account) {
  const std::string tenDigits =
      account.StartsWith("00") ? std::string(account.Span(3, 10)) + "00" : account.padded;
  if (!Mod11Before(tenDigits, 8, kWeights26)) return false;
  account.Rewrite(tenDigits);
  return true;
}

// "50": positions 1-6 against position 7; failing that, the same check on
// the account shifted by three places, which the caller then receives.
constexpr int kWeights50[] = {2, 3, 4, 5, 6, 7};
bool Method50(MethodAccount& account) {
  if (Mod11Before(account.padded, 7, kWeights50)) return true;
  const std::string shifted = std::string(account.Span(4, 10)) + "000";
  if (!Mod11Before(shifted, 7, kWeights50)) return false;
  account.Rewrite(shifted);
  return true;
}

// "63": a check digit at position 8, or a sub-account at positions 4-10
// handed back shifted by two. Position 1 must be "0".
bool Method63(MethodAccount& account) {
  if (account.At(1) != '0') return false;
  if (account.Span(2, 4) != "000" && SubAccountMod10(account.padded, 8)) return true;
  return account.StartsWith("000") && account.Span(4, 6) != "000" &&
         ShiftWhen(SubAccountMod10(account.padded, 10), account);
}

// "76": modulus 11 taken directly (remainder = check digit) at position 8,
// or on a sub-account at positions 4-10 handed back shifted by two.
constexpr int kWeights76[] = {2, 3, 4, 5, 6, 7};
constexpr std::string_view kKinds76 = "046789";  // allowed account kinds
bool Method76(MethodAccount& account) {
  if (account.length < 5 || kKinds76.find(account.At(1)) == std::string_view::npos) return false;
  if (account.length >= 7 && mod11Direct(account.Span(2, 7), account.Digit(8), kWeights76)) {
    return true;
  }
  return account.StartsWith("00") && kKinds76.find(account.At(3)) != std::string_view::npos &&
         ShiftWhen(mod11Direct(account.Span(4, 9), account.check, kWeights76), account);
}

// "C7": for accounts starting with "0" the checks of "63" without its
// exclusions (position 8, then the shifted sub-account); otherwise, or
// when they fail, "06".
bool MethodC7(MethodAccount& account) {
  if (account.At(1) == '0') {
    if (SubAccountMod10(account.padded, 8)) return true;
    if (account.StartsWith("000") && ShiftWhen(SubAccountMod10(account.padded, 10), account)) {
      return true;
    }
  }
  return RunMethod("06", account);
}

constexpr MethodEntry kEntries[] = {
    {CheckMethodCode("26"), &Method26}, {CheckMethodCode("50"), &Method50},
    {CheckMethodCode("63"), &Method63}, {CheckMethodCode("76"), &Method76},
    {CheckMethodCode("C7"), &MethodC7},
};

}  // namespace

std::span<const MethodEntry> RewritingMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
