// The record loop of a batch run: every record line of the input is
// converted and written to its output file, in input order, in one pass.
//
// The loop stops at the first line that is not a record of the layout, at
// the first output file that cannot be created and at the first failed
// write; there is no skipping of single bad records. Records that convert
// badly are no failure: they carry their result code. On several threads
// (record_pipeline.h) the records are converted side by side, but written,
// counted and stopped at exactly as on one thread.
#ifndef TALVENOR_BATCH_RECORD_LOOP_H_
#define TALVENOR_BATCH_RECORD_LOOP_H_

#include <cstddef>
#include <filesystem>
#include <string>

#include "batch/byte_source.h"
#include "batch/record_output.h"
#include "core/bank_directory.h"
#include "platform/private_profile.h"

namespace talvenor::batch {

// The messages of a stopped loop.
inline constexpr std::string_view kMalformedInputMessage =
    "Die Eingangsdatei hat einen fehlerhaften Aufbau";
inline constexpr std::string_view kWriteFailedMessage = "Fehler beim Schreiben!";
inline constexpr std::string_view kCannotCreateSuffix = "\nläßt sich nicht erzeugen!";
inline constexpr std::string_view kCannotReadSuffix = "\nkann nicht gelesen werden!";

// What a run noticed about the records it converted that a person should
// be told: records converted under an assumed standard rule, and records
// whose account could not be checked.
struct RecordNotes {
  std::size_t assumedRule = 0;
  std::size_t unchecked = 0;
};

// The sentences that tell a person about `notes`, each after an empty
// line; empty when there is nothing to tell.
std::string RecordNotesText(const RecordNotes& notes);

// The most threads a record loop converts on.
inline constexpr int kMaxRecordThreads = 256;

// The number of threads the machine runs at once, at least 1 and at most
// kMaxRecordThreads.
int DefaultRecordThreads();

// How a record loop shares out its work.
struct RecordLoopOptions {
  // Threads converting records; 1 converts on the calling thread alone.
  // Values below 1 count as 1, above kMaxRecordThreads as that.
  int threads = 1;
  // With several threads: the memory one chunk of records may take (its
  // lines and the longest output they can give); 0 chooses up to 1 MB,
  // less with many threads, so that all chunks in flight together are
  // sized to 16 MB.
  std::size_t chunkBytes = 0;
  // With several threads: the most records in one chunk; 0 is no limit
  // besides chunkBytes.
  std::size_t chunkRecords = 0;
};

// Results of ConvertRecords.
inline constexpr int kRecordsWritten = 1;
inline constexpr int kRecordsStopped = 0;
// The loop stopped where reading `input` failed; what was before that
// point was written.
inline constexpr int kRecordsInputFailed = -1;

// Loads the record layout for `format` from `formatIni` (empty or missing:
// the built-in layout), then converts every line of `input` into `output`.
// Returns kRecordsWritten when every record is written, kRecordsStopped
// when the run stopped, kRecordsInputFailed when it stopped because
// reading `input` failed (and at no record before that point); `message`
// then says why: FORMAT.INI's name + kCannotReadSuffix when something is
// there that cannot be read as a file, a layout failure, the
// malformed-input message (also when `input` failed), a file name +
// kCannotCreateSuffix, or the write failure. `notes`, when given,
// receives what the records of a successful run showed. Output, message,
// result and notes are the same for every `loop`.
int ConvertRecords(ByteSource& input, int format, const std::filesystem::path& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes = nullptr, const RecordLoopOptions& loop = {});

// The same with FORMAT.INI already read.
int ConvertRecords(ByteSource& input, int format, const platform::PrivateProfile& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes = nullptr, const RecordLoopOptions& loop = {});

// Writes one converted record line to `file` of `output`. False when the
// run must stop; `message` then says why (the file name +
// kCannotCreateSuffix, or the write failure).
bool WriteConvertedRecord(RecordOutput& output, int file, std::string_view line,
                          std::string& message);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_LOOP_H_
