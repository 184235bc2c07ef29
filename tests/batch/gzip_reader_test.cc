#include "batch/gzip_reader.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "batch/byte_source.h"
#include "batch/gzip_decoder.h"
#include "support/test_files.h"

namespace talvenor::batch {
namespace {

const std::string kCsv =
    "DE;10020890;1234567890;\"Max Mustermann\"\n"
    "DE;20030000;0000012345;\"Erika Musterfrau\"\n";
const std::string kFixed = "10020890 1234567890 Mustermann\n";

// Deflate data from zlib: window bits 31 give a whole gzip member, -15
// raw deflate data for members built by hand.
using test_support::Deflate;

std::string Gzip(std::string_view data, gz_header* header = nullptr) {
  return Deflate(data, 31, header);
}

std::string LittleEndian32(std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

// Magic, method, flags, then time, extra flags and operating system.
std::string Header(unsigned char method, unsigned char flags) {
  return std::string("\x1f\x8b", 2) + static_cast<char>(method) + static_cast<char>(flags) +
         std::string("\x01\x02\x03\x04\x00\x03", 6);
}

std::uint32_t Crc(std::string_view data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// A member with the given header bytes and a sound trailer.
std::string Member(const std::string& header, std::string_view data) {
  return header + Deflate(data, -15) + LittleEndian32(Crc(data)) +
         LittleEndian32(static_cast<std::uint32_t>(data.size()));
}

struct Decoded {
  std::string output;
  bool damaged;
};

Decoded DecodeInMemory(std::string_view block) {
  GzipMemoryReader reader(reinterpret_cast<const unsigned char*>(block.data()), block.size());
  return {reader.output(), reader.damaged()};
}

// Hands out at most `piece` bytes per read; optionally fails at the end
// instead of reporting it, like a file whose read breaks off.
class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t piece, bool failAtEnd = false)
      : bytes_(bytes), piece_(piece), failAtEnd_(failAtEnd) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (bytes_.empty()) {
      failed_ = failAtEnd_;
      return 0;
    }
    const std::size_t count = std::min({size, piece_, bytes_.size()});
    std::copy_n(bytes_.data(), count, buffer);
    bytes_.remove_prefix(count);
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  std::string_view bytes_;
  std::size_t piece_;
  bool failAtEnd_;
  bool failed_ = false;
};

// Reads `source` to its end in pieces of `piece` bytes.
std::string ReadAll(ByteSource& source, std::size_t piece) {
  std::string all;
  std::vector<char> buffer(piece);
  for (std::size_t count; (count = source.Read(buffer.data(), piece)) > 0;) {
    all.append(buffer.data(), count);
  }
  return all;
}

struct DecodeCase {
  const char* name;
  std::string block;
  std::string output;
  bool damaged;
};

std::vector<DecodeCase> DecodeCases() {
  const std::string csv = Gzip(kCsv);
  std::string badCrc = csv;
  badCrc[badCrc.size() - 8] ^= 0x01;  // lowest byte of the stored CRC-32
  std::string badLength = csv;
  badLength[badLength.size() - 1] ^= 0x40;  // highest byte of the length field
  return {
      {"OneMember", csv, kCsv, false},
      {"TwoMembersConcatenated", csv + Gzip(kFixed), kCsv + kFixed, false},
      {"TrailingTextPassedThrough", csv + "Ende\r\n\x1f", kCsv + "Ende\r\n\x1f", false},
      {"TrailingLoneMagicByte", csv + "\x1f", kCsv + "\x1f", false},
      {"NotGzipAtAllCopied", "DE;plain", "DE;plain", false},
      {"EmptyBlock", "", "", false},
      {"MemberOfNothing", Gzip(""), "", false},
      {"EmptyMemberThenData", Gzip("") + csv, kCsv, false},
      {"LengthFieldNotChecked", badLength, kCsv, false},
      {"TrailerCrcMismatchStopsBeforeNextMember", badCrc + Gzip(kFixed), kCsv, true},
      {"MethodNotDeflate", Member(Header(7, 0), kCsv), "", true},
      {"ReservedFlag20", Member(Header(8, 0x20), kCsv), "", true},
      {"ReservedFlag40", Member(Header(8, 0x40), kCsv), "", true},
      {"ReservedFlag80", Member(Header(8, 0x80), kCsv), "", true},
      {"SecondMemberHeaderInvalid", csv + Member(Header(9, 0), kFixed), kCsv, true},
      {"HeaderCutAfterMagic", csv + "\x1f\x8b", kCsv, true},
      {"HeaderCutInFixedPart", csv + Header(8, 0).substr(0, 7), kCsv, true},
      {"NameNeverTerminated", Header(8, 0x08) + "IBANHIN.txt", "", true},
      {"ExtraFieldLongerThanData", Header(8, 0x04) + std::string("\x10\x00", 2) + "abc", "", true},
      // 0x07: final block of the reserved block type 3.
      {"DeflateDataInvalid", Header(8, 0) + "\x07" + std::string(20, 'x'), "", true},
  };
}

TEST(GzipMemoryReader, DecodesMembersAndMarksDamage) {
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    const Decoded decoded = DecodeInMemory(c.block);
    EXPECT_EQ(decoded.output, c.output);
    EXPECT_EQ(decoded.damaged, c.damaged);
    // The batch run takes only complete, non-empty data.
    const bool usable = !c.damaged && !c.output.empty();
    std::string output = "stale";
    int format = 9;
    EXPECT_EQ(DecompressInput(c.block, output, format), usable ? 1 : 0);
    EXPECT_EQ(output, usable ? c.output : "");
    if (!usable) {
      EXPECT_EQ(format, -1);
    }
  }
}

TEST(GzipSource, AgreesWithMemoryReaderInAnyPieceSize) {
  // Output pieces and compressed pieces of odd sizes, around the window
  // size, and of one byte.
  const std::size_t outputPieces[] = {1, 7, 4095, 4097, 65536};
  const std::size_t inputPieces[] = {1, 3, 4096, 100000};
  for (const DecodeCase& c : DecodeCases()) {
    for (std::size_t outputPiece : outputPieces) {
      for (std::size_t inputPiece : inputPieces) {
        SCOPED_TRACE(std::string(c.name) + " output piece " + std::to_string(outputPiece) +
                     " input piece " + std::to_string(inputPiece));
        PieceSource compressed(c.block, inputPiece);
        GzipSource source(compressed);
        EXPECT_EQ(ReadAll(source, outputPiece), c.output);
        EXPECT_EQ(source.failed(), c.damaged);
        char byte = 0;
        EXPECT_EQ(source.Read(&byte, 1), 0u);  // stays at its end
      }
    }
  }
}

TEST(GzipMemoryReader, SkipsOptionalHeaderFields) {
  // Flags 0x1E: extra field, name, comment, header CRC. The extra field
  // holds a zero byte and a gzip magic, so only its length may skip it.
  const std::string extra("\x1f\x8b\x00\x08\x00", 5);
  const std::string header = Header(8, 0x1E) + std::string("\x05\x00", 2) + extra + "IBANHIN.csv" +
                             '\0' + "Kommentar" + '\0' + "\xAB\xCD";
  const Decoded byHand = DecodeInMemory(Member(header, kCsv) + Gzip(kFixed));
  EXPECT_EQ(byHand.output, kCsv + kFixed);
  EXPECT_FALSE(byHand.damaged);

  gz_header fields{};
  std::string name = "liste.csv";
  std::string comment = "Januar";
  fields.extra = reinterpret_cast<Bytef*>(const_cast<char*>(extra.data()));
  fields.extra_len = static_cast<uInt>(extra.size());
  fields.name = reinterpret_cast<Bytef*>(name.data());
  fields.comment = reinterpret_cast<Bytef*>(comment.data());
  fields.hcrc = 1;
  const std::string block = Gzip(kCsv, &fields);
  ASSERT_EQ(static_cast<unsigned char>(block[3]), 0x1Eu);
  const Decoded byZlib = DecodeInMemory(block);
  EXPECT_EQ(byZlib.output, kCsv);
  EXPECT_FALSE(byZlib.damaged);
}

TEST(GzipMemoryReader, EveryTruncationIsDamage) {
  // The run of zeros becomes long matches, whose copying inflate finishes
  // after the input has ended.
  const std::string first = kCsv + std::string(600, '0') + "\n";
  const std::string block = Gzip(first) + Gzip(kFixed);
  const std::string whole = first + kFixed;
  const std::size_t firstEnd = block.size() - Gzip(kFixed).size();
  // Cut after one byte of a member, that byte is copied through; cut
  // exactly between the members, the first member is complete.
  for (std::size_t cut = 2; cut < block.size(); ++cut) {
    if (cut == firstEnd || cut == firstEnd + 1) continue;
    SCOPED_TRACE(cut);
    const Decoded decoded = DecodeInMemory(std::string_view(block).substr(0, cut));
    EXPECT_TRUE(decoded.damaged);
    EXPECT_EQ(whole.compare(0, decoded.output.size(), decoded.output), 0) << "not a prefix";
    for (std::size_t piece : {std::size_t{1}, std::size_t{13}}) {
      MemorySource compressed(std::string_view(block).substr(0, cut));
      GzipSource source(compressed);
      EXPECT_EQ(ReadAll(source, piece), decoded.output) << "piece " << piece;
      EXPECT_TRUE(source.failed());
    }
  }
  const Decoded complete = DecodeInMemory(std::string_view(block).substr(0, firstEnd));
  EXPECT_EQ(complete.output, first);
  EXPECT_FALSE(complete.damaged);
}

TEST(GzipSource, LargeMemberInWindowSizedSteps) {
  // About 6 MB of varied record lines; the data is far larger than the
  // input window and the output buffer.
  std::mt19937 random(20240304);
  std::string text;
  while (text.size() < 6'000'000) {
    text += "DE;" + std::to_string(10000000 + random() % 90000000) + ";" +
            std::to_string(random()) + ";\"Name " + std::to_string(random() % 1000) + "\"\n";
  }
  const std::string block = Gzip(text) + Gzip(text.substr(0, 12345));
  MemorySource compressed(block);
  GzipSource source(compressed);
  const std::string decoded = ReadAll(source, 64 * 1024);
  EXPECT_FALSE(source.failed());
  ASSERT_EQ(decoded.size(), text.size() + 12345);
  EXPECT_TRUE(decoded == text + text.substr(0, 12345));
}

TEST(GzipSource, FailingSourceMakesItFailed) {
  const std::string member = Gzip(kCsv);
  struct Case {
    const char* name;
    std::string block;
  };
  // clang-format off
  const Case cases[] = {
      {"InsideMember", member.substr(0, member.size() / 2)},
      {"AfterCompleteMember", member},
      {"InsidePassedThroughBytes", member + "Rest"},
      {"InsideHeader", member.substr(0, 5)},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PieceSource compressed(c.block, 3, /*failAtEnd=*/true);
    GzipSource source(compressed);
    ReadAll(source, 10);
    EXPECT_TRUE(source.failed());
  }
}

TEST(DecompressInput, RecognisesFormatOfDecodedData) {
  struct Case {
    std::string block;
    std::string output;
    int format;
  };
  // clang-format off
  const Case cases[] = {
      {Gzip(kCsv), kCsv, 1},
      {Gzip(kFixed), kFixed, 0},
      {Gzip("\tDE 10020890\n"), "\tDE 10020890\n", -1},  // reported as unknown format
      {Gzip("Ab") + Gzip(";c") + "x", "Ab;cx", 1},         // third byte of the whole output
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    std::string output;
    int format = 9;
    EXPECT_EQ(DecompressInput(c.block, output, format), 1);
    EXPECT_EQ(output, c.output);
    EXPECT_EQ(format, c.format);
  }
}

TEST(DecompressInput, RefusesBlocksOfTwoGigabytesWithoutReadingThem) {
  // 2147483647 bytes of reserved, never touched memory.
  constexpr std::size_t kSize = 2147483647;
  void* memory =
      mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  std::string output;
  int format = 0;
  EXPECT_EQ(
      DecompressInput(std::string_view(static_cast<const char*>(memory), kSize), output, format),
      0);
  EXPECT_TRUE(output.empty());
  EXPECT_EQ(format, -1);
  munmap(memory, kSize);
}

TEST(DecodeAll, StopsAtTheOutputLimit) {
  const std::string text(100, 'A');
  const std::string block = Gzip(text);
  std::string output;
  MemorySource exact(block);
  EXPECT_EQ(DecodeAll(exact, output, 100), DecodeOutcome::kComplete);
  EXPECT_EQ(output, text);
  MemorySource over(block);
  EXPECT_EQ(DecodeAll(over, output, 99), DecodeOutcome::kTooLarge);
  EXPECT_EQ(output.size(), 99u);
}

TEST(RecognizeFormat, FirstBytesDecide) {
  struct Case {
    std::string_view first;
    int format;
  };
  // clang-format off
  const Case cases[] = {
      {"DE;10020890", 1},  // third byte ";"
      {"\"DE\"", 1},       // double quote first
      {";x", 1},
      {"\t;;", 1},  // the third byte wins over an unknown first byte
      {"DE 10020890", 0},
      {"z", 0},
      {"1002089", 0},
      {" 1002", 0},
      {"a;", 0},  // ";" second: only the third byte counts
      {"\tDE", -1},
      {"-1", -1},
      // Letters of code page 1252 beyond ASCII: Ä, ß, ÿ, Š, Œ, µ.
      {"\xC4nderung", 0},
      {"\xDF", 0},
      {"\xFF", 0},
      {"\x8A", 0},
      {"\x8C", 0},
      {"\xB5", 0},
      // Not letters: ×, ÷, €, ¤, a non-breaking space.
      {"\xD7", -1},
      {"\xF7", -1},
      {"\x80", -1},
      {"\xA4", -1},
      {"\xA0", -1},
      {"", -1},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(RecognizeFormat(c.first), c.format) << c.first;
  }
}

}  // namespace
}  // namespace talvenor::batch
