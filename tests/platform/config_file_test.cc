// Reading configuration files: only regular files of a sane size, and never
// waiting on a FIFO or a device.
#include "platform/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/private_profile.h"

namespace talvenor::platform {
namespace {

namespace fs = std::filesystem;

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-config-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST_F(ConfigFileTest, WhatCanBeRead) {
  std::ofstream(folder_ / "FORMAT.INI", std::ios::binary) << "[PARSER]\nUSEDEFAULT=0\n";
  std::ofstream(folder_ / "limit.ini", std::ios::binary) << std::string(kConfigFileLimit, ';');
  std::ofstream(folder_ / "large.ini", std::ios::binary) << std::string(kConfigFileLimit + 1, ';');
  fs::create_directory(folder_ / "folder.ini");
  ASSERT_EQ(::mkfifo((folder_ / "fifo.ini").c_str(), 0600), 0);
  fs::create_symlink(folder_ / "FORMAT.INI", folder_ / "link.ini");
  fs::create_symlink(folder_ / "folder.ini", folder_ / "folderlink.ini");

  struct Case {
    fs::path file;
    ConfigFileState state;
    std::size_t size;
  };
  // clang-format off
  const Case cases[] = {
      {folder_ / "FORMAT.INI", ConfigFileState::kRead, 22},
      {folder_ / "link.ini", ConfigFileState::kRead, 22},
      {folder_ / "limit.ini", ConfigFileState::kRead, kConfigFileLimit},
      {folder_ / "missing.ini", ConfigFileState::kMissing, 0},
      {folder_ / "FORMAT.INI" / "below.ini", ConfigFileState::kMissing, 0},
      {fs::path(), ConfigFileState::kMissing, 0},
      {folder_ / "large.ini", ConfigFileState::kUnusable, 0},
      {folder_ / "folder.ini", ConfigFileState::kUnusable, 0},
      {folder_ / "folderlink.ini", ConfigFileState::kUnusable, 0},
      {folder_ / "fifo.ini", ConfigFileState::kUnusable, 0},  // nobody writes: no wait
      {"/dev/zero", ConfigFileState::kUnusable, 0},           // never ends
      {"/dev/null", ConfigFileState::kUnusable, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::string text = "vorher";
    EXPECT_EQ(ReadConfigFile(c.file, text), c.state) << c.file;
    EXPECT_EQ(text.size(), c.size) << c.file;
  }
}

TEST_F(ConfigFileTest, ProfilesReportTheStateAndReadUnusableFilesAsEmpty) {
  fs::create_directory(folder_ / "DEBUG.INI");
  ConfigFileState state = ConfigFileState::kRead;
  const auto profile = PrivateProfile::Load(folder_ / "DEBUG.INI", &state);
  EXPECT_EQ(state, ConfigFileState::kUnusable);
  EXPECT_EQ(profile.GetInt("USEREGEL", "10000000", -1), -1);

  std::ofstream(folder_ / "ok.ini", std::ios::binary) << "[USEREGEL]\n10000000=3300\n";
  EXPECT_EQ(PrivateProfile::Load(folder_ / "ok.ini", &state).GetInt("USEREGEL", "10000000", -1),
            3300);
  EXPECT_EQ(state, ConfigFileState::kRead);
}

}  // namespace
}  // namespace talvenor::platform
