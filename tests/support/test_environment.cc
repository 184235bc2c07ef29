#include "support/test_environment.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>

namespace talvenor::test_support {
namespace fs = std::filesystem;

bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "talvenor-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

bool MakeCertificate(const fs::path& folder, const std::string& stem, const std::string& hostName) {
  // Tests run the program at other dates with faketime; the certificate is
  // valid from 2020 to 2045 wherever faketime can make it so, else for two
  // days from now.
  const bool wide = HaveTool("faketime");
  const std::string command =
      std::string(wide ? "faketime '2020-01-01 00:00:00' " : "") +
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days " +
      (wide ? "9131" : "2") + " -subj '/CN=" + hostName +
      "' -addext 'subjectAltName=DNS:" + hostName + "'" + " -keyout '" +
      (folder / (stem + ".key")).string() + "'" + " -out '" + (folder / (stem + ".pem")).string() +
      "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) previous_ = old;
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (previous_) {
    setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

std::vector<std::string> ReadLogLines(const fs::path& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace talvenor::test_support
