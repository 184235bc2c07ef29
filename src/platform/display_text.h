// Showing text that comes from outside the program (file names, command-line
// arguments) inside a message: control characters are written as escapes,
// so they can neither break the message's own lines nor reach a terminal
// raw. Every other byte, UTF-8 sequences included, is kept.
#ifndef TALVENOR_PLATFORM_DISPLAY_TEXT_H_
#define TALVENOR_PLATFORM_DISPLAY_TEXT_H_

#include <string>
#include <string_view>

namespace talvenor::platform {

// `text` with tab, line feed and carriage return as "\t", "\n", "\r" and
// every other byte below 0x20, and 0x7F, as "\xHH" (upper-case hex).
std::string EscapeControlCharacters(std::string_view text);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_DISPLAY_TEXT_H_
