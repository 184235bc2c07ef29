#include "platform/clock.h"

#include <gtest/gtest.h>

namespace talvenor::platform {
namespace {

using std::chrono::year;

TEST(Clock, OverrideIsScopedAndNests) {
  const auto real = LocalToday();
  {
    ScopedClockOverride outer(year{2016} / 1 / 1);
    EXPECT_EQ(LocalToday(), year{2016} / 1 / 1);
    {
      ScopedClockOverride inner(
          LocalDateTime{year{2024} / 6 / 2, std::chrono::hours{23}, std::chrono::minutes{59}});
      EXPECT_EQ(LocalToday(), year{2024} / 6 / 2);
      EXPECT_EQ(LocalNow().minute.count(), 59);
    }
    EXPECT_EQ(LocalToday(), year{2016} / 1 / 1);
  }
  // Back on the system clock (allow for a change of day during the test).
  EXPECT_GE(LocalToday(), real);
}

TEST(Clock, SystemClockGivesAPlausibleDate) {
  const auto today = LocalToday();
  EXPECT_TRUE(today.ok());
  EXPECT_GE(today.year(), year{2024});
}

}  // namespace
}  // namespace talvenor::platform
