#include "core/account_text.h"

#include <algorithm>

#include "platform/left_pad.h"
#include "platform/number_text.h"

namespace talvenor {

long AccountPrefix(std::string_view accountText) {
  if (accountText.size() < 8) return 0;
  return platform::ParseLeadingLong(accountText.substr(0, accountText.size() - 7));
}

std::string PadAccount(std::string_view accountText) {
  return platform::LeftPadded(accountText, 10, '0');
}

void PadAccountInto(std::string_view accountText, std::string& out) {
  platform::LeftPadInto(accountText, 10, '0', out);
}

std::string_view WithoutLeadingZeros(std::string_view text) {
  const auto first = text.find_first_not_of('0');
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

}  // namespace talvenor
