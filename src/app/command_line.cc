#include "app/command_line.h"

#include <algorithm>

#include "batch/record_loop.h"
#include "checkdigit/check_method_code.h"
#include "platform/display_text.h"

namespace talvenor::app {
namespace {

bool IsDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Checks one operand; returns the complaint or an empty text.
std::string CheckDigitsField(const std::string& what, const std::string& value,
                             std::size_t maxDigits) {
  if (!IsDigits(value)) return what + " must consist of digits only: \"" + value + "\"";
  if (value.size() > maxDigits) {
    return what + " has at most " + std::to_string(maxDigits) + " digits: \"" + value + "\"";
  }
  return {};
}

std::string CheckMethodCodeOperand(const std::string& code) {
  const bool wellFormed =
      code.size() == 2 &&
      ((code[0] >= '0' && code[0] <= '9') || (code[0] >= 'A' && code[0] <= 'Z')) &&
      code[1] >= '0' && code[1] <= '9';
  if (!wellFormed) {
    return "the method code is two characters, a digit or capital letter and a digit (e.g. 00, "
           "A4, E0): \"" +
           code + "\"";
  }
  // A code beyond the catalogue ("E5", "Z9") names no method to check with.
  if (checkdigit::MethodTableIndex(checkdigit::CheckMethodCode(code)) < 0) {
    return "there is no check-digit method \"" + code + "\" (00..99, A0..E4)";
  }
  return {};
}

std::string CheckOperands(const Command& command) {
  const auto& ops = command.operands;
  if (command.kind == CommandKind::kIban) {
    if (ops.size() != 2) return "--iban takes a bank code and an account number";
    if (auto e = CheckDigitsField("the bank code", ops[0], 8); !e.empty()) return e;
    return CheckDigitsField("the account number", ops[1], 10);
  }
  if (command.kind == CommandKind::kVerify) {
    if (ops.size() < 2 || ops.size() > 3) {
      return "--verify takes a method code, an account number and optionally a bank code";
    }
    if (auto e = CheckMethodCodeOperand(ops[0]); !e.empty()) return e;
    if (auto e = CheckDigitsField("the account number", ops[1], 10); !e.empty()) return e;
    if (ops.size() == 3) return CheckDigitsField("the bank code", ops[2], 8);
  }
  if (command.kind == CommandKind::kCheckIban && ops.empty()) {
    return "--check-iban takes an IBAN";
  }
  if (command.kind == CommandKind::kCheckIbanFile) {
    if (ops.size() != 2) return "--check-iban-file takes an input and an output file name";
    if (ops[0].empty() || ops[1].empty()) return "--check-iban-file: a file name is empty";
  }
  return {};
}

// The value of --threads: a whole number from 1 to kMaxRecordThreads, in
// plain digits. Nothing when it is not.
std::optional<int> ThreadCount(const std::string& value) {
  if (value.empty() || value.size() > 3 || !IsDigits(value)) return std::nullopt;
  const int count = std::stoi(value);
  if (count < 1 || count > batch::kMaxRecordThreads) return std::nullopt;
  return count;
}

// The complaint quotes arguments; their control characters are escaped.
Command UsageError(const std::string& message) {
  Command command;
  command.kind = CommandKind::kUsageError;
  command.error = platform::EscapeControlCharacters(message);
  return command;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& arguments) {
  Command command;
  const auto setKind = [&command](CommandKind kind) {
    if (command.kind != CommandKind::kNone) return false;
    command.kind = kind;
    return true;
  };
  constexpr const char* kOneCommand =
      "only one of --help, --version, --iban, --verify, --check-iban, --check-iban-file, "
      "--install-bank-data, --update-bank-data and --list-bank-data may be given";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!argument.starts_with("--")) {
      if (command.kind == CommandKind::kIban || command.kind == CommandKind::kVerify ||
          command.kind == CommandKind::kCheckIban || command.kind == CommandKind::kCheckIbanFile) {
        command.operands.push_back(argument);
      } else {
        command.rest.push_back(argument);
      }
      continue;
    }
    // Options that take the next argument as their value.
    if (argument == "--bank-data" || argument == "--valid-from" ||
        argument == "--install-bank-data" || argument == "--column" || argument == "--threads" ||
        argument == "--as-of" || argument == "--from") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        return UsageError(argument + " needs a value");
      }
      const std::string& value = arguments[++i];
      if (argument == "--bank-data") {
        if (command.bankDataFile) return UsageError("--bank-data may be given only once");
        command.bankDataFile = value;
      } else if (argument == "--valid-from") {
        if (command.validFrom) return UsageError("--valid-from may be given only once");
        command.validFrom = value;
      } else if (argument == "--as-of") {
        if (command.asOf) return UsageError("--as-of darf nur einmal angegeben werden");
        command.asOf = editions::ParseIsoDate(value);
        if (!command.asOf) {
          return UsageError("--as-of erwartet ein Datum der Form JJJJ-MM-TT: \"" + value + "\"");
        }
      } else if (argument == "--from") {
        if (command.from) return UsageError("--from darf nur einmal angegeben werden");
        command.from = value;
      } else if (argument == "--column") {
        if (command.column) return UsageError("--column may be given only once");
        command.column = value;
      } else if (argument == "--threads") {
        if (command.threads) return UsageError("--threads darf nur einmal angegeben werden");
        command.threads = ThreadCount(value);
        if (!command.threads) {
          return UsageError("--threads erwartet eine ganze Zahl von 1 bis " +
                            std::to_string(batch::kMaxRecordThreads) + ": \"" + value + "\"");
        }
      } else {
        if (!setKind(CommandKind::kInstallBankData)) return UsageError(kOneCommand);
        command.operands.push_back(value);
      }
      continue;
    }
    CommandKind kind = CommandKind::kNone;
    if (argument == "--json") {
      command.json = true;
      continue;
    } else if (argument == "--force") {
      command.force = true;
      continue;
    } else if (argument == "--system") {
      command.system = true;
      continue;
    } else if (argument == "--update-bank-data") {
      kind = CommandKind::kUpdateBankData;
    } else if (argument == "--help") {
      kind = CommandKind::kHelp;
    } else if (argument == "--version") {
      kind = CommandKind::kVersion;
    } else if (argument == "--iban") {
      kind = CommandKind::kIban;
    } else if (argument == "--verify") {
      kind = CommandKind::kVerify;
    } else if (argument == "--check-iban") {
      kind = CommandKind::kCheckIban;
    } else if (argument == "--check-iban-file") {
      kind = CommandKind::kCheckIbanFile;
    } else if (argument == "--list-bank-data") {
      kind = CommandKind::kListBankData;
    } else {
      return UsageError("unknown option " + argument);
    }
    if (!setKind(kind)) return UsageError(kOneCommand);
  }
  if (command.kind == CommandKind::kHelp || command.kind == CommandKind::kVersion) return command;
  if (command.kind != CommandKind::kNone && !command.rest.empty()) {
    return UsageError("unexpected argument \"" + command.rest.front() + "\"");
  }
  if (command.kind == CommandKind::kInstallBankData && command.bankDataFile) {
    return UsageError("--install-bank-data and --bank-data cannot be combined");
  }
  if (command.kind == CommandKind::kListBankData && command.bankDataFile) {
    return UsageError(
        "--list-bank-data lists the installed editions; --bank-data has no place there");
  }
  const bool installs =
      command.kind == CommandKind::kInstallBankData || command.kind == CommandKind::kUpdateBankData;
  if (command.from && command.kind != CommandKind::kUpdateBankData) {
    return UsageError("--from gehört zu --update-bank-data");
  }
  if ((command.force || command.system) && !installs) {
    return UsageError(std::string(command.force ? "--force" : "--system") +
                      " gehört zu --install-bank-data oder --update-bank-data");
  }
  if (command.kind == CommandKind::kUpdateBankData && command.bankDataFile) {
    return UsageError("--update-bank-data und --bank-data können nicht zusammen angegeben werden");
  }
  if (command.column && command.kind != CommandKind::kCheckIbanFile) {
    return UsageError("--column belongs to --check-iban-file");
  }
  if (command.json && command.kind == CommandKind::kCheckIbanFile) {
    return UsageError("--check-iban-file writes a table; --json has no place there");
  }
  if (command.threads && command.kind != CommandKind::kNone &&
      command.kind != CommandKind::kCheckIbanFile) {
    return UsageError(
        "--threads gilt nur für die Umrechnung und Prüfung von Dateien, nicht für andere Befehle");
  }
  if (command.validFrom && !command.bankDataFile && command.kind != CommandKind::kInstallBankData) {
    return UsageError("--valid-from belongs to --bank-data or --install-bank-data");
  }
  if (std::string error = CheckOperands(command); !error.empty()) return UsageError(error);
  // The paper form given as separate groups is one IBAN.
  if (command.kind == CommandKind::kCheckIban && command.operands.size() > 1) {
    std::string joined;
    for (const std::string& part : command.operands) {
      if (!joined.empty()) joined += ' ';
      joined += part;
    }
    command.operands.assign(1, joined);
  }
  return command;
}

