// Temporary output files and interrupting signals: the files go, and the
// process ends as the signal's default action ends it.
#include "batch/temporary_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "batch/output_files.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

class TemporaryFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-signal-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const char* name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

// In the child process of a death test: an output run that has written a
// record when `signal` arrives.
[[noreturn]] void InterruptARun(const std::string& output, const std::string& earlier, int signal) {
  OutputFiles files({output, earlier});
  if (files.WriteRecord(0, "neu\r\n") != RecordOutput::Status::kWritten) std::_Exit(10);
  if (files.WriteRecord(1, "neu\r\n") != RecordOutput::Status::kWritten) std::_Exit(11);
  std::raise(signal);
  std::_Exit(12);  // not reached when the signal ends the process
}

TEST_F(TemporaryFilesTest, InterruptingSignalsRemoveTheTemporariesAndEndTheProcess) {
  std::ofstream(Path("earlier.txt")) << "alt";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EXIT(InterruptARun(Path("out.txt"), Path("earlier.txt"), signal),
                testing::KilledBySignal(signal), "")
        << signal;
    std::size_t names = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      EXPECT_EQ(entry.path().filename(), "earlier.txt") << signal;
      ++names;
    }
    EXPECT_EQ(names, 1u);
    std::ifstream in(Path("earlier.txt"));
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "alt");
  }
}

TEST_F(TemporaryFilesTest, AnIgnoredSignalStaysIgnored) {
  const std::string file = Path("kept.tmp");
  EXPECT_EXIT(
      {
        std::signal(SIGHUP, SIG_IGN);
        std::ofstream(file) << "x";
        const int slot = RegisterTemporaryFile(file);
        std::raise(SIGHUP);
        std::_Exit(slot >= 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(TemporaryFilesTest, ForgottenFilesStayAndTheFormerHandlingReturns) {
  const std::string file = Path("renamed.txt");
  EXPECT_EXIT(
      {
        std::ofstream(file) << "x";
        const int slot = RegisterTemporaryFile(file);
        ForgetTemporaryFile(slot);
        ForgetTemporaryFile(slot);  // twice does no harm
        std::raise(SIGTERM);
        std::_Exit(1);
      },
      testing::KilledBySignal(SIGTERM), "");
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(TemporaryFilesTest, HeldInterruptionsTakeEffectAfterwards) {
  const std::string done = Path("done.txt");
  EXPECT_EXIT(
      {
        {
          const InterruptionsHeld held;
          std::raise(SIGTERM);
          std::ofstream(done) << "x";  // still running
        }
        std::_Exit(1);
      },
      testing::KilledBySignal(SIGTERM), "");
  EXPECT_TRUE(fs::exists(done));
}

TEST_F(TemporaryFilesTest, PathsThatCannotBeLookedAfterAreRefused) {
  EXPECT_EQ(RegisterTemporaryFile(""), -1);
  EXPECT_EQ(RegisterTemporaryFile(std::string(PATH_MAX, 'x')), -1);
  EXPECT_EQ(RegisterTemporaryFile(std::string("a\0b", 3)), -1);
}

}  // namespace
}  // namespace talvenor::batch
