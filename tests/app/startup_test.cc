// The program's own start as a whole process: the command line of a batch
// run and the validity date, read from the real clock, which faketime sets.
// The interactive rows of the validity check are tested with a fake user
// interface in tests/app_gui.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/faketime.h"

namespace {

namespace fs = std::filesystem;

std::string Program() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

struct Outcome {
  int status = -1;
  std::string stderrText;
};

class StartupProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("talvenor_startup_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config");
    input_ = folder_ / "in.csv";
    output_ = folder_ / "out.csv";
    std::ofstream(input_) << "DE;;;;;37050198;1234567897;;;;;\n";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the program with `arguments` (shell-quoted) at the local time
  // `moment` ("YYYY-MM-DD hh:mm:ss"; empty: the real clock). There is no
  // display, so a run that wrongly wanted a window ends at once (status 2)
  // instead of waiting for a person.
  // `environment` adds assignments ("NAME=value ...", shell-quoted).
  Outcome Run(const std::string& moment, const std::string& arguments,
              const std::string& environment = "") {
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    command += "-u XDG_SESSION_TYPE " + environment + " ";
    command += "XDG_CONFIG_HOME=" + Quoted(folder_ / "config") + " ";
    if (!moment.empty()) {
      // An AddressSanitizer build would refuse the preloaded faketime library.
      command += "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" ";
      command += "faketime ";
      command += Quoted(moment);
      command += " ";
    }
    command += Quoted(Program());
    command += " ";
    command += arguments;
    command += " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    Outcome outcome;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
      outcome.stderrText.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
  }

  static std::string Quoted(const fs::path& text) {
    std::string quoted = "'";
    quoted += text.string();
    quoted += "'";
    return quoted;
  }
  std::string Files() const { return Quoted(input_) + " " + Quoted(output_); }
  std::string Output() const {
    std::ifstream in(output_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_, input_, output_;
};

TEST_F(StartupProcess, BatchRunFollowsTheValidityDate) {
  if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty())
    GTEST_SKIP() << why;
  struct Case {
    const char* moment;
    int status;
    bool converted;
  };
  const Case cases[] = {
      {"2024-06-02 23:59:00", 0, true},   // the last minute of the last valid day
      {"2024-06-03 00:00:00", 3, false},  // one whole day after: expired
      {"2024-06-17 00:00:00", 3, false},  // fifteen days after
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moment);
    for (const std::string silent : {"", "/S"}) {
      fs::remove(output_);
      const Outcome outcome = Run(c.moment, silent + " " + Files());
      EXPECT_EQ(outcome.status, c.status) << outcome.stderrText;
      EXPECT_EQ(fs::exists(output_), c.converted);
      if (!silent.empty()) {
        EXPECT_EQ(outcome.stderrText, "");
      }
      if (c.converted) {
        // 370501981234567897 with "DE00" as 131400: remainder 0, check digits 98.
        EXPECT_NE(Output().find("\"COLSDE33XXX\";\"DE98370501981234567897\""), std::string::npos)
            << Output();
      }
    }
  }
}

TEST_F(StartupProcess, CommandLineEndsWithoutAWindow) {
  if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty())
    GTEST_SKIP() << why;
  const std::string valid = "2024-05-15 12:00:00";
  const std::string missing = Quoted(folder_ / "missing.csv");
  const std::string out = Quoted(output_);

  Outcome outcome = Run(valid, Files() + " c.txt");  // three files: nothing done
  EXPECT_EQ(outcome.status, 2);
  EXPECT_FALSE(fs::exists(output_));

  outcome = Run(valid, "/s " + missing + " " + out);  // silent, no input: ends quietly
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.stderrText, "");

  outcome = Run(valid, "-x " + Files() + " /Silent");  // switches anywhere
  EXPECT_EQ(outcome.status, 0) << outcome.stderrText;
  EXPECT_TRUE(fs::exists(output_));
}

TEST_F(StartupProcess, FailedBatchRunExitsWithOne) {
  if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty())
    GTEST_SKIP() << why;
  std::ofstream(input_, std::ios::trunc) << "\tno record format\n";
  Outcome outcome = Run("2024-05-15 12:00:00", Files());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.stderrText.find("hat ein unbekanntes Format!"), std::string::npos)
      << outcome.stderrText;
  outcome = Run("2024-05-15 12:00:00", "/S " + Files());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.stderrText, "");
  EXPECT_FALSE(fs::exists(output_));
}

// An X display number that no server on this machine uses.
std::string UnusedDisplay() {
  for (int number = 87; number < 200; ++number) {
    const std::string n = std::to_string(number);
    if (!fs::exists("/tmp/.X11-unix/X" + n) && !fs::exists("/tmp/.X" + n + "-lock")) {
      return ":" + n;
    }
  }
  return ":199";
}

TEST_F(StartupProcess, WindowSystemThatCannotBeReachedGivesOneLine) {
  const std::string display = UnusedDisplay();
  struct Case {
    std::string environment;
    std::string line;
  };
  const std::string tail = " (see talvenor --help for the command-line use)\n";
  // clang-format off
  const std::vector<Case> cases = {
      {"DISPLAY=" + display, "talvenor: the display \"" + display + "\" cannot be opened" + tail},
      {"QT_QPA_PLATFORM=xcb DISPLAY=" + display,
       "talvenor: the display \"" + display + "\" cannot be opened" + tail},
      {"QT_QPA_PLATFORM=xcb", "talvenor: the window system \"xcb\" cannot be started" + tail},
      // A control character from the environment is shown, not sent.
      {"DISPLAY=\"$(printf '" + display + "\\033')\"",
       "talvenor: the display \"" + display + "\\x1B\" cannot be opened" + tail},
      {"", "talvenor: no display for the main dialog" + tail},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.environment);
    for (const std::string& arguments : {std::string(), Quoted(input_)}) {
      const Outcome outcome = Run("", arguments, c.environment);
      EXPECT_EQ(outcome.status, 2);  // never Qt's abort
      EXPECT_EQ(outcome.stderrText, c.line);
    }
  }
}

}  // namespace
