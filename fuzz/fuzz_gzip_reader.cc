// Decodes the input three ways: all at once in memory, through GzipSource
// pulled in odd-sized pieces from a source that itself delivers odd-sized
// pieces, and through DecompressInput. All must agree on the output and on
// whether the data is damaged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/byte_source.h"
#include "batch/gzip_reader.h"

namespace {

using talvenor::batch::ByteSource;

// Hands out the bytes in pieces whose sizes cycle through `pieces`.
class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string_view bytes, std::vector<std::size_t> pieces)
      : bytes_(bytes), pieces_(std::move(pieces)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t piece = pieces_[next_++ % pieces_.size()];
    const std::size_t count = std::min({size, piece, bytes_.size()});
    if (count > 0) std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view bytes_;
  std::vector<std::size_t> pieces_;
  std::size_t next_ = 0;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const talvenor::batch::GzipMemoryReader memory(data, size);

  const std::string_view block(reinterpret_cast<const char*>(data), size);
  talvenor::batch::MemorySource plain(block);
  PieceSource compressed(block, {1, 4095, 3, 4097, 7, 65536});
  // A different piece pattern for every input length, so the piece
  // boundaries move through the data as the fuzzer varies it.
  const std::size_t shift = size % 5;
  const std::size_t outputPieces[] = {1, 13, 4096, 2, 65537};
  for (ByteSource* input :
       {static_cast<ByteSource*>(&plain), static_cast<ByteSource*>(&compressed)}) {
    talvenor::batch::GzipSource source(*input);
    std::string streamed;
    std::vector<char> buffer(65537);
    for (std::size_t i = shift;; ++i) {
      const std::size_t piece = outputPieces[i % 5];
      const std::size_t count = source.Read(buffer.data(), piece);
      Check(count <= piece);
      if (count == 0) break;
      streamed.append(buffer.data(), count);
    }
    Check(streamed == memory.output());
    Check(source.failed() == memory.damaged());
  }

  std::string output;
  int format = 5;
  const int result = talvenor::batch::DecompressInput(block, output, format);
  Check(result == ((!memory.damaged() && memory.size() > 0) ? 1 : 0));
  Check(output == (result == 1 ? memory.output() : std::string()));
  Check(format == (result == 1 ? talvenor::batch::RecognizeFormat(output) : -1));
  Check(format >= -1 && format <= 1);
  return 0;
}
