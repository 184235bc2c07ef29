// Converting a whole IBANHIN file into IBANRUECK output: one file, or one
// per institution group (the fourth digit of the bank code).
//
// Output is all or nothing: records are written to temporary files beside
// the output names, which take their final names only when the whole run
// has succeeded. After a failure only the run's temporary files are gone:
// every file that existed before the run is as it was.
#ifndef TALVENOR_BATCH_CONVERT_FILE_H_
#define TALVENOR_BATCH_CONVERT_FILE_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "batch/record_loop.h"
#include "core/bank_directory.h"

namespace talvenor::batch {

// Asks a person for the output file when the caller gave none. The
// command line never needs it: it always passes an output path.
class SaveFileQuestion {
 public:
  virtual ~SaveFileQuestion() = default;
  // The chosen path, or nothing when the person cancelled. `initialFolder`
  // may be empty.
  virtual std::optional<std::string> AskOutputPath(const std::string& initialFolder) = 0;
};

struct BatchOptions {
  const BankDirectory* directory = nullptr;  // REQUIRED
  std::filesystem::path formatIni;           // FORMAT.INI; empty = built-in layout
  bool group = false;                        // one output file per institution group
  std::string initialFolder;                 // for the save-file question
  SaveFileQuestion* saveQuestion = nullptr;  // null: an empty output path fails
  int threads = 1;                           // threads converting records (record_loop.h)
};

// The options of a normal run with `directory`: FORMAT.INI in the
// program's folder, "GROUP"/"PATH" from the per-user settings, and as many
// converting threads as the machine runs at once.
BatchOptions DefaultBatchOptions(const BankDirectory& directory);

// Results of ConvertFile.
inline constexpr int kConvertSucceeded = 1;
inline constexpr int kConvertFailed = 0;
inline constexpr int kConvertCancelled = -1;

// Converts `inputPath` into `outputPath` (asking for it when empty) and
// fills `message`: the files written, or why the run failed (empty when
// cancelled). After success the message also tells of records converted
// under an assumed standard rule or left unchecked (RecordNotesText);
// `notes`, when given, receives their numbers.
int ConvertFile(std::string_view inputPath, std::string_view outputPath, std::string& message,
                const BatchOptions& options, RecordNotes* notes = nullptr);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_CONVERT_FILE_H_
