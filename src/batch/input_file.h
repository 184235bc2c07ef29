// The input file of a run over a whole file, opened and read in one pass:
// plain, or gzip data (recognised from its first two bytes) decompressed on
// the way, on a thread of its own beside the work on the bytes.
//
// The first bytes are read at once, so that a caller can recognise the
// file's format; they are handed out again as the start of bytes(). A
// failure of the file or of its compressed data is known once bytes() has
// ended; Failure() then says what failed.
#ifndef TALVENOR_BATCH_INPUT_FILE_H_
#define TALVENOR_BATCH_INPUT_FILE_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "batch/byte_source.h"
#include "batch/gzip_reader.h"
#include "batch/read_ahead_source.h"

namespace talvenor::batch {

// The messages about an input file: its name (control characters escaped)
// followed by a suffix, or a message of its own.
inline constexpr std::string_view kCannotOpenSuffix = "\nkann nicht geöffnet werden!";
inline constexpr std::string_view kUnknownFormatSuffix = "\nhat ein unbekanntes Format!";
inline constexpr std::string_view kSameFileSuffix = "\nist zugleich Ein- und Ausgabedatei!";
inline constexpr std::string_view kDecompressFailedMessage =
    "Datei konnte nicht dekomprimiert werden!";

class InputFile {
 public:
  InputFile();
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `path` and reads its first bytes (decompressed, for gzip data).
  // False with `message` set when the file cannot be opened or read, holds
  // fewer than `minimumSize` bytes (its format is unknown then), or its
  // compressed data gives no bytes.
  bool Open(std::string_view path, std::string& message, std::size_t minimumSize = 0);

  // Every byte of the (decompressed) input, the first ones included.
  // REQUIRES: Open succeeded.
  ByteSource& bytes();
  // The first bytes of the (decompressed) input: up to 5000.
  std::string_view head() const { return gzip_ ? head_ : rawHead_; }
  bool compressed() const { return gzip_ != nullptr; }
  // Why reading failed (the file's name + kCannotReadSuffix, or the
  // decompression message), or an empty text when it did not.
  std::string Failure(std::string_view path) const;

 private:
  class ReplaySource;

  FileSource file_;
  std::string rawHead_;
  std::unique_ptr<ReplaySource> raw_;
  std::unique_ptr<GzipSource> gzip_;
  std::unique_ptr<ReadAheadSource> readAhead_;  // decompresses beside the work
  std::string head_;
  std::unique_ptr<ReplaySource> bytes_;
};

// Whether `input` and `output` are one file: the same file, through links
// too, or (while `output` does not exist) the same path.
bool SameFile(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_INPUT_FILE_H_
