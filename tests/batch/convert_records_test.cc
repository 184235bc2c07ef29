// The record loop: every line into its output file, and the stops with
// their messages.
#include "batch/record_loop.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch/record_layout.h"
#include "editions/builtin_directory.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

// Output held in memory; it can refuse to create one file or fail the
// n-th write.
class MemoryOutput final : public RecordOutput {
 public:
  explicit MemoryOutput(int files) : contents_(static_cast<std::size_t>(files)) {
    for (int i = 0; i < files; ++i) names_.push_back("out" + std::to_string(i));
  }
  int fileCount() const override { return static_cast<int>(contents_.size()); }
  std::string_view FileName(int file) const override {
    return names_[static_cast<std::size_t>(file)];
  }
  Status WriteRecord(int file, std::string_view line) override {
    if (file == refusedFile) return Status::kCannotCreate;
    if (++writes == failingWrite) return Status::kWriteFailed;
    contents_[static_cast<std::size_t>(file)] += line;
    return Status::kWritten;
  }
  const std::string& contents(int file) const { return contents_[static_cast<std::size_t>(file)]; }

  int refusedFile = -1;
  int failingWrite = -1;
  int writes = 0;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> contents_;
};

// A default-layout CSV record for `bank` and `account`, and the output the
// loop writes for it when nothing is converted (result `code`).
std::string Record(const std::string& bank, const std::string& account = "1234567897") {
  return "DE;U;R;;;" + bank + ";" + account + ";;;;;";
}

int RunLoop(const std::string& input, MemoryOutput& output, std::string& message,
            int format = kFormatSeparated, const fs::path& formatIni = {}) {
  MemorySource source(input);
  return ConvertRecords(source, format, formatIni, editions::BuiltinDirectory(), output, message);
}

constexpr std::string_view kMalformed = "Die Eingangsdatei hat einen fehlerhaften Aufbau";

TEST(ConvertRecords, EveryLineInOrder) {
  MemoryOutput output(1);
  std::string message;
  // 99999999 is no bank code (10); 20050550 (Haspa, method 00, standard
  // rule) with 0000000000 is refused by the batch run itself (11).
  ASSERT_EQ(RunLoop(Record("99999999") + "\n" + Record("20050550", "0000000000") + "\r\n" +
                        Record("99999998"),
                    output, message),
            1);
  EXPECT_EQ(output.contents(0),
            "\"DE\";\"U\";\"R\";;;99999999;1234567897;;;;;10\r\n"
            "\"DE\";\"U\";\"R\";;;20050550;0000000000;;;;;11\r\n"
            "\"DE\";\"U\";\"R\";;;99999998;1234567897;;;;;10\r\n");
}

TEST(ConvertRecords, GroupsByTheFourthBankCodeDigit) {
  MemoryOutput output(10);
  std::string message;
  ASSERT_EQ(RunLoop(Record("10020890") + "\n" + Record("20050550") + "\n" + Record("99999999") +
                        "\n" + Record("20050550", "0000000000") + "\n",
                    output, message),
            1);
  EXPECT_NE(output.contents(2).find(";10020890;"), std::string::npos);
  EXPECT_NE(output.contents(5).find(";20050550;1234567897;"), std::string::npos);
  EXPECT_NE(output.contents(5).find(";20050550;0000000000;"), std::string::npos);
  EXPECT_NE(output.contents(9).find(";99999999;"), std::string::npos);
  for (int group : {0, 1, 3, 4, 6, 7, 8}) EXPECT_TRUE(output.contents(group).empty()) << group;
}

TEST(ConvertRecords, StopsAtTheFirstMalformedLine) {
  struct Case {
    const char* name;
    std::string input;
    int format;
    int recordsBefore;
  };
  const std::string fixed = "DE" + std::string(143, ' ');  // 145 characters, no bank code
  // clang-format off
  const Case cases[] = {
      {"EmptyLineInTheMiddle", Record("99999999") + "\n\n" + Record("99999999"), kFormatSeparated, 1},
      {"LineOfOnlyACarriageReturn", Record("99999999") + "\n\r\n", kFormatSeparated, 1},
      {"FixedLineOf144", fixed + "\n" + fixed.substr(1) + "\n" + fixed, kFormatFixed, 1},
      {"TooFewFields", Record("99999999") + "\nDE;U;R;;;99999999\n", kFormatSeparated, 1},
      {"BankCodeOfNineDigits", Record("999999999"), kFormatSeparated, 0},
      {"LineOver4000", Record("99999999") + "\n" + Record("99999999") + std::string(4000, 'x'),
       kFormatSeparated, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    MemoryOutput output(1);
    std::string message;
    EXPECT_EQ(RunLoop(c.input, output, message, c.format), 0) << c.name;
    EXPECT_EQ(message, kMalformed) << c.name;
    EXPECT_EQ(output.writes, c.recordsBefore) << c.name;
  }
}

TEST(ConvertRecords, TheLastLineNeedsNoLineEnd) {
  const std::string fixed = "DE" + std::string(143, ' ');
  MemoryOutput output(1);
  std::string message;
  ASSERT_EQ(RunLoop(fixed + "\n" + fixed, output, message, kFormatFixed), 1);
  EXPECT_EQ(output.writes, 2);
}

TEST(ConvertRecords, OutputFailures) {
  std::string message;
  MemoryOutput refusing(10);
  refusing.refusedFile = 9;
  EXPECT_EQ(RunLoop(Record("20050550") + "\n" + Record("99999999") + "\n", refusing, message), 0);
  EXPECT_EQ(message, "out9\nläßt sich nicht erzeugen!");

  MemoryOutput failing(1);
  failing.failingWrite = 2;
  EXPECT_EQ(RunLoop(Record("20050550") + "\n" + Record("99999999") + "\n", failing, message), 0);
  EXPECT_EQ(message, "Fehler beim Schreiben!");
}

}  // namespace
}  // namespace talvenor::batch
