#include "batch/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace talvenor::batch {

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
  const std::size_t count = std::min(size, bytes_.size());
  if (count > 0) std::memcpy(buffer, bytes_.data(), count);
  bytes_.remove_prefix(count);
  return count;
}

FileSource::~FileSource() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool FileSource::Open(const std::filesystem::path& path) {
  if (descriptor_ >= 0) ::close(descriptor_);
  failed_ = false;
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) return false;
  // A folder opens on POSIX but cannot be read as a file.
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(descriptor_);
    descriptor_ = -1;
    return false;
  }
  regular_ = S_ISREG(status.st_mode);
  size_ = static_cast<unsigned long long>(status.st_size);
  modifiedSeconds_ = status.st_mtim.tv_sec;
  modifiedNanoseconds_ = status.st_mtim.tv_nsec;
  read_ = 0;
  return true;
}

std::size_t FileSource::Read(char* buffer, std::size_t size) {
  if (descriptor_ < 0 || failed_) return 0;
  for (;;) {
    const ssize_t count = ::read(descriptor_, buffer, size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      failed_ = true;
      return 0;
    }
    read_ += static_cast<unsigned long long>(count);
    if (regular_ && (read_ > size_ || (count == 0 && !Unchanged()))) {
      failed_ = true;
      return 0;
    }
    return static_cast<std::size_t>(count);
  }
}

bool FileSource::Unchanged() const {
  struct stat status {};
  return read_ == size_ && ::fstat(descriptor_, &status) == 0 &&
         static_cast<unsigned long long>(status.st_size) == size_ &&
         status.st_mtim.tv_sec == modifiedSeconds_ &&
         status.st_mtim.tv_nsec == modifiedNanoseconds_;
}

std::size_t ReadFully(ByteSource& source, char* buffer, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    const std::size_t count = source.Read(buffer + total, size - total);
    if (count == 0) break;
    total += count;
  }
  return total;
}

}  // namespace talvenor::batch
