// The IBAN check on the command line: one IBAN (--check-iban), printed for
// a person or as one JSON object, and a whole file of IBANs
// (--check-iban-file) checked into a table.
#ifndef TALVENOR_APP_IBAN_COMMANDS_H_
#define TALVENOR_APP_IBAN_COMMANDS_H_

#include <ostream>

#include "app/command_line.h"
#include "editions/bank_data_edition.h"

namespace talvenor::app {

// Checks the IBAN with the directory of `edition`; the output names the
// edition. `expired` (the edition's validity has ended) is reported in the
// JSON; the caller warns a person.
// Exit status: 0 the IBAN is plausible; 1 a step fails (a well-formed IBAN
// of another country too); 2 the text is no IBAN.
// REQUIRES: command.kind == kCheckIban with operands checked.
int RunCheckIbanCommand(const Command& command, const editions::BankDataEdition& edition,
                        bool expired, std::ostream& out);

// Checks the file named first into the file named second, on `threads`
// checking threads. Exit status: 0 the output is written; 1 the check
// failed, with its message on `err` (the output is as it was).
// REQUIRES: command.kind == kCheckIbanFile with operands checked.
int RunCheckIbanFileCommand(const Command& command, const BankDirectory& directory, int threads,
                            std::ostream& err);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_IBAN_COMMANDS_H_
