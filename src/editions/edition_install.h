// Installing a bank-code file as an edition of the user's own (or, for the
// system-wide update, of the machine's).
//
// The file is read and checked completely first: its form is recognised
// by content, every line or entry is checked, and it must be plausible
// beside the edition in force (not far fewer bank codes, a stated validity
// that fits the schedule, only IBAN rules the program knows) unless the
// caller forces it. Then it is stored under a temporary name in the edition
// folder and renamed to "blz_YYYY_MM_DD.<form>" (its start date) only when
// it is complete on disk, with a record of where it came from beside it.
// A failed or interrupted install therefore leaves the installed editions
// exactly as they were. An edition of the same start date is replaced, and
// the report says so.
#ifndef TALVENOR_EDITIONS_EDITION_INSTALL_H_
#define TALVENOR_EDITIONS_EDITION_INSTALL_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editions/edition_catalogue.h"
#include "editions/edition_start.h"

namespace talvenor::editions {

// An edition with fewer bank codes than this share of the edition in force
// is taken for a cut or wrong file.
inline constexpr double kMinimumShareOfBankCodes = 0.95;

struct InstallRequest {
  std::filesystem::path file;            // the bank-code file (its name may carry the date)
  std::optional<std::string> validFrom;  // "YYYY-MM-DD", when a person gave it
  std::filesystem::path folder;          // the edition folder to install into
  Date today{};                          // for the edition in force
  bool force = false;                    // install even when implausible
  // kInstalled for the user's folder, kSystem for the machine's.
  EditionOrigin origin = EditionOrigin::kInstalled;
  // The file's bytes when they are already in memory (a download); the
  // file is not read then, `file` only names it.
  std::optional<std::string> bytes{};
  // What the download page said about the file's validity.
  StatedValidity pageValidity{};
  // Where the bytes came from, for the record kept beside the edition (an
  // address); empty: the absolute path of `file`.
  std::string source{};
};

// A file that passed every check, ready to be stored.
struct PreparedEdition {
  Date validFrom{};
  std::filesystem::path target;  // where it is stored
  std::string bytes;             // what is stored (a ZIP package's content)
  std::string provenance;        // the record stored beside it
  // "Die Bankleitzahlendatei NAME (FORM)": the subject of the report.
  std::string description;
  // The report after that subject: what it replaces, its validity and
  // size, when it applies and what changed.
  std::string report;
  std::vector<std::string> warnings;
  bool alreadyExpired = false;  // its validity ended before `today`
  // Stored for every user of the machine: readable by all, whatever the
  // umask of the process that installs it.
  bool forAllUsers = false;
  bool startDateMissing = false;  // refused only for want of a start date
};

struct InstallResult {
  bool installed = false;
  // Refused only because no start date is known: with `validFrom` given
  // the install may succeed.
  bool startDateMissing = false;
  // The report (what was installed and what changed), or why nothing was.
  std::string message;
  std::vector<std::string> warnings;
  std::filesystem::path storedAt;  // where the edition now is
};

// Reads and checks `request`'s file among the editions of `catalogue`
// (which must describe the folder's editions as they are now). False, with
// `refusal` set to why (ending in "Es wurde nichts installiert."), when it
// cannot be installed.
bool PrepareEdition(const InstallRequest& request, const EditionCatalogue& catalogue,
                    PreparedEdition& prepared, std::string& refusal);

// Stores every prepared edition in `folder`, all or none: every file is
// written completely to disk under a temporary name first, then each takes
// its name (a rename within one folder, which does not fail for want of
// space). Other forms of the same start date in the folder are removed.
// False with `error` (a German sentence) when a file cannot be written;
// nothing is changed then.
bool StoreEditions(const std::filesystem::path& folder,
                   const std::vector<PreparedEdition>& editions, std::string& error);

// Prepares and stores one file.
InstallResult InstallEdition(const InstallRequest& request, const EditionCatalogue& catalogue);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_INSTALL_H_
