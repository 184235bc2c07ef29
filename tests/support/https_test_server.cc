#include "support/https_test_server.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace talvenor::test_support {
namespace fs = std::filesystem;

namespace {

// The server script lives beside this file; TALVENOR_FILE_SERVER_SCRIPT
// names it when the sources have moved since the build.
std::string ScriptPath() {
  if (const char* path = std::getenv("TALVENOR_FILE_SERVER_SCRIPT")) return path;
  return (fs::path(__FILE__).parent_path() / "file_server.py").string();
}

}  // namespace

std::string HttpsTestServerUnavailable() {
  if (!HaveTool("python3")) return "needs python3 (Debian package python3)";
  if (!HaveTool("openssl")) return "needs openssl (Debian package openssl)";
  return {};
}

HttpsTestServer::HttpsTestServer() {
  const fs::path& folder = folder_.path();
  std::error_code error;
  if (folder.empty() || !fs::create_directory(root(), error)) return;
  if (!MakeCertificate(folder, "server", "localhost") ||
      !MakeCertificate(folder, "stranger", "localhost")) {
    return;
  }
  const std::vector<std::string> arguments{"--root", root().string(),
                                           "--cert", authorityFile().string(),
                                           "--key",  (folder / "server.key").string(),
                                           "--log",  log().string()};
  server_ = std::make_unique<ScriptServer>(ScriptPath(), arguments);
}

void HttpsTestServer::AddFile(const std::string& name, std::string_view bytes) const {
  std::ofstream(root() / name, std::ios::binary) << bytes;
}

std::string HttpsTestServer::Url(std::string_view path) const {
  return "https://localhost:" + std::to_string(port()) + std::string(path);
}

}  // namespace talvenor::test_support
