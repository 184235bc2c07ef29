// Whether bytes are well-formed UTF-8: every sequence the shortest for its
// code point, no surrogates, nothing beyond U+10FFFF.
#ifndef TALVENOR_PLATFORM_UTF8_H_
#define TALVENOR_PLATFORM_UTF8_H_

#include <string_view>

namespace talvenor::platform {

// The three bytes a UTF-8 text may begin with to mark its encoding.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsValidUtf8(std::string_view text);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_UTF8_H_
