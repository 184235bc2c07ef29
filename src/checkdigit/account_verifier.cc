#include "checkdigit/account_verifier.h"

#include <cstdio>

#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "checkdigit/shared_rules.h"
#include "platform/number_text.h"

namespace talvenor::checkdigit {
namespace {

constexpr int kMethod13 = CheckMethodCode("13");
constexpr int kMethod52 = CheckMethodCode("52");
constexpr int kMethod53 = CheckMethodCode("53");

bool BankCodeFourthIsFour(long bankCode) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", bankCode);
  return text[0] && text[1] && text[2] && text[3] == '4';
}

std::string LeftPadded(std::string_view text, std::size_t width) {
  std::string padded(width > text.size() ? width - text.size() : 0, '0');
  padded += text;
  return padded;
}

}  // namespace

int verifyAccountNumber(std::string_view accountText, std::string_view bankCodeText,
                        int methodCode, std::string& adjustedAccount) {
  const std::size_t firstNonZero = accountText.find_first_not_of('0');
  std::string account(firstNonZero == std::string_view::npos
                          ? std::string_view{}
                          : accountText.substr(firstNonZero));
  const long bankCode = platform::ParseLeadingLong(bankCodeText);
  if (platform::ParseLeadingDouble(platform::TrimBlanks(account)) <= 0.0) return -1;
  if (methodCode < 0) return 1;
  const int result = verifyAccount(account, bankCode, methodCode);
  adjustedAccount = account;
  return result;
}

int verifyAccount(std::string& account, long bankCode, int methodCode) {
  MethodAccount prepared;
  if (methodCode == kMethod13) prepared.bankCodeFourthIsFour = BankCodeFourthIsFour(bankCode);
  if (account.empty() || account.size() > 10) return 0;
  const MethodRule rule = FindMethod(methodCode);
  if (rule == nullptr) return 0;

  prepared.padded = LeftPadded(account, 10);
  prepared.length = static_cast<int>(account.size());
  prepared.bankCode = bankCode;
  prepared.rewrite = &account;
  const bool wholeAccountIsBody = methodCode == kMethod52 || methodCode == kMethod53;
  prepared.check = wholeAccountIsBody ? 0 : DigitValue(prepared.padded.back());
  return rule(prepared) ? 1 : 0;
}

int verifySubAccountShift(std::string_view accountText) {
  if (accountText.size() > 10) return 0;
  const std::string account = LeftPadded(accountText, 10);
  if (account.substr(3, 3) == "000") return 0;
  return SubAccountMod10(account, 10) ? 1 : 0;
}

}  // namespace talvenor::checkdigit
