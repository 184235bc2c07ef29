// The two single-account commands of the command line: one conversion
// (--iban) and one check-digit method (--verify), each printed for a person
// or as one JSON object.
#ifndef TALVENOR_APP_ACCOUNT_COMMANDS_H_
#define TALVENOR_APP_ACCOUNT_COMMANDS_H_

#include <filesystem>
#include <ostream>

#include "app/command_line.h"
#include "core/bank_directory.h"

namespace talvenor::app {

// Exit status: 0 converted; 2 invalid bank code or missing account.
// REQUIRES: command.kind == kIban with operands checked.
int RunIbanCommand(const Command& command, const BankDirectory& directory,
                   const std::filesystem::path& debugIni, std::ostream& out, std::ostream& err);

// Exit status: 0 the account passes; 1 it fails; 2 the account is empty or
// zero (result -1). REQUIRES: command.kind == kVerify with operands checked.
int RunVerifyCommand(const Command& command, std::ostream& out);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_ACCOUNT_COMMANDS_H_
