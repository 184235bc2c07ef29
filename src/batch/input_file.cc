#include "batch/input_file.h"

#include <algorithm>
#include <system_error>

#include "batch/record_loop.h"
#include "platform/display_text.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

// How much of the input is read before the work on it begins.
constexpr std::size_t kProbeSize = 5000;

std::string DisplayName(std::string_view name) { return platform::EscapeControlCharacters(name); }

}  // namespace

// Hands out the bytes read at the start first, then the rest of the stream
// they came from.
class InputFile::ReplaySource final : public ByteSource {
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

InputFile::InputFile() = default;
InputFile::~InputFile() = default;

bool InputFile::Open(std::string_view path, std::string& message, std::size_t minimumSize) {
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
  if (rawHead_.size() < minimumSize) {
    message = DisplayName(path).append(kUnknownFormatSuffix);
    return false;
  }
  if (rawHead_.size() >= 2 && static_cast<unsigned char>(rawHead_[0]) == 0x1F &&
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
    bytes_ = std::make_unique<ReplaySource>(head_, *readAhead_);
  } else {
    bytes_ = std::make_unique<ReplaySource>(rawHead_, file_);
  }
  return true;
}

ByteSource& InputFile::bytes() { return *bytes_; }

std::string InputFile::Failure(std::string_view path) const {
  if (!bytes_ || !bytes_->failed()) return {};
  // The file itself failed (a read error, or it changed while it was read);
  // known once the source has ended, so no reader touches it any more.
  if (file_.failed() || !gzip_) return DisplayName(path).append(kCannotReadSuffix);
  // Damage found late in compressed data counts as much as damage at its
  // start: the bytes read so far must not pass for the whole file.
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

}  // namespace talvenor::batch
