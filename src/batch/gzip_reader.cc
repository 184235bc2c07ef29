#include "batch/gzip_reader.h"

#include <climits>
#include <new>

#include "batch/gzip_decoder.h"
#include "platform/number_text.h"

namespace talvenor::batch {
namespace {

// Blocks and outputs are counted in a signed 32-bit length; one of
// 2147483647 bytes or more is refused.
constexpr std::size_t kMaxLength = INT_MAX - 1;

// A letter of code page 1252, the records' code page: ASCII letters, the
// letters among 0x80-0x9F (Š, Œ, Ž, š, œ, ž, Ÿ, ƒ), ª, µ, º and 0xC0-0xFF
// except × (0xD7) and ÷ (0xF7).
bool IsLetter(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA:
      return true;
    default:
      return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  }
}

}  // namespace

struct GzipSource::Decoder {
  explicit Decoder(ByteSource& compressed) : decoder(compressed) {}
  GzipDecoder decoder;
};

GzipSource::GzipSource(ByteSource& compressed) : decoder_(std::make_unique<Decoder>(compressed)) {}

GzipSource::~GzipSource() = default;

std::size_t GzipSource::Read(char* buffer, std::size_t size) {
  return decoder_->decoder.Read(buffer, size);
}

bool GzipSource::failed() const { return decoder_->decoder.damaged(); }

GzipMemoryReader::GzipMemoryReader(const unsigned char* block, std::size_t size) {
  MemorySource source({reinterpret_cast<const char*>(block), size});
  try {
    damaged_ = DecodeAll(source, output_, output_.max_size()) != DecodeOutcome::kComplete;
  } catch (const std::bad_alloc&) {
    // The output does not fit into memory: what was decoded is incomplete.
    output_.clear();
    damaged_ = true;
  }
}

int RecognizeFormat(std::string_view firstBytes) {
  if (firstBytes.empty()) return -1;
  const auto first = static_cast<unsigned char>(firstBytes[0]);
  if (first == '"' || first == ';' || (firstBytes.size() > 2 && firstBytes[2] == ';')) return 1;
  if (IsLetter(first) || platform::IsDigit(firstBytes[0]) || first == ' ') return 0;
  return -1;
}

int DecompressInput(std::string_view block, std::string& output, int& format) {
  format = -1;
  output.clear();
  if (block.size() > kMaxLength) return 0;
  MemorySource source(block);
  DecodeOutcome outcome = DecodeOutcome::kDamaged;
  try {
    outcome = DecodeAll(source, output, kMaxLength);
  } catch (const std::bad_alloc&) {
  }
  // Partial data from a damaged or oversized block must not be converted.
  if (outcome != DecodeOutcome::kComplete || output.empty()) {
    output.clear();
    output.shrink_to_fit();
    return 0;
  }
  format = RecognizeFormat(output);
  return 1;
}

}  // namespace talvenor::batch
