// Reads another source ahead on a worker thread, so that producing the
// bytes (decompressing, above all) overlaps with consuming them. Memory is
// bounded by a fixed number of fixed-size buffers.
#ifndef TALVENOR_BATCH_READ_AHEAD_SOURCE_H_
#define TALVENOR_BATCH_READ_AHEAD_SOURCE_H_

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/byte_source.h"

namespace talvenor::batch {

class ReadAheadSource final : public ByteSource {
 public:
  // `source` is read only by the worker from now on, until this object is
  // destroyed.
  explicit ReadAheadSource(ByteSource& source, std::size_t bufferSize = std::size_t{256} * 1024);
  ~ReadAheadSource() override;
  ReadAheadSource(const ReadAheadSource&) = delete;
  ReadAheadSource& operator=(const ReadAheadSource&) = delete;

  std::size_t Read(char* buffer, std::size_t size) override;
  // The wrapped source's verdict, known once Read has returned 0.
  bool failed() const override;

 private:
  static constexpr std::size_t kBuffers = 3;
  struct Buffer {
    std::vector<char> bytes;
    std::size_t used = 0;
  };

  void Produce();

  ByteSource& source_;
  std::array<Buffer, kBuffers> buffers_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t filled_ = 0;    // buffers filled by the worker, in total
  std::size_t consumed_ = 0;  // buffers the reader has finished, in total
  std::size_t offset_ = 0;    // read position in the buffer being read
  bool ended_ = false;        // the worker has read the source to its end
  bool sourceFailed_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_READ_AHEAD_SOURCE_H_
