#include "editions/zip_package.h"

#include <gtest/gtest.h>

#include <cstring>

#include "editions/zip_packer.h"

namespace talvenor::editions {
namespace {

using testing::PackEntry;
using testing::Zipped;

std::string Refusal(std::string_view package, std::size_t limit = kMaxUnpackedSize) {
  PackedFile file;
  file.name = "untouched";
  std::string error;
  EXPECT_FALSE(UnpackSingleFile(package, file, error, limit));
  EXPECT_EQ(file.name, "untouched");
  return error;
}

// `package` with the unpacked size of its first file set to `size` in its
// local and central headers, as a package made to mislead would state it.
std::string WithStatedSize(std::string package, std::uint32_t size) {
  const std::pair<std::string_view, std::size_t> headers[] = {{"PK\x03\x04", 22},
                                                              {"PK\x01\x02", 24}};
  for (const auto& [signature, offset] : headers) {
    const std::size_t at = package.find(signature);
    EXPECT_NE(at, std::string::npos);
    std::memcpy(package.data() + at + offset, &size, sizeof size);  // little-endian machine
  }
  return package;
}

TEST(UnpackSingleFile, TakesTheOneFilePastFoldersAndArchiverJunk) {
  const std::string content(100000, 'x');
  const std::string package = Zipped(std::vector<PackEntry>{{"blz/", ""},
                                                            {"__MACOSX/", ""},
                                                            {"__MACOSX/blz/._blz.txt", "fork"},
                                                            {"blz/.DS_Store", "junk"},
                                                            {"blz/blz_2026_06_08.txt", content},
                                                            {"Thumbs.db", "junk"}});
  EXPECT_TRUE(IsZipPackage(package));
  PackedFile file;
  std::string error;
  ASSERT_TRUE(UnpackSingleFile(package, file, error)) << error;
  EXPECT_EQ(file.name, "blz/blz_2026_06_08.txt");
  EXPECT_EQ(file.bytes, content);
}

TEST(UnpackSingleFile, RefusesPackagesThatAreNotOneReadableFileWithinTheBound) {
  const std::string one = Zipped("blz.txt", std::string(5000, 'x'));
  struct Case {
    const char* what;
    std::string package;
    const char* expected;
    std::size_t limit = kMaxUnpackedSize;
  };
  // clang-format off
  const Case cases[] = {
      {"no file", Zipped(std::vector<PackEntry>{{"blz/", ""}, {"__MACOSX/._x", "y"}}), "enthält keine Datei"},
      {"empty package", std::string("PK\x05\x06", 4) + std::string(18, '\0'), "enthält keine Datei"},
      {"two files", Zipped(std::vector<PackEntry>{{"a.txt", "a"}, {"b.xml", "b"}}), "enthält 2 Dateien („a.txt“, „b.xml“)"},
      {"encrypted", Zipped(std::vector<PackEntry>{{"blz.txt", "secret", "password"}}), "„blz.txt“ im ZIP-Paket ist verschlüsselt"},
      {"cut off", one.substr(0, one.size() / 2), "kein lesbares ZIP-Paket (libzip: "},
      {"not a package", std::string("PK\x03\x04", 4) + std::string(100, 'z'), "kein lesbares ZIP-Paket"},
      {"stated size over the bound", one, "5000 Bytes groß, mehr als eine Bankleitzahlendatei", 4999},
      {"unpacks to more than stated", WithStatedSize(one, 100), "ZIP-Paket"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = Refusal(c.package, c.limit);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

// A small package that would unpack to more than the bound allows is
// refused by its stated size, and by its actual bytes when it lies.
TEST(UnpackSingleFile, RefusesAZipBomb) {
  const std::string bomb = Zipped("blz.txt", std::string(kMaxUnpackedSize + 1, '0'));
  ASSERT_LT(bomb.size(), 1u << 20);
  EXPECT_NE(Refusal(bomb).find("mehr als eine Bankleitzahlendatei haben kann"), std::string::npos);
  const std::string lying = Refusal(WithStatedSize(bomb, 1000));
  EXPECT_TRUE(lying.find("mehr Daten, als das Paket angibt") != std::string::npos ||
              lying.find("beschädigt") != std::string::npos)
      << lying;
}

}  // namespace
}  // namespace talvenor::editions
