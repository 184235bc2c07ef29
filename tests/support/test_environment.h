// The surroundings a test sets up for itself: the tools it needs on the
// PATH, a temporary folder, environment variables for one scope, and
// self-signed certificates made with the openssl command line.
#ifndef TALVENOR_TESTS_SUPPORT_TEST_ENVIRONMENT_H_
#define TALVENOR_TESTS_SUPPORT_TEST_ENVIRONMENT_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talvenor::test_support {

// True when `tool` is found on the PATH.
bool HaveTool(const std::string& tool);

// A fresh folder, removed with everything in it. `path()` is empty when it
// could not be made.
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

// The lines of a text file, e.g. the JSON lines a stand-in server logged.
std::vector<std::string> ReadLogLines(const std::filesystem::path& log);

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_TEST_ENVIRONMENT_H_
