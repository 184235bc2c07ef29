// The bank data of one run of the program: the edition in force on the
// run's day among the built-in and the installed editions, or the file
// named with --bank-data, read and checked at start-up.
//
// The run's day is today, or the day given with --as-of (history and
// preview). DataValidUntil, which the start-up check, the expiry messages,
// the batch refusal and the about box use, is the last valid day of that
// edition. The edition may be replaced while the program runs (after an
// install or update in the main dialog); callers ask for the directory each
// time they need it.
#ifndef TALVENOR_APP_BANK_DATA_H_
#define TALVENOR_APP_BANK_DATA_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editions/edition_catalogue.h"
#include "platform/clock.h"

namespace talvenor::app {

// What the command line says about the bank data.
struct BankDataChoice {
  std::optional<std::string> file;       // --bank-data
  std::optional<std::string> validFrom;  // --valid-from
  std::optional<editions::Date> asOf;    // --as-of
};

class BankData {
 public:
  // Reads the edition for this run from the catalogue of the platform's
  // edition folders (editions::PlatformEditionFolders). False, with a
  // German `error`, only when a file given with --bank-data cannot be used;
  // a damaged installed edition gives way to another, with a line in
  // warnings().
  bool Open(const BankDataChoice& choice, std::string& error);
  // The same on a catalogue of the caller's.
  bool Open(editions::EditionCatalogue catalogue, const BankDataChoice& choice, std::string& error);

  // Chooses again among the editions now installed (after an install or
  // update); keeps a file given for this run.
  void Refresh();

  // The run's day: the --as-of day, or today.
  editions::Date Day() const;
  // The moment the validity is judged at: now, or the start of the --as-of day.
  platform::LocalDateTime Now() const;

  // Before Open, the built-in edition alone (read on first use).
  const editions::BankDataEdition& edition() const;
  const BankDirectory& directory() const { return edition().directory; }
  editions::Date DataValidUntil() const { return edition().validUntil; }
  const editions::EditionCatalogue& catalogue() const { return catalogue_; }
  // What the program should tell a person about the choice (damaged
  // editions passed over, a date off the schedule, an edition that is not
  // yet in force).
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  editions::EditionCatalogue catalogue_;
  BankDataChoice choice_;
  mutable std::unique_ptr<editions::BankDataEdition> edition_;
  std::vector<std::string> warnings_;
};

// The catalogue of every known edition: the built-in one, the user's own
// (platform::UserDataFolder(), or `userFolder`) and the system-wide ones.
editions::EditionCatalogue PlatformCatalogue();
editions::EditionCatalogue PlatformCatalogueFor(const std::filesystem::path& userFolder);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_H_
