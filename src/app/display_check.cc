#include "app/display_check.h"

#include "platform/display_text.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace talvenor::app {
namespace {

// A connection that takes longer than this counts as failed (a display on
// a host that does not answer would otherwise keep the program waiting).
constexpr auto kConnectLimit = std::chrono::seconds(30);

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// In the child: connect as the program would, then end without cleaning up
// (exit status 0). A failed connection aborts inside Qt.
[[noreturn]] void ConnectAndEnd(int argc, char** argv) {
  const int devNull = open("/dev/null", O_WRONLY);
  if (devNull >= 0) {  // Qt's own account of the failure is not for the person
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  QGuiApplication probe(argc, argv);
  _exit(0);
}

// True when a child could make a QGuiApplication within the time limit.
bool ChildConnects(int argc, char** argv) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = fork();
  if (child < 0) return true;  // no check possible: Qt decides
  if (child == 0) ConnectAndEnd(argc, argv);
  const auto deadline = std::chrono::steady_clock::now() + kConnectLimit;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What the person knows the window system by: the X display, the Wayland
// display or the platform plugin named.
std::string WhatCannotBeOpened() {
  const std::string platform = Variable("QT_QPA_PLATFORM");
  const std::string display = Variable("DISPLAY");
  const std::string wayland = Variable("WAYLAND_DISPLAY");
  if (!display.empty() && (platform.empty() || StartsWith(platform, "xcb"))) {
    return "the display \"" + platform::EscapeControlCharacters(display) + "\" cannot be opened";
  }
  if (!wayland.empty() && (platform.empty() || StartsWith(platform, "wayland"))) {
    return "the Wayland display \"" + platform::EscapeControlCharacters(wayland) +
           "\" cannot be opened";
  }
  if (!platform.empty()) {
    return "the window system \"" + platform::EscapeControlCharacters(platform) +
           "\" cannot be started";
  }
  return "no display can be opened";
}

}  // namespace

std::string WindowSystemProblem(int argc, char** argv) {
  if (Variable("DISPLAY").empty() && Variable("WAYLAND_DISPLAY").empty() &&
      Variable("QT_QPA_PLATFORM").empty()) {
    return "no display for the main dialog";
  }
  if (ChildConnects(argc, argv)) return {};
  return WhatCannotBeOpened();
}

}  // namespace talvenor::app
