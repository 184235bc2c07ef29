// Runs the record loop over a FORMAT.INI and records taken from one input:
// the bytes before the first NUL byte are the FORMAT.INI text, the bytes
// after it the records; an input without NUL byte is records alone, read
// with the built-in layout. The records are converted once as fixed-length
// records into one output and once as separated values into ten group
// outputs. The outputs are discarded, but every record line handed to them
// is checked: it goes to an existing file, ends with carriage return and
// line feed and holds no other line end character; a complete run writes
// one output line per input line; and in fixed-length records each line
// keeps the input line's length plus what is appended behind the layout's
// fields (the new BIC, IBAN and result take exactly their fields' widths).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/byte_source.h"
#include "batch/record_layout.h"
#include "batch/record_loop.h"
#include "batch/record_output.h"
#include "editions/builtin_directory.h"
#include "platform/private_profile.h"

namespace {

namespace batch = talvenor::batch;
using batch::RecordOutput;

class CheckingOutput final : public RecordOutput {
 public:
  explicit CheckingOutput(int files) : files_(files) {}
  int fileCount() const override { return files_; }
  std::string_view FileName(int) const override { return "fuzz"; }
  Status WriteRecord(int file, std::string_view line) override {
    if (file < 0 || file >= files_) std::abort();
    if (line.size() < 2 || !line.ends_with("\r\n")) std::abort();
    if (line.substr(0, line.size() - 2).find_first_of("\r\n") != std::string_view::npos) {
      std::abort();
    }
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

struct Lines {
  std::size_t count = 0;
  std::size_t bytes = 0;  // without line feeds and one carriage return before each
};

// The record lines a complete run reads.
Lines RecordLines(std::string_view input) {
  Lines lines;
  while (!input.empty()) {
    const std::size_t feed = input.find('\n');
    std::string_view line = input.substr(0, feed);
    if (line.ends_with('\r') && feed != std::string_view::npos) line.remove_suffix(1);
    lines.count += 1;
    lines.bytes += line.size();
    input.remove_prefix(feed == std::string_view::npos ? input.size() : feed + 1);
  }
  return lines;
}

// What a fixed-length layout appends behind the record's own bytes.
std::size_t AppendedWidth(const batch::RecordLayout& layout) {
  std::size_t width = 2;  // line end
  if (layout.RoleField(batch::kRoleNewBic) < 0) width += batch::kNewBicWidth;
  if (layout.RoleField(batch::kRoleNewIban) < 0) width += batch::kNewIbanWidth;
  if (layout.RoleField(batch::kRoleResult) < 0) width += 2;
  return width;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  const std::string_view iniText = split == std::string_view::npos ? "" : bytes.substr(0, split);
  const std::string_view input = split == std::string_view::npos ? bytes : bytes.substr(split + 1);
  const auto formatIni = talvenor::platform::PrivateProfile::Parse(iniText);
  const talvenor::BankDirectory& directory = talvenor::editions::BuiltinDirectory();
  const Lines lines = RecordLines(input);
  std::string message;

  batch::RecordLayout layout;
  layout.format = batch::kFormatFixed;
  const bool fixedLayout = batch::LoadRecordLayout(layout, formatIni) == batch::kLayoutUsable &&
                           layout.format == batch::kFormatFixed;
  batch::MemorySource fixedInput(input);
  CheckingOutput fixedOutput(1);
  const int fixed = batch::ConvertRecords(fixedInput, batch::kFormatFixed, formatIni, directory,
                                          fixedOutput, message);
  if (fixed == 1) {
    if (fixedOutput.records() != lines.count) std::abort();
    if (fixedLayout &&
        fixedOutput.bytes() != lines.bytes + AppendedWidth(layout) * fixedOutput.records()) {
      std::abort();
    }
  } else if (message.empty()) {
    std::abort();
  }

  batch::MemorySource separatedInput(input);
  CheckingOutput groupedOutput(10);
  const int separated = batch::ConvertRecords(separatedInput, batch::kFormatSeparated, formatIni,
                                              directory, groupedOutput, message);
  if (separated == 1) {
    if (groupedOutput.records() != lines.count) std::abort();
  } else if (message.empty()) {
    std::abort();
  }
  return 0;
}
