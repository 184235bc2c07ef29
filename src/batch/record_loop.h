// The record loop of a batch run: every record line of the input is
// converted and written to its output file, in input order, in one pass.
//
// The loop stops at the first line that is not a record of the layout, at
// the first output file that cannot be created and at the first failed
// write; there is no skipping of single bad records. Records that convert
// badly are no failure: they carry their result code.
#ifndef TALVENOR_BATCH_RECORD_LOOP_H_
#define TALVENOR_BATCH_RECORD_LOOP_H_

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

// Loads the record layout for `format` from `formatIni` (empty or missing:
// the built-in layout), then converts every line of `input` into `output`.
// Returns 1 when every record is written, 0 when the run stopped; `message`
// then says why: FORMAT.INI's name + kCannotReadSuffix when something is
// there that cannot be read as a file, a layout failure, the
// malformed-input message (also when `input` failed), a file name +
// kCannotCreateSuffix, or the write failure. `notes`, when given,
// receives what the records of a successful run showed.
int ConvertRecords(ByteSource& input, int format, const std::filesystem::path& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes = nullptr);

// The same with FORMAT.INI already read.
int ConvertRecords(ByteSource& input, int format, const platform::PrivateProfile& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes = nullptr);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_LOOP_H_
