// Installing a bank-code file as an edition of the user's own.
//
// The file is read and checked completely first; then a copy is written
// under a temporary name in the user's edition folder and renamed to
// "blz_YYYY_MM_DD.txt" (its start date) only when it is complete on disk.
// A failed or interrupted install therefore leaves the installed editions
// exactly as they were. An edition of the same start date is replaced,
// and the report says so.
#ifndef TALVENOR_EDITIONS_EDITION_INSTALL_H_
#define TALVENOR_EDITIONS_EDITION_INSTALL_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editions/edition_catalogue.h"

namespace talvenor::editions {

// The day an edition file takes effect: `validFrom` ("YYYY-MM-DD") when
// given, else the date its name carries. Nothing, with `error` set, when
// neither gives a date or `validFrom` is malformed. `warnings` receives a
// note when the date is not on the central bank's schedule or when
// `validFrom` overrides another date in the name.
std::optional<Date> EditionStartDate(const std::filesystem::path& file,
                                     const std::optional<std::string>& validFrom,
                                     std::string& error, std::vector<std::string>& warnings);

struct InstallRequest {
  std::filesystem::path file;            // the bank-code file to install
  std::optional<std::string> validFrom;  // "YYYY-MM-DD", when given
  std::filesystem::path folder;          // the user's edition folder
  Date today{};                          // for the edition in force
};

struct InstallResult {
  bool installed = false;
  // The report (what was installed and what changed), or why nothing was.
  std::string message;
  std::vector<std::string> warnings;
  std::filesystem::path storedAt;  // where the edition now is
};

// Installs `request.file` among the editions of `catalogue` (which must
// describe the folder's editions as they are before the install).
InstallResult InstallEdition(const InstallRequest& request, const EditionCatalogue& catalogue);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_INSTALL_H_
