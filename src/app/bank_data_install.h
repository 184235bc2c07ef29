// Installing a bank-code file from the main window: the person chooses the
// file, gives its start date when neither the file nor its name states
// one, and reads the install report; the program then uses the edition in
// force.
#ifndef TALVENOR_APP_BANK_DATA_INSTALL_H_
#define TALVENOR_APP_BANK_DATA_INSTALL_H_

#include <filesystem>
#include <string>
#include <vector>

#include "app/bank_data.h"
#include "app/user_interface.h"

namespace talvenor::app {

// Runs the whole exchange through `ui`. After a successful install `data`
// is chosen again among the editions now installed in `folder`. Returns
// whether an edition was installed.
bool InstallBankDataInteractively(UserInterface& ui, BankData& data,
                                  const std::filesystem::path& folder);

// `text` with each of `warnings` before it as a paragraph "Warnung: ...",
// as the reports of an install or update are shown.
std::string WithWarnings(const std::vector<std::string>& warnings, const std::string& text);

// The question put when neither the file nor its name states the start.
inline constexpr const char* kStartDateQuestion =
    "Die Datei nennt nicht, ab wann die Bankleitzahlendatei gilt.\n"
    "Bitte geben Sie den Tag an, an dem diese Ausgabe in Kraft tritt\n"
    "(der erste Montag ab dem 3. März, Juni, September oder Dezember):";

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_INSTALL_H_
