#include "batch/output_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "batch/temporary_files.h"

namespace talvenor::batch {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// Written bytes are handed to the disk in steps of this size while the run
// goes on, so that the sync at the commit waits for little more than the
// last step.
constexpr std::size_t kWritebackStep = std::size_t{8} * 1024 * 1024;

std::size_t SplitPoint(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  return (dot == std::string_view::npos || dot == 0) ? path.size() : dot;
}

// The permissions a newly created file gets from the process's umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The longest chain of symbolic links followed, as the kernel's limit.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that writing to `name` reaches: `name` itself, or the target of
// the symbolic links it names (which need not exist yet). False when that
// file may not be replaced: it is no regular file (a folder, a device, a
// FIFO), may not be written, or cannot be reached.
bool OutputTarget(const std::string& name, std::string& target) {
  std::string current = name;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0) {
      target = current;
      return errno == ENOENT;
    }
    if (!S_ISLNK(status.st_mode)) {
      target = current;
      return S_ISREG(status.st_mode) && ::access(current.c_str(), W_OK) == 0;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(current.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) return false;
    const std::string linked(link, static_cast<std::size_t>(length));
    if (linked.front() == '/') {
      current = linked;
    } else {
      current = FolderOf(current);
      current += linked;
    }
  }
  return false;
}

// The temporary file's name pattern for `target`: hidden, beside it, and
// saying what it is should it ever be left behind (kill -9).
std::string TemporaryPattern(const std::string& target) {
  const std::string folder = FolderOf(target);
  return folder + "." + target.substr(folder.size()) + ".talvenor-tmp-XXXXXX";
}

// Gives a new temporary file the permissions the output will keep: those
// of the file it replaces, or those any newly created file gets.
void TakePermissions(int descriptor, const std::string& target) {
  struct stat existing {};
  if (::stat(target.c_str(), &existing) != 0) {
    ::fchmod(descriptor, NewFileMode());
    return;
  }
  // Owner and group are kept where the system allows it (root may keep
  // both, the owner the group if a member of it); otherwise the new file
  // belongs to whoever runs the program.
  const bool kept = ::fchown(descriptor, existing.st_uid, existing.st_gid) == 0 ||
                    ::fchown(descriptor, static_cast<uid_t>(-1), existing.st_gid) == 0;
  static_cast<void>(kept);
  // After the owner, which would clear set-user-ID and set-group-ID bits.
  ::fchmod(descriptor, existing.st_mode & 07777);
}

// Removes an output name unless it is a folder or may not be written.
void RemoveOutputName(const std::string& name) {
  struct stat status {};
  if (::lstat(name.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return;
  if (!S_ISLNK(status.st_mode) && ::access(name.c_str(), W_OK) != 0) return;
  ::unlink(name.c_str());
}

}  // namespace

const FileCalls& SystemFileCalls() {
  static const FileCalls calls{::write, ::fsync, ::close};
  return calls;
}

std::vector<std::string> GroupNames(std::string_view outputPath) {
  const std::size_t split = SplitPoint(outputPath);
  const std::string_view base = outputPath.substr(0, split);
  const std::string_view extension = outputPath.substr(split);
  std::vector<std::string> names;
  for (int group = 0; group <= 9; ++group) {
    std::string name(base);
    name += "_GRP";
    name += static_cast<char>('0' + group);
    name += extension;
    names.push_back(std::move(name));
  }
  return names;
}

std::string GroupBase(std::string_view outputPath) {
  return std::string(outputPath.substr(0, SplitPoint(outputPath)));
}

OutputFiles::OutputFiles(std::vector<std::string> names, const FileCalls& calls) : calls_(calls) {
  files_.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) files_[i].name = std::move(names[i]);
}

OutputFiles::~OutputFiles() {
  for (File& file : files_) CloseAndRemoveTemporary(file);
}

