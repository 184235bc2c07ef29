#include "app/bank_data.h"

#include "editions/builtin_directory.h"
#include "editions/edition_install.h"
#include "platform/data_folders.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::BuiltinDataValidFrom;
using editions::Date;
using editions::EditionCatalogue;
using editions::EditionOrigin;
using editions::EditionSource;
using editions::EditionStartDate;
using editions::GermanDate;

EditionCatalogue PlatformCatalogue() { return PlatformCatalogueFor(platform::UserDataFolder()); }

EditionCatalogue PlatformCatalogueFor(const std::filesystem::path& userFolder) {
  return EditionCatalogue(userFolder, platform::SystemDataFolders());
}

bool BankData::Open(const BankDataChoice& choice, Date today, std::string& error) {
  return Open(PlatformCatalogue(), choice, today, error);
}

bool BankData::Open(EditionCatalogue catalogue, const BankDataChoice& choice, Date today,
                    std::string& error) {
  catalogue_ = std::move(catalogue);
  warnings_.clear();
  given_ = false;
  if (!choice.file) {
    edition_ = catalogue_.LoadInForce(today, warnings_);
    return true;
  }
  const std::optional<Date> start =
      EditionStartDate(*choice.file, choice.validFrom, error, warnings_);
  if (!start) return false;
  const EditionSource source{EditionOrigin::kGiven, *choice.file, *start};
  catalogue_.Put(source);
  auto edition = catalogue_.Load(source, error, warnings_);
  if (!edition) return false;
  if (std::chrono::sys_days(*start) > std::chrono::sys_days(today)) {
    warnings_.push_back("Die angegebene Ausgabe gilt erst ab dem " + GermanDate(*start) +
                        "; sie wird auf Wunsch schon jetzt verwendet.");
  }
  edition_ = std::move(edition);
  given_ = true;
  return true;
}

const BankDataEdition& BankData::edition() const {
  if (!edition_) {
    std::vector<std::string> ignored;
    edition_ = catalogue_.LoadInForce(BuiltinDataValidFrom, ignored);
  }
  return *edition_;
}

void BankData::Refresh(Date today) {
  if (given_) return;
  EditionCatalogue catalogue = PlatformCatalogue();
  std::vector<std::string> warnings;
  auto edition = catalogue.LoadInForce(today, warnings);
  catalogue_ = std::move(catalogue);
  edition_ = std::move(edition);
  warnings_ = std::move(warnings);
}

}  // namespace talvenor::app
