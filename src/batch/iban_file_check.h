// Checking a whole file of IBANs (core/iban_check.h) into a ";"-separated
// UTF-8 table of results.
//
// The input holds one IBAN a line, or it is a ";"-separated table with a
// header line, one of whose columns holds the IBAN (platform/separated_values.h
// says how fields are read and written). It is plain or gzip-compressed,
// in UTF-8 (a byte order mark at its start is dropped), and cut into lines
// as the batch run cuts them (line_reader.h: line feed or carriage return
// and line feed, at most 3999 characters a line with its end); a line may
// be empty. A line with a NUL byte, one that is not UTF-8, and a table
// line with another number of fields than the header ends the run.
//
// The output begins with a header: the input's columns ("IBAN" for a list
// of IBANs), then Bankleitzahl, Kontonummer, Bankname, BIC, Ergebnis and
// Ergebniscode. Each input line gives one line: its fields as they were
// read, then the check's bank code, account, bank name, BIC, verdict and
// code (80 to 88). Lines end with a line feed.
//
// Output is all or nothing, as in the batch run (output_files.h): a run
// that fails anywhere leaves no output and no temporary file, and every
// file that existed before it as it was.
//
// The lines are checked in chunks of whole lines on worker threads and
// written in input order; the output is the same for any number of threads
// and any chunk size. Memory is bounded by the chunks in flight, whatever
// the input's size.
#ifndef TALVENOR_BATCH_IBAN_FILE_CHECK_H_
#define TALVENOR_BATCH_IBAN_FILE_CHECK_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "batch/output_files.h"
#include "core/bank_directory.h"

namespace talvenor::batch {

struct IbanFileOptions {
  const BankDirectory* directory = nullptr;  // REQUIRED
  // The header's column that holds the IBAN; none: one IBAN a line.
  std::optional<std::string> column;
  // Threads checking lines; 1 checks on the calling thread alone. Values
  // below 1 count as 1, above kMaxRecordThreads (record_loop.h) as that.
  int threads = 1;
  // The most lines in a chunk; 0 chooses.
  std::size_t chunkLines = 0;
  // The calls that write the output (tests make them fail).
  const FileCalls* fileCalls = nullptr;  // null: the system's
};

// What a successful run checked.
struct IbanFileSummary {
  std::size_t lines = 0;      // lines checked (the header not counted)
  std::size_t plausible = 0;  // of them, plausible IBANs
};

// Checks `inputPath` into `outputPath`. True when the output is written;
// false with a German `message` saying why not (the file, and the line
// where a line stopped the run).
bool CheckIbanFile(std::string_view inputPath, std::string_view outputPath,
                   const IbanFileOptions& options, std::string& message,
                   IbanFileSummary* summary = nullptr);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_IBAN_FILE_CHECK_H_
