#include "platform/utf8.h"

#include <cstdint>
#include <cstring>

namespace talvenor::platform {
namespace {

// Whether the sequence beginning at `p` (with `left` bytes from there on)
// is well formed; `length` receives its length.
bool ValidSequence(const unsigned char* p, std::size_t left, std::size_t& length) {
  const unsigned char lead = p[0];
  // The second byte's range depends on the lead: it rules out overlong
  // forms, surrogates and code points beyond U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return false;
  }
  if (left < length || p[1] < low || p[1] > high) return false;
  for (std::size_t i = 2; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return false;
  }
  return true;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = p + text.size();
  while (p != end) {
    // Plain ASCII, the common case, eight bytes at a time.
    if (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    if (*p < 0x80) {
      ++p;
      continue;
    }
    std::size_t length = 0;
    if (!ValidSequence(p, static_cast<std::size_t>(end - p), length)) return false;
    p += length;
  }
  return true;
}

}  // namespace talvenor::platform
