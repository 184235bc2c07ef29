// A local HTTPS file server for tests of downloads: file_server.py run as a
// child process, serving the files of a folder of its own as "localhost"
// with a self-signed certificate that tests trust as an extra authority.
// Paths such as /status/404/NAME, /stall/NAME or /cut/NAME make it fail on
// purpose; file_server.py lists them.
#ifndef TALVENOR_TESTS_SUPPORT_HTTPS_TEST_SERVER_H_
#define TALVENOR_TESTS_SUPPORT_HTTPS_TEST_SERVER_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "support/script_server.h"
#include "support/test_environment.h"

namespace talvenor::test_support {

// Why the server cannot run on this machine (python3 or openssl missing);
// empty when it can. Tests GTEST_SKIP with it.
std::string HttpsTestServerUnavailable();

class HttpsTestServer {
 public:
  // Makes the folders and certificates and starts the server.
  HttpsTestServer();

  // True when the server is up.
  bool ready() const { return server_ != nullptr && server_->port() != 0; }
  int port() const { return ready() ? server_->port() : 0; }

  // Files put here are served at once, under their names.
  std::filesystem::path root() const { return folder_.path() / "root"; }
  // Writes `bytes` as the file root()/name.
  void AddFile(const std::string& name, std::string_view bytes) const;

  // "https://localhost:PORT" + path (path starts with "/").
  std::string Url(std::string_view path) const;

  // The authority that issued the server's certificate (PEM), to trust as an
  // extra authority; and one that did not.
  std::filesystem::path authorityFile() const { return folder_.path() / "server.pem"; }
  std::filesystem::path strangerFile() const { return folder_.path() / "stranger.pem"; }

  // The requests the server got, one JSON line each.
  std::filesystem::path log() const { return folder_.path() / "requests.log"; }

 private:
  TempFolder folder_;
  std::unique_ptr<ScriptServer> server_;
};

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_HTTPS_TEST_SERVER_H_
