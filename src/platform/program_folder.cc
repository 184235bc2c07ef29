#include "platform/program_folder.h"

#include <system_error>

namespace talvenor::platform {

std::optional<std::filesystem::path> ProgramPath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || path.empty()) return std::nullopt;
  return path;
}

std::optional<std::filesystem::path> ProgramFolder() {
  const std::optional<std::filesystem::path> path = ProgramPath();
  if (!path || !path->has_parent_path()) return std::nullopt;
  return path->parent_path();
}

}  // namespace talvenor::platform
