// Folders of editions for tests: a user folder and a system-wide folder in
// a fresh temporary directory, and bank-code files made from real ones.
#ifndef TALVENOR_TESTS_EDITIONS_EDITION_TEST_SUPPORT_H_
#define TALVENOR_TESTS_EDITIONS_EDITION_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "editions/builtin_directory.h"
#include "editions/edition_catalogue.h"
#include "editions/edition_install.h"
#include "support/bank_files.h"
#include "support/test_files.h"

namespace talvenor::editions::testing {

namespace fs = std::filesystem;

// The public edition of 8 June 2026 (168 characters, no rule numbers).
inline fs::path PublicEdition2026() { return fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt"; }

// The built-in file with the rule field of `bankCode`'s lines replaced by
// `rule` (six digits).
inline std::string BuiltinWithRule(std::string_view bankCode, std::string_view rule) {
  return test_support::WithField(std::string(BuiltinEditionText()), bankCode,
                                 test_support::kRuleColumn, rule);
}

class EditionFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-editions-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    user_ = root_ / "user" / "Korvane" / "Talvenor";
    system_ = root_ / "system" / "talvenor";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }

  EditionCatalogue Catalogue() const { return EditionCatalogue(EditionFolders{user_, {system_}}); }

  // Installs `file` into the user folder; expects success.
  InstallResult Install(const fs::path& file, std::optional<std::string> validFrom = {},
                        Date today = Date{std::chrono::year{2026}, std::chrono::July,
                                          std::chrono::day{1}}) {
    const InstallResult result =
        InstallEdition(InstallRequest{file, std::move(validFrom), user_, today}, Catalogue());
    EXPECT_TRUE(result.installed) << result.message;
    return result;
  }

  // A file of `bytes` in the scratch folder.
  fs::path Scratch(const std::string& name, std::string_view bytes) const {
    fs::create_directories(root_ / "scratch");
    const fs::path path = root_ / "scratch" / name;
    test_support::WriteFile(path, bytes);
    return path;
  }

  // Every file below the user folder with the size and a hash of its
  // contents.
  std::map<std::string, std::pair<std::size_t, std::size_t>> UserFiles() const {
    std::map<std::string, std::pair<std::size_t, std::size_t>> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(user_, error), end; !error && it != end; ++it) {
      if (!it->is_regular_file()) continue;
      const std::string bytes = test_support::ReadFile(it->path());
      files[it->path().string()] = {bytes.size(), std::hash<std::string>{}(bytes)};
    }
    return files;
  }

  fs::path root_, user_, system_;
};

}  // namespace talvenor::editions::testing

#endif  // TALVENOR_TESTS_EDITIONS_EDITION_TEST_SUPPORT_H_
