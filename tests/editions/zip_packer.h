// Builds ZIP packages in memory for tests, with libzip.
#ifndef TALVENOR_TESTS_EDITIONS_ZIP_PACKER_H_
#define TALVENOR_TESTS_EDITIONS_ZIP_PACKER_H_

#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <vector>

namespace talvenor::editions::testing {

struct PackEntry {
  std::string name;  // ending in "/" for a folder
  std::string bytes;
  const char* password = nullptr;  // encrypts the entry (AES-256)
};

// A ZIP package of `entries`, deflated, in this order.
inline std::string Zipped(const std::vector<PackEntry>& entries) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_source_keep(target);
  zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
  EXPECT_NE(archive, nullptr);
  for (const PackEntry& entry : entries) {
    if (entry.name.ends_with('/')) {
      EXPECT_GE(zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_UTF_8), 0);
      continue;
    }
    zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    EXPECT_GE(index, 0) << zip_strerror(archive);
    if (entry.password != nullptr) {
      EXPECT_EQ(zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                        entry.password),
                0)
          << zip_strerror(archive);
    }
  }
  EXPECT_EQ(zip_close(archive), 0);
  std::string bytes;
  EXPECT_EQ(zip_source_open(target), 0);
  char chunk[1 << 16];
  for (zip_int64_t n; (n = zip_source_read(target, chunk, sizeof chunk)) > 0;) {
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  zip_source_close(target);
  zip_source_free(target);
  zip_error_fini(&error);
  return bytes;
}

inline std::string Zipped(const std::string& name, const std::string& bytes) {
  return Zipped(std::vector<PackEntry>{{name, bytes}});
}

}  // namespace talvenor::editions::testing

#endif  // TALVENOR_TESTS_EDITIONS_ZIP_PACKER_H_
