#include "batch/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

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

// The tag of the temporary files beside the output files.
constexpr std::string_view kTemporaryTag = "talvenor-tmp";

// Removes an output name unless it is a folder or may not be written.
void RemoveOutputName(const std::string& name) {
  struct stat status {};
  if (::lstat(name.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return;
  if (!S_ISLNK(status.st_mode) && ::access(name.c_str(), W_OK) != 0) return;
  ::unlink(name.c_str());
}

}  // namespace

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

OutputFiles::OutputFiles(std::vector<std::string> names, const FileCalls& calls) {
  for (std::string& name : names) files_.emplace_back(std::move(name), calls);
}

OutputFiles::~OutputFiles() {
  for (File& file : files_) CloseAndRemoveTemporary(file);
}

bool OutputFiles::Open(int index) {
  File& file = At(index);
  if (file.replacement.descriptor() >= 0) return true;
  if (file.name.empty()) return false;
  {
    // Created and registered in one step: an interruption in between would
    // leave the file behind.
    const InterruptionsHeld held;
    if (file.replacement.Create(file.name, kTemporaryTag) != 0) return false;
  }
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
  if (file.replacement.Write(std::string_view(file.buffer.get(), file.used)) != 0) {
    writeFailed_ = true;
    return false;
  }
  file.written += file.used;
  file.used = 0;
  if (file.written - file.writtenBack >= kWritebackStep) {
    // Only a hint to start writing back; the commit's fsync checks.
    ::sync_file_range(file.replacement.descriptor(), static_cast<off_t>(file.writtenBack),
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
    if (!sound) break;
    if (file.replacement.descriptor() < 0 || file.records == 0) continue;
    sound = Flush(file) && file.replacement.Finish() == 0;
  }
  std::vector<std::string> folders;
  if (!sound || !TakeNames(written, folders)) {
    written.clear();
    Discard();
    return false;
  }
  for (File& file : files_) {
    if (file.records > 0) continue;
    CloseAndRemoveTemporary(file);
    RemoveOutputName(file.name);
  }
  // The new names must survive a crash as well.
  for (const std::string& folder : folders) platform::SyncFolderOf(folder);
  return true;
}

bool OutputFiles::TakeNames(std::vector<std::string>& written, std::vector<std::string>& folders) {
  // The files take their names as one step that an interruption cannot cut
  // in half.
  const InterruptionsHeld held;
  for (File& file : files_) {
    if (file.replacement.temporaryPath().empty() || file.records == 0) continue;
    if (file.replacement.Rename() != 0) return false;
    written.push_back(file.name);
    const std::string& target = file.replacement.target();
    std::string folder = target.substr(0, target.rfind('/') + 1);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
    }
  }
  return true;
}

void OutputFiles::Discard() {
  for (File& file : files_) CloseAndRemoveTemporary(file);
}

void OutputFiles::CloseAndRemoveTemporary(File& file) {
  file.replacement.Discard();
  file.used = 0;
}

}  // namespace talvenor::batch
