#include "batch/read_ahead_source.h"

#include <gtest/gtest.h>

#include <string>

namespace talvenor::batch {
namespace {

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return bytes;
}

std::string ReadAll(ByteSource& source, std::size_t piece) {
  std::string out;
  std::string buffer(piece, '\0');
  while (const std::size_t count = source.Read(buffer.data(), buffer.size())) {
    out.append(buffer, 0, count);
  }
  return out;
}

// A source that fails after handing out some bytes, like a damaged
// compressed stream.
class FailingSource final : public ByteSource {
 public:
  explicit FailingSource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = bytes_.Read(buffer, size);
    if (count == 0) failed_ = true;
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  MemorySource bytes_;
  bool failed_ = false;
};

TEST(ReadAheadSource, HandsOutEveryByteInOrder) {
  // Sizes around the buffer size (16) and the number of buffers (3): empty,
  // less than one buffer, exact multiples, and many buffers.
  for (const std::size_t size : {0u, 1u, 15u, 16u, 17u, 48u, 49u, 1000u, 100003u}) {
    const std::string bytes = Pattern(size);
    for (const std::size_t piece : {1u, 5u, 16u, 64u}) {
      MemorySource memory(bytes);
      ReadAheadSource ahead(memory, 16);
      EXPECT_EQ(ReadAll(ahead, piece), bytes) << size << " in pieces of " << piece;
      EXPECT_FALSE(ahead.failed());
    }
  }
}

TEST(ReadAheadSource, PassesOnTheSourcesFailure) {
  const std::string bytes = Pattern(100);
  FailingSource failing(bytes);
  ReadAheadSource ahead(failing, 16);
  EXPECT_EQ(ReadAll(ahead, 7), bytes);
  EXPECT_TRUE(ahead.failed());
}

TEST(ReadAheadSource, CanBeAbandonedWhileTheWorkerWaits) {
  // The worker fills all buffers and waits; destroying the reader after one
  // small read must end it, not hang.
  const std::string bytes = Pattern(10000);
  MemorySource memory(bytes);
  {
    ReadAheadSource ahead(memory, 16);
    char first[4];
    ASSERT_EQ(ahead.Read(first, sizeof first), 4u);
    EXPECT_EQ(std::string(first, 4), bytes.substr(0, 4));
  }
}

}  // namespace
}  // namespace talvenor::batch
