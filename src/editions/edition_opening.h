// Opening the bank data a run works with: the edition in force on the
// run's day among the known editions, or a file named for the run. The
// program, the library and the Python module all open their edition here,
// so they choose alike and say the same about their choice.
#ifndef TALVENOR_EDITIONS_EDITION_OPENING_H_
#define TALVENOR_EDITIONS_EDITION_OPENING_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editions/edition_catalogue.h"

namespace talvenor::editions {

// The edition folders of this machine and user: the user's own
// (platform::UserDataFolder) and the system-wide ones, the update's folder
// (platform::SystemUpdateFolder) first.
EditionFolders PlatformEditionFolders();

struct EditionRequest {
  // A bank-code file to use instead of the edition in force, and the day
  // it takes effect ("YYYY-MM-DD"; else what the file states or its name).
  std::optional<std::filesystem::path> file;
  std::optional<std::string> validFrom;
  Date day{};  // the day the data is wanted for: today, or an earlier or later one
};

struct OpenedEdition {
  std::unique_ptr<BankDataEdition> edition;
  // The catalogue it was chosen from (with a given file among it).
  EditionCatalogue catalogue;
  // What to tell a person: editions passed over, a date off the schedule,
  // an edition that does not yet apply on the day.
  std::vector<std::string> warnings;
};

// Opens the edition `request` asks for among `catalogue`'s. False, with a
// German `error`, only when a given file cannot be used; a damaged
// installed edition gives way to another, with a line in the warnings.
bool OpenEdition(EditionCatalogue catalogue, const EditionRequest& request, OpenedEdition& opened,
                 std::string& error);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_OPENING_H_
