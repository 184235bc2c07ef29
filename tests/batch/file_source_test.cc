// Reading an input file that changes while it is read: whatever happens to
// it, the bytes handed out must not pass for the whole file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "batch/byte_source.h"
#include "support/test_files.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

TEST(FileSource, AFileThatChangesWhileItIsReadFails) {
  std::string pattern = (fs::temp_directory_path() / "talvenor-source-XXXXXX").string();
  const fs::path folder = ::mkdtemp(pattern.data());
  const fs::path file = folder / "in.txt";
  const std::string content(100000, 'x');
  struct Case {
    const char* what;
    std::function<void()> change;  // applied after the first 1000 bytes
    bool fails;
  };
  const Case cases[] = {
      {"unchanged", [] {}, false},
      {"truncated", [&] { fs::resize_file(file, 50000); }, true},
      {"truncated to what was read", [&] { fs::resize_file(file, 1000); }, true},
      {"grown", [&] { test_support::WriteFile(file, content + "mehr"); }, true},
      {"rewritten, same size",
       [&] {
         test_support::WriteFile(file, std::string(100000, 'y'));
         fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
       },
       true},
  };
  for (const Case& c : cases) {
    test_support::WriteFile(file, content);
    FileSource source;
    ASSERT_TRUE(source.Open(file));
    std::string head(1000, '\0');
    ASSERT_EQ(ReadFully(source, head.data(), head.size()), 1000u);
    c.change();
    std::string rest(200000, '\0');
    rest.resize(ReadFully(source, rest.data(), rest.size()));
    EXPECT_EQ(source.failed(), c.fails) << c.what;
    if (!c.fails) {
      EXPECT_EQ(head + rest, content);
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace talvenor::batch
