// The record loop on several threads.
//
// One thread cuts the input into record lines (LineReader, exactly as the
// loop on one thread does) and packs them into chunks; worker threads
// convert whole chunks, each with a converter of its own; the calling
// thread writes the chunks' records in input order, one by one, and stops
// at the first record that stops the run. So output, message, result and
// notes are those of the loop on one thread, whatever the number of
// threads and the size of the chunks. A bounded number of chunks is in
// flight, and their buffers are used again, so memory does not grow with
// the input.
#ifndef TALVENOR_BATCH_RECORD_PIPELINE_H_
#define TALVENOR_BATCH_RECORD_PIPELINE_H_

#include <optional>
#include <string>

#include "batch/byte_source.h"
#include "batch/record_layout.h"
#include "batch/record_loop.h"
#include "batch/record_output.h"
#include "core/bank_directory.h"

namespace talvenor::batch {

// Converts every line of `input` into `output` on `options.threads`
// converting threads; returns a result of ConvertRecords and fills
// `message` and, after success, `notes` as it does. Nothing when not a
// single converting thread could be started: then nothing was read or
// written, and the caller converts on its own thread.
// REQUIRES: LayoutIsAddressable(layout).
std::optional<int> ConvertRecordsOnThreads(ByteSource& input, const RecordLayout& layout,
                                           const BankDirectory& directory, RecordOutput& output,
                                           const RecordLoopOptions& options, std::string& message,
                                           RecordNotes& notes);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_PIPELINE_H_
