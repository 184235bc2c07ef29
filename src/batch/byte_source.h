// Input bytes read front to back in one pass: from a file, from memory, or
// decompressed on the way (see gzip_reader.h). The batch run never needs
// more of its input in memory than one read buffer.
#ifndef TALVENOR_BATCH_BYTE_SOURCE_H_
#define TALVENOR_BATCH_BYTE_SOURCE_H_

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace talvenor::batch {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Copies up to `size` bytes into `buffer` and returns how many; 0 means
  // the end of the input or a failure (then failed() is true). A count
  // below `size` does not by itself mean the end.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;

  // True once reading has failed: an I/O error, or damaged data.
  virtual bool failed() const { return false; }
};

// Bytes held in memory by the caller.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(char* buffer, std::size_t size) override;

 private:
  std::string_view bytes_;
};

// A file opened for reading; reads go straight to the file descriptor.
//
// A regular file must stay as it was while it is read: reading fails when
// it yields more bytes than the file had when it was opened, or when at its
// end the bytes read, the file's size or its modification time differ from
// what they were then (it was truncated, grew or was rewritten).
class FileSource final : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Opens `path`; false when it cannot be opened or is not a regular file.
  bool Open(const std::filesystem::path& path);
  std::size_t Read(char* buffer, std::size_t size) override;
  bool failed() const override { return failed_; }

 private:
  // At the end of the input: whether the file is still the one opened.
  bool Unchanged() const;

  int descriptor_ = -1;
  bool failed_ = false;
  bool regular_ = false;
  unsigned long long size_ = 0;  // when opened
  long long modifiedSeconds_ = 0;
  long modifiedNanoseconds_ = 0;
  unsigned long long read_ = 0;  // bytes read so far
};

// Reads from `source` until `size` bytes are in `buffer` or the input ends;
// returns the count.
std::size_t ReadFully(ByteSource& source, char* buffer, std::size_t size);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_BYTE_SOURCE_H_
