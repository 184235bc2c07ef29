#include "editions/edition_dates.h"

#include <gtest/gtest.h>

namespace talvenor::editions {
namespace {

using namespace std::chrono;

TEST(EditionDates, ScheduleMatchesThePublishedEditions) {
  // Every edition from March 2024 to September 2026 took effect on the
  // first Monday on or after the 3rd of its month.
  const Date published[] = {
      year{2024} / March / 4,     year{2024} / June / 3,      year{2024} / September / 9,
      year{2024} / December / 9,  year{2025} / March / 3,     year{2025} / June / 9,
      year{2025} / September / 8, year{2025} / December / 8,  year{2026} / March / 9,
      year{2026} / June / 8,      year{2026} / September / 7,
  };
  for (std::size_t i = 0; i < std::size(published); ++i) {
    SCOPED_TRACE(IsoDate(published[i]));
    EXPECT_TRUE(IsScheduledStart(published[i]));
    EXPECT_EQ(ScheduledStart(published[i].year(), published[i].month()), published[i]);
    if (i + 1 < std::size(published)) {
      EXPECT_EQ(NextScheduledStart(published[i]), published[i + 1]);
      EXPECT_EQ(LatestScheduledStart(AddDays(published[i + 1], -1)), published[i]);
    }
    EXPECT_EQ(LatestScheduledStart(published[i]), published[i]);
  }
  // December's edition (7 Dec 2026) is followed by March of the next year.
  EXPECT_EQ(NextScheduledStart(year{2026} / December / 7), year{2027} / March / 8);
  EXPECT_FALSE(IsScheduledStart(year{2026} / June / 9));
  EXPECT_FALSE(IsScheduledStart(year{2026} / July / 6));  // a Monday, but no edition month
  // The built-in edition alone is valid until the day before June's.
  EXPECT_EQ(AddDays(NextScheduledStart(year{2024} / March / 4), -1), year{2024} / June / 2);
  EXPECT_EQ(AddDays(NextScheduledStart(year{2026} / June / 8), -1), year{2026} / September / 6);
}

TEST(EditionDates, IsoDatesAreStrict) {
  EXPECT_EQ(ParseIsoDate("2026-06-08"), year{2026} / June / 8);
  EXPECT_EQ(ParseIsoDate("2024-02-29"), year{2024} / February / 29);
  for (const char* bad : {"", "2026-6-8", "2026-02-30", "2025-02-29", "20260608", "2026-06-08x",
                          "08.06.2026", "2026-13-01", "2026-00-10", "2026-06-00", "+026-06-08"}) {
    EXPECT_FALSE(ParseIsoDate(bad).has_value()) << bad;
  }
  EXPECT_EQ(IsoDate(year{2026} / June / 8), "2026-06-08");
  EXPECT_EQ(GermanDate(year{2026} / June / 8), "08.06.2026");
}

TEST(EditionDates, FileNamesCarryTheStartDate) {
  EXPECT_EQ(DateFromEditionFileName("blz_2024_03_04.txt"), year{2024} / March / 4);
  EXPECT_EQ(DateFromEditionFileName("blz_2026_06_08"), year{2026} / June / 8);
  EXPECT_EQ(DateFromEditionFileName("blz_2026_06_08_extended.txt"), year{2026} / June / 8);
  for (const char* none : {"blz-aktuell-txt-data.txt", "blz_2024_13_01.txt", "blz_2024_03_040.txt",
                           "BLZ_2024_03_04.txt", "blz_24_03_04.txt", "xblz_2024_03_04.txt", ""}) {
    EXPECT_FALSE(DateFromEditionFileName(none).has_value()) << none;
  }
  EXPECT_EQ(EditionFileName(year{2026} / September / 7), "blz_2026_09_07.txt");
}

}  // namespace
}  // namespace talvenor::editions
