// Test support for the update check: the stand-in update server or proxy
// (update_server.py) run as a child process, with the shared helpers for
// certificates, temporary folders and environment variables.
#ifndef TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_
#define TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_

#include <string>
#include <vector>

#include "support/script_server.h"
#include "support/test_environment.h"

namespace talvenor::app::update_test {

using test_support::HaveTool;
using test_support::MakeCertificate;
using test_support::ReadLogLines;
using test_support::ScopedEnv;
using test_support::TempFolder;

// update_server.py running with `arguments`; terminated with the object.
class TestServer : public test_support::ScriptServer {
 public:
  explicit TestServer(const std::vector<std::string>& arguments);
};

}  // namespace talvenor::app::update_test

#endif  // TALVENOR_TESTS_APP_UPDATE_TEST_SERVER_H_
