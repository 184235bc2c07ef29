// Reading a small configuration file (FORMAT.INI, DEBUG.INI, the per-user
// settings) whole into memory.
//
// Only a regular file of at most kConfigFileLimit bytes is read. A name
// that is missing reads as missing; anything else that is not such a file
// (a folder, a FIFO, a device, a file that cannot be opened or read, an
// absurdly large file) is unusable. Opening never blocks, so a FIFO with
// no writer is refused at once instead of hanging the program.
#ifndef TALVENOR_PLATFORM_CONFIG_FILE_H_
#define TALVENOR_PLATFORM_CONFIG_FILE_H_

#include <cstddef>
#include <filesystem>
#include <string>

namespace talvenor::platform {

// The largest configuration file read: far beyond any real one.
inline constexpr std::size_t kConfigFileLimit = std::size_t{1024} * 1024;

enum class ConfigFileState {
  kRead,      // the file's bytes are in the text
  kMissing,   // no file of that name (or an empty name)
  kUnusable,  // there is something, but it cannot be read as a file
};

// Reads `file` into `text` (cleared unless the state is kRead).
ConfigFileState ReadConfigFile(const std::filesystem::path& file, std::string& text);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_CONFIG_FILE_H_
