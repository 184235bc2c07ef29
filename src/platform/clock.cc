#include "platform/clock.h"

#include <ctime>

namespace talvenor::platform {
namespace {

std::optional<LocalDateTime>& PinnedMoment() {
  static std::optional<LocalDateTime> pinned;
  return pinned;
}

LocalDateTime SystemLocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  LocalDateTime result;
  result.date = std::chrono::year{local.tm_year + 1900} /
                std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
                std::chrono::day{static_cast<unsigned>(local.tm_mday)};
  result.hour = std::chrono::hours{local.tm_hour};
  result.minute = std::chrono::minutes{local.tm_min};
  result.second = std::chrono::seconds{local.tm_sec};
  return result;
}

}  // namespace

LocalDateTime LocalNow() {
  if (PinnedMoment()) return *PinnedMoment();
  return SystemLocalNow();
}

std::chrono::year_month_day LocalToday() { return LocalNow().date; }

std::string UtcTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

ScopedClockOverride::ScopedClockOverride(LocalDateTime moment) : previous_(PinnedMoment()) {
  PinnedMoment() = moment;
}

ScopedClockOverride::ScopedClockOverride(std::chrono::year_month_day date)
    : ScopedClockOverride(LocalDateTime{date}) {}

ScopedClockOverride::~ScopedClockOverride() { PinnedMoment() = previous_; }

}  // namespace talvenor::platform
