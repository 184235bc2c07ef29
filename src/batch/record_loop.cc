#include "batch/record_loop.h"

#include "batch/line_reader.h"
#include "batch/record_conversion.h"
#include "batch/record_layout.h"
#include "platform/display_text.h"

namespace talvenor::batch {

std::string RecordNotesText(const RecordNotes& notes) {
  std::string text;
  if (notes.assumedRule > 0) {
    text += "\n\n" + std::to_string(notes.assumedRule) +
            (notes.assumedRule == 1 ? " Datensatz hat eine Bankleitzahl" : " Datensätze haben Bankleitzahlen") +
            " ohne bekannte IBAN-Regel; umgerechnet wurde nach der Standardregel.";
  }
  if (notes.unchecked > 0) {
    text += "\n\n" + std::to_string(notes.unchecked) +
            (notes.unchecked == 1 ? " Datensatz gehört zu einer Bank" : " Datensätze gehören zu Banken") +
            ", deren Prüfzifferberechnungsmethode Talvenor nicht unterstützt; diese Kontonummern "
            "wurden nicht geprüft.";
  }
  return text;
}

int ConvertRecords(ByteSource& input, int format, const std::filesystem::path& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes) {
  // A FORMAT.INI that is there but cannot be read would silently give the
  // built-in layout, which is not the one the person configured.
  platform::ConfigFileState state = platform::ConfigFileState::kMissing;
  const platform::PrivateProfile formatProfile = platform::PrivateProfile::Load(formatIni, &state);
  if (state == platform::ConfigFileState::kUnusable) {
    message = platform::EscapeControlCharacters(formatIni.string());
    message += kCannotReadSuffix;
    return 0;
  }
  return ConvertRecords(input, format, formatProfile, directory, output, message, notes);
}

int ConvertRecords(ByteSource& input, int format, const platform::PrivateProfile& formatIni,
                   const BankDirectory& directory, RecordOutput& output, std::string& message,
                   RecordNotes* notes) {
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

  RecordConverter converter(layout, directory, output.fileCount());
  const auto noteDown = [&] {
    if (notes != nullptr) *notes = {converter.assumedRuleRecords(), converter.uncheckedRecords()};
  };
  LineReader lines(input);
  for (;;) {
    std::string_view line;
    const LineReader::Next next = lines.Read(line);
    if (next == LineReader::Next::kEnd) {
      noteDown();
      return 1;
    }
    if (next != LineReader::Next::kLine || !converter.Convert(line)) return 0;

    const int file = converter.group();
    switch (output.WriteRecord(file, converter.output())) {
      case RecordOutput::Status::kWritten:
        break;
      case RecordOutput::Status::kCannotCreate:
        message = platform::EscapeControlCharacters(output.FileName(file));
        message += kCannotCreateSuffix;
        return 0;
      case RecordOutput::Status::kWriteFailed:
        message = kWriteFailedMessage;
        return 0;
    }
  }
}

}  // namespace talvenor::batch
