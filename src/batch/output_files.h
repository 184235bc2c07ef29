// The output files of one batch run: one name, or ten group names.
//
// Records are written to temporary files beside the files they will become
// (same folder, "." + the name + ".talvenor-tmp-XXXXXX") through a 64 KiB
// buffer per file. A successful run commits: every temporary file is
// flushed, synced and closed, then renamed to its final name. A failed run
// discards: only its temporary files are removed, and every file that
// existed before the run stays as it was. Either way no temporary file
// stays behind (an interrupting signal removes them too, see
// temporary_files.h), and after a commit exactly the files that received
// records exist under the output names.
//
// An output name that is a symbolic link is written through to the link's
// target. A replaced file keeps its permission bits (and, where allowed,
// its owner and group); a new one gets 0666 less the umask.
#ifndef TALVENOR_BATCH_OUTPUT_FILES_H_
#define TALVENOR_BATCH_OUTPUT_FILES_H_

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/record_output.h"
#include "batch/temporary_files.h"
#include "platform/safe_replace.h"

namespace talvenor::batch {

// The file system calls through which buffered bytes reach the disk;
// tests replace them to make a write, sync or close fail (a full disk).
using platform::FileCalls;
using platform::SystemFileCalls;

// The ten output names of a grouped run: `outputPath` split at its last "."
// (none, or one at the very start, gives no split) into base and extension;
// name d is base + "_GRP" + d + extension.
std::vector<std::string> GroupNames(std::string_view outputPath);
// The base of that split: `outputPath` up to its last "." (see above).
std::string GroupBase(std::string_view outputPath);

class OutputFiles final : public RecordOutput {
 public:
  // REQUIRES: `names` is not empty.
  explicit OutputFiles(std::vector<std::string> names, const FileCalls& calls = SystemFileCalls());
  ~OutputFiles();  // discards whatever was not committed
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  int fileCount() const override { return static_cast<int>(files_.size()); }
  std::string_view FileName(int file) const override { return At(file).name; }
  bool IsOpen(int file) const { return At(file).replacement.descriptor() >= 0; }
  // Records written to `file` so far.
  long records(int file) const { return At(file).records; }

  // Creates the temporary file of `file` (nothing when it is open). False
  // when it cannot be created, or when the output name leads to something
  // that may not be replaced: a folder, a device, a FIFO, a file that may
  // not be written.
  bool Open(int file);
  // Appends one record line to `file`, opening it first when needed.
  Status WriteRecord(int file, std::string_view line) override;

  // Ends a successful run: the files that received records take their
  // output names; every other output name is removed (an empty first file,
  // the group files of an earlier run). Returns the names written, in
  // order, or false when a flush, sync, close or rename failed; then
  // everything is discarded as by Discard().
  bool Commit(std::vector<std::string>& written);
  // Ends a failed run: removes the temporary files; the output names stay
  // as they were before the run.
  void Discard();

 private:
  struct File {
    File(std::string outputName, const FileCalls& calls)
        : name(std::move(outputName)), replacement(calls, &registration) {}

    std::string name;                    // the output name, as given
    RemovedOnInterruption registration;  // before `replacement`, which reports to it
    platform::PendingReplacement replacement;
    long records = 0;
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;         // bytes in the buffer
    std::size_t written = 0;      // bytes handed to write(2)
    std::size_t writtenBack = 0;  // of them, bytes whose writeback was started
  };

  // REQUIRES: 0 <= file < fileCount().
  File& At(int file) { return files_[static_cast<std::size_t>(file)]; }
  const File& At(int file) const { return files_[static_cast<std::size_t>(file)]; }

  bool Append(File& file, std::string_view line);
  bool Flush(File& file);
  void CloseAndRemoveTemporary(File& file);
  // Renames every finished file with records to its output name, adding
  // the name to `written` and its folder (ending in "/", or empty for the
  // working folder) to `folders`; false when a rename failed.
  bool TakeNames(std::vector<std::string>& written, std::vector<std::string>& folders);

  std::deque<File> files_;  // a deque: a File is never moved
  bool writeFailed_ = false;
};

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_OUTPUT_FILES_H_
