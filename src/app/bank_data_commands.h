// The command-line commands for bank-data editions: installing a
// bank-code file as an edition of the user's own, and listing the known
// editions.
#ifndef TALVENOR_APP_BANK_DATA_COMMANDS_H_
#define TALVENOR_APP_BANK_DATA_COMMANDS_H_

#include <ostream>

#include "app/command_line.h"
#include "editions/edition_catalogue.h"

namespace talvenor::app {

// --install-bank-data FILE [--valid-from DATE]: prints the report on
// `out` (warnings on `err`). Exit status 0 installed; 2 nothing installed
// (the reason on `err`). REQUIRES: command.kind == kInstallBankData.
int RunInstallBankData(const Command& command, const std::filesystem::path& folder,
                       const editions::EditionCatalogue& catalogue, editions::Date today,
                       std::ostream& out, std::ostream& err);

// --list-bank-data [--json]: every known edition with start, end, width,
// number of bank codes, origin and file, the one in force on `today`
// marked. Exit status 0.
int RunListBankData(const Command& command, const editions::EditionCatalogue& catalogue,
                    editions::Date today, std::ostream& out);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_COMMANDS_H_
