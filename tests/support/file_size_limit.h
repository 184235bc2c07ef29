// A full disk for tests: while an object lives, no file of the process may
// grow beyond a limit (RLIMIT_FSIZE), and the signal such a write raises is
// ignored, so the write fails with EFBIG as one on a full disk fails.
#ifndef TALVENOR_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
#define TALVENOR_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

namespace talvenor::test_support {

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved_;
    small.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
