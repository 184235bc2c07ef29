// Runs the record loop over one input on one thread and on several threads
// with chunks of one to three records, and aborts when the runs differ in
// anything: the records handed to the output (file and bytes, in order),
// the result, the message or the notes. The input is split as in
// fuzz_batch_records: the bytes before the first NUL byte are the
// FORMAT.INI text, the bytes after it the records (no NUL byte: records
// alone, with the built-in layout). Every input runs as fixed-length
// records into one output and as separated values into ten group outputs,
// once as it is and once with a failure: a write that fails, a group file
// that cannot be created, or reading that fails part way.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/byte_source.h"
#include "batch/record_layout.h"
#include "batch/record_loop.h"
#include "batch/record_output.h"
#include "editions/builtin_directory.h"
#include "platform/private_profile.h"

namespace {

namespace batch = talvenor::batch;
using batch::RecordOutput;

struct Failure {
  int failingWrite = -1;  // 1 for the first write
  int refusedFile = -1;
  std::size_t readFailsAfter = std::string_view::npos;
};

// Remembers every record handed to it; fails as `failure` says.
class RecordingOutput final : public RecordOutput {
 public:
  RecordingOutput(int files, const Failure& failure) : files_(files), failure_(failure) {}
  int fileCount() const override { return files_; }
  std::string_view FileName(int file) const override { return kNames[file]; }
  Status WriteRecord(int file, std::string_view line) override {
    if (file < 0 || file >= files_) std::abort();
    calls.emplace_back(file, std::string(line));
    if (file == failure_.refusedFile) return Status::kCannotCreate;
    if (static_cast<int>(calls.size()) == failure_.failingWrite) return Status::kWriteFailed;
    return Status::kWritten;
  }

  std::vector<std::pair<int, std::string>> calls;

 private:
  static constexpr std::string_view kNames[10] = {"g0", "g1", "g2", "g3", "g4",
                                                  "g5", "g6", "g7", "g8", "g9"};
  int files_;
  Failure failure_;
};

// Memory that fails after `failAfter` bytes.
class FailingSource final : public batch::ByteSource {
 public:
  FailingSource(std::string_view bytes, std::size_t failAfter)
      : bytes_(bytes.substr(0, std::min(bytes.size(), failAfter))),
        failing_(failAfter <= bytes.size()) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, bytes_.size());
    if (count == 0) {
      failed_ = failing_;
      return 0;
    }
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  std::string_view bytes_;
  bool failing_;
  bool failed_ = false;
};

struct Outcome {
  int result = 0;
  std::string message;
  batch::RecordNotes notes{99, 99};
  std::vector<std::pair<int, std::string>> calls;

  bool operator==(const Outcome& other) const {
    return result == other.result && message == other.message &&
           notes.assumedRule == other.notes.assumedRule &&
           notes.unchecked == other.notes.unchecked && calls == other.calls;
  }
};

Outcome Run(std::string_view input, const talvenor::platform::PrivateProfile& formatIni, int format,
            int files, const Failure& failure, const batch::RecordLoopOptions& loop) {
  FailingSource source(input, failure.readFailsAfter);
  RecordingOutput output(files, failure);
  Outcome outcome;
  outcome.result =
      batch::ConvertRecords(source, format, formatIni, talvenor::editions::BuiltinDirectory(),
                            output, outcome.message, &outcome.notes, loop);
  outcome.calls = std::move(output.calls);
  return outcome;
}

batch::RecordLoopOptions Loop(int threads, std::size_t chunkRecords, std::size_t chunkBytes) {
  batch::RecordLoopOptions loop;
  loop.threads = threads;
  loop.chunkRecords = chunkRecords;
  loop.chunkBytes = chunkBytes;
  return loop;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  const std::string_view iniText = split == std::string_view::npos ? "" : bytes.substr(0, split);
  const std::string_view input = split == std::string_view::npos ? bytes : bytes.substr(split + 1);
  const auto formatIni = talvenor::platform::PrivateProfile::Parse(iniText);

  // The failure of the second round depends on the input's size, so that
  // the fuzzer reaches every kind and place.
  Failure failure;
  switch (size % 3) {
    case 0:
      failure.failingWrite = 1 + static_cast<int>(size / 3 % 8);
      break;
    case 1:
      failure.refusedFile = static_cast<int>(size / 3 % 10);
      break;
    default:
      failure.readFailsAfter = input.size() * (size / 3 % 4) / 4;
      break;
  }
  const batch::RecordLoopOptions loops[] = {Loop(2, 1, 0), Loop(3, 2, 0), Loop(4, 3, 0),
                                            Loop(2, 0, 600)};
  for (const int format : {batch::kFormatFixed, batch::kFormatSeparated}) {
    const int files = format == batch::kFormatFixed ? 1 : 10;
    for (const Failure& round : {Failure{}, failure}) {
      const Outcome one = Run(input, formatIni, format, files, round, Loop(1, 0, 0));
      for (const batch::RecordLoopOptions& loop : loops) {
        if (!(Run(input, formatIni, format, files, round, loop) == one)) std::abort();
      }
    }
  }
  return 0;
}
