// Checking one account with one check-digit method, without an edition.
#include <talvenor/talvenor.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"

namespace talvenor {

bool IsHandledMethod(std::string_view method) {
  if (method.size() != 2) return false;
  const char first = method[0];
  const char second = method[1];
  if (second < '0' || second > '9') return false;
  if (!((first >= '0' && first <= '9') || (first >= 'A' && first <= 'E'))) return false;
  return checkdigit::MethodTableIndex(checkdigit::CheckMethodCode(method)) >= 0;
}

Verification Verify(std::string_view method, std::string_view account, std::string_view bankCode) {
  // Without this guard a method code the dispatcher does not know would
  // read as "no method", and every account would pass.
  if (!IsHandledMethod(method)) {
    std::string message = "Unbekannte Prüfziffermethode „";
    message += method;
    message += "“; erlaubt sind 00 bis 99 und A0 bis E4.";
    throw Error(message);
  }
  Verification v;
  v.method = std::string(method);
  v.account = std::string(account);
  v.bankCode = std::string(bankCode);
  v.result = checkdigit::verifyAccountNumber(account, bankCode, checkdigit::CheckMethodCode(method),
                                             v.adjustedAccount);
  return v;
}

}  // namespace talvenor
