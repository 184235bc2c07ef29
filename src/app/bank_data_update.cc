#include "app/bank_data_update.h"

#include <cstdlib>

#include "app/bank_data.h"
#include "app/program_version.h"
#include "editions/https_download.h"
#include "platform/display_text.h"
#include "platform/user_settings.h"

namespace talvenor::app {

std::string BankDataPageUrl(const std::optional<std::string>& from) {
  if (from) return *from;
  const platform::UserSettings settings;
  const std::string configured =
      settings.GetString(platform::kSettingsSection, platform::kSettingBankDataPage, "");
  return configured.empty() ? std::string(TALVENOR_BANK_DATA_PAGE) : configured;
}

std::string PageUrlProblem(const std::string& url) {
  if (url.rfind("https://", 0) == 0 && url.size() > 8) return {};
  return "„" + platform::EscapeControlCharacters(url) +
         "“ ist keine https-Adresse; die Download-Seite wird nur über HTTPS gelesen.";
}

editions::UpdateResult RunBankDataUpdate(const std::string& pageUrl,
                                         const std::filesystem::path& folder,
                                         editions::EditionOrigin origin,
                                         const editions::EditionCatalogue& catalogue,
                                         editions::Date today, bool force,
                                         editions::UpdateObserver* observer) {
  const char* extraCa = std::getenv("TALVENOR_UPDATE_CA");
  editions::HttpsDownloader downloader(extraCa != nullptr ? extraCa : "", ProgramVersion());
  editions::UpdateRequest request;
  request.pageUrl = pageUrl;
  request.folder = folder;
  request.origin = origin;
  request.today = today;
  request.force = force;
  return editions::UpdateEditions(request, catalogue, downloader, observer);
}

editions::UpdateResult UpdateFromConfiguredPage(const std::filesystem::path& folder,
                                                editions::Date today,
                                                editions::UpdateObserver& observer) {
  const std::string url = BankDataPageUrl(std::nullopt);
  if (std::string problem = PageUrlProblem(url); !problem.empty()) {
    editions::UpdateResult refused;
    refused.outcome = editions::UpdateOutcome::kFailed;
    refused.report =
        "Die Bankleitzahlendateien können nicht aktualisiert werden; es wurde nichts "
        "geändert.\n" +
        problem + "\n";
    return refused;
  }
  return RunBankDataUpdate(url, folder, editions::EditionOrigin::kInstalled,
                           PlatformCatalogueFor(folder), today, false, &observer);
}

int RunUpdateBankData(const Command& command, const std::filesystem::path& folder,
                      const editions::EditionCatalogue& catalogue, editions::Date today,
                      std::ostream& out, std::ostream& err) {
  const std::string url = BankDataPageUrl(command.from);
  if (const std::string problem = PageUrlProblem(url); !problem.empty()) {
    err << "talvenor: " << problem << "\n";
    return 2;
  }
  const editions::UpdateResult result = RunBankDataUpdate(
      url, folder,
      command.system ? editions::EditionOrigin::kSystem : editions::EditionOrigin::kInstalled,
      catalogue, today, command.force, nullptr);
  for (const std::string& warning : result.warnings) {
    err << "talvenor: Warnung: " << warning << "\n";
  }
  switch (result.outcome) {
    case editions::UpdateOutcome::kInstalled:
    case editions::UpdateOutcome::kCurrent:
      out << result.report;
      return 0;
    case editions::UpdateOutcome::kFailed:
    case editions::UpdateOutcome::kCancelled:
      break;
  }
  err << "talvenor: Download-Seite " << platform::EscapeControlCharacters(url) << "\n"
      << "talvenor: " << result.report;
  return 1;
}

}  // namespace talvenor::app
