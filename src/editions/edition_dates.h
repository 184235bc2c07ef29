// The dates of bank-data editions.
//
// The central bank publishes a new bank-code file every quarter. An edition
// takes effect on the first Monday on or after the 3rd of March, June,
// September and December and is valid until the day before the next one
// takes effect. A file's name may carry its start date
// ("blz_2024_03_04.txt"); installed editions are stored under such names.
#ifndef TALVENOR_EDITIONS_EDITION_DATES_H_
#define TALVENOR_EDITIONS_EDITION_DATES_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace talvenor::editions {

using Date = std::chrono::year_month_day;

// The first Monday on or after the 3rd of `month` in `year`.
Date ScheduledStart(std::chrono::year year, std::chrono::month month);

// Whether `date` is a start day of the quarterly schedule.
bool IsScheduledStart(Date date);

// The first scheduled start strictly after `date`.
Date NextScheduledStart(Date date);

// The latest scheduled start on or before `date`.
Date LatestScheduledStart(Date date);

// `date` moved by `days` (negative: earlier).
Date AddDays(Date date, int days);

// A date written "YYYY-MM-DD" (exactly that form, a real calendar day).
std::optional<Date> ParseIsoDate(std::string_view text);

// The start date a file name carries: "blz_YYYY_MM_DD" at the start of the
// name (any extension), or nothing.
std::optional<Date> DateFromEditionFileName(std::string_view fileName);

// "2026-06-08", "08.06.2026", and the name an edition is stored under,
// "blz_2026_06_08" + `extension` (".txt", ".xml" or ".csv").
std::string IsoDate(Date date);
std::string GermanDate(Date date);
std::string EditionFileName(Date date, std::string_view extension = ".txt");

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_DATES_H_
