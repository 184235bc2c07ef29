#include "app/bank_data.h"

#include "editions/builtin_directory.h"
#include "editions/edition_opening.h"
#include "platform/data_folders.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::BuiltinDataValidFrom;
using editions::Date;
using editions::EditionCatalogue;

EditionCatalogue PlatformCatalogue() {
  return EditionCatalogue(editions::PlatformEditionFolders());
}

EditionCatalogue PlatformCatalogueFor(const std::filesystem::path& userFolder) {
  return EditionCatalogue(editions::EditionFolders{userFolder, platform::SystemDataFolders()});
}

bool BankData::Open(const BankDataChoice& choice, std::string& error) {
  return Open(PlatformCatalogue(), choice, error);
}

bool BankData::Open(EditionCatalogue catalogue, const BankDataChoice& choice, std::string& error) {
  choice_ = choice;
  editions::EditionRequest request;
  if (choice.file) request.file = *choice.file;
  request.validFrom = choice.validFrom;
  request.day = Day();
  editions::OpenedEdition opened;
  if (!editions::OpenEdition(std::move(catalogue), request, opened, error)) return false;
  catalogue_ = std::move(opened.catalogue);
  edition_ = std::move(opened.edition);
  warnings_ = std::move(opened.warnings);
  return true;
}

Date BankData::Day() const { return choice_.asOf ? *choice_.asOf : platform::LocalToday(); }

platform::LocalDateTime BankData::Now() const {
  return choice_.asOf ? platform::LocalDateTime{*choice_.asOf} : platform::LocalNow();
}

const BankDataEdition& BankData::edition() const {
  if (!edition_) {
    std::vector<std::string> ignored;
    edition_ = catalogue_.LoadInForce(BuiltinDataValidFrom, ignored);
  }
  return *edition_;
}

void BankData::Refresh() {
  if (choice_.file) return;
  std::string ignored;
  Open(PlatformCatalogue(), choice_, ignored);
}

}  // namespace talvenor::app
