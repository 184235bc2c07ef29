// Cutting batch input into record lines: line ends, empty lines, the last
// line without line end and the 4000-character limit.
#include "batch/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvenor::batch {
namespace {

using Next = LineReader::Next;

// Hands out its bytes a few at a time, as a pipe or a decompressor may.
class TrickleSource final : public ByteSource {
 public:
  TrickleSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, piece_, bytes_.size() - offset_});
    bytes_.copy(buffer, count, offset_);
    offset_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t offset_ = 0;
};

class FailingSource final : public ByteSource {
 public:
  std::size_t Read(char*, std::size_t) override {
    failed_ = true;
    return 0;
  }
  bool failed() const override { return failed_; }

 private:
  bool failed_ = false;
};

// The lines of `input`, then "<end>", "<malformed>" or "<error>".
std::vector<std::string> Lines(ByteSource& source) {
  LineReader reader(source);
  std::vector<std::string> lines;
  for (;;) {
    std::string_view line;
    switch (reader.Read(line)) {
      case Next::kLine:
        lines.emplace_back(line);
        continue;
      case Next::kEnd:
        lines.emplace_back("<end>");
        return lines;
      case Next::kMalformed:
        lines.emplace_back("<malformed>");
        return lines;
      case Next::kReadError:
        lines.emplace_back("<error>");
        return lines;
    }
  }
}

std::vector<std::string> Lines(const std::string& input) {
  MemorySource source(input);
  return Lines(source);
}

using V = std::vector<std::string>;

TEST(LineReader, LineEnds) {
  EXPECT_EQ(Lines("a\nb\r\nc"), (V{"a", "b", "c", "<end>"}));
  EXPECT_EQ(Lines("a\r\n"), (V{"a", "<end>"}));  // no extra line after the last end
  EXPECT_EQ(Lines(""), (V{"<end>"}));
}

TEST(LineReader, ACarriageReturnNotBeforeTheLineFeedStops) {
  struct Case {
    const char* input;
    V lines;
  };
  // clang-format off
  const Case cases[] = {
      {"a\rb\rc\r", {"<malformed>"}},  // records separated by CR alone
      {"a\rb\rc", {"<malformed>"}},
      {"a\r\nb\rc\r\n", {"a", "<malformed>"}},
      {"a\r\r\n", {"<malformed>"}},  // only the one directly before LF goes
      {"a\rb\n", {"<malformed>"}},
      {"a\n\rb\n", {"a", "<malformed>"}},
      {"a\nb\r", {"a", "<malformed>"}},  // the last line gets its own CR LF
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(Lines(c.input), c.lines) << c.input;
}

TEST(LineReader, EmptyLinesStop) {
  EXPECT_EQ(Lines("\nb\n"), (V{"<malformed>"}));
  EXPECT_EQ(Lines("a\n\nb\n"), (V{"a", "<malformed>"}));
  EXPECT_EQ(Lines("a\n\r\nb\n"), (V{"a", "<malformed>"}));
}

TEST(LineReader, TheLineWithItsEndMustFit4000Characters) {
  struct Case {
    std::size_t length;
    const char* end;
    bool fits;
  };
  const Case cases[] = {
      {3999, "\n", true},   {4000, "\n", false},    // line feed only
      {3998, "\r\n", true}, {3999, "\r\n", false},  // carriage return counts
      {3998, "", true},     {3999, "", false},      // the last line gets CR LF
  };
  for (const Case& c : cases) {
    const std::string line(c.length, 'x');
    const std::string input = "first\n" + line + c.end;
    const std::vector<std::string> lines = Lines(input);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "first");
    if (c.fits) {
      EXPECT_EQ(lines[1], line) << c.length;
      EXPECT_EQ(lines.back(), "<end>");
    } else {
      EXPECT_EQ(lines[1], "<malformed>") << c.length << " " << std::string(c.end).size();
    }
  }
}

TEST(LineReader, LinesAcrossManyReadsStayWhole) {
  // Lines of 1 to 3999 characters, more than fits one read buffer, handed
  // out 7 bytes at a time.
  std::string input;
  V expected;
  for (std::size_t length = 1; input.size() < 300000; length = (length * 7 + 13) % 3999 + 1) {
    std::string line(length, static_cast<char>('a' + length % 26));
    input += line + (length % 2 ? "\r\n" : "\n");
    expected.push_back(std::move(line));
  }
  expected.emplace_back("<end>");
  TrickleSource source(input, 7);
  EXPECT_EQ(Lines(source), expected);
}

TEST(LineReader, AFailedSourceIsReported) {
  FailingSource source;
  EXPECT_EQ(Lines(source), (V{"<error>"}));
}

}  // namespace
}  // namespace talvenor::batch
