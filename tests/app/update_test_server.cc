#include "app/update_test_server.h"

#include <cstdlib>
#include <filesystem>

namespace talvenor::app::update_test {
namespace {

// The server script lives beside this file; TALVENOR_UPDATE_SERVER_SCRIPT
// names it when the sources have moved since the build.
std::string ScriptPath() {
  if (const char* path = std::getenv("TALVENOR_UPDATE_SERVER_SCRIPT")) return path;
  return (std::filesystem::path(__FILE__).parent_path() / "update_server.py").string();
}

}  // namespace

TestServer::TestServer(const std::vector<std::string>& arguments)
    : ScriptServer(ScriptPath(), arguments) {}

}  // namespace talvenor::app::update_test
