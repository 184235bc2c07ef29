// Where the program lives. Configuration files (FORMAT.INI, DEBUG.INI) and
// the documents shipped with the program are looked for in its folder.
#ifndef TALVENOR_PLATFORM_PROGRAM_FOLDER_H_
#define TALVENOR_PLATFORM_PROGRAM_FOLDER_H_

#include <filesystem>
#include <optional>

namespace talvenor::platform {

// The full path of the running program, or nothing when it cannot be found.
std::optional<std::filesystem::path> ProgramPath();

// The folder that holds the running program, or nothing.
std::optional<std::filesystem::path> ProgramFolder();

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_PROGRAM_FOLDER_H_
