// System error numbers as short German texts for messages to a person.
#ifndef TALVENOR_PLATFORM_ERROR_TEXT_H_
#define TALVENOR_PLATFORM_ERROR_TEXT_H_

#include <string>
#include <string_view>

namespace talvenor::platform {

// "keine Berechtigung" for EACCES, "kein Speicherplatz mehr frei" for
// ENOSPC, ...; the C library's text for numbers without a German one.
std::string ErrorText(int error);

// `text` as it can be shown in a message: control characters (and the
// byte 0x7F) written as \xNN, everything else as it is.
std::string Printable(std::string_view text);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_ERROR_TEXT_H_
