// Replacing a file as a whole: a reader sees the old file or the new one,
// never half of it, and a failure leaves the old file as it was. The bytes
// go to a hidden temporary file beside the target, which is synced and
// renamed over it; the new file keeps the old one's permissions, and a
// symbolic link is written through to its target, so it stays a link.
#ifndef TALVENOR_PLATFORM_SAFE_REPLACE_H_
#define TALVENOR_PLATFORM_SAFE_REPLACE_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace talvenor::platform {

// The file system calls through which a temporary file's bytes reach the
// disk. Tests replace them to make a write, sync or close fail (a full
// disk, a failing device).
struct FileCalls {
  ssize_t (*write)(int descriptor, const void* bytes, std::size_t size);
  int (*fsync)(int descriptor);
  int (*close)(int descriptor);
};
// The real calls: write(2), fsync(2), close(2).
const FileCalls& SystemFileCalls();

// The file that replacing a name replaces.
struct ReplacementTarget {
  std::string path;       // `name` itself, or the end of its chain of links
  bool exists = false;    // false: the file will be created
  struct stat status {};  // of the existing file
};

// Follows `name` through symbolic links (whose end need not exist yet).
// Returns 0, or the errno that forbids replacing it: ENOENT for an empty
// name, EISDIR for a folder, EINVAL for another thing that is no regular
// file (a FIFO, a device, a socket), the errno of access(2) for a file
// that may not be written, ELOOP for a loop of links, or the errno of
// lstat(2) or readlink(2) when the name cannot be followed.
int ResolveReplacementTarget(const std::string& name, ReplacementTarget& target);

// Told when a temporary file comes and goes, e.g. to remove it should an
// interrupting signal end the program. A watch whose reaction is a signal
// handler needs those signals held back around Create() and Rename(), so
// that a temporary file never exists unwatched.
class TemporaryFileWatch {
 public:
  virtual ~TemporaryFileWatch() = default;
  // `path` was just created. False refuses it: it is removed again and
  // Create() fails with EMFILE.
  virtual bool Created(const std::string& path) = 0;
  // The temporary file last reported to Created() no longer has its name:
  // it was renamed over its target or removed.
  virtual void Gone() = 0;
};

// One replacement in progress: Create(), Write() as often as needed, then
// Commit(), or Finish() and Rename() as separate steps when several files
// are to take their names together. Anything not committed is discarded:
// the temporary file is closed and removed, the target stays as it was.
class PendingReplacement {
 public:
  // `watch`, when given, must outlive this object.
  explicit PendingReplacement(const FileCalls& calls = SystemFileCalls(),
                              TemporaryFileWatch* watch = nullptr);
  ~PendingReplacement();  // discards what was not committed
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;

  // Creates the temporary file for replacing `name` and opens it for
  // writing: "." + the target's name + "." + `tag` + "-" + six random
  // characters, in the target's folder (`tag` says what left it behind,
  // should it ever stay, e.g. "talvenor-tmp"). It gets the permission bits
  // of the file it replaces (and, where allowed, its owner and group), or
  // 0666 less the umask when there is no such file yet. A temporary file of
  // an earlier Create() that was neither committed nor discarded is
  // discarded first. Returns 0 or the errno of the failed step (see
  // ResolveReplacementTarget for names that may not be replaced).
  // REQUIRES: `tag` is not empty and holds no "/".
  int Create(const std::string& name, std::string_view tag);

  // The open temporary file, or -1 before Create() and after Finish().
  int descriptor() const { return descriptor_; }
  // The temporary file's path while it exists, else empty.
  const std::string& temporaryPath() const { return temporaryPath_; }
  // The file being replaced, from the last successful Create().
  const std::string& target() const { return target_; }

  // Appends `bytes` to the temporary file. Returns 0 or the errno of the
  // failed write.
  // REQUIRES: descriptor() >= 0.
  int Write(std::string_view bytes);
  // Syncs the temporary file to the disk and closes it (closed even when
  // the sync fails). Returns 0 or the errno of the failed step; 0 when it
  // is closed already.
  int Finish();
  // Finishes the temporary file when still open, then renames it over the
  // target. Returns 0 or the errno of the failed step, which may be an
  // earlier failed Write() or Finish(): a file missing bytes never takes
  // the target's name. On failure the temporary file stays until Discard().
  // REQUIRES: temporaryPath() is not empty.
  int Rename();
  // Rename(), then syncs the folder so that the new name survives a crash.
  // Returns 0 or the errno of the failed step; on failure everything is
  // discarded. A failed sync of the folder is not reported: the file has
  // taken its name by then.
  int Commit();
  // Closes and removes the temporary file, if any.
  void Discard();

 private:
  // Records `error` (0: none) as the first failure; returns it.
  int Failed(int error);
  void CloseDescriptor();

  const FileCalls& calls_;
  TemporaryFileWatch* watch_;
  int descriptor_ = -1;
  int failure_ = 0;  // the first failed Write() or Finish() since Create()
  std::string temporaryPath_;
  std::string target_;
};

// Syncs the folder that holds `path` (its part up to the last "/"; the
// working folder when it has none), so that a rename in it survives a
// crash. Failures are ignored: by then there is nothing left to undo.
void SyncFolderOf(const std::string& path);

// Replaces the contents of `file` with `bytes` as PendingReplacement does,
// the temporary file tagged with `tag`. Returns 0 or the errno of the step
// that failed; then `file` is unchanged and no temporary file is left.
// The folder of the file must exist.
int ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes,
                        std::string_view tag, const FileCalls& calls = SystemFileCalls());

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_SAFE_REPLACE_H_
