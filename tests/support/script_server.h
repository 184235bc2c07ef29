// A stand-in server written in Python, run as a child process for the
// length of a test. The script prints the port it listens on (on 127.0.0.1)
// as the first line of its output; the server is terminated with the
// object, and ends by itself when the test process is gone.
#ifndef TALVENOR_TESTS_SUPPORT_SCRIPT_SERVER_H_
#define TALVENOR_TESTS_SUPPORT_SCRIPT_SERVER_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace talvenor::test_support {

class ScriptServer {
 public:
  // Runs `python3 script arguments...`.
  ScriptServer(const std::string& script, const std::vector<std::string>& arguments);
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  // 0 when the server did not come up.
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_SCRIPT_SERVER_H_