std::string UsageText() {
  return R"(Usage:
  talvenor [FILE]
      Opens the main window (with FILE as the IBANHIN file).
  talvenor [/S | -s] [--threads N] INPUT OUTPUT
      Converts the IBANHIN file INPUT into the IBANRUECK file OUTPUT
      without a window. Exit status 0 after success, 1 after a failure
      (its message on stderr unless /S or -s), 3 when the bank data has
      expired (nothing converted), 2 for more than two file names or an
      empty OUTPUT. --threads N converts on N threads (1 to 256; without
      it, on as many as the machine runs at once).
  talvenor --iban BLZ ACCOUNT [--json]
      Computes bank name, BIC, IBAN and the verdict on one account.
      Exit status 0 when converted, 2 for an invalid bank code or a
      missing account.
  talvenor --verify METHOD ACCOUNT [BLZ] [--json]
      Checks ACCOUNT with one check-digit method (00..99, A0..E4).
      Exit status 0 when the account passes, 1 when it fails, 2 for an
      empty or zero account, or a method code that is malformed or names
      no method.
  talvenor --check-iban IBAN [--json]
      Checks one IBAN (electronic or paper form, small letters allowed):
      country and length, check digits, the bank code in the bank data,
      the account against the bank's check-digit method, and whether the
      bank's IBAN rule forms this IBAN from its bank code and account.
      Exit status 0 when it is plausible, 1 when a step fails (also for a
      valid IBAN of another country), 2 when the text is no IBAN.
  talvenor --check-iban-file INPUT OUTPUT [--column NAME] [--threads N]
      Checks every IBAN of INPUT (one a line; with --column a ";"-separated
      table with a header line whose column NAME holds the IBAN; plain or
      gzip, UTF-8) into the ";"-separated UTF-8 table OUTPUT: the input's
      columns, then Bankleitzahl, Kontonummer, Bankname, BIC, Ergebnis and
      Ergebniscode. Exit status 0 when OUTPUT is written, 1 after a failure
      (its message on stderr; OUTPUT is then as it was). --threads N checks
      on N threads (1 to 256; without it, on as many as the machine runs
      at once); the output is the same for any N.
  talvenor --install-bank-data FILE [--valid-from YYYY-MM-DD] [--force] [--system]
      Checks the central bank's bank-code file FILE (text, XML or CSV, or a
      ZIP package of one, recognised by its content) and installs it as an
      edition of its own in $XDG_DATA_HOME/Korvane/Talvenor (--system: in
      /var/lib/talvenor for all users), then reports what changed. The
      start date is the one the file states (XML), --valid-from, or the
      date of a name of the form blz_YYYY_MM_DD.txt. A file with far fewer
      bank codes than the edition in force, a stated validity off the
      schedule or IBAN rules the program does not know is refused unless
      --force is given. Exit status 0 when installed, 2 when the file or
      the date cannot be used (nothing is changed then).
  talvenor --update-bank-data [--from URL] [--force] [--system]
      Reads the central bank's download page (or URL, an https address),
      downloads the editions it offers that are not installed yet (the
      current one and an already posted next one) and installs them as
      --install-bank-data does, all or nothing. Run daily, it changes
      nothing until the central bank posts a new or corrected file. Exit
      status 0 installed or already current, 1 the update failed (the
      address and the cause on stderr; nothing changed), 2 bad usage.
  talvenor --list-bank-data
      Lists the editions the program knows (built-in, installed, system-wide
      in /var/lib/talvenor and $XDG_DATA_DIRS/talvenor) with their validity,
      form, size and source, and marks the one in use today, saying when it
      has expired or has not yet started.
  talvenor --help      Shows this text.
  talvenor --version   Shows the program version.

BLZ is a bank code of up to 8 digits, ACCOUNT an account number of up to
10 digits, as the dialog's fields accept them. --json prints one JSON
object instead of the text for a person (--iban, --verify, --check-iban).

--bank-data FILE [--valid-from YYYY-MM-DD] uses the bank-code file FILE
for this one run, with any command (also the batch run and the window),
after the same checks as an install. Without it the program uses the
edition in force today among the built-in and the installed ones.

--as-of YYYY-MM-DD, with any command, uses the edition in force on that
day instead of today, and judges its validity on that day: history, or a
preview of the next quarter's edition once it is installed.
)";
}

}  // namespace talvenor::app
