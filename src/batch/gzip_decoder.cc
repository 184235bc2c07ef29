#include "batch/gzip_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace talvenor::batch {
namespace {

constexpr unsigned char kMagic1 = 0x1F;
constexpr unsigned char kMagic2 = 0x8B;
constexpr unsigned char kMethodDeflate = 8;
constexpr unsigned char kFlagHeaderCrc = 0x02;
constexpr unsigned char kFlagExtra = 0x04;
constexpr unsigned char kFlagName = 0x08;
constexpr unsigned char kFlagComment = 0x10;
constexpr unsigned char kFlagsReserved = 0xE0;
// Modification time (4), extra flags (1), operating system (1).
constexpr std::size_t kFixedHeaderRest = 6;

// zlib counts in unsigned int; larger requests are served in parts.
std::size_t ClampToUInt(std::size_t size) { return std::min<std::size_t>(size, UINT_MAX); }

}  // namespace

GzipDecoder::GzipDecoder(ByteSource& compressed)
    : compressed_(compressed), window_(new (std::nothrow) unsigned char[kWindowSize]) {
  stream_.next_in = window_.get();
  stream_.avail_in = 0;
  // Window bits -15: raw deflate data, 32 KiB window, no zlib wrapper.
  streamReady_ = window_ && inflateInit2(&stream_, -15) == Z_OK;
  if (!streamReady_) state_ = State::kDamaged;
}

GzipDecoder::~GzipDecoder() {
  if (streamReady_) inflateEnd(&stream_);
}

std::size_t GzipDecoder::Read(char* buffer, std::size_t size) {
  std::size_t produced = 0;
  while (produced < size) {
    switch (state_) {
      case State::kHeader:
        state_ = ReadHeader();
        break;
      case State::kBody:
        produced += Inflate(buffer + produced, size - produced);
        break;
      case State::kTrailer:
        state_ = ReadTrailer();
        break;
      case State::kTransparent: {
        const std::size_t count = CopyThrough(buffer + produced, size - produced);
        if (count == 0) state_ = compressed_.failed() ? State::kDamaged : State::kEnd;
        produced += count;
        break;
      }
      case State::kEnd:
      case State::kDamaged:
        return produced;
    }
  }
  return produced;
}

// Called once the source has returned 0: the input is used up, or the
// source failed, which counts as damage wherever it happens.
bool GzipDecoder::EndOfSource() {
  if (compressed_.failed()) state_ = State::kDamaged;
  return false;
}

// Refills the window once it is empty; false when the source has no more.
bool GzipDecoder::Refill() {
  const std::size_t count = compressed_.Read(reinterpret_cast<char*>(window_.get()), kWindowSize);
  stream_.next_in = window_.get();
  stream_.avail_in = static_cast<uInt>(count);
  return count > 0 || EndOfSource();
}

// Makes `count` bytes (at most the window size) available at next_in,
// moving what is left to the window's front first.
bool GzipDecoder::EnsureAvailable(std::size_t count) {
  if (stream_.avail_in >= count) return true;
  std::memmove(window_.get(), stream_.next_in, stream_.avail_in);
  stream_.next_in = window_.get();
  while (stream_.avail_in < count) {
    const std::size_t read = compressed_.Read(
        reinterpret_cast<char*>(window_.get()) + stream_.avail_in, kWindowSize - stream_.avail_in);
    if (read == 0) return EndOfSource();
    stream_.avail_in += static_cast<uInt>(read);
  }
  return true;
}

bool GzipDecoder::NextByte(unsigned char& byte) {
  if (stream_.avail_in == 0 && !Refill()) return false;
  byte = *stream_.next_in++;
  --stream_.avail_in;
  return true;
}

bool GzipDecoder::Skip(std::size_t count) {
  while (count > 0) {
    if (stream_.avail_in == 0 && !Refill()) return false;
    const std::size_t step = std::min<std::size_t>(count, stream_.avail_in);
    stream_.next_in += step;
    stream_.avail_in -= static_cast<uInt>(step);
    count -= step;
  }
  return true;
}

// Skips a zero-terminated text (file name, comment) with its zero byte.
bool GzipDecoder::SkipPastZero() {
  for (;;) {
    if (stream_.avail_in == 0 && !Refill()) return false;
    const void* zero = std::memchr(stream_.next_in, 0, stream_.avail_in);
    if (zero != nullptr) {
      const auto step = static_cast<const unsigned char*>(zero) - stream_.next_in + 1;
      stream_.next_in += step;
      stream_.avail_in -= static_cast<uInt>(step);
      return true;
    }
    stream_.next_in += stream_.avail_in;
    stream_.avail_in = 0;
  }
}

