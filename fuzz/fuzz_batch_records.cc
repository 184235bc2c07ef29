// Runs the record loop over the input as it stands, once as fixed-length
// records into one output and once as separated values into ten group
// outputs, with the built-in layout and bank directory. The outputs are
// discarded, but every record line handed to them is checked: it goes to an
// existing file, ends with carriage return and line feed, holds no other
// line feed, and in fixed-length records the line keeps the input line's
// length (the new BIC, IBAN and result take exactly their fields' widths).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/byte_source.h"
#include "batch/record_layout.h"
#include "batch/record_loop.h"
#include "batch/record_output.h"
#include "core/builtin_directory.h"

namespace {

using talvenor::batch::RecordOutput;

class CheckingOutput final : public RecordOutput {
 public:
  explicit CheckingOutput(int files) : files_(files) {}
  int fileCount() const override { return files_; }
  std::string_view FileName(int) const override { return "fuzz"; }
  Status WriteRecord(int file, std::string_view line) override {
    if (file < 0 || file >= files_) std::abort();
    if (line.size() < 2 || !line.ends_with("\r\n")) std::abort();
    if (line.substr(0, line.size() - 2).find('\n') != std::string_view::npos) std::abort();
    records_ += 1;
    bytes_ += line.size();
    return Status::kWritten;
  }
  std::size_t records() const { return records_; }
  std::size_t bytes() const { return bytes_; }

 private:
  int files_;
  std::size_t records_ = 0;
  std::size_t bytes_ = 0;
};

// The bytes of the record lines a complete run reads: every line without
// its line feed and without one carriage return before it.
std::size_t RecordBytes(std::string_view input) {
  std::size_t total = 0;
  while (!input.empty()) {
    const std::size_t feed = input.find('\n');
    std::string_view line = input.substr(0, feed);
    if (line.ends_with('\r') && feed != std::string_view::npos) line.remove_suffix(1);
    total += line.size();
    input.remove_prefix(feed == std::string_view::npos ? input.size() : feed + 1);
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const talvenor::BankDirectory& directory = talvenor::BuiltinDirectory();
  std::string message;

  talvenor::batch::MemorySource fixedInput(input);
  CheckingOutput fixedOutput(1);
  const int fixed = talvenor::batch::ConvertRecords(fixedInput, talvenor::batch::kFormatFixed, {},
                                                    directory, fixedOutput, message);
  if (fixed == 1) {
    // Each record's output is its input line plus the line end.
    if (fixedOutput.bytes() != RecordBytes(input) + 2 * fixedOutput.records()) std::abort();
  } else if (message.empty()) {
    std::abort();
  }

  talvenor::batch::MemorySource separatedInput(input);
  CheckingOutput groupedOutput(10);
  const int separated = talvenor::batch::ConvertRecords(
      separatedInput, talvenor::batch::kFormatSeparated, {}, directory, groupedOutput, message);
  if (separated != 1 && message.empty()) std::abort();
  return 0;
}
