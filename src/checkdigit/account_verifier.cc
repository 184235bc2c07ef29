#include "checkdigit/account_verifier.h"

#include <charconv>

#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "checkdigit/shared_rules.h"
#include "platform/left_pad.h"
#include "platform/number_text.h"

namespace talvenor::checkdigit {
namespace {

constexpr int kMethod13 = CheckMethodCode("13");
constexpr int kMethod52 = CheckMethodCode("52");
constexpr int kMethod53 = CheckMethodCode("53");

// Whether the fourth character of the bank code written as a decimal
// number is "4".
bool BankCodeFourthIsFour(long bankCode) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, bankCode).ptr;
  return end - text >= 4 && text[3] == '4';
}

// Whether the account has a value above zero, as the C library's strtod
// reads it after blanks are removed.
bool HasValueAboveZero(std::string_view account) {
  if (!account.empty() && platform::IsDigitsOnly(account)) return true;
  return platform::ParseLeadingDouble(platform::TrimBlanks(account)) > 0.0;
}

}  // namespace

int verifyAccountNumber(std::string_view accountText, std::string_view bankCodeText, int methodCode,
                        std::string& adjustedAccount) {
  return verifyAccountNumber(accountText, platform::ParseLeadingLong(bankCodeText), methodCode,
                             adjustedAccount);
}

int verifyAccountNumber(std::string_view accountText, long bankCode, int methodCode,
                        std::string& adjustedAccount) {
  const std::size_t firstNonZero = accountText.find_first_not_of('0');
  const std::string_view significant = firstNonZero == std::string_view::npos
                                           ? std::string_view{}
                                           : accountText.substr(firstNonZero);
  if (!HasValueAboveZero(significant)) return -1;
  if (methodCode < 0) return 1;
  // The method reads the account and may rewrite it; the caller's text is
  // where it ends up, so it is worked on there (keeping its buffer).
  adjustedAccount.assign(significant);
  return verifyAccount(adjustedAccount, bankCode, methodCode);
}

int verifyAccount(std::string& account, long bankCode, int methodCode) {
  MethodAccount prepared;
  if (methodCode == kMethod13) prepared.bankCodeFourthIsFour = BankCodeFourthIsFour(bankCode);
  if (account.empty() || account.size() > 10) return 0;
  const MethodRule rule = FindMethod(methodCode);
  if (rule == nullptr) return 0;

  // Padded in place: ten characters, "0" before the account. A ten-byte
  // buffer on the stack first: stores through the string's own pointer
  // would make the compiler read the account's data and size anew for
  // every character.
  char buffer[10];
  const char* digits = account.data();
  const std::size_t length = account.size();
  const std::size_t zeros = 10 - length;
  for (std::size_t i = 0; i < 10; ++i) buffer[i] = i < zeros ? '0' : digits[i - zeros];
  prepared.padded.assign(buffer, sizeof buffer);
  prepared.length = static_cast<int>(account.size());
  prepared.bankCode = bankCode;
  prepared.rewrite = &account;
  const bool wholeAccountIsBody = methodCode == kMethod52 || methodCode == kMethod53;
  prepared.check = wholeAccountIsBody ? 0 : DigitValue(prepared.padded.back());
  return rule(prepared) ? 1 : 0;
}

int verifySubAccountShift(std::string_view accountText) {
  if (accountText.size() > 10) return 0;
  const std::string account = platform::LeftPadded(accountText, 10, '0');
  if (account.substr(3, 3) == "000") return 0;
  return SubAccountMod10(account, 10) ? 1 : 0;
}

}  // namespace talvenor::checkdigit
