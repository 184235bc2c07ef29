#include "platform/config_file.h"

#include "platform/whole_file.h"

namespace talvenor::platform {

ConfigFileState ReadConfigFile(const std::filesystem::path& file, std::string& text) {
  text.clear();
  if (file.empty()) return ConfigFileState::kMissing;
  WholeFile read = ReadWholeFile(file, kConfigFileLimit);
  switch (read.status) {
    case WholeFileStatus::kRead:
      text = std::move(read.contents);
      return ConfigFileState::kRead;
    case WholeFileStatus::kMissing:
      return ConfigFileState::kMissing;
    case WholeFileStatus::kNotRegular:
    case WholeFileStatus::kTooLarge:
    case WholeFileStatus::kUnreadable:
      break;
  }
  return ConfigFileState::kUnusable;
}

}  // namespace talvenor::platform