bool OutputFiles::Open(int index) {
  File& file = At(index);
  if (file.descriptor >= 0) return true;
  std::string target;
  if (file.name.empty() || !OutputTarget(file.name, target)) return false;
  std::string pattern = TemporaryPattern(target);
  int descriptor = -1;
  int slot = -1;
  {
    // Created and registered in one step: an interruption in between would
    // leave the file behind.
    const InterruptionsHeld held;
    descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0) return false;
    slot = RegisterTemporaryFile(pattern);
    if (slot < 0) {
      ::unlink(pattern.c_str());
      ::close(descriptor);
      return false;
    }
  }
  // mkostemp creates the file for its owner only.
  TakePermissions(descriptor, target);
  file.descriptor = descriptor;
  file.target = std::move(target);
  file.temporaryName = std::move(pattern);
  file.slot = slot;
  file.records = 0;
  file.used = 0;
  file.written = 0;
  file.writtenBack = 0;
  if (!file.buffer) file.buffer = std::make_unique<char[]>(kBufferSize);
  return true;
}

RecordOutput::Status OutputFiles::WriteRecord(int index, std::string_view line) {
  if (!Open(index)) return Status::kCannotCreate;
  return Append(At(index), line) ? Status::kWritten : Status::kWriteFailed;
}

bool OutputFiles::Append(File& file, std::string_view line) {
  if (writeFailed_) return false;
  if (file.used + line.size() > kBufferSize) {
    if (!Flush(file)) return false;
    if (line.size() > kBufferSize) {  // cannot happen for record lines
      writeFailed_ = true;
      return false;
    }
  }
  std::memcpy(file.buffer.get() + file.used, line.data(), line.size());
  file.used += line.size();
  ++file.records;
  return true;
}

bool OutputFiles::Flush(File& file) {
  const char* bytes = file.buffer.get();
  std::size_t left = file.used;
  while (left > 0) {
    const ssize_t written = calls_.write(file.descriptor, bytes, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      writeFailed_ = true;
      return false;
    }
    bytes += written;
    left -= static_cast<std::size_t>(written);
  }
  file.written += file.used;
  file.used = 0;
  if (file.written - file.writtenBack >= kWritebackStep) {
    // Only a hint to start writing back; the commit's fsync checks.
    ::sync_file_range(file.descriptor, static_cast<off_t>(file.writtenBack),
                      static_cast<off_t>(file.written - file.writtenBack), SYNC_FILE_RANGE_WRITE);
    file.writtenBack = file.written;
  }
  return true;
}

bool OutputFiles::Commit(std::vector<std::string>& written) {
  written.clear();
  // Every byte must be on the disk before any file takes its name.
  bool sound = !writeFailed_;
  for (File& file : files_) {
    if (file.descriptor < 0 || file.records == 0) continue;
    sound = sound && Flush(file) && calls_.fsync(file.descriptor) == 0;
    const int closed = calls_.close(file.descriptor);
    file.descriptor = -1;
    sound = sound && closed == 0;
  }
  // The files take their names as one step that an interruption cannot cut
  // in half.
  const InterruptionsHeld held;
  for (File& file : files_) {
    if (!sound) break;
    if (file.temporaryName.empty() || file.records == 0) continue;
    if (::rename(file.temporaryName.c_str(), file.target.c_str()) != 0) {
      sound = false;
      break;
    }
    file.temporaryName.clear();
    ForgetTemporaryFile(file.slot);
    file.slot = -1;
    written.push_back(file.name);
  }
  if (!sound) {
    written.clear();
    Discard();
    return false;
  }
  for (File& file : files_) {
    if (file.records > 0) continue;
    CloseAndRemoveTemporary(file);
    RemoveOutputName(file.name);
  }
  return true;
}

void OutputFiles::Discard() {
  for (File& file : files_) CloseAndRemoveTemporary(file);
}

void OutputFiles::CloseAndRemoveTemporary(File& file) {
  if (file.descriptor >= 0) {
    calls_.close(file.descriptor);
    file.descriptor = -1;
  }
  if (!file.temporaryName.empty()) {
    ::unlink(file.temporaryName.c_str());
    file.temporaryName.clear();
  }
  ForgetTemporaryFile(file.slot);
  file.slot = -1;
  file.used = 0;
}

}  // namespace talvenor::batch
