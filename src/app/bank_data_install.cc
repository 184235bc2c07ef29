#include "app/bank_data_install.h"

#include "editions/edition_install.h"

namespace talvenor::app {

using editions::Date;
using editions::InstallEdition;
using editions::InstallRequest;
using editions::InstallResult;
using editions::IsoDate;
using editions::LatestScheduledStart;

std::string WithWarnings(const std::vector<std::string>& warnings, const std::string& text) {
  std::string all;
  for (const std::string& warning : warnings) all += "Warnung: " + warning + "\n\n";
  return all + text;
}

bool InstallBankDataInteractively(UserInterface& ui, BankData& data,
                                  const std::filesystem::path& folder) {
  const std::optional<std::string> file = ui.AskBankCodeFile();
  if (!file) return false;
  InstallRequest request;
  request.file = *file;
  request.folder = folder;
  request.today = data.Day();
  InstallResult result = InstallEdition(request, PlatformCatalogueFor(folder));
  if (result.startDateMissing) {
    const std::optional<Date> start =
        ui.AskDate(kStartDateQuestion, LatestScheduledStart(request.today));
    if (!start) return false;
    request.validFrom = IsoDate(*start);
    result = InstallEdition(request, PlatformCatalogueFor(folder));
  }
  if (!result.installed) {
    ui.ShowMessage(WithWarnings(result.warnings, result.message));
    return false;
  }
  data.Refresh();
  ui.ShowReport("Bankleitzahlendatei geladen", WithWarnings(result.warnings, result.message));
  return true;
}

}  // namespace talvenor::app
