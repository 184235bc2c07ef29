// The local date and time as the program sees it.
//
// Every reading of the wall clock goes through LocalNow(), so that a test can
// pin the clock to any moment (check-digit methods with date limits, the
// validity check of the built-in data). Nothing else in the program calls the
// system clock directly.
#ifndef TALVENOR_PLATFORM_CLOCK_H_
#define TALVENOR_PLATFORM_CLOCK_H_

#include <chrono>
#include <optional>
#include <string>

namespace talvenor::platform {

struct LocalDateTime {
  std::chrono::year_month_day date;
  std::chrono::hours hour{0};
  std::chrono::minutes minute{0};
  std::chrono::seconds second{0};
};

// The current local date and time (or the pinned moment, see below).
LocalDateTime LocalNow();

// The date part of LocalNow().
std::chrono::year_month_day LocalToday();

// The current moment in UTC as "2026-12-09T23:40:12Z", for records of when
// something happened (not pinned by ScopedClockOverride).
std::string UtcTimestamp();

// Pins the clock to `moment` for as long as the object lives, then restores
// the previous setting. For tests; not thread-safe against concurrent readers.
class ScopedClockOverride {
 public:
  explicit ScopedClockOverride(LocalDateTime moment);
  explicit ScopedClockOverride(std::chrono::year_month_day date);
  ~ScopedClockOverride();
  ScopedClockOverride(const ScopedClockOverride&) = delete;
  ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;

 private:
  std::optional<LocalDateTime> previous_;
};

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_CLOCK_H_
