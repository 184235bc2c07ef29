// Reading a whole file into memory, refusing what is not a regular file.
//
// Folders, FIFOs and devices are refused before anything is read, so a
// FIFO never blocks the program; a file larger than the caller's limit is
// refused instead of read.
#ifndef TALVENOR_PLATFORM_WHOLE_FILE_H_
#define TALVENOR_PLATFORM_WHOLE_FILE_H_

#include <cstddef>
#include <filesystem>
#include <string>

namespace talvenor::platform {

enum class WholeFileStatus {
  kRead,        // `contents` holds the whole file
  kMissing,     // no such file
  kNotRegular,  // a folder, FIFO, device or socket
  kTooLarge,    // larger than the limit
  kUnreadable,  // it exists but cannot be opened or read
};

struct WholeFile {
  WholeFileStatus status = WholeFileStatus::kUnreadable;
  std::string contents;
  int error = 0;  // errno of a failed open or read
};

// Reads `path` when it is a regular file of at most `limit` bytes.
WholeFile ReadWholeFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_WHOLE_FILE_H_
