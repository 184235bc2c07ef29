#include "editions/edition_dates.h"

#include <cstdio>

#include "platform/number_text.h"

namespace talvenor::editions {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;

constexpr unsigned kScheduleMonths[] = {3, 6, 9, 12};

// The number written by the digits of `text`. REQUIRES: digits only.
int Number(std::string_view text) {
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// Year, month and day from three digit groups; nothing unless they name a
// real calendar day.
std::optional<Date> DateOf(std::string_view y, std::string_view m, std::string_view d) {
  for (std::string_view part : {y, m, d}) {
    if (!platform::IsDigitsOnly(part)) return std::nullopt;
  }
  const Date date{year{Number(y)}, month{static_cast<unsigned>(Number(m))},
                  day{static_cast<unsigned>(Number(d))}};
  if (!date.ok()) return std::nullopt;
  return date;
}

}  // namespace

Date ScheduledStart(year y, month m) {
  const sys_days third = sys_days(Date{y, m, day{3}});
  const std::chrono::weekday weekday{third};
  const auto untilMonday = std::chrono::Monday - weekday;  // 0 to 6 days
  return Date{third + untilMonday};
}

bool IsScheduledStart(Date date) {
  for (unsigned m : kScheduleMonths) {
    if (date.month() == month{m} && ScheduledStart(date.year(), month{m}) == date) return true;
  }
  return false;
}

Date NextScheduledStart(Date date) {
  for (int y = static_cast<int>(date.year());; ++y) {
    for (unsigned m : kScheduleMonths) {
      const Date start = ScheduledStart(year{y}, month{m});
      if (sys_days(start) > sys_days(date)) return start;
    }
  }
}

Date LatestScheduledStart(Date date) {
  for (int y = static_cast<int>(date.year());; --y) {
    for (auto it = std::rbegin(kScheduleMonths); it != std::rend(kScheduleMonths); ++it) {
      const Date start = ScheduledStart(year{y}, month{*it});
      if (sys_days(start) <= sys_days(date)) return start;
    }
  }
}

Date AddDays(Date date, int days) { return Date{sys_days(date) + std::chrono::days{days}}; }

std::optional<Date> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  return DateOf(text.substr(0, 4), text.substr(5, 2), text.substr(8, 2));
}

std::optional<Date> DateFromEditionFileName(std::string_view fileName) {
  constexpr std::string_view kPrefix = "blz_";
  if (fileName.size() < kPrefix.size() + 10 || !fileName.starts_with(kPrefix)) {
    return std::nullopt;
  }
  const std::string_view date = fileName.substr(kPrefix.size(), 10);
  if (date[4] != '_' || date[7] != '_') return std::nullopt;
  // "blz_2024_03_040.txt" carries no date: the date must end there.
  if (fileName.size() > kPrefix.size() + 10 && platform::IsDigit(fileName[kPrefix.size() + 10])) {
    return std::nullopt;
  }
  return DateOf(date.substr(0, 4), date.substr(5, 2), date.substr(8, 2));
}

std::string IsoDate(Date date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

std::string GermanDate(Date date) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d", static_cast<unsigned>(date.day()),
                static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
  return text;
}

std::string EditionFileName(Date date, std::string_view extension) {
  char text[32];
  std::snprintf(text, sizeof text, "blz_%04d_%02u_%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return std::string(text).append(extension);
}

}  // namespace talvenor::editions
