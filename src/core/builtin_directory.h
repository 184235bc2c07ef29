// The bank directory edition built into the program, and its validity.
//
// The program carries the central bank's bank-code file of one edition; the
// directory is built from it on first use, once per process, and lives until
// the process ends. Its data is valid until DataValidUntil (midnight at the
// start of that day).
#ifndef TALVENOR_CORE_BUILTIN_DIRECTORY_H_
#define TALVENOR_CORE_BUILTIN_DIRECTORY_H_

#include <chrono>
#include <string_view>

#include "core/bank_directory.h"

namespace talvenor {

inline constexpr std::chrono::year_month_day DataValidUntil{
    std::chrono::year{2024}, std::chrono::June, std::chrono::day{2}};

// The text of the built-in bank-code file, exactly as published.
std::string_view BuiltinEditionText();

// The directory built from the built-in edition. Thread-safe; built once.
const BankDirectory& BuiltinDirectory();

}  // namespace talvenor

#endif  // TALVENOR_CORE_BUILTIN_DIRECTORY_H_
