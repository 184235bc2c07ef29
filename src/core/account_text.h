// Helpers on account number texts shared by the single and batch conversion
// and the IBAN rules.
#ifndef TALVENOR_CORE_ACCOUNT_TEXT_H_
#define TALVENOR_CORE_ACCOUNT_TEXT_H_

#include <string>
#include <string_view>

namespace talvenor {

// 0 when the text has fewer than eight characters, otherwise the decimal
// value of all characters before its last seven (the first three digits of
// a ten-digit account).
long AccountPrefix(std::string_view accountText);

// The text left-padded with "0" to ten characters; a longer text unchanged.
std::string PadAccount(std::string_view accountText);
// The same into `out`, keeping its buffer.
// REQUIRES: `accountText` does not point into `out`.
void PadAccountInto(std::string_view accountText, std::string& out);

// The text without its leading "0" characters.
std::string_view WithoutLeadingZeros(std::string_view text);

}  // namespace talvenor

#endif  // TALVENOR_CORE_ACCOUNT_TEXT_H_
