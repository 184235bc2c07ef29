#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace talvenor::platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

WholeFile Failed(WholeFileStatus status, int error = 0) {
  WholeFile file;
  file.status = status;
  file.error = error;
  return file;
}

}  // namespace

WholeFile ReadWholeFile(const std::filesystem::path& path, std::size_t limit) {
  // Non-blocking, so that opening a FIFO without a writer returns at once.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int error = errno;
    return Failed(error == ENOENT || error == ENOTDIR ? WholeFileStatus::kMissing
                                                      : WholeFileStatus::kUnreadable,
                  error);
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return Failed(WholeFileStatus::kUnreadable, errno);
  if (!S_ISREG(info.st_mode)) return Failed(WholeFileStatus::kNotRegular);
  if (static_cast<unsigned long long>(info.st_size) > limit) {
    return Failed(WholeFileStatus::kTooLarge);
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);

  WholeFile file;
  file.contents.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t size = 0;
  for (;;) {
    if (size == file.contents.size()) {
      // The file grew while being read: read on up to the limit.
      if (size > limit) return Failed(WholeFileStatus::kTooLarge);
      file.contents.resize(std::min(limit + 1, size * 2 + 4096));
    }
    const ssize_t n = ::read(fd.get(), file.contents.data() + size, file.contents.size() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(WholeFileStatus::kUnreadable, errno);
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  if (size > limit) return Failed(WholeFileStatus::kTooLarge);
  file.contents.resize(size);
  file.status = WholeFileStatus::kRead;
  return file;
}

}  // namespace talvenor::platform
