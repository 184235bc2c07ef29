// Reading INI files the way the program's configuration files are meant to
// be read ("private profiles"): sections and keys are matched without regard
// to case, the first occurrence of a key in a section wins, values are
// trimmed and lose one pair of enclosing quotes, and every read names a
// default that applies when the file, section or key is missing.
//
// A missing or unreadable file is not an error: it reads as an empty
// profile (see config_file.h for what can be read). A line whose first
// character other than white space is ";" is a comment; a ";" later in a
// line is part of it. Lines that are not sections, keys or comments are
// ignored. Lines of any length are read in full; a NUL byte ends its line.
#ifndef TALVENOR_PLATFORM_PRIVATE_PROFILE_H_
#define TALVENOR_PLATFORM_PRIVATE_PROFILE_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/config_file.h"

namespace talvenor::platform {

class PrivateProfile {
 public:
  // Reads `file`; a file that is missing or cannot be read gives an empty
  // profile. `state`, when given, says which of the two, or that the file
  // was read.
  static PrivateProfile Load(const std::filesystem::path& file, ConfigFileState* state = nullptr);
  // Parses INI text held in memory.
  static PrivateProfile Parse(std::string_view text);

  // The value of `key` in `section`, or nothing when it is absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // The value, or `fallback` when the key is absent.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;

  // The value read as an integer: an optional sign and the decimal digits
  // that follow it (no digits read as 0). `fallback` when the key is absent
  // or its value is empty.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_PRIVATE_PROFILE_H_
