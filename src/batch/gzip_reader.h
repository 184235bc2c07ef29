// Reading gzip-compressed input (RFC 1952) with zlib's raw inflate: the
// container (headers, trailers, several members one after the other) is
// parsed here, the deflate data is decoded by zlib.
//
// Bytes that follow a complete member and are not a gzip header are passed
// through unchanged. Damaged data (a header that is not valid, a trailer
// CRC that does not match, data that ends inside a member) marks the
// reader as damaged: the output produced before the damage is kept, but a
// caller must not treat it as a sound conversion input.
#ifndef TALVENOR_BATCH_GZIP_READER_H_
#define TALVENOR_BATCH_GZIP_READER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "batch/byte_source.h"

namespace talvenor::batch {

// Decompresses a gzip stream read from `compressed` while it is read.
// Memory use is bounded: an input window and zlib's own state.
class GzipSource final : public ByteSource {
 public:
  explicit GzipSource(ByteSource& compressed);
  ~GzipSource() override;
  GzipSource(const GzipSource&) = delete;
  GzipSource& operator=(const GzipSource&) = delete;

  std::size_t Read(char* buffer, std::size_t size) override;
  // True when the compressed data is damaged or the source failed.
  bool failed() const override;

 private:
  struct Decoder;
  std::unique_ptr<Decoder> decoder_;
};

// Decodes one compressed block held in memory, all at once.
class GzipMemoryReader {
 public:
  GzipMemoryReader(const unsigned char* block, std::size_t size);

  const std::string& output() const { return output_; }
  std::size_t size() const { return output_.size(); }
  // True when decoding stopped at damaged data (see above).
  bool damaged() const { return damaged_; }

 private:
  std::string output_;
  bool damaged_ = false;
};

// The record format recognised from the first bytes of (decompressed)
// input: 1 = separated values, 0 = fixed record length (the first byte a
// letter of code page 1252, a digit or a blank), -1 = unknown.
int RecognizeFormat(std::string_view firstBytes);

// Decompresses `block` into `output` and sets `format` from its first
// bytes (-1 when not recognisable). Returns 1 on success, 0 when the block
// is too large (2147483647 bytes or more), yields no bytes, or is damaged.
int DecompressInput(std::string_view block, std::string& output, int& format);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_GZIP_READER_H_
