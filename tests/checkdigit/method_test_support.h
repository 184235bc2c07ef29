// Running one check-digit method on one account, for the method tests.
#ifndef TALVENOR_TESTS_CHECKDIGIT_METHOD_TEST_SUPPORT_H_
#define TALVENOR_TESTS_CHECKDIGIT_METHOD_TEST_SUPPORT_H_

#include <string>
#include <string_view>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"

namespace talvenor::checkdigit {

// One row of a method table: the method, the account, whether it passes.
struct MethodCase {
  const char* code;
  const char* account;
  bool passes;
};

// Whether `account` passes method `code` for the bank code `bankCode`.
inline bool Passes(std::string_view code, std::string_view account, long bankCode = 0) {
  std::string text(account);
  return verifyAccount(text, bankCode, CheckMethodCode(code)) != 0;
}

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_TESTS_CHECKDIGIT_METHOD_TEST_SUPPORT_H_
