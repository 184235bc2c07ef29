// SHA-256 checksums of bank-code files, as lower-case hexadecimal text.
//
// A checksum identifies the exact bytes of a downloaded or installed file:
// the update compares it to tell a corrected file from the one it already
// has, and the list of editions shows it.
#ifndef TALVENOR_EDITIONS_CHECKSUM_H_
#define TALVENOR_EDITIONS_CHECKSUM_H_

#include <string>
#include <string_view>

namespace talvenor::editions {

// The SHA-256 of `bytes`, 64 hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_CHECKSUM_H_
