// The day an edition takes effect, and whether what it states about its
// validity fits the central bank's schedule.
//
// The start comes from, in this order: the date a person names
// (--valid-from), the validity the edition states itself (the XML header, or
// the words of the download page it came from), the date its file name
// carries ("blz_2026_06_08.txt"). A named date that contradicts a stated
// one is refused: one of the two is wrong.
#ifndef TALVENOR_EDITIONS_EDITION_START_H_
#define TALVENOR_EDITIONS_EDITION_START_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "editions/edition_dates.h"

namespace talvenor::editions {

// What an edition states about its own validity.
struct StatedValidity {
  std::optional<Date> from;
  std::optional<Date> until;
};

// The start of the edition in `file`. Nothing, with `error` set, when no
// date is known, `validFrom` is malformed or contradicts `stated`.
// `warnings` receives a note when a date a person named or the file name
// carries is not on the schedule, or when a date overrides another one in
// the file name.
std::optional<Date> EditionStartDate(const std::filesystem::path& file,
                                     const std::optional<std::string>& validFrom,
                                     const StatedValidity& stated, std::string& error,
                                     std::vector<std::string>& warnings);

// Why `stated` contradicts the schedule (a start that is no scheduled
// start, an end that is not the day before the next one, an end before
// the start), as a German sentence; empty when it fits or states nothing.
std::string ScheduleContradiction(const StatedValidity& stated);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_START_H_
