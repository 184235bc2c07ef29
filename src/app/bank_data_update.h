// The update of the bank data from the central bank's download page, as the
// program runs it: where the page is (--from, the "BLZSEITE" setting, or the
// central bank's page built into the program), whom to trust beside the
// system's certificates (TALVENOR_UPDATE_CA), and what is said afterwards.
// The command line and the main window both run it here.
#ifndef TALVENOR_APP_BANK_DATA_UPDATE_H_
#define TALVENOR_APP_BANK_DATA_UPDATE_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "app/command_line.h"
#include "editions/edition_catalogue.h"
#include "editions/edition_update.h"

namespace talvenor::app {

// The download page to read: `from` when given, else the person's setting,
// else the one built into the program.
std::string BankDataPageUrl(const std::optional<std::string>& from);

// Why `url` cannot be a download page (only https addresses are read), or
// empty when it can.
std::string PageUrlProblem(const std::string& url);

// Runs the update into `folder` with the program's downloader.
editions::UpdateResult RunBankDataUpdate(const std::string& pageUrl,
                                         const std::filesystem::path& folder,
                                         editions::EditionOrigin origin,
                                         const editions::EditionCatalogue& catalogue,
                                         editions::Date today, bool force,
                                         editions::UpdateObserver* observer);

// An update of the bank data into `folder` on `today`, reporting to
// `observer` (which may cancel it): UpdateFromConfiguredPage, or a
// stand-in in tests.
using BankDataUpdateFunction = std::function<editions::UpdateResult(
    const std::filesystem::path& folder, editions::Date today, editions::UpdateObserver& observer)>;

// The update the main window and the start-up run: from the download page
// BankDataPageUrl(std::nullopt) into the user's `folder`, among the
// editions known now, without forcing. A page address that is no https
// address fails it, with the reason in the report.
editions::UpdateResult UpdateFromConfiguredPage(const std::filesystem::path& folder,
                                                editions::Date today,
                                                editions::UpdateObserver& observer);

// --update-bank-data [--from URL] [--system] [--force]: the report on
// `out` (warnings and failures on `err`). Exit status 0 installed or
// already current; 1 the update failed (nothing changed); 2 bad usage.
int RunUpdateBankData(const Command& command, const std::filesystem::path& folder,
                      const editions::EditionCatalogue& catalogue, editions::Date today,
                      std::ostream& out, std::ostream& err);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_UPDATE_H_
