// The unattended batch conversion of the command line: an IBANHIN input
// file converted into an IBANRUECK output file with the normal options
// (the bank directory in force, FORMAT.INI beside the program, the
// per-user "GROUP" setting), without any window.
#ifndef TALVENOR_APP_BATCH_COMMAND_H_
#define TALVENOR_APP_BATCH_COMMAND_H_

#include <ostream>
#include <string>

#include "core/bank_directory.h"

namespace talvenor::app {

// Converts `input` into `output` on `threads` converting threads. Exit
// status: 0 the files are written; 1 the conversion failed, with its
// message on `err` unless `silent`. A successful run that converted
// records under an assumed standard rule or without checking their
// accounts says so on `err`, unless `silent`; so does one with a non-empty
// `editionNote` (the bank data used, when it is not today's edition in
// force).
int RunBatchCommand(const std::string& input, const std::string& output, bool silent,
                    const BankDirectory& directory, std::ostream& err, int threads = 1,
                    const std::string& editionNote = {});

}  // namespace talvenor::app

#endif  // TALVENOR_APP_BATCH_COMMAND_H_
