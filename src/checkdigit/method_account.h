// The account as a check-digit method sees it.
//
// The dispatcher pads the account to ten characters and takes the check
// digit from position 10 (for "52" and "53" the check digit is 0 and the
// whole account is the body). Positions are counted 1 to 10 from the left.
// The six methods that rewrite the account write the new text through
// Rewrite(); every other method only reads.
#ifndef TALVENOR_CHECKDIGIT_METHOD_ACCOUNT_H_
#define TALVENOR_CHECKDIGIT_METHOD_ACCOUNT_H_

#include <string>
#include <string_view>

#include "checkdigit/primitives.h"

namespace talvenor::checkdigit {

struct MethodAccount {
  std::string padded;                 // exactly ten characters
  int check = 0;                      // value of position 10 ("52"/"53": 0)
  int length = 0;                     // significant length L, before padding
  long bankCode = 0;                  // the bank code as a number
  bool bankCodeFourthIsFour = false;  // method "13": 4th character of the bank code is "4"
  std::string* rewrite = nullptr;     // the caller's account text; may be null

  // REQUIRES: 1 <= position <= 10 (and first <= last for Span).
  char At(int position) const { return padded[static_cast<std::size_t>(position - 1)]; }
  int Digit(int position) const { return DigitValue(At(position)); }
  std::string_view Span(int first, int last) const {
    return std::string_view(padded).substr(static_cast<std::size_t>(first - 1),
                                           static_cast<std::size_t>(last - first + 1));
  }
  std::string_view Body() const { return Span(1, 9); }
  bool StartsWith(std::string_view prefix) const {
    return std::string_view(padded).starts_with(prefix);
  }
  // Whether the padded account lies in [low, high], compared as texts.
  bool InRange(std::string_view low, std::string_view high) const {
    return padded >= low && padded <= high;
  }
  // Hands the caller the rewritten account text.
  void Rewrite(std::string text) const {
    if (rewrite != nullptr) *rewrite = std::move(text);
  }
};

// A method rule: true when the account passes (or needs no check).
using MethodRule = bool (*)(MethodAccount& account);

}  // namespace talvenor::checkdigit

#endif  // TALVENOR_CHECKDIGIT_METHOD_ACCOUNT_H_
