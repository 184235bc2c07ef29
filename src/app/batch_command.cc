#include "app/batch_command.h"

#include "batch/convert_file.h"

namespace talvenor::app {

int RunBatchCommand(const std::string& input, const std::string& output, bool silent,
                    std::ostream& err) {
  std::string message;
  const int result = batch::ConvertFile(input, output, message, batch::DefaultBatchOptions());
  if (result == batch::kConvertSucceeded) return 0;
  if (!silent && !message.empty()) err << message << "\n";
  return 1;
}

}  // namespace talvenor::app
