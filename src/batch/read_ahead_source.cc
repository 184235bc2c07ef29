#include "batch/read_ahead_source.h"

#include <algorithm>
#include <cstring>

#include "batch/temporary_files.h"

namespace talvenor::batch {

ReadAheadSource::ReadAheadSource(ByteSource& source, std::size_t bufferSize) : source_(source) {
  for (Buffer& buffer : buffers_) buffer.bytes.resize(bufferSize);
  worker_ = std::thread(&ReadAheadSource::Produce, this);
}

ReadAheadSource::~ReadAheadSource() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void ReadAheadSource::Produce() {
  // Interrupting signals go to the thread that runs the conversion, which
  // can hold them back while output files take their names.
  BlockInterruptionsOnThisThread();
  for (;;) {
    Buffer* target = nullptr;
    {
      std::unique_lock lock(mutex_);
      // Buffers between consumed_ and filled_ are full or being read; one
      // is free when fewer than all of them are.
      changed_.wait(lock, [&] { return stopping_ || filled_ - consumed_ < kBuffers; });
      if (stopping_) return;
      target = &buffers_[filled_ % kBuffers];
    }
    // Only the worker touches a free buffer, so it fills it unlocked.
    const std::size_t count = ReadFully(source_, target->bytes.data(), target->bytes.size());
    const bool failed = source_.failed();
    {
      std::lock_guard lock(mutex_);
      target->used = count;
      if (count > 0) ++filled_;
      if (count < target->bytes.size()) {
        ended_ = true;
        sourceFailed_ = failed;
      }
    }
    changed_.notify_all();
    if (count < target->bytes.size()) return;
  }
}

std::size_t ReadAheadSource::Read(char* buffer, std::size_t size) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return consumed_ < filled_ || ended_; });
    if (consumed_ == filled_) return 0;  // ended, everything handed out
    Buffer& current = buffers_[consumed_ % kBuffers];
    if (offset_ < current.used) {
      const std::size_t count = std::min(size, current.used - offset_);
      // The worker never writes a buffer that is not yet consumed.
      std::memcpy(buffer, current.bytes.data() + offset_, count);
      offset_ += count;
      return count;
    }
    ++consumed_;
    offset_ = 0;
    changed_.notify_all();
  }
}

bool ReadAheadSource::failed() const {
  std::lock_guard lock(mutex_);
  return sourceFailed_;
}

}  // namespace talvenor::batch
