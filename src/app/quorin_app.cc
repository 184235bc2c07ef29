#include "app/quorin_app.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "app/bank_data_update_ui.h"
#include "app/batch_command.h"
#include "app/data_validity.h"
#include "app/display_check.h"
#include "app/dlghaft.h"
#include "app/mycomand_info.h"
#include "app/program_version.h"
#include "app/quorin_dlg.h"
#include "app/screenshot_hook.h"
#include "batch/record_loop.h"
#include "platform/clock.h"
#include "platform/data_folders.h"
#include "platform/program_folder.h"
#include "platform/user_settings.h"

namespace talvenor::app {
namespace {

// An input file a batch run can read: it exists and is no folder.
bool IsExistingFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(path);
  return std::filesystem::exists(file, error) && !std::filesystem::is_directory(file, error);
}

// The exit status when the command line or the bank data rules the start
// out: more than two files, an empty output file name, or a bank-code file
// given for the run that cannot be used. Says why on stderr unless silent.
// Nothing when the start may go on.
std::optional<int> RefusedStart(const MycomandInfo& commandInfo, bool bankDataOpened,
                                const std::string& bankDataError) {
  const std::vector<std::string>& parameters = commandInfo.parameters;
  if (parameters.size() >= 3) {
    if (!commandInfo.silent) {
      std::cerr << "talvenor: at most two files (input and output) may be given\n";
    }
    return kExitUsage;
  }
  if (parameters.size() == 2 && parameters[1].empty()) {
    if (!commandInfo.silent) std::cerr << "talvenor: the output file name is empty\n";
    return kExitUsage;
  }
  if (!bankDataOpened) {
    if (!commandInfo.silent) std::cerr << "talvenor: " << bankDataError << "\n";
    return kExitUsage;
  }
  return std::nullopt;
}

}  // namespace

CQuorinApp::CQuorinApp(int& argc, char** argv, AppSeams seams)
    : argc_(argc), argv_(argv), seams_(std::move(seams)) {}

CQuorinApp::~CQuorinApp() { ExitInstance(); }

int CQuorinApp::InitInstance(const std::vector<std::string>& arguments,
                             const BankDataChoice& bankData, std::optional<int> threads) {
  batchThreads_ = threads ? *threads : batch::DefaultRecordThreads();
  // The program's full path (/proc/self/exe): the help document, the
  // licence terms, FORMAT.INI and DEBUG.INI lie beside it.
  programPath_ = seams_.programPath ? seams_.programPath : platform::ProgramPath();

  // The version shown in the about box and compared with the update
  // server's, from the file version compiled into the program.
  programVersion_ = ProgramVersionFor(TALVENOR_FILE_VERSION);

  // No QApplication is made here: only a start that shows a window makes
  // one (StartWindowSystem), so that a batch run needs no display.

  // The bank data: the edition in force today, or the file given for this
  // run. A given file that cannot be used ends the run, once the command
  // line has said whether the run is silent.
  std::string bankDataError;
  const bool bankDataOpened = bankData_.Open(bankData, bankDataError);

  // The per-user settings file takes over the former maker's settings when
  // it has none yet.
  platform::TakeOverFormerSettings();

  // Days since the data in force expired.
  const int days = DaysExpired();

  MycomandInfo commandInfo;
  commandInfo.ParseCommandLine(arguments);
  if (const std::optional<int> refused = RefusedStart(commandInfo, bankDataOpened, bankDataError)) {
    return *refused;
  }
  if (!commandInfo.silent) {
    for (const std::string& warning : bankData_.warnings()) {
      std::cerr << "talvenor: Warnung: " << warning << "\n";
    }
  }

  // Two files of which the first exists: a batch run without any window.
  const std::vector<std::string>& parameters = commandInfo.parameters;
  bool batchMode = false;
  if (parameters.size() == 2) {
    batchMode = IsExistingFile(parameters[0]);
    if (!batchMode && commandInfo.silent) return kExitFailed;
  }
  if (!batchMode) {
    if (const std::string problem = WindowSystemProblem(); !problem.empty()) {
      std::cerr << "talvenor: " << problem << " (see talvenor --help for the command-line use)\n";
      return kExitUsage;
    }
    ShowBankDataWarnings();
  }

  if (const std::optional<int> ended = EndForExpiredData(days, batchMode, commandInfo.silent)) {
    return *ended;
  }
  if (batchMode) {
    // Runs with other data than today's edition in force name it.
    std::string note;
    if (bankData.file || bankData.asOf) {
      note = "Umgerechnet mit der Bankleitzahlendatei " +
             editions::DescribeEdition(bankData_.edition().source) + ", gültig bis " +
             editions::GermanDate(bankData_.DataValidUntil()) + ".";
    }
    return RunBatchCommand(parameters[0], parameters[1], commandInfo.silent, Directory(), std::cerr,
                           batchThreads_, note);
  }
  return RunInteractive(parameters);
}

