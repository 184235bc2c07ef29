// Left-padding a text to a width, as account numbers are padded with "0".
#ifndef TALVENOR_PLATFORM_LEFT_PAD_H_
#define TALVENOR_PLATFORM_LEFT_PAD_H_

#include <string>
#include <string_view>

namespace talvenor::platform {

// Writes `text` to `out`, preceded by as many `fill` characters as make it
// `width` long; a longer text is written unchanged. Keeps `out`'s buffer.
// REQUIRES: `text` does not point into `out`.
inline void LeftPadInto(std::string_view text, std::size_t width, char fill, std::string& out) {
  out.assign(text.size() < width ? width - text.size() : 0, fill);
  out.append(text);
}

inline std::string LeftPadded(std::string_view text, std::size_t width, char fill) {
  std::string out;
  LeftPadInto(text, width, fill, out);
  return out;
}

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_LEFT_PAD_H_
