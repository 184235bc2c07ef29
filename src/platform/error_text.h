// System error numbers as short German texts for messages to a person.
#ifndef TALVENOR_PLATFORM_ERROR_TEXT_H_
#define TALVENOR_PLATFORM_ERROR_TEXT_H_

#include <string>

namespace talvenor::platform {

// "keine Berechtigung" for EACCES, "kein Speicherplatz mehr frei" for
// ENOSPC, ...; the C library's text for numbers without a German one.
std::string ErrorText(int error);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_ERROR_TEXT_H_