void CQuorinApp::ShowBankDataWarnings() {
  // A person at the window reads no stderr: what was said about the bank
  // data (a damaged edition passed over, say) is shown before anything else.
  if (bankData_.warnings().empty()) return;
  std::string text;
  for (const std::string& warning : bankData_.warnings()) {
    if (!text.empty()) text += "\n\n";
    text += warning;
  }
  StartWindowSystem();
  Ui().ShowMessage(text);
}

int CQuorinApp::DaysExpired() const {
  return DaysAfterDataValidUntil(bankData_.DataValidUntil(), bankData_.Now());
}

std::optional<int> CQuorinApp::EndForExpiredData(int days, bool batchMode, bool silent) {
  if (!ExpiryNoticeFor(days, bankData_.DataValidUntil())) return std::nullopt;
  // A batch run ends at once; a person is told, and may be allowed to go on.
  if (batchMode) {
    if (!silent) {
      std::cerr << "talvenor: " << ExpiredText(bankData_.DataValidUntil()) << "\n"
                << "talvenor: Die aktuelle Bankleitzahlendatei der Bundesbank wird mit "
                   "\"talvenor --install-bank-data DATEI\" installiert.\n";
    }
    return kExitExpired;
  }
  StartWindowSystem();
  // The update is offered first and at any age of the data, so no one is
  // kept from the current data because the window never opens.
  if (UpdateExpiredData()) return std::nullopt;
  // The update may have brought a newer edition that has expired as well:
  // its own date and age decide what follows.
  const std::optional<ExpiryNotice> notice =
      ExpiryNoticeFor(DaysExpired(), bankData_.DataValidUntil());
  if (!notice) return std::nullopt;
  bool goOn = false;
  if (notice->askYesNo) {
    goOn = !Ui().AskYesNo(notice->text);
  } else {
    Ui().ShowMessage(notice->text);
  }
  if (goOn) return std::nullopt;
  OpenInBrowser();
  return kExitExpired;
}

bool CQuorinApp::UpdateExpiredData() {
  // A file given for this run stays in use whatever is installed.
  if (bankData_.edition().source.origin == editions::EditionOrigin::kGiven) return false;
  if (!Ui().AskYesNo(UpdateOfferText(bankData_.DataValidUntil()))) return false;
  const editions::UpdateOutcome outcome = UpdateBankData();
  if (DaysExpired() < 1) return true;
  // A failure or a cancel has been told already; here the update worked
  // but brought nothing that is valid today.
  if (outcome == editions::UpdateOutcome::kInstalled ||
      outcome == editions::UpdateOutcome::kCurrent) {
    Ui().ShowMessage(StillExpiredText(bankData_.DataValidUntil()));
  }
  return false;
}

editions::UpdateOutcome CQuorinApp::UpdateBankData() {
  const BankDataUpdateFunction update = seams_.updateBankData
                                            ? seams_.updateBankData
                                            : BankDataUpdateFunction(UpdateFromConfiguredPage);
  return UpdateBankDataInteractively(Ui(), bankData_, platform::UserDataFolder(), update).outcome;
}

