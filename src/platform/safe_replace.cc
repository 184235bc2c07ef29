#include "platform/safe_replace.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>

namespace talvenor::platform {
namespace {

// The longest chain of symbolic links followed, as the kernel's limit.
constexpr int kMaxLinks = 40;
// Attempts at a free temporary name before giving up.
constexpr int kNameAttempts = 100;
constexpr std::string_view kNameLetters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kRandomLetters = 6;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The errno of a failed call, never 0 (a write of nothing sets none).
int LastError() { return errno != 0 ? errno : EIO; }

// Where the symbolic link `link` points, taken relative to its folder.
// 0 or the errno of readlink(2).
int FollowLink(const std::string& link, std::string& next) {
  char linked[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), linked, sizeof linked);
  if (length < 0) return LastError();
  if (length == 0 || static_cast<std::size_t>(length) >= sizeof linked) return ENAMETOOLONG;
  const std::string_view text(linked, static_cast<std::size_t>(length));
  next = text.front() == '/' ? std::string(text) : FolderOf(link).append(text);
  return 0;
}

// 0 when `status` is a file that may be replaced, else the reason.
int ReplaceableFile(const std::string& path, const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISREG(status.st_mode)) return EINVAL;
  return ::access(path.c_str(), W_OK) == 0 ? 0 : LastError();
}

std::uint64_t RandomBits() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits)) {
    return bits;
  }
  // No entropy yet (early boot): the clock and a counter still make
  // collisions rare, and O_EXCL makes them harmless.
  static std::atomic<std::uint64_t> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint64_t>(now) * 6364136223846793005U +
         counter.fetch_add(1, std::memory_order_relaxed) + static_cast<std::uint64_t>(::getpid());
}

// The temporary name for `target` without its random letters: hidden,
// beside it, and saying what it is. The target's name is shortened where
// the whole would be longer than a file name may be.
std::string TemporaryPrefix(const std::string& target, std::string_view tag) {
  const std::string folder = FolderOf(target);
  std::string name = target.substr(folder.size());
  const std::size_t fixed = 2 + tag.size() + 1 + kRandomLetters;  // "." "." tag "-" letters
  if (fixed + name.size() > NAME_MAX) name.resize(NAME_MAX > fixed ? NAME_MAX - fixed : 0);
  return folder + "." + name + "." + std::string(tag) + "-";
}

// Creates a new file under `prefix` + random letters with `mode` (less the
// umask), setting `path`; the descriptor, or -1 with errno set.
int CreateUnique(const std::string& prefix, mode_t mode, std::string& path) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::uint64_t bits = RandomBits();
    path = prefix;
    for (std::size_t i = 0; i < kRandomLetters; ++i) {
      path += kNameLetters[bits % kNameLetters.size()];
      bits /= kNameLetters.size();
    }
    const int descriptor =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  errno = EEXIST;
  return -1;
}

// Gives a new temporary file the owner, group and permission bits of the
// file it replaces, as far as the system allows.
void TakeOwnerAndMode(int descriptor, const struct stat& replaced) {
  // Owner and group are kept where allowed (root may keep both, the owner
  // the group if a member of it); otherwise the new file belongs to whoever
  // runs the program.
  if (::fchown(descriptor, replaced.st_uid, replaced.st_gid) != 0) {
    static_cast<void>(::fchown(descriptor, static_cast<uid_t>(-1), replaced.st_gid));
  }
  // After the owner, whose change would clear set-user-ID and set-group-ID.
  static_cast<void>(::fchmod(descriptor, replaced.st_mode & 07777));
}

}  // namespace

const FileCalls& SystemFileCalls() {
  static const FileCalls calls{::write, ::fsync, ::close};
  return calls;
}

int ResolveReplacementTarget(const std::string& name, ReplacementTarget& target) {
  target = ReplacementTarget{};
  if (name.empty()) return ENOENT;
  std::string current = name;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0) {
      if (errno != ENOENT) return LastError();
      target.path = std::move(current);
      return 0;
    }
    if (!S_ISLNK(status.st_mode)) {
      if (const int refused = ReplaceableFile(current, status)) return refused;
      target.path = std::move(current);
      target.exists = true;
      target.status = status;
      return 0;
    }
    std::string next;
    if (const int error = FollowLink(current, next)) return error;
    current = std::move(next);
  }
  return ELOOP;
}

PendingReplacement::PendingReplacement(const FileCalls& calls, TemporaryFileWatch* watch)
    : calls_(calls), watch_(watch) {}

PendingReplacement::~PendingReplacement() { Discard(); }

int PendingReplacement::Create(const std::string& name, std::string_view tag) {
  Discard();
  ReplacementTarget target;
  if (const int refused = ResolveReplacementTarget(name, target)) return refused;
  // A new file takes its permissions from the umask (and a folder's default
  // access list) as the kernel applies them; a replacement starts private
  // and takes the replaced file's bits before any byte is written.
  std::string path;
  const int descriptor =
      CreateUnique(TemporaryPrefix(target.path, tag), target.exists ? 0600 : 0666, path);
  if (descriptor < 0) return LastError();
  if (watch_ != nullptr && !watch_->Created(path)) {
    ::unlink(path.c_str());
    ::close(descriptor);
    return EMFILE;
  }
  if (target.exists) TakeOwnerAndMode(descriptor, target.status);
  descriptor_ = descriptor;
  failure_ = 0;
  temporaryPath_ = std::move(path);
  target_ = std::move(target.path);
  return 0;
}

int PendingReplacement::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    errno = 0;
    const ssize_t written = calls_.write(descriptor_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Failed(LastError());
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

int PendingReplacement::Finish() {
  if (descriptor_ < 0) return 0;
  int error = 0;
  if (calls_.fsync(descriptor_) != 0) error = LastError();
  // A failed close(2) must not be repeated: the descriptor is gone either way.
  if (calls_.close(descriptor_) != 0 && error == 0) error = LastError();
  descriptor_ = -1;
  return Failed(error);
}

int PendingReplacement::Rename() {
  if (const int error = Finish()) return error;
  if (failure_ != 0) return failure_;
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) return LastError();
  temporaryPath_.clear();
  if (watch_ != nullptr) watch_->Gone();
  return 0;
}

int PendingReplacement::Commit() {
  if (const int error = Rename()) {
    Discard();
    return error;
  }
  SyncFolderOf(target_);
  return 0;
}

void PendingReplacement::Discard() {
  CloseDescriptor();
  if (temporaryPath_.empty()) return;
  ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
  if (watch_ != nullptr) watch_->Gone();
}

int PendingReplacement::Failed(int error) {
  if (failure_ == 0) failure_ = error;
  return error;
}

void PendingReplacement::CloseDescriptor() {
  if (descriptor_ < 0) return;
  calls_.close(descriptor_);
  descriptor_ = -1;
}

void SyncFolderOf(const std::string& path) {
  const std::string folder = FolderOf(path);
  const char* name = folder.empty() ? "." : folder.c_str();
  const int descriptor = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  static_cast<void>(::fsync(descriptor));
  ::close(descriptor);
}

int ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes,
                        std::string_view tag, const FileCalls& calls) {
  PendingReplacement replacement(calls);
  if (const int error = replacement.Create(file.string(), tag)) return error;
  if (const int error = replacement.Write(bytes)) return error;  // discarded on return
  return replacement.Commit();
}

}  // namespace talvenor::platform
