// Check-digit methods that depend on the bank code.
//
// "13" reads the shape of the bank code (its fourth character, its last five
// digits) to decide which sub-account checks apply. "52", "53", "B6" and
// "C0" fold digits 5-8 of the bank code into the place-table check.
#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "checkdigit/shared_rules.h"

namespace talvenor::checkdigit {

namespace {

// The sub-account check on positions 4-10; on a pass the account is
// shifted by two places for the caller.
bool ShiftedSubAccountPasses(const MethodAccount& account) {
  if (!SubAccountMod10(account.padded, 10)) return false;
  RewriteShiftedByTwo(account);
  return true;
}

// "13" for a bank code whose fourth character is "4".
bool Method13FourthIsFour(const MethodAccount& account) {
  if (!account.StartsWith("0") || account.StartsWith("00000")) return false;
  if (account.Span(2, 3) != "00" && SubAccountMod10(account.padded, 8)) return true;
  return account.StartsWith("000") && ShiftedSubAccountPasses(account);
}

// "13" for every other bank code.
bool Method13Other(const MethodAccount& account) {
  if (SubAccountMod10(account.padded, 8)) return true;
  if (account.bankCode % 100000 == 10111) return false;
  return account.StartsWith("00") && ShiftedSubAccountPasses(account);
}

// "13": a check digit at position 8, or a sub-account at positions 4-10
// that is handed back shifted by two; the bank code decides which apply.
bool Method13(MethodAccount& account) {
  return account.bankCodeFourthIsFour ? Method13FourthIsFour(account) : Method13Other(account);
}

// "52"/"53": the place-table check for accounts not starting with "9". An
// account starting with "9" is checked like any "20" account: positions 1-9
// weighed, position 10 as the check digit (the dispatcher's check digit 0
// and whole-account body belong to the place-table check only).
bool PlaceTableOrTwenty(MethodAccount& account, int variant) {
  if (account.At(1) != '9') return mod11PlaceTable(account.padded, account.bankCode, variant);
  MethodAccount asTwenty = account;
  asTwenty.check = account.Digit(10);
  return RunMethod("20", asTwenty);
}

// "52": place table with account positions 3 and 4.
bool Method52(MethodAccount& account) { return PlaceTableOrTwenty(account, 0); }

// "53": place table with account positions 2, 4 and 3.
bool Method53(MethodAccount& account) { return PlaceTableOrTwenty(account, 1); }

// "B6": "20" for accounts not starting with "0" and for 02691... to
// 02699...; the place table (positions 2, 4 and 3) for the rest.
bool MethodB6(MethodAccount& account) {
  const std::string_view head = account.Span(1, 5);
  if (account.At(1) != '0' || (head >= "02691" && head <= "02699")) {
    return RunMethod("20", account);
  }
  return mod11PlaceTable(account.padded, account.bankCode, 1);
}

// "C0": for accounts with exactly two leading zeros the place table first,
// then "20" for every account.
bool MethodC0(MethodAccount& account) {
  if (account.StartsWith("00") && account.At(3) != '0' &&
      mod11PlaceTable(account.padded, account.bankCode, 0)) {
    return true;
  }
  return RunMethod("20", account);
}

constexpr MethodEntry kEntries[] = {
    {CheckMethodCode("13"), &Method13}, {CheckMethodCode("52"), &Method52},
    {CheckMethodCode("53"), &Method53}, {CheckMethodCode("B6"), &MethodB6},
    {CheckMethodCode("C0"), &MethodC0},
};

}  // namespace

std::span<const MethodEntry> BankCodeMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
