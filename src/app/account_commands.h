// The two single-account commands of the command line: one conversion
// (--iban) and one check-digit method (--verify), each printed for a person
// or as one JSON object.
#ifndef TALVENOR_APP_ACCOUNT_COMMANDS_H_
#define TALVENOR_APP_ACCOUNT_COMMANDS_H_

#include <filesystem>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/command_line.h"
#include "editions/bank_data_edition.h"

namespace talvenor::app {

// Converts with the directory of `edition`; the output names the edition
// and where the rule number came from, and says when the standard rule was
// assumed. `expired` (the edition's validity has ended) adds a key to the
// JSON; the caller warns a person.
// Exit status: 0 converted; 2 invalid bank code or missing account.
// REQUIRES: command.kind == kIban with operands checked.
int RunIbanCommand(const Command& command, const editions::BankDataEdition& edition, bool expired,
                   const std::filesystem::path& debugIni, std::ostream& out, std::ostream& err);

// Exit status: 0 the account passes; 1 it fails; 2 the account is empty or
// zero (result -1). `edition`, when given (a bank code was named), is
// reported in the JSON. REQUIRES: command.kind == kVerify with operands
// checked.
int RunVerifyCommand(const Command& command, const editions::BankDataEdition* edition, bool expired,
                     std::ostream& out);

// The "edition" object of the JSON outputs.
nlohmann::json EditionJson(const editions::BankDataEdition& edition, bool expired);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_ACCOUNT_COMMANDS_H_
