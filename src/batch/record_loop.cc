#include "batch/record_loop.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "batch/line_reader.h"
#include "batch/record_conversion.h"
#include "batch/record_layout.h"
#include "batch/record_pipeline.h"
#include "platform/display_text.h"

namespace talvenor::batch {
namespace {

// The loop on the calling thread alone: read a line, convert it, write it.
int ConvertOnThisThread(ByteSource& input, const RecordLayout& layout,
                        const BankDirectory& directory, RecordOutput& output, std::string& message,
                        RecordNotes& notes) {
  RecordConverter converter(layout, directory, output.fileCount());
  LineReader lines(input);
  for (;;) {
    std::string_view line;
    const LineReader::Next next = lines.Read(line);
    if (next == LineReader::Next::kEnd) {
      notes = {converter.assumedRuleRecords(), converter.uncheckedRecords()};
      return kRecordsWritten;
    }
    if (next == LineReader::Next::kReadError) return kRecordsInputFailed;
    if (next != LineReader::Next::kLine || !converter.Convert(line)) return kRecordsStopped;
    if (!WriteConvertedRecord(output, converter.group(), converter.output(), message)) {
      return kRecordsStopped;
    }
  }
}

}  // namespace

int DefaultRecordThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp<unsigned>(cores, 1, kMaxRecordThreads));
}

std::string RecordNotesText(const RecordNotes& notes) {
  std::string text;
  if (notes.assumedRule > 0) {
    text += "\n\n" + std::to_string(notes.assumedRule) +
            (notes.assumedRule == 1 ? " Datensatz hat eine Bankleitzahl"
                                    : " Datensätze haben Bankleitzahlen") +
            " ohne bekannte IBAN-Regel; umgerechnet wurde nach der Standardregel.";
  }
  if (notes.unchecked > 0) {
    text += "\n\n" + std::to_string(notes.unchecked) +
            (notes.unchecked == 1 ? " Datensatz gehört zu einer Bank"
                                  : " Datensätze gehören zu Banken") +
            ", deren Prüfzifferberechnungsmethode Talvenor nicht unterstützt; diese Kontonummern "
            "wurden nicht geprüft.";
  }
  return text;
}

int ConvertRecords(ByteSource& input, int format, const std::filesystem::path& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes, const RecordLoopOptions& loop) {
  // A FORMAT.INI that is there but cannot be read would silently give the
  // built-in layout, which is not the one the person configured.
  platform::ConfigFileState state = platform::ConfigFileState::kMissing;
  const platform::PrivateProfile formatProfile = platform::PrivateProfile::Load(formatIni, &state);
  if (state == platform::ConfigFileState::kUnusable) {
    message = platform::EscapeControlCharacters(formatIni.string());
    message += kCannotReadSuffix;
    return 0;
  }
  return ConvertRecords(input, format, formatProfile, directory, output, message, notes, loop);
}

int ConvertRecords(ByteSource& input, int format, const platform::PrivateProfile& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes, const RecordLoopOptions& loop) {
  message = kMalformedInputMessage;
  RecordLayout layout;
  layout.format = format;
  const int loaded = LoadRecordLayout(layout, formatIni);
  if (loaded != kLayoutUsable) {
    message = LayoutFailureMessage(loaded);
    return 0;
  }
  // The loader promises positions within the fields; a layout that breaks
  // that promise must not make the loop address a field that is not there.
  if (!LayoutIsAddressable(layout)) {
    message = LayoutFailureMessage(kLayoutInsufficient);
    return 0;
  }

  RecordNotes seen;
  std::optional<int> result;
  if (loop.threads > 1) {
    result = ConvertRecordsOnThreads(input, layout, directory, output, loop, message, seen);
  }
  if (!result) result = ConvertOnThisThread(input, layout, directory, output, message, seen);
  if (*result == kRecordsWritten && notes != nullptr) *notes = seen;
  return *result;
}

bool WriteConvertedRecord(RecordOutput& output, int file, std::string_view line,
                          std::string& message) {
  switch (output.WriteRecord(file, line)) {
    case RecordOutput::Status::kWritten:
      return true;
    case RecordOutput::Status::kCannotCreate:
      message = platform::EscapeControlCharacters(output.FileName(file));
      message += kCannotCreateSuffix;
      return false;
    case RecordOutput::Status::kWriteFailed:
      message = kWriteFailedMessage;
      return false;
  }
  return false;
}

}  // namespace talvenor::batch
