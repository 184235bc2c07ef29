#include "batch/convert_file.h"

#include <vector>

#include "batch/byte_source.h"
#include "batch/gzip_reader.h"
#include "batch/input_file.h"
#include "batch/output_files.h"
#include "batch/record_loop.h"
#include "platform/display_text.h"
#include "platform/program_folder.h"
#include "platform/user_settings.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

// Shorter plain input has no recognisable format.
constexpr std::size_t kMinimumInput = 11;

constexpr std::string_view kOneFileFrame = "Fehler beim Erzeugen von:\n";
constexpr std::string_view kGroupFilesFrame = "Fehler beim Erzeugen der Dateien zu:\n";
constexpr std::string_view kSucceededSuffix = "\nerfolgreich erzeugt.";

// A file name as messages show it: control characters escaped.
std::string DisplayName(std::string_view name) { return platform::EscapeControlCharacters(name); }

// The input file, opened and its record format recognised from the first
// bytes (after decompression for gzip data).
class BatchInput {
 public:
  // False with `message` set when the file cannot be used.
  bool Open(std::string_view path, std::string& message);

  // Every byte of the (decompressed) input, the first ones included.
  ByteSource& records() { return file_.bytes(); }
  int format() const { return format_; }
  // Why reading failed, or an empty text when it did not.
  std::string Failure(std::string_view path) const { return file_.Failure(path); }

 private:
  InputFile file_;
  int format_ = -1;
};

bool BatchInput::Open(std::string_view path, std::string& message) {
  if (!file_.Open(path, message, kMinimumInput)) return false;
  format_ = RecognizeFormat(file_.head());
  if (format_ < 0) {
    message = DisplayName(path).append(kUnknownFormatSuffix);
    return false;
  }
  return true;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += '\n';
    text += DisplayName(name);
  }
  return text;
}

// The output path the caller gave, or the one a person chooses; nothing
// when the person cancelled.
std::optional<std::string> OutputPath(std::string_view outputPath, const BatchOptions& options) {
  if (!outputPath.empty()) return std::string(outputPath);
  // Without anyone to ask, the empty name is kept and cannot be created.
  if (options.saveQuestion == nullptr) return std::string();
  return options.saveQuestion->AskOutputPath(options.initialFolder);
}

}  // namespace

int ConvertFile(std::string_view inputPath, std::string_view outputPath, std::string& message,
                const BatchOptions& options, RecordNotes* notes) {
  message.clear();
  BatchInput input;
  if (!input.Open(inputPath, message)) return kConvertFailed;

  const std::optional<std::string> output = OutputPath(outputPath, options);
  if (!output) return kConvertCancelled;
  std::vector<std::string> names =
      options.group ? GroupNames(*output) : std::vector<std::string>{*output};
  // Writing the input over itself would destroy it before it is read.
  for (const std::string& name : names) {
    if (SameFile(fs::path(inputPath), fs::path(name))) {
      message = DisplayName(inputPath).append(kSameFileSuffix);
      return kConvertFailed;
    }
  }

  OutputFiles files(std::move(names));
  if (!files.Open(0)) {
    message = DisplayName(files.FileName(0)).append(kCannotCreateSuffix);
    return kConvertFailed;
  }
  std::string stopped;
  RecordNotes seen;
  RecordLoopOptions loop;
  loop.threads = options.threads;
  const int converted = ConvertRecords(input.records(), input.format(), options.formatIni,
                                       *options.directory, files, stopped, &seen, loop);
  // Only a failure the loop reached counts: a record or write that stopped
  // the run before it decides the message, however far the input was read
  // ahead meanwhile.
  if (converted == kRecordsInputFailed) {
    if (std::string failure = input.Failure(inputPath); !failure.empty()) {
      files.Discard();
      message = std::move(failure);
      return kConvertFailed;
    }
  }
  std::vector<std::string> written;
  if (converted != kRecordsWritten || !files.Commit(written)) {
    if (converted == kRecordsWritten) stopped = kWriteFailedMessage;
    files.Discard();
    message = options.group ? kGroupFilesFrame : kOneFileFrame;
    message += DisplayName(options.group ? GroupBase(*output) : *output);
    message += '\n';
    message += stopped;
    return kConvertFailed;
  }
  message = Joined(written);
  message += kSucceededSuffix;
  message += RecordNotesText(seen);
  if (notes != nullptr) *notes = seen;
  return kConvertSucceeded;
}

BatchOptions DefaultBatchOptions(const BankDirectory& directory) {
  BatchOptions options;
  options.directory = &directory;
  if (const auto folder = platform::ProgramFolder()) options.formatIni = *folder / "FORMAT.INI";
  const platform::UserSettings settings;
  options.group = settings.GetInt(platform::kSettingsSection, platform::kSettingGroup, 0) != 0;
  options.initialFolder =
      settings.GetString(platform::kSettingsSection, platform::kSettingPath, "");
  options.threads = DefaultRecordThreads();
  return options;
}

}  // namespace talvenor::batch
