#include "platform/user_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace talvenor::platform {
namespace {

namespace fs = std::filesystem;

class UserSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string Contents(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
  }
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  fs::path folder_;
};

TEST_F(UserSettingsTest, FilesFollowTheXdgConfigFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = saved != nullptr ? saved : "";
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  EXPECT_EQ(SettingsFile(), folder_ / "Korvane" / "Talvenor.ini");
  EXPECT_EQ(FormerSettingsFile(), folder_ / "Morlach Programmeinstellungen" / "Talvenor.ini");
  // A relative value is not a valid XDG folder: the home folder's .config applies.
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  ::setenv("HOME", folder_.c_str(), 1);
  EXPECT_EQ(SettingsFile(), folder_ / ".config" / "Korvane" / "Talvenor.ini");
  ::setenv("HOME", home.c_str(), 1);
  if (saved != nullptr) {
    ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

TEST_F(UserSettingsTest, MissingFileGivesDefaultsAndWritesCreateIt) {
  UserSettings settings(folder_ / "Korvane" / "Talvenor.ini");
  EXPECT_EQ(settings.GetInt("SETTINGS", "GROUP", 0), 0);
  EXPECT_EQ(settings.GetInt("SETTINGS", "UPDATE", 1), 1);
  EXPECT_FALSE(settings.Find("SETTINGS", "PATH"));

  ASSERT_TRUE(settings.SetInt("SETTINGS", "GROUP", 1));
  ASSERT_TRUE(settings.SetString("SETTINGS", "PATH", ""));
  EXPECT_EQ(settings.GetInt("SETTINGS", "GROUP", 0), 1);
  // An empty text is stored as present, unlike an absent value.
  EXPECT_EQ(settings.Find("SETTINGS", "PATH"), std::optional<std::string>(""));
}

TEST_F(UserSettingsTest, ValuesSurviveAWriteReadRoundTrip) {
  UserSettings settings(folder_ / "s.ini");
  const std::string awkward = "  /data/\"quoted\" folder;x  ";
  ASSERT_TRUE(settings.SetString("SETTINGS", "PATH", awkward));
  EXPECT_EQ(settings.GetString("SETTINGS", "PATH", "?"), awkward);
  ASSERT_TRUE(settings.SetString("SETTINGS", "PATH", "a\nb\r"));
  EXPECT_EQ(settings.GetString("SETTINGS", "PATH", "?"), "ab");
  ASSERT_TRUE(settings.SetInt("SETTINGS", "UPDATE", -3));
  EXPECT_EQ(settings.GetInt("SETTINGS", "UPDATE", 1), -3);
}

TEST_F(UserSettingsTest, WritingOneValueKeepsEveryOtherLine) {
  const fs::path file = folder_ / "s.ini";
  Write(file,
        "; kept comment\n[Other]\nPATH=elsewhere\n[settings]\nGroup=0\nUPDATE=0\n\n[Tail]\nx=1\n");
  UserSettings settings(file);
  ASSERT_TRUE(settings.SetInt("SETTINGS", "GROUP", 1));
  ASSERT_TRUE(settings.SetString("SETTINGS", "PATH", "/out"));
  EXPECT_EQ(Contents(file),
            "; kept comment\n[Other]\nPATH=elsewhere\n[settings]\nGROUP=1\nUPDATE=0\n"
            "PATH=\"/out\"\n\n[Tail]\nx=1\n");
  EXPECT_EQ(settings.GetString("Other", "PATH", ""), "elsewhere");
}

TEST_F(UserSettingsTest, AnUnwritableFileReportsFailureAndLeavesNoTemporary) {
  const fs::path blocker = folder_ / "not-a-folder";
  Write(blocker, "x");
  UserSettings settings(blocker / "Talvenor.ini");
  EXPECT_FALSE(settings.SetInt("SETTINGS", "GROUP", 1));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(UserSettingsTest, AReplacedSettingsFileKeepsItsModeAndItsLink) {
  const fs::path file = folder_ / "real.ini";
  Write(file, "[SETTINGS]\nGROUP=0\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.ini", folder_ / "link.ini");
  UserSettings settings(folder_ / "link.ini");
  ASSERT_TRUE(settings.SetInt("SETTINGS", "GROUP", 1));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.ini"));
  EXPECT_EQ(Contents(file), "[SETTINGS]\nGROUP=1\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

TEST_F(UserSettingsTest, SomethingElseThanAFileGivesDefaultsAndIsNeverReplaced) {
  const fs::path folder = folder_ / "folder.ini";
  fs::create_directories(folder / "inside");
  const fs::path fifo = folder_ / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path former = folder_ / "former.ini";
  for (const fs::path& file : {folder, fifo}) {
    Write(former, "[SETTINGS]\nGROUP=1\n");
    UserSettings settings(file);
    EXPECT_EQ(settings.GetInt("SETTINGS", "GROUP", 7), 7) << file;  // no hang, no abort
    EXPECT_FALSE(settings.Find("SETTINGS", "PATH")) << file;
    EXPECT_FALSE(settings.SetInt("SETTINGS", "GROUP", 1)) << file;
    EXPECT_FALSE(settings.SetString("SETTINGS", "PATH", "/out")) << file;
    TakeOverFormerSettings(file, former);
    EXPECT_TRUE(fs::exists(former)) << file;  // kept for a later start
  }
  EXPECT_TRUE(fs::is_directory(folder / "inside"));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 3);
}

TEST_F(UserSettingsTest, FormerSettingsAreTakenOverOnceAndRemoved) {
  const fs::path own = folder_ / "Korvane" / "Talvenor.ini";
  const fs::path former = folder_ / "Morlach" / "Talvenor.ini";
  Write(former, "[SETTINGS]\nPATH=\"/old\"\nGROUP=1\n[Extra]\nk=v\n");
  Write(own, "[SETTINGS]\nUPDATE=0\nGROUP=0\n");

  TakeOverFormerSettings(own, former);
  UserSettings settings(own);
  EXPECT_EQ(settings.GetString("SETTINGS", "PATH", "?"), "/old");
  EXPECT_EQ(settings.GetInt("SETTINGS", "GROUP", 0), 1);   // replaced by the former value
  EXPECT_EQ(settings.GetInt("SETTINGS", "UPDATE", 1), 0);  // kept: the former has none
  EXPECT_EQ(settings.GetString("Extra", "k", ""), "v");
  EXPECT_FALSE(fs::exists(former));
}

TEST_F(UserSettingsTest, ExistingPathEvenEmptyPreventsTheTakeover) {
  const fs::path own = folder_ / "own.ini";
  const fs::path former = folder_ / "former.ini";
  Write(own, "[SETTINGS]\nPATH=\n");
  Write(former, "[SETTINGS]\nGROUP=1\n");
  TakeOverFormerSettings(own, former);
  EXPECT_TRUE(fs::exists(former));
  EXPECT_EQ(UserSettings(own).GetInt("SETTINGS", "GROUP", 0), 0);
}

TEST_F(UserSettingsTest, MissingFormerSettingsCopyNothing) {
  const fs::path own = folder_ / "own.ini";
  TakeOverFormerSettings(own, folder_ / "absent.ini");
  EXPECT_FALSE(fs::exists(own));
}

}  // namespace
}  // namespace talvenor::platform
