#include "app/mycomand_info.h"

#include <filesystem>
#include <system_error>

namespace talvenor::app {

bool IsSwitchArgument(std::string_view argument) {
  if (argument.starts_with("--")) return false;
  if (argument.starts_with("-")) return true;
  if (!argument.starts_with("/")) return false;
  if (argument.find('/', 1) != std::string_view::npos) return false;
  std::error_code error;
  return !std::filesystem::exists(std::filesystem::path(argument), error);
}

void MycomandInfo::ParseParam(std::string_view param, bool isSwitch, bool /*isLast*/) {
  if (!isSwitch) {
    parameters.emplace_back(param);
    return;
  }
  if (!param.empty() && (param.front() == 'S' || param.front() == 's')) silent = true;
}

void MycomandInfo::ParseCommandLine(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool isSwitch = IsSwitchArgument(argument);
    const std::string_view param = isSwitch ? std::string_view(argument).substr(1) : argument;
    ParseParam(param, isSwitch, i + 1 == arguments.size());
  }
}

}  // namespace talvenor::app
