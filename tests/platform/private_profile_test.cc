#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace talvenor::platform {
namespace {

TEST(PrivateProfile, MatchesSectionsAndKeysWithoutRegardToCase) {
  const auto profile = PrivateProfile::Parse("[UseRegel]\nKey=1\n[other]\nkey=2\n");
  EXPECT_EQ(profile.GetInt("USEREGEL", "KEY", -1), 1);
  EXPECT_EQ(profile.GetInt("OTHER", "key", -1), 2);
}

TEST(PrivateProfile, FirstOccurrenceOfAKeyWins) {
  const auto profile = PrivateProfile::Parse("[s]\nk=first\nk=second\n[s]\nk=third\n");
  EXPECT_EQ(profile.GetString("s", "k", "x"), "first");
}

TEST(PrivateProfile, TrimsValuesAndDropsOnePairOfQuotes) {
  const auto profile =
      PrivateProfile::Parse("[s]\na =  spaced  \nb=\"quoted\"\nc='single'\nd=\"open\ne=\"\"x\"\"\n");
  EXPECT_EQ(profile.GetString("s", "a", ""), "spaced");
  EXPECT_EQ(profile.GetString("s", "b", ""), "quoted");
  EXPECT_EQ(profile.GetString("s", "c", ""), "single");
  EXPECT_EQ(profile.GetString("s", "d", ""), "\"open");
  EXPECT_EQ(profile.GetString("s", "e", ""), "\"x\"");
}

TEST(PrivateProfile, DefaultsApplyToMissingSectionsKeysAndEmptyIntegers) {
  const auto profile = PrivateProfile::Parse("[s]\nempty=\n");
  EXPECT_EQ(profile.GetInt("s", "missing", 7), 7);
  EXPECT_EQ(profile.GetInt("nosection", "empty", 7), 7);
  EXPECT_EQ(profile.GetInt("s", "empty", 7), 7);
  EXPECT_EQ(profile.GetString("s", "missing", "dflt"), "dflt");
  EXPECT_EQ(profile.GetString("s", "empty", "dflt"), "");
}

TEST(PrivateProfile, IntegersAreTheLeadingSignedDigits) {
  const auto profile =
      PrivateProfile::Parse("[s]\na=42\nb=-1\nc=12abc\nd=abc\ne=+3\nf=99999999999\n");
  EXPECT_EQ(profile.GetInt("s", "a", 0), 42);
  EXPECT_EQ(profile.GetInt("s", "b", 0), -1);
  EXPECT_EQ(profile.GetInt("s", "c", 0), 12);
  EXPECT_EQ(profile.GetInt("s", "d", 5), 0);
  EXPECT_EQ(profile.GetInt("s", "e", 0), 3);
  EXPECT_EQ(profile.GetInt("s", "f", 0), 2147483647);
}

TEST(PrivateProfile, IgnoresMalformedLinesAndComments) {
  const auto profile = PrivateProfile::Parse("; comment\nnot a key\n[s]\n# note\nk=1\n");
  EXPECT_EQ(profile.GetInt("s", "k", 0), 1);
}

TEST(PrivateProfile, MissingFileReadsAsEmpty) {
  const auto profile = PrivateProfile::Load("/nonexistent/folder/DEBUG.INI");
  EXPECT_EQ(profile.GetInt("USEREGEL", "10000000", -1), -1);
}

TEST(PrivateProfile, LoadsAFileWithWindowsLineEnds) {
  const auto path = std::filesystem::temp_directory_path() / "talvenor_profile_test.ini";
  {
    std::ofstream file(path, std::ios::binary);
    file << "[USEREGEL]\r\n10000000=0\r\n";
  }
  const auto profile = PrivateProfile::Load(path);
  std::filesystem::remove(path);
  EXPECT_EQ(profile.GetInt("USEREGEL", "10000000", -1), 0);
}

}  // namespace
}  // namespace talvenor::platform
