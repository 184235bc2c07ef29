#include "batch/convert_file.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <vector>

#include "batch/byte_source.h"
#include "batch/gzip_reader.h"
#include "batch/output_files.h"
#include "batch/read_ahead_source.h"
#include "batch/record_loop.h"
#include "platform/display_text.h"
#include "platform/program_folder.h"
#include "platform/user_settings.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

// How much of the input is read to recognise its format.
constexpr std::size_t kProbeSize = 5000;
// Shorter plain input has no recognisable format.
constexpr std::size_t kMinimumInput = 11;

constexpr std::string_view kCannotOpenSuffix = "\nkann nicht geöffnet werden!";
constexpr std::string_view kUnknownFormatSuffix = "\nhat ein unbekanntes Format!";
constexpr std::string_view kSameFileSuffix = "\nist zugleich Ein- und Ausgabedatei!";
constexpr std::string_view kDecompressFailedMessage = "Datei konnte nicht dekomprimiert werden!";
constexpr std::string_view kOneFileFrame = "Fehler beim Erzeugen von:\n";
constexpr std::string_view kGroupFilesFrame = "Fehler beim Erzeugen der Dateien zu:\n";
constexpr std::string_view kSucceededSuffix = "\nerfolgreich erzeugt.";

// A file name as messages show it: control characters escaped.
std::string DisplayName(std::string_view name) { return platform::EscapeControlCharacters(name); }

// Hands out the bytes read to recognise the format first, then the rest of
// the stream they came from.
class ReplaySource final : public ByteSource {
 public:
  ReplaySource(std::string_view head, ByteSource& rest) : head_(head), rest_(rest) {}

  std::size_t Read(char* buffer, std::size_t size) override {
    if (head_.empty()) return rest_.Read(buffer, size);
    const std::size_t count = std::min(size, head_.size());
    std::copy_n(head_.data(), count, buffer);
    head_.remove_prefix(count);
    return count;
  }
  bool failed() const override { return rest_.failed(); }

 private:
  std::string_view head_;
  ByteSource& rest_;
};

// The input file, opened and recognised, read in one pass: plain, or
// decompressed on the way.
class BatchInput {
 public:
  // Opens `path` and recognises its format from the first bytes (after
  // decompression for gzip data). False with `message` set when the file
  // cannot be used.
  bool Open(std::string_view path, std::string& message);

  // Every byte of the (decompressed) input, the first ones included.
  ByteSource& records() { return *records_; }
  int format() const { return format_; }
  // Why reading failed, or an empty text when it did not.
  std::string Failure(std::string_view path) const;

 private:
  FileSource file_;
  std::string rawHead_;
  std::unique_ptr<ReplaySource> raw_;
  std::unique_ptr<GzipSource> gzip_;
  std::unique_ptr<ReadAheadSource> readAhead_;  // decompresses beside the conversion
  std::string head_;
  std::unique_ptr<ReplaySource> records_;
  int format_ = -1;
};

bool BatchInput::Open(std::string_view path, std::string& message) {
  if (!file_.Open(fs::path(path))) {
    message = DisplayName(path).append(kCannotOpenSuffix);
    return false;
  }
  rawHead_.resize(kProbeSize);
  rawHead_.resize(ReadFully(file_, rawHead_.data(), rawHead_.size()));
  if (file_.failed()) {
    message = DisplayName(path).append(kCannotReadSuffix);
    return false;
  }
  if (rawHead_.size() < kMinimumInput) {
    message = DisplayName(path).append(kUnknownFormatSuffix);
    return false;
  }
  if (static_cast<unsigned char>(rawHead_[0]) == 0x1F &&
      static_cast<unsigned char>(rawHead_[1]) == 0x8B) {
    raw_ = std::make_unique<ReplaySource>(rawHead_, file_);
    gzip_ = std::make_unique<GzipSource>(*raw_);
    head_.resize(kProbeSize);
    head_.resize(ReadFully(*gzip_, head_.data(), head_.size()));
    if (file_.failed()) {
      message = DisplayName(path).append(kCannotReadSuffix);
      return false;
    }
    if (gzip_->failed() || head_.empty()) {
      message = kDecompressFailedMessage;
      return false;
    }
    readAhead_ = std::make_unique<ReadAheadSource>(*gzip_);
    records_ = std::make_unique<ReplaySource>(head_, *readAhead_);
  } else {
    records_ = std::make_unique<ReplaySource>(rawHead_, file_);
  }
  format_ = RecognizeFormat(gzip_ ? head_ : rawHead_);
  if (format_ < 0) {
    message = DisplayName(path).append(kUnknownFormatSuffix);
    return false;
  }
  return true;
}

std::string BatchInput::Failure(std::string_view path) const {
  if (!records_->failed()) return {};
  // The file itself failed (a read error, or it changed while it was read);
  // known once the source has ended, so no reader touches it any more.
  if (file_.failed() || !gzip_) return DisplayName(path).append(kCannotReadSuffix);
  // Damage found late in compressed data counts as much as damage at its
  // start: the records read so far must not pass for the whole file.
  return std::string(kDecompressFailedMessage);
}

bool SameFile(const fs::path& input, const fs::path& output) {
  std::error_code error;
  if (fs::exists(input, error) && fs::exists(output, error)) {
    return fs::equivalent(input, output, error);
  }
  const fs::path a = fs::weakly_canonical(input, error);
  if (error) return false;
  const fs::path b = fs::weakly_canonical(output, error);
  return !error && a == b;
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
  options.group =
      settings.GetInt(platform::kSettingsSection, platform::kSettingGroup, 0) != 0;
  options.initialFolder =
      settings.GetString(platform::kSettingsSection, platform::kSettingPath, "");
  options.threads = DefaultRecordThreads();
  return options;
}

}  // namespace talvenor::batch
