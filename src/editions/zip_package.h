// Unpacking the one file of a ZIP package, in memory.
//
// The central bank offers every form of its file packed as well, one file
// to a package. A package is untrusted: it must hold exactly one file
// (folders and what archivers add on their own, such as "__MACOSX/" and
// ".DS_Store", are passed over), that file must not be encrypted, and it
// may unpack to no more than a bound, checked against the size the package
// states and again against the bytes actually unpacked, so that a package
// made to unpack to far more (a "ZIP bomb") is refused before it fills
// memory.
#ifndef TALVENOR_EDITIONS_ZIP_PACKAGE_H_
#define TALVENOR_EDITIONS_ZIP_PACKAGE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace talvenor::editions {

// The most a packed bank-code file may unpack to (published ones are
// below 6 MB).
inline constexpr std::size_t kMaxUnpackedSize = 64u << 20;

struct PackedFile {
  std::string name;   // its name in the package, folders included (UTF-8)
  std::string bytes;  // its content
};

// Whether `bytes` begin as a ZIP package does (a local file header, or the
// end record of an empty package).
bool IsZipPackage(std::string_view bytes);

// Unpacks the one file of `package`. False with a German `error` (and
// `file` untouched) when the package cannot be read or is damaged, holds
// no file or more than one, the file is encrypted or packed in a way that
// cannot be unpacked, or it unpacks to more than `limit` bytes.
bool UnpackSingleFile(std::string_view package, PackedFile& file, std::string& error,
                      std::size_t limit = kMaxUnpackedSize);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_ZIP_PACKAGE_H_
