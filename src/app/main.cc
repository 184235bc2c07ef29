// The talvenor program: the long options (--help, --version, --iban,
// --verify, the IBAN check, the bank-data commands) are answered here;
// everything else is the application's start.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/account_commands.h"
#include "app/bank_data.h"
#include "app/bank_data_commands.h"
#include "app/bank_data_update.h"
#include "app/command_line.h"
#include "app/data_validity.h"
#include "app/iban_commands.h"
#include "app/program_version.h"
#include "app/quorin_app.h"
#include "batch/record_loop.h"
#include "platform/clock.h"
#include "platform/data_folders.h"
#include "platform/program_folder.h"

namespace {

using talvenor::app::BankData;
using talvenor::app::BankDataChoice;
using talvenor::app::Command;

std::filesystem::path DebugIniPath() {
  const auto folder = talvenor::platform::ProgramFolder();
  return folder ? *folder / "DEBUG.INI" : std::filesystem::path{};
}

BankDataChoice ChoiceOf(const Command& command) {
  return BankDataChoice{command.bankDataFile, command.validFrom, command.asOf};
}

// The day the command works for: --as-of, or today.
talvenor::editions::Date DayOf(const Command& command) {
  return command.asOf ? *command.asOf : talvenor::platform::LocalToday();
}

// The folder an install or update writes to: the user's own, or with
// --system the machine's.
std::filesystem::path InstallFolder(const Command& command) {
  return command.system ? talvenor::platform::SystemUpdateFolder()
                        : talvenor::platform::UserDataFolder();
}

// Opens the bank data for a single-account command. False (after telling
// why on stderr) when a given file cannot be used. Warnings and an expired
// edition are told on stderr: the command still answers.
bool OpenForCommand(const Command& command, BankData& data, bool& expired) {
  std::string error;
  if (!data.Open(ChoiceOf(command), error)) {
    std::cerr << "talvenor: " << error << "\n";
    return false;
  }
  for (const std::string& warning : data.warnings()) {
    std::cerr << "talvenor: Warnung: " << warning << "\n";
  }
  expired = talvenor::app::DaysAfterDataValidUntil(data.DataValidUntil(), data.Now()) >= 1;
  if (expired) {
    std::cerr << "talvenor: " << talvenor::app::ExpiredText(data.DataValidUntil()) << "\n";
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file size limit fails with an error the program
  // reports, instead of ending it with temporary files left behind.
  std::signal(SIGXFSZ, SIG_IGN);

  using talvenor::app::CommandKind;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const Command command = talvenor::app::ParseCommandLine(arguments);

  switch (command.kind) {
    case CommandKind::kHelp:
      std::cout << talvenor::app::UsageText();
      return 0;
    case CommandKind::kVersion:
      std::cout << "Talvenor " << talvenor::app::ProgramVersion() << "\n";
      return 0;
    case CommandKind::kIban: {
      BankData data;
      bool expired = false;
      if (!OpenForCommand(command, data, expired)) return 2;
      return talvenor::app::RunIbanCommand(command, data.edition(), expired, DebugIniPath(),
                                           std::cout, std::cerr);
    }
    case CommandKind::kVerify: {
      // The bank data matters only where a bank code is named.
      if (command.operands.size() < 3 && !command.bankDataFile) {
        return talvenor::app::RunVerifyCommand(command, nullptr, false, std::cout);
      }
      BankData data;
      bool expired = false;
      if (!OpenForCommand(command, data, expired)) return 2;
      return talvenor::app::RunVerifyCommand(command, &data.edition(), expired, std::cout);
    }
    case CommandKind::kCheckIban: {
      BankData data;
      bool expired = false;
      if (!OpenForCommand(command, data, expired)) return 2;
      return talvenor::app::RunCheckIbanCommand(command, data.edition(), expired, std::cout);
    }
    case CommandKind::kCheckIbanFile: {
      BankData data;
      bool expired = false;
      if (!OpenForCommand(command, data, expired)) return 2;
      return talvenor::app::RunCheckIbanFileCommand(
          command, data.directory(),
          command.threads.value_or(talvenor::batch::DefaultRecordThreads()), std::cerr);
    }
    case CommandKind::kInstallBankData:
      return talvenor::app::RunInstallBankData(command, InstallFolder(command),
                                               talvenor::app::PlatformCatalogue(), DayOf(command),
                                               std::cout, std::cerr);
    case CommandKind::kUpdateBankData:
      return talvenor::app::RunUpdateBankData(command, InstallFolder(command),
                                              talvenor::app::PlatformCatalogue(), DayOf(command),
                                              std::cout, std::cerr);
    case CommandKind::kListBankData:
      return talvenor::app::RunListBankData(command, talvenor::app::PlatformCatalogue(),
                                            DayOf(command), std::cout);
    case CommandKind::kUsageError:
      std::cerr << "talvenor: " << command.error << "\n\n" << talvenor::app::UsageText();
      return 2;
    case CommandKind::kNone:
      break;
  }
  // The program's own start: the main dialog, or a batch run of the two
  // files named (see quorin_app.h for the exit status).
  talvenor::app::CQuorinApp app(argc, argv);
  const int status = app.InitInstance(command.rest, ChoiceOf(command), command.threads);
  app.ExitInstance();
  return status;
}
