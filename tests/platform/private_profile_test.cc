#include "platform/private_profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>

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
  const auto profile = PrivateProfile::Parse(
      "[s]\na =  spaced  \nb=\"quoted\"\nc='single'\nd=\"open\ne=\"\"x\"\"\n");
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

TEST(PrivateProfile, OnlyASemicolonAtTheLineStartMakesAComment) {
  struct Case {
    const char* line;
    const char* key;
    const char* value;  // nullptr: the key is absent
  };
  // clang-format off
  const Case cases[] = {
      {"FIELD3=11,0,Name ;x,9", "FIELD3", "11,0,Name ;x,9"},
      {"k=a ; b ;", "k", "a ; b ;"},
      {"k = \"quoted ;\" ", "k", "quoted ;"},
      {"k=;", "k", ";"},
      {"key ;x=1", "key ;x", "1"},
      {"  ;k=1", "k", nullptr},
      {";k=1", "k", nullptr},
  };
  // clang-format on
  for (const Case& c : cases) {
    const auto profile = PrivateProfile::Parse(std::string("[s]\n") + c.line + "\nafter=2\n");
    EXPECT_EQ(profile.Find("s", c.key),
              c.value ? std::optional<std::string>(c.value) : std::nullopt)
        << c.line;
    EXPECT_EQ(profile.GetInt("s", "after", 0), 2) << c.line;
  }
  // A section header followed by a ";" keeps its name.
  const auto profile = PrivateProfile::Parse("[FIELDS] ; Felder\nANZ=3\n[PAR;SER]\nk=1\n");
  EXPECT_EQ(profile.GetInt("FIELDS", "ANZ", 0), 3);
  EXPECT_EQ(profile.GetInt("PAR;SER", "k", 0), 1);
}

TEST(PrivateProfile, MissingFileReadsAsEmpty) {
  const auto profile = PrivateProfile::Load("/nonexistent/folder/DEBUG.INI");
  EXPECT_EQ(profile.GetInt("USEREGEL", "10000000", -1), -1);
}

TEST(PrivateProfile, LoadsAFileWithWindowsLineEnds) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("talvenor_profile_test_" + std::to_string(getpid()) + ".ini");
  {
    std::ofstream file(path, std::ios::binary);
    file << "[USEREGEL]\r\n10000000=0\r\n";
  }
  const auto profile = PrivateProfile::Load(path);
  std::filesystem::remove(path);
  EXPECT_EQ(profile.GetInt("USEREGEL", "10000000", -1), 0);
}

// inih itself holds lines of at most 198 characters plus the line feed; the
// cases below straddle that limit and go far beyond it.
TEST(PrivateProfile, ReadsValuesOfLongLinesInFull) {
  struct Case {
    std::size_t valueLength;
  };
  for (const Case c : {Case{189}, Case{190}, Case{191}, Case{199}, Case{250}, Case{5000}}) {
    const std::string value(c.valueLength, 'v');
    // "FIELD12=" is 8 characters: 190 characters of value make a 198-character line.
    const auto profile =
        PrivateProfile::Parse("[FIELDS]\nFIELD12=" + value + "\nnext=after\n[other]\nk=2\n");
    EXPECT_EQ(profile.GetString("FIELDS", "FIELD12", ""), value) << c.valueLength;
    EXPECT_EQ(profile.GetString("FIELDS", "next", ""), "after") << c.valueLength;
    EXPECT_EQ(profile.GetInt("other", "k", 0), 2) << c.valueLength;
  }
}

TEST(PrivateProfile, LongLinesKeepTheUsualValueRules) {
  const std::string path = "/home/user/" + std::string(300, 'x') + "/Ausgabe Dateien";
  const auto profile = PrivateProfile::Parse(
      "[SETTINGS]\n"
      "PATH = \"" +
      path + "\"  \n" + "Cut=" + std::string(250, 'a') + " ;comment\n" +
      "NoCut=" + std::string(250, 'b') + ";x\n" + "Num=  -42" + std::string(250, '7') + "\n" +
      "cut=shorter line comes second\n");
  EXPECT_EQ(profile.GetString("settings", "path", ""), path);
  EXPECT_EQ(profile.GetString("SETTINGS", "CUT", ""), std::string(250, 'a') + " ;comment");
  EXPECT_EQ(profile.GetString("SETTINGS", "NoCut", ""), std::string(250, 'b') + ";x");
  EXPECT_EQ(profile.GetInt("SETTINGS", "Num", 0), INT_MIN);
}

