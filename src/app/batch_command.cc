#include "app/batch_command.h"

#include "batch/convert_file.h"

namespace talvenor::app {

int RunBatchCommand(const std::string& input, const std::string& output, bool silent,
                    const BankDirectory& directory, std::ostream& err, int threads,
                    const std::string& editionNote) {
  std::string message;
  batch::RecordNotes notes;
  batch::BatchOptions options = batch::DefaultBatchOptions(directory);
  options.threads = threads;
  const int result = batch::ConvertFile(input, output, message, options, &notes);
  if (result == batch::kConvertSucceeded) {
    // The notes begin with an empty line, which a terminal does not need.
    const std::string text = batch::RecordNotesText(notes);
    if (!silent && !editionNote.empty()) err << "talvenor: " << editionNote << "\n";
    if (!silent && !text.empty()) err << "talvenor: " << text.substr(2) << "\n";
    return 0;
  }
  if (!silent && !message.empty()) err << message << "\n";
  return 1;
}

}  // namespace talvenor::app
