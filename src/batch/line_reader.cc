#include "batch/line_reader.h"

#include <cstring>

namespace talvenor::batch {
namespace {

// Reads go in large pieces so that a file costs few system calls; the line
// limit above is checked on its own and does not depend on this size.
constexpr std::size_t kReadBufferSize = std::size_t{64} * 1024;
static_assert(kReadBufferSize >= kMaxLineWithEnd);

// A carriage return anywhere but directly before the line feed: records
// separated by carriage returns alone would otherwise pass for one record.
bool HoldsCarriageReturn(std::string_view line) {
  return std::memchr(line.data(), '\r', line.size()) != nullptr;
}

}  // namespace

LineReader::LineReader(ByteSource& source, bool emptyLines)
    : source_(source),
      buffer_(std::make_unique<char[]>(kReadBufferSize)),
      emptyLines_(emptyLines) {}

LineReader::Next LineReader::Read(std::string_view& line) {
  for (;;) {
    const char* begin = buffer_.get() + start_;
    const std::size_t available = end_ - start_;
    const void* feed = std::memchr(begin, '\n', available);
    if (feed != nullptr) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - begin);
      if (length + 1 > kMaxLineWithEnd) return Next::kMalformed;
      start_ += length + 1;
      line = std::string_view(begin, length);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty()) return emptyLines_ ? Next::kLine : Next::kMalformed;
      return HoldsCarriageReturn(line) ? Next::kMalformed : Next::kLine;
    }
    // No line feed among the bytes read: the line runs on, unless the
    // input has ended, when its last line takes a carriage return and a
    // line feed as its end.
    if (endOfInput_) {
      if (available == 0) return Next::kEnd;
      if (available + 2 > kMaxLineWithEnd) return Next::kMalformed;
      start_ = end_;
      line = std::string_view(begin, available);
      return HoldsCarriageReturn(line) ? Next::kMalformed : Next::kLine;
    }
    if (available + 1 > kMaxLineWithEnd) return Next::kMalformed;
    if (!Refill()) return Next::kReadError;
  }
}

bool LineReader::Refill() {
  const std::size_t available = end_ - start_;
  if (start_ > 0 && available > 0) std::memmove(buffer_.get(), buffer_.get() + start_, available);
  start_ = 0;
  end_ = available;
  while (end_ < kReadBufferSize) {
    const std::size_t count = source_.Read(buffer_.get() + end_, kReadBufferSize - end_);
    if (count == 0) {
      endOfInput_ = true;
      return !source_.failed();
    }
    end_ += count;
  }
  return true;
}

}  // namespace talvenor::batch