TEST(PrivateProfile, FirstOccurrenceWinsBetweenLongAndShortLines) {
  const std::string longValue(300, 'L');
  const auto longFirst = PrivateProfile::Parse("[s]\nk=" + longValue + "\nk=short\n");
  const auto shortFirst = PrivateProfile::Parse("[s]\nk=short\nk=" + longValue + "\n");
  EXPECT_EQ(longFirst.GetString("s", "k", ""), longValue);
  EXPECT_EQ(shortFirst.GetString("s", "k", ""), "short");
}

TEST(PrivateProfile, LongSectionAndKeyNamesAreMatchedInFull) {
  const std::string section(120, 'S');
  const std::string key(60, 'K');
  const auto profile = PrivateProfile::Parse("[" + section + "]\n" + key + "=1\n" +
                                             key.substr(0, 49) + "X=2\n[s]\nk=3\n");
  EXPECT_EQ(profile.GetInt(section, key, 0), 1);
  EXPECT_EQ(profile.GetInt(section, key.substr(0, 49), 0), 0);  // no cut-short name
  EXPECT_EQ(profile.GetInt(section, key.substr(0, 49) + "X", 0), 2);
  EXPECT_EQ(profile.GetInt(section.substr(0, 49), key, 0), 0);
  EXPECT_EQ(profile.GetInt("s", "k", 0), 3);
}

TEST(PrivateProfile, LongCommentsAndMalformedLinesSwallowNothing) {
  const auto profile =
      PrivateProfile::Parse("[s]\n; " + std::string(400, 'c') + "\na=1\n" + std::string(400, 'n') +
                            "\nb=2\n[" + std::string(400, 'u') + "\nc=3\n");
  EXPECT_EQ(profile.GetInt("s", "a", 0), 1);
  EXPECT_EQ(profile.GetInt("s", "b", 0), 2);
  EXPECT_EQ(profile.GetInt("s", "c", 0), 3);  // an unclosed section header changes nothing
}

TEST(PrivateProfile, IndentedLongKeyAtSectionStartIsAKey) {
  const std::string value(300, 'i');
  const auto profile = PrivateProfile::Parse("[s]\n   k=" + value + "\n");
  EXPECT_EQ(profile.GetString("s", "k", ""), value);
}

TEST(PrivateProfile, ControlBytesInTheTextAreOrdinaryCharacters) {
  using namespace std::string_literals;
  const auto profile = PrivateProfile::Parse("[s]\nx="s + std::string(250, 'x') +
                                             "\n\x01"
                                             "0=plain\nv=a\x01"
                                             "b\nn=1\0junk\nm=2\n"s);
  EXPECT_EQ(profile.GetString("s", "x", ""), std::string(250, 'x'));
  EXPECT_EQ(profile.GetString("s",
                              "\x01"
                              "0",
                              ""),
            "plain");
  EXPECT_EQ(profile.GetString("s", "v", ""),
            "a\x01"
            "b");
  EXPECT_EQ(profile.GetInt("s", "n", 0), 1);  // a NUL byte ends its line only
  EXPECT_EQ(profile.GetInt("s", "m", 0), 2);
}

TEST(PrivateProfile, LoadsLongLinesWithWindowsLineEndsAndByteOrderMark) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("talvenor_profile_long_" + std::to_string(getpid()) + ".ini");
  const std::string value(210, 'w');
  {
    std::ofstream file(path, std::ios::binary);
    file << "\xEF\xBB\xBF"
            "top="
         << value << "\r\n[FIELDS]\r\nFIELD1=" << value << "\r\n";
  }
  const auto profile = PrivateProfile::Load(path);
  std::filesystem::remove(path);
  EXPECT_EQ(profile.GetString("", "top", ""), value);
  EXPECT_EQ(profile.GetString("FIELDS", "FIELD1", ""), value);
}

}  // namespace
}  // namespace talvenor::platform
