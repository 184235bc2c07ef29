// The gzip decoder behind GzipSource and GzipMemoryReader: one state machine
// that pulls compressed bytes from a ByteSource through a fixed input window
// and inflates them straight into the caller's buffer. Memory use is the
// window plus zlib's inflate state, whatever the size of the data.
//
// States: header -> body -> trailer -> header (next member) ... -> end.
// Bytes after a complete member that do not start a gzip header are copied
// through unchanged. Damaged data or a failing source ends decoding in the
// damaged state; the bytes delivered before it stay delivered.
#ifndef TALVENOR_BATCH_GZIP_DECODER_H_
#define TALVENOR_BATCH_GZIP_DECODER_H_

#include <zlib.h>

#include <cstddef>
#include <memory>
#include <string>

#include "batch/byte_source.h"

namespace talvenor::batch {

class GzipDecoder {
 public:
  // Compressed bytes are read from the source in pieces of this size.
  static constexpr std::size_t kWindowSize = 4096;

  explicit GzipDecoder(ByteSource& compressed);
  ~GzipDecoder();
  GzipDecoder(const GzipDecoder&) = delete;
  GzipDecoder& operator=(const GzipDecoder&) = delete;

  // Fills `buffer` with up to `size` decoded bytes; fewer only at the end of
  // the data or when decoding stops at damage. 0 means nothing is left.
  std::size_t Read(char* buffer, std::size_t size);

  // True once the data proved damaged or the source failed.
  bool damaged() const { return state_ == State::kDamaged; }

 private:
  enum class State { kHeader, kBody, kTrailer, kTransparent, kEnd, kDamaged };

  bool Refill();
  bool EnsureAvailable(std::size_t count);
  bool NextByte(unsigned char& byte);
  bool Skip(std::size_t count);
  bool SkipPastZero();
  bool EndOfSource();
  State ReadHeader();
  State ReadTrailer();
  std::size_t Inflate(char* buffer, std::size_t size);
  std::size_t CopyThrough(char* buffer, std::size_t size);

  ByteSource& compressed_;
  std::unique_ptr<unsigned char[]> window_;
  z_stream stream_{};
  bool streamReady_ = false;
  uLong crc_ = 0;
  State state_ = State::kHeader;
};

// How DecodeAll ended.
enum class DecodeOutcome { kComplete, kDamaged, kTooLarge };

// Decodes everything `compressed` holds into `output` (replacing its
// content). Stops with kTooLarge, keeping the first `maxOutput` bytes, when
// the decoded data would be longer than `maxOutput`.
DecodeOutcome DecodeAll(ByteSource& compressed, std::string& output, std::size_t maxOutput);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_GZIP_DECODER_H_
