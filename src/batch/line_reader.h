// Cutting IBANHIN input into record lines in one pass.
//
// Lines end with a line feed; one carriage return directly before it is
// not part of the record line. A last line without line feed counts as if
// carriage return and line feed followed it; an input that ends with a line
// feed has no further line. A record line together with its line end must
// fit into 4000 characters; an empty line is not a record, and neither is a
// line holding any other carriage return (records separated by carriage
// returns alone): each of these stops the run. Memory use is one fixed
// read buffer, whatever the input's size.
#ifndef TALVENOR_BATCH_LINE_READER_H_
#define TALVENOR_BATCH_LINE_READER_H_

#include <cstddef>
#include <memory>
#include <string_view>

#include "batch/byte_source.h"

namespace talvenor::batch {

// The most characters a record line and its line end may take.
inline constexpr std::size_t kMaxLineWithEnd = 4000;

class LineReader {
 public:
  enum class Next {
    kLine,       // a record line is ready
    kEnd,        // the input is used up
    kMalformed,  // an empty line (unless handed out), one over the limit, a stray CR
    kReadError,  // the source failed
  };

  // With `emptyLines`, an empty line is handed out as a line like any
  // other (for lists in which a line may be blank).
  explicit LineReader(ByteSource& source, bool emptyLines = false);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Advances to the next line; on kLine, `line` views it until the next
  // call.
  Next Read(std::string_view& line);

 private:
  // Moves the unfinished line to the buffer's start and reads behind it.
  bool Refill();

  ByteSource& source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t start_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;    // one past the last byte read
  bool endOfInput_ = false;
  const bool emptyLines_;
};

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_LINE_READER_H_
