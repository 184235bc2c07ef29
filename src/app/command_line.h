// The program's long options (two dashes): single conversion, one
// check-digit method, the IBAN check of one IBAN or of a file, the
// bank-data editions, the threads of a batch run or file check, help and
// version. They never collide with the program's own switches ("/S", "-s")
// and file parameters.
#ifndef TALVENOR_APP_COMMAND_LINE_H_
#define TALVENOR_APP_COMMAND_LINE_H_

#include <optional>
#include <string>
#include <vector>

#include "editions/edition_dates.h"

namespace talvenor::app {

enum class CommandKind {
  kNone,  // no long option: the program's own start
  kHelp,
  kVersion,
  kIban,             // --iban BLZ ACCOUNT
  kVerify,           // --verify METHOD ACCOUNT [BLZ]
  kCheckIban,        // --check-iban IBAN
  kCheckIbanFile,    // --check-iban-file IN OUT [--column NAME]
  kInstallBankData,  // --install-bank-data FILE [--valid-from DATE] [--force] [--system]
  kUpdateBankData,   // --update-bank-data [--from URL] [--force] [--system]
  kListBankData,     // --list-bank-data
  kUsageError,
};

struct Command {
  CommandKind kind = CommandKind::kNone;
  bool json = false;
  std::vector<std::string> operands;  // the values after --iban, --verify, --check-iban...
  std::vector<std::string> rest;      // arguments that are not long options
  std::string error;                  // for kUsageError: what is wrong
  // --bank-data FILE: the edition to use for this run, on any command.
  std::optional<std::string> bankDataFile;
  // --valid-from YYYY-MM-DD: the start of the edition given or installed
  // (checked where it is used).
  std::optional<std::string> validFrom;
  // --column NAME: the column of --check-iban-file's table holding the IBAN.
  std::optional<std::string> column;
  // --threads N: the threads a batch conversion or file check works on (1 to 256).
  std::optional<int> threads;
  // --as-of YYYY-MM-DD: the day whose edition in force is used, instead of
  // today (history and preview).
  std::optional<editions::Date> asOf;
  // --from URL: the download page the update reads instead of the central
  // bank's.
  std::optional<std::string> from;
  // --force: install an edition that fails the plausibility checks.
  bool force = false;
  // --system: install into the system-wide edition folder for all users.
  bool system = false;
};

// Sorts the arguments (without the program name) into a command. Refuses
// unknown long options, two commands at once, a wrong number of operands,
// and operands that are not what the dialog's fields accept: a bank code of
// at most 8 digits, an account of at most 10 digits, a method code of a
// digit or capital letter followed by a digit. --check-iban takes the IBAN,
// in one argument or (its paper form) in several, which are joined with
// blanks; --check-iban-file an input and an output name. --bank-data,
// --valid-from, --install-bank-data, --column, --threads, --as-of and
// --from take the next argument as their value; --threads only a whole
// number from 1 to 256, and only where files are converted or checked (the
// batch run, the window, --check-iban-file); --as-of only a real day
// "YYYY-MM-DD"; --from only with --update-bank-data, --force and --system
// only with --install-bank-data or --update-bank-data.
Command ParseCommandLine(const std::vector<std::string>& arguments);

// The text printed by --help.
std::string UsageText();

}  // namespace talvenor::app

#endif  // TALVENOR_APP_COMMAND_LINE_H_
