// Check-digit methods that check the account behind a fixed prefix.
//
// A six- or seven-digit prefix is put in front of the account digits,
// giving a fifteen-digit number whose modulus-10 check (weights 2, 1, 2, ...
// from the right, cross sums) must match position 10.
#include <string>

#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"

namespace talvenor::checkdigit {
namespace {

constexpr int kWeights15[] = {2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};

bool PrefixedCheck(std::string_view prefix, std::string_view digits, int check) {
  std::string fifteen(prefix);
  fifteen += digits;
  return weightedMod10(fifteen, check, kWeights15, 1);
}

// "C6": a prefix chosen by position 1, followed by positions 2-9. A
// character other than a digit at position 1 counts as "0", as it does in
// every weighted sum.
constexpr std::string_view kPrefixesC6[10] = {
    "4451970", "4451981", "4451992", "4451993", "4344992",
    "4344990", "4344991", "5499570", "4451994", "5499579",
};
bool MethodC6(MethodAccount& account) {
  return PrefixedCheck(kPrefixesC6[account.Digit(1)], account.Span(2, 9), account.check);
}

// "D1": prefix 436338; accounts starting with "8" fail.
bool MethodD1(MethodAccount& account) {
  return account.At(1) != '8' && PrefixedCheck("436338", account.Body(), account.check);
}

// "D4": prefix 428259; accounts starting with "0" fail.
bool MethodD4(MethodAccount& account) {
  return account.At(1) != '0' && PrefixedCheck("428259", account.Body(), account.check);
}

// "E2": prefix 438320; accounts starting with 6 to 9 fail.
bool MethodE2(MethodAccount& account) {
  return account.Digit(1) <= 5 && PrefixedCheck("438320", account.Body(), account.check);
}

// clang-format off
constexpr MethodEntry kEntries[] = {
    {CheckMethodCode("C6"), &MethodC6},
    {CheckMethodCode("D1"), &MethodD1},
    {CheckMethodCode("D4"), &MethodD4},
    {CheckMethodCode("E2"), &MethodE2},
};
// clang-format on

}  // namespace

std::span<const MethodEntry> PrefixedMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
