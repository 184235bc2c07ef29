// Files and compressed bytes for tests that work on real files.
#ifndef TALVENOR_TESTS_SUPPORT_TEST_FILES_H_
#define TALVENOR_TESTS_SUPPORT_TEST_FILES_H_

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace talvenor::test_support {

inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The names in `folder`, sorted, without `except`.
inline std::vector<std::string> FileNames(const std::filesystem::path& folder,
                                          std::string_view except = {}) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name != except) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// `data` compressed in one piece by zlib: gzip form for window bits 31,
// raw deflate for -15; `header` sets the gzip header's optional fields.
inline std::string Deflate(std::string_view data, int windowBits = 31,
                           gz_header* header = nullptr) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
  if (header != nullptr) {
    EXPECT_EQ(deflateSetHeader(&stream, header), Z_OK);
  }
  std::string out(deflateBound(&stream, data.size()) + 256, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace talvenor::test_support

#endif  // TALVENOR_TESTS_SUPPORT_TEST_FILES_H_
