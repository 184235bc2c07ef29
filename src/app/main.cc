// The talvenor program: the long options (--help, --version, --iban,
// --verify) are answered here; everything else is the application's start.
#include <iostream>
#include <string>
#include <vector>

#include "app/account_commands.h"
#include "app/command_line.h"
#include "app/program_version.h"
#include "app/quorin_app.h"
#include "core/builtin_directory.h"
#include "platform/program_folder.h"

namespace {

std::filesystem::path DebugIniPath() {
  const auto folder = talvenor::platform::ProgramFolder();
  return folder ? *folder / "DEBUG.INI" : std::filesystem::path{};
}

}  // namespace

int main(int argc, char** argv) {
  using talvenor::app::CommandKind;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const talvenor::app::Command command = talvenor::app::ParseCommandLine(arguments);

  switch (command.kind) {
    case CommandKind::kHelp:
      std::cout << talvenor::app::UsageText();
      return 0;
    case CommandKind::kVersion:
      std::cout << "Talvenor " << talvenor::app::ProgramVersion() << "\n";
      return 0;
    case CommandKind::kIban:
      return talvenor::app::RunIbanCommand(command, talvenor::BuiltinDirectory(), DebugIniPath(),
                                           std::cout, std::cerr);
    case CommandKind::kVerify:
      return talvenor::app::RunVerifyCommand(command, std::cout);
    case CommandKind::kUsageError:
      std::cerr << "talvenor: " << command.error << "\n\n" << talvenor::app::UsageText();
      return 2;
    case CommandKind::kNone:
      break;
  }
  // The program's own start: the main dialog, or a batch run of the two
  // files named (see quorin_app.h for the exit status).
  talvenor::app::CQuorinApp app(argc, argv);
  const int status = app.InitInstance(command.rest);
  app.ExitInstance();
  return status;
}
