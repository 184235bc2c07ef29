// Running the built program at a chosen date with faketime.
#ifndef TALVENOR_TESTS_SUPPORT_FAKETIME_H_
#define TALVENOR_TESTS_SUPPORT_FAKETIME_H_

#include <cstdlib>
#include <string>

namespace talvenor::test_support {

// Why the program cannot run under faketime here; empty when it can.
inline std::string FaketimeUnavailable() {
#if defined(TALVENOR_SANITIZED)
  // The sanitizer allocator reads the clock while it sets itself up; the
  // preloaded faketime library then allocates during its own set-up, and
  // the program hangs before main.
  return "faketime cannot be combined with the sanitizer runtime";
#else
  if (std::system("command -v faketime >/dev/null 2>&1") != 0) return "faketime is not installed";
  return {};
#endif
}

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_FAKETIME_H_
