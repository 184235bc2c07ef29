#include "checkdigit/shared_rules.h"

#include <string>

#include "checkdigit/primitives.h"

namespace talvenor::checkdigit {

bool thirdDigitNineRule(const MethodAccount& account) {
  static constexpr int kPositions3To9[] = {2, 3, 4, 5, 6, 7, 8};
  static constexpr int kPositions1To9[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
  return weightedMod11(account.Span(3, 9), account.check, kPositions3To9, 1) ||
         weightedMod11(account.Body(), account.check, kPositions1To9, 1);
}

bool SubAccountMod10(std::string_view padded, int checkPosition) {
  static constexpr int kWeights[] = {2, 1, 2, 1, 2, 1};
  const auto check = static_cast<std::size_t>(checkPosition);
  return weightedMod10(padded.substr(check - 7, 6), DigitValue(padded[check - 1]), kWeights, 1);
}

void RewriteShiftedByTwo(const MethodAccount& account) {
  std::string shifted = std::string(account.Span(3, 10)) + "00";
  const std::size_t firstNonZero = shifted.find_first_not_of('0');
  shifted.erase(0, firstNonZero == std::string::npos ? shifted.size() - 1 : firstNonZero);
  account.Rewrite(std::move(shifted));
}

}  // namespace talvenor::checkdigit
