#include "app/program_version.h"

namespace talvenor::app {

std::string DisplayVersion(std::string_view fileVersion) {
  if (fileVersion.ends_with(".0")) fileVersion.remove_suffix(2);
  return std::string(fileVersion);
}

std::string ProgramVersion() { return DisplayVersion(TALVENOR_FILE_VERSION); }

}  // namespace talvenor::app
