// The application object: the program's start and end.
//
// InitInstance takes the program's own arguments (those that are not long
// options), builds the bank directory, takes over former settings, checks
// the data set's validity date and then either converts the two files named
// on the command line without any window, or runs the main dialog until it
// closes. Only the interactive start creates the QApplication, so a batch
// run works where no display exists.
//
// Exit status of InitInstance:
//   0  the main dialog closed, or the batch run succeeded;
//   1  the batch run failed (its message on stderr unless silent), or the
//      input file of a silent two-parameter call does not exist;
//   2  three or more file parameters, or an empty output file name
//      (nothing is done), a bank-code file given for the run cannot be
//      used, or a window is needed but there is no display or it cannot be
//      opened;
//   3  the data set has expired: a batch run converted nothing, or the
//      expiry message ended the interactive start.
//
// An interactive start with expired data first offers to update the bank
// data from the central bank's download page; when the data in force is
// valid afterwards, the start goes on with it.
#ifndef TALVENOR_APP_QUORIN_APP_H_
#define TALVENOR_APP_QUORIN_APP_H_

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/bank_data.h"
#include "app/bank_data_update.h"
#include "app/update_check.h"
#include "app/user_interface.h"
#include "core/bank_directory.h"

class QApplication;
class QTranslator;

namespace talvenor::app {

class CQuorinDlg;

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitExpired = 3;

// The update check's signature (update_check.h's CheckForUpdate); tests put
// a stand-in for the network in its place.
using UpdateCheckFunction = std::function<std::string(
    const UpdateServer& server, bool enabled, const std::string& programVersion,
    std::string& updateUrl, ProxyCredentialsPrompt* prompt)>;

// Stand-ins for tests; the defaults are the real ones.
struct AppSeams {
  UserInterface* ui = nullptr;                       // null: QtUserInterface
  std::optional<std::filesystem::path> programPath;  // null: platform::ProgramPath()
  UpdateCheckFunction checkForUpdate;                // empty: the online check
  BankDataUpdateFunction updateBankData;             // empty: UpdateFromConfiguredPage
};

class CQuorinApp {
 public:
  // `argc` and `argv` are handed to the QApplication when one is made; they
  // must outlive this object.
  CQuorinApp(int& argc, char** argv, AppSeams seams = {});
  virtual ~CQuorinApp();
  CQuorinApp(const CQuorinApp&) = delete;
  CQuorinApp& operator=(const CQuorinApp&) = delete;

  // The start-up; returns the exit status (see top of file). `bankData`
  // names a bank-code file to use instead of the edition in force;
  // `threads` the threads a file conversion converts on (nothing: as many
  // as the machine runs at once).
  int InitInstance(const std::vector<std::string>& arguments, const BankDataChoice& bankData = {},
                   std::optional<int> threads = std::nullopt);
  // The end: releases the window system and what start-up made.
  void ExitInstance();

  // The program version: the file version with one trailing ".0" removed;
  // empty when the file version cannot be read.
  const std::string& ProgramVersion() const { return programVersion_; }
  const BankDirectory& Directory() const { return bankData_.directory(); }
  // The threads a file conversion converts on.
  int BatchThreads() const { return batchThreads_; }
  // The bank data in force for this run (its edition and DataValidUntil).
  BankData& Data() { return bankData_; }
  const BankData& Data() const { return bankData_; }
  UserInterface& Ui();
  // The program's full path, or nothing when it cannot be found.
  const std::optional<std::filesystem::path>& ProgramPath() const { return programPath_; }
  // A file in the program's folder; empty when the folder is unknown.
  std::filesystem::path FileBesideProgram(std::string_view name) const;

  // Asks the update server for the current version (the "UPDATE" setting
  // may switch it off); fills `updateUrl` from the page.
  std::string CheckForUpdate(std::string& updateUrl);
  // Updates the bank data in the user's edition folder from the download
  // page while the person watches, and tells what came of it
  // (bank_data_update_ui.h); afterwards Data() is the edition then in force.
  editions::UpdateOutcome UpdateBankData();
  // Opens `address` in the web browser, or the default update page when
  // `address` is empty; on failure shows "Ihr Internet Browser kann nicht
  // gestartet werden!". Returns whether the browser was started.
  bool OpenInBrowser(std::string_view address = {});

  // Formats the file version "a.b.c.d" (four numbers below 65536) as
  // "%ld.%ld.%ld.%ld"; false, leaving `text` untouched, when `fileVersion`
  // is not of that form. The program's own file version is compiled into
  // it from the project version, so it is known without reading any file.
  static bool GetModuleVersionString(std::string_view fileVersion, std::string& text);
  // The program version for a file version: as GetModuleVersionString,
  // then one trailing ".0" removed; empty when the file version is unusable.
  static std::string ProgramVersionFor(std::string_view fileVersion);

 protected:
  // Runs the main dialog modally. Tests replace it to look at the dialog
  // without running it.
  virtual void RunMainDialog(CQuorinDlg& dialog);

 private:
  // Empty when windows can be shown; otherwise what keeps them from it.
  std::string WindowSystemProblem() const;
  void StartWindowSystem();
  int RunInteractive(const std::vector<std::string>& parameters);
  // Shows the bank data's warnings, if any, in one message box.
  void ShowBankDataWarnings();
  // Whole days since the data in force expired (DaysAfterDataValidUntil).
  int DaysExpired() const;
  // For data in force that expired `days` ago: a batch run says so on
  // stderr (unless `silent`) and ends; a person is offered the update and,
  // when the data is still expired, told so and, within the first fourteen
  // days, may choose to go on. The exit status when the run ends here;
  // nothing when it goes on (also while the data is valid).
  std::optional<int> EndForExpiredData(int days, bool batchMode, bool silent);
  // Offers the update of expired data and runs it when accepted; true when
  // the data in force is valid afterwards.
  bool UpdateExpiredData();

  int& argc_;
  char** argv_;
  AppSeams seams_;
  std::optional<std::filesystem::path> programPath_;
  std::string programVersion_;
  BankData bankData_;
  int batchThreads_ = 1;
  std::unique_ptr<QApplication> qapp_;
  std::unique_ptr<QTranslator> translator_;
  std::unique_ptr<QtUserInterface> qtUi_;
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_QUORIN_APP_H_
