#include "platform/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace talvenor::platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

// Reads to the end of the file, but never more than the limit and one byte
// (which shows that the file is too large).
bool ReadAll(int descriptor, std::string& text) {
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) return true;
    text.append(buffer, static_cast<std::size_t>(count));
    if (text.size() > kConfigFileLimit) return false;
  }
}

}  // namespace

ConfigFileState ReadConfigFile(const std::filesystem::path& file, std::string& text) {
  text.clear();
  if (file.empty()) return ConfigFileState::kMissing;
  // O_NONBLOCK: opening a FIFO that nobody writes to returns at once.
  const Descriptor descriptor(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (descriptor.get() < 0) {
    return errno == ENOENT || errno == ENOTDIR ? ConfigFileState::kMissing
                                               : ConfigFileState::kUnusable;
  }
  struct stat status {};
  if (::fstat(descriptor.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<unsigned long long>(status.st_size) > kConfigFileLimit) {
    return ConfigFileState::kUnusable;
  }
  if (!ReadAll(descriptor.get(), text)) {
    text.clear();
    return ConfigFileState::kUnusable;
  }
  return ConfigFileState::kRead;
}

}  // namespace talvenor::platform
