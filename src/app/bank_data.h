// The bank data of one run of the program: the edition in force today
// among the built-in and the installed editions, or the file named with
// --bank-data, read and checked at start-up.
//
// DataValidUntil, which the start-up check, the expiry messages, the batch
// refusal and the about box use, is the last valid day of that edition.
// The edition may be replaced while the program runs (after an install in
// the main dialog); callers ask for the directory each time they need it.
#ifndef TALVENOR_APP_BANK_DATA_H_
#define TALVENOR_APP_BANK_DATA_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editions/edition_catalogue.h"

namespace talvenor::app {

// What the command line says about the bank data.
struct BankDataChoice {
  std::optional<std::string> file;       // --bank-data
  std::optional<std::string> validFrom;  // --valid-from
};

class BankData {
 public:
  // Reads the edition for this run from the catalogue of the platform's
  // edition folders (platform/data_folders.h). False, with a German
  // `error`, only when a file given with --bank-data cannot be used; a
  // damaged installed edition gives way to the one before it, with a line
  // in warnings().
  bool Open(const BankDataChoice& choice, editions::Date today, std::string& error);
  // The same on a catalogue of the caller's.
  bool Open(editions::EditionCatalogue catalogue, const BankDataChoice& choice,
            editions::Date today, std::string& error);

  // Chooses again among the editions now installed (after an install);
  // keeps a file given for this run.
  void Refresh(editions::Date today);

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
  bool given_ = false;
  mutable std::unique_ptr<editions::BankDataEdition> edition_;
  std::vector<std::string> warnings_;
};

// The catalogue of every known edition: the built-in one, the user's own
// (platform::UserDataFolder(), or `userFolder`) and the system-wide ones.
editions::EditionCatalogue PlatformCatalogue();
editions::EditionCatalogue PlatformCatalogueFor(const std::filesystem::path& userFolder);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_H_
