#include "platform/data_folders.h"

#include <cstdlib>
#include <string_view>

namespace talvenor::platform {
namespace {

// An environment value that is an absolute path, or nothing.
const char* AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : nullptr;
}

}  // namespace

std::filesystem::path UserDataFolder() {
  std::filesystem::path base;
  if (const char* configured = AbsoluteFromEnvironment("XDG_DATA_HOME")) {
    base = configured;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
  }
  return base / "Korvane" / "Talvenor";
}

std::filesystem::path SystemUpdateFolder() {
  if (const char* configured = AbsoluteFromEnvironment("TALVENOR_SYSTEM_DATA")) return configured;
  return "/var/lib/talvenor";
}

std::vector<std::filesystem::path> SystemDataFolders() {
  const char* configured = std::getenv("XDG_DATA_DIRS");
  std::string_view list = (configured != nullptr && configured[0] != '\0')
                              ? std::string_view(configured)
                              : std::string_view("/usr/local/share:/usr/share");
  std::vector<std::filesystem::path> folders{SystemUpdateFolder()};
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    if (!entry.empty() && entry.front() == '/')
      folders.push_back(std::filesystem::path(entry) / "talvenor");
  }
  return folders;
}

}  // namespace talvenor::platform
