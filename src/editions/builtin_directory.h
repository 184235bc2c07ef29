// The bank directory edition built into the program.
//
// The program carries the central bank's extended bank-code file of one
// edition, which took effect on 4 March 2024. On its own it is valid until
// the day before the next scheduled edition, BuiltinDataValidUntil; newer
// editions installed later take over from it (see edition_catalogue.h).
// Its directory is built on first use, once per process, and lives until
// the process ends.
#ifndef TALVENOR_EDITIONS_BUILTIN_DIRECTORY_H_
#define TALVENOR_EDITIONS_BUILTIN_DIRECTORY_H_

#include <chrono>
#include <string_view>

#include "core/bank_directory.h"

namespace talvenor::editions {

inline constexpr std::chrono::year_month_day BuiltinDataValidFrom{
    std::chrono::year{2024}, std::chrono::March, std::chrono::day{4}};
inline constexpr std::chrono::year_month_day BuiltinDataValidUntil{
    std::chrono::year{2024}, std::chrono::June, std::chrono::day{2}};

// The text of the built-in bank-code file, exactly as published.
std::string_view BuiltinEditionText();

// The directory built from the built-in edition. Thread-safe; built once.
const BankDirectory& BuiltinDirectory();

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_BUILTIN_DIRECTORY_H_
