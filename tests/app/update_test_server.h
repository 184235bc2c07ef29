// Test support for the update check: a stand-in update server or proxy
// (update_server.py) run as a child process, self-signed certificates made
// with the openssl command line, and environment variables set for one test.
#ifndef TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_
#define TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talvenor::app::update_test {

// True when `tool` is found on the PATH.
bool HaveTool(const std::string& tool);

// A fresh folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A self-signed certificate (usable as its own authority) for `hostName`,
// written as <folder>/<stem>.pem with the key <folder>/<stem>.key. False
// when openssl failed.
bool MakeCertificate(const std::filesystem::path& folder, const std::string& stem,
                     const std::string& hostName);

// Sets (or, with nullopt, removes) an environment variable until the end of
// the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// update_server.py running with `arguments`; terminated with the object.
class TestServer {
 public:
  explicit TestServer(const std::vector<std::string>& arguments);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  // 0 when the server did not come up.
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// The JSON lines update_server.py logged, one string per request.
std::vector<std::string> ReadLogLines(const std::filesystem::path& log);

}  // namespace talvenor::app::update_test

#endif  // TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_
