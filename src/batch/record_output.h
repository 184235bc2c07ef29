// Where a batch run's converted records go: one output file, or one per
// institution group. A file is created when its first record arrives.
#ifndef TALVENOR_BATCH_RECORD_OUTPUT_H_
#define TALVENOR_BATCH_RECORD_OUTPUT_H_

#include <string_view>

namespace talvenor::batch {

class RecordOutput {
 public:
  enum class Status {
    kWritten,
    kCannotCreate,  // the file could not be created
    kWriteFailed,   // writing failed (for instance a full disk)
  };

  virtual ~RecordOutput() = default;

  // 1, or 10 when the records are grouped.
  virtual int fileCount() const = 0;
  // The output name of `file`, for messages.
  virtual std::string_view FileName(int file) const = 0;
  // Writes one output line (line end included) to `file`, creating it
  // first when this is its first record.
  // REQUIRES: 0 <= file < fileCount().
  virtual Status WriteRecord(int file, std::string_view line) = 0;
};

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_OUTPUT_H_