int CQuorinApp::RunInteractive(const std::vector<std::string>& parameters) {
  StartWindowSystem();
  // The dialog is the only top-level window, so Qt needs no main window.
  CQuorinDlg dialog(*this);
  if (!parameters.empty()) dialog.SetInputFile(parameters.front());
  RunMainDialog(dialog);
  return kExitDone;
}

void CQuorinApp::RunMainDialog(CQuorinDlg& dialog) { dialog.exec(); }

std::string CQuorinApp::WindowSystemProblem() const {
  // Without a window system Qt would end the process with an abort.
  if (seams_.ui != nullptr || QApplication::instance() != nullptr) return {};
  return app::WindowSystemProblem(argc_, argv_);
}

void CQuorinApp::StartWindowSystem() {
  LoadBuiltInResources();
  if (QApplication::instance() == nullptr) {
    qapp_ = std::make_unique<QApplication>(argc_, argv_);
    // Qt's own texts (file dialogs, standard buttons) in German, like ours.
    translator_ = std::make_unique<QTranslator>();
    if (translator_->load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QApplication::installTranslator(translator_.get());
    }
    if (QFile::exists(":/talvenor/talvenor.svg")) {
      QApplication::setWindowIcon(QIcon(":/talvenor/talvenor.svg"));
    }
    InstallScreenshotHook();  // only for tools/screenshots.sh
  }
  if (seams_.ui == nullptr && !qtUi_) qtUi_ = std::make_unique<QtUserInterface>();
}

void CQuorinApp::ExitInstance() {
  // The bank data lives as long as the application object.
  qtUi_.reset();
  if (translator_) QApplication::removeTranslator(translator_.get());
  translator_.reset();
  qapp_.reset();
}

UserInterface& CQuorinApp::Ui() {
  if (seams_.ui != nullptr) return *seams_.ui;
  StartWindowSystem();
  return *qtUi_;
}

std::filesystem::path CQuorinApp::FileBesideProgram(std::string_view name) const {
  if (!programPath_) return {};
  return programPath_->parent_path() / name;
}

std::string CQuorinApp::CheckForUpdate(std::string& updateUrl) {
  const platform::UserSettings settings;
  const bool enabled =
      settings.GetInt(platform::kSettingsSection, platform::kSettingUpdate, 1) != 0;
  ProxyPromptFromUi prompt(Ui());
  if (seams_.checkForUpdate) {
    return seams_.checkForUpdate(ConfiguredUpdateServer(), enabled, programVersion_, updateUrl,
                                 &prompt);
  }
  return app::CheckForUpdate(ConfiguredUpdateServer(), enabled, programVersion_, updateUrl,
                             &prompt);
}

bool CQuorinApp::OpenInBrowser(std::string_view address) {
  const std::string url =
      address.empty() ? DefaultUpdatePageUrl(ConfiguredUpdateServer()) : std::string(address);
  if (Ui().OpenUrl(url)) return true;
  Ui().ShowMessage("Ihr Internet Browser kann nicht gestartet werden!");
  return false;
}

bool CQuorinApp::GetModuleVersionString(std::string_view fileVersion, std::string& text) {
  long parts[4];
  std::string_view rest = fileVersion;
  for (int i = 0; i < 4; ++i) {
    const std::size_t dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), parts[i]);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || parts[i] < 0 ||
        parts[i] > 0xFFFF) {
      return false;
    }
    if ((dot == std::string_view::npos) != (i == 3)) return false;  // exactly four parts
    rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
  }
  char formatted[32];
  std::snprintf(formatted, sizeof formatted, "%ld.%ld.%ld.%ld", parts[0], parts[1], parts[2],
                parts[3]);
  text = formatted;
  return true;
}

std::string CQuorinApp::ProgramVersionFor(std::string_view fileVersion) {
  std::string text;
  if (!GetModuleVersionString(fileVersion, text)) return {};
  return DisplayVersion(text);
}

}  // namespace talvenor::app
