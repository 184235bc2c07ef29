#include "app/update_test_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

extern char** environ;

namespace talvenor::app::update_test {
namespace fs = std::filesystem;

namespace {

// The server script lives beside this file; TALVENOR_UPDATE_SERVER_SCRIPT
// names it when the sources have moved since the build.
std::string ScriptPath() {
  if (const char* path = std::getenv("TALVENOR_UPDATE_SERVER_SCRIPT")) return path;
  return (fs::path(__FILE__).parent_path() / "update_server.py").string();
}

// Reads the first line from `fd`, waiting at most `timeoutMs` in all.
std::string ReadFirstLine(int fd, int timeoutMs) {
  std::string line;
  char c = 0;
  while (line.size() < 16) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0 || read(fd, &c, 1) != 1 || c == '\n') break;
    line.push_back(c);
  }
  return line;
}

}  // namespace

bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "talvenor-update-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

bool MakeCertificate(const fs::path& folder, const std::string& stem, const std::string& hostName) {
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
      " -subj '/CN=" +
      hostName + "' -addext 'subjectAltName=DNS:" + hostName + "'" + " -keyout '" +
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

TestServer::TestServer(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"python3", ScriptPath()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    pid_ = -1;
    close(out[0]);
    return;
  }
  port_ = std::atoi(ReadFirstLine(out[0], 10000).c_str());
  close(out[0]);
}

TestServer::~TestServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

std::vector<std::string> ReadLogLines(const fs::path& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace talvenor::app::update_test
