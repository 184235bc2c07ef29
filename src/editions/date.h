// A calendar day, as the bank-data editions use it: the first day an edition
// is valid, the last day, the day a file names. Always a real day of the
// Gregorian calendar when a function hands one out.
#ifndef TALVENOR_EDITIONS_DATE_H_
#define TALVENOR_EDITIONS_DATE_H_

#include <chrono>

namespace talvenor::editions {

using Date = std::chrono::year_month_day;

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_DATE_H_