GzipDecoder::State GzipDecoder::ReadHeader() {
  if (!EnsureAvailable(2)) {
    if (state_ == State::kDamaged) return State::kDamaged;
    // One last byte cannot be a header; nothing left is the regular end.
    return stream_.avail_in > 0 ? State::kTransparent : State::kEnd;
  }
  if (stream_.next_in[0] != kMagic1 || stream_.next_in[1] != kMagic2) {
    return State::kTransparent;
  }
  Skip(2);
  unsigned char method = 0;
  unsigned char flags = 0;
  if (!NextByte(method) || !NextByte(flags)) return State::kDamaged;
  if (method != kMethodDeflate || (flags & kFlagsReserved) != 0) return State::kDamaged;
  if (!Skip(kFixedHeaderRest)) return State::kDamaged;
  if ((flags & kFlagExtra) != 0) {
    unsigned char low = 0;
    unsigned char high = 0;
    if (!NextByte(low) || !NextByte(high)) return State::kDamaged;
    if (!Skip(static_cast<std::size_t>(low | (high << 8)))) return State::kDamaged;
  }
  if ((flags & kFlagName) != 0 && !SkipPastZero()) return State::kDamaged;
  if ((flags & kFlagComment) != 0 && !SkipPastZero()) return State::kDamaged;
  if ((flags & kFlagHeaderCrc) != 0 && !Skip(2)) return State::kDamaged;
  if (inflateReset(&stream_) != Z_OK) return State::kDamaged;
  crc_ = crc32(0L, Z_NULL, 0);
  return State::kBody;
}

// The trailer: CRC-32 of the member's data, then its length modulo 2^32,
// both little-endian. The length is not checked.
GzipDecoder::State GzipDecoder::ReadTrailer() {
  uLong stored = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    unsigned char byte = 0;
    if (!NextByte(byte)) return State::kDamaged;
    stored |= static_cast<uLong>(byte) << shift;
  }
  if (stored != crc_) return State::kDamaged;
  return Skip(4) ? State::kHeader : State::kDamaged;
}

std::size_t GzipDecoder::Inflate(char* buffer, std::size_t size) {
  std::size_t produced = 0;
  while (produced < size) {
    // At the end of the input inflate still runs once more: it may hold
    // decoded output (the rest of a match) that needs no further input.
    if (stream_.avail_in == 0 && !Refill() && state_ == State::kDamaged) break;
    auto* out = reinterpret_cast<unsigned char*>(buffer + produced);
    const auto room = static_cast<uInt>(ClampToUInt(size - produced));
    stream_.next_out = out;
    stream_.avail_out = room;
    const int status = inflate(&stream_, Z_NO_FLUSH);
    const uInt written = room - stream_.avail_out;
    crc_ = crc32(crc_, out, written);
    produced += written;
    if (status == Z_STREAM_END) {
      state_ = State::kTrailer;
      break;
    }
    // Z_BUF_ERROR: no progress without more input, so the data ends inside
    // the member. Any other status: the deflate data is not valid.
    if (status != Z_OK) {
      state_ = State::kDamaged;
      break;
    }
  }
  return produced;
}

std::size_t GzipDecoder::CopyThrough(char* buffer, std::size_t size) {
  const std::size_t buffered = std::min<std::size_t>(size, stream_.avail_in);
  if (buffered > 0) {
    std::memcpy(buffer, stream_.next_in, buffered);
    stream_.next_in += buffered;
    stream_.avail_in -= static_cast<uInt>(buffered);
    return buffered;
  }
  return compressed_.Read(buffer, size);
}

DecodeOutcome DecodeAll(ByteSource& compressed, std::string& output, std::size_t maxOutput) {
  constexpr std::size_t kFirstSize = std::size_t{64} * 1024;
  // One byte beyond the limit tells data that fits from data that does not.
  const std::size_t cap = maxOutput < output.max_size() ? maxOutput + 1 : output.max_size();
  GzipDecoder decoder(compressed);
  output.clear();
  std::size_t used = 0;
  for (;;) {
    if (used == output.size()) {
      if (used == cap) break;
      const std::size_t grown = std::max(kFirstSize, output.size() * 2);
      output.resize(std::min(grown, cap));
    }
    const std::size_t count = decoder.Read(output.data() + used, output.size() - used);
    if (count == 0) break;
    used += count;
  }
  if (used > maxOutput) {
    output.resize(maxOutput);
    return DecodeOutcome::kTooLarge;
  }
  output.resize(used);
  return decoder.damaged() ? DecodeOutcome::kDamaged : DecodeOutcome::kComplete;
}

}  // namespace talvenor::batch
