// Updating the bank data from the central bank's download page while a
// person watches: the progress in a window that can cancel the update,
// then what came of it. The main window's menu and the start-up with
// expired data both run it; afterwards the program goes on with the
// edition then in force, without a restart.
#ifndef TALVENOR_APP_BANK_DATA_UPDATE_UI_H_
#define TALVENOR_APP_BANK_DATA_UPDATE_UI_H_

#include <filesystem>

#include "app/bank_data.h"
#include "app/bank_data_update.h"
#include "app/user_interface.h"
#include "editions/edition_update.h"

namespace talvenor::app {

// The menu command beside "Bankleitzahlendatei laden..."; also the caption
// of the progress window.
inline constexpr const char* kUpdateBankDataMenuText = "Bankleitzahlendatei aktualisieren";
// Said when the person cancelled the update.
inline constexpr const char* kUpdateCancelledText =
    "Die Aktualisierung wurde abgebrochen; es wurde nichts geändert.";

// Runs `update` into `folder` on data.Day() with its progress shown through
// `ui`, then tells the outcome: the report (warnings first) after an
// install and when everything was current, the reason when it failed, a
// short note when it was cancelled. After an install `data` is chosen
// again among the editions now installed. Returns the update's result.
editions::UpdateResult UpdateBankDataInteractively(UserInterface& ui, BankData& data,
                                                   const std::filesystem::path& folder,
                                                   const BankDataUpdateFunction& update);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BANK_DATA_UPDATE_UI_H_
