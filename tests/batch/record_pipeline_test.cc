// The record loop on several threads against the loop on one: for every
// input, layout, chunk size and failure, the same records reach the same
// files in the same order, and message, result and notes are the same.
#include "batch/record_pipeline.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "batch/record_layout.h"
#include "batch/record_loop.h"
#include "editions/builtin_directory.h"
#include "editions/edition_catalogue.h"
#include "support/bank_files.h"
#include "support/test_files.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

// Every call the loop makes on its output, in order (the refused or failed
// one included); it can refuse to create one file or fail the n-th write.
class RecordingOutput final : public RecordOutput {
 public:
  explicit RecordingOutput(int files) : files_(files) {}
  int fileCount() const override { return files_; }
  std::string_view FileName(int file) const override { return names_[file]; }
  Status WriteRecord(int file, std::string_view line) override {
    calls.emplace_back(file, std::string(line));
    if (file == refusedFile) return Status::kCannotCreate;
    if (static_cast<int>(calls.size()) == failingWrite) return Status::kWriteFailed;
    return Status::kWritten;
  }

  int refusedFile = -1;
  int failingWrite = -1;  // 1 for the first call
  std::vector<std::pair<int, std::string>> calls;

 private:
  int files_;
  const std::string names_[10] = {"out0", "out1", "out2", "out3", "out4",
                                  "out5", "out6", "out7", "out8", "out9"};
};

// Hands out its bytes in pieces of 1 to 13 bytes, so that the line reader
// refills in every possible place; fails after `failAfter` bytes.
class PieceSource final : public ByteSource {
 public:
  explicit PieceSource(std::string_view bytes, std::size_t failAfter = std::string_view::npos)
      : bytes_(bytes.substr(0, std::min(bytes.size(), failAfter))),
        failing_(failAfter <= bytes.size()) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, bytes_.size(), 1 + (calls_++ * 7) % 13});
    if (count == 0) {
      failed_ = failing_;
      return 0;
    }
    std::copy_n(bytes_.data(), count, buffer);
    bytes_.remove_prefix(count);
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  std::string_view bytes_;
  bool failing_;
  bool failed_ = false;
  std::size_t calls_ = 0;
};

struct Failure {
  int refusedFile = -1;
  int failingWrite = -1;
  std::size_t readFailsAfter = std::string_view::npos;
};

struct Outcome {
  int result = 99;
  std::string message;
  std::size_t assumedRule = 999;  // untouched unless the run succeeded
  std::size_t unchecked = 999;
  std::vector<std::pair<int, std::string>> calls;
};

Outcome Convert(std::string_view input, int format, int files, const RecordLoopOptions& loop,
                const Failure& failure = {},
                const BankDirectory& directory = editions::BuiltinDirectory()) {
  PieceSource source(input, failure.readFailsAfter);
  RecordingOutput output(files);
  output.refusedFile = failure.refusedFile;
  output.failingWrite = failure.failingWrite;
  Outcome outcome;
  RecordNotes notes{999, 999};
  outcome.result = ConvertRecords(source, format, platform::PrivateProfile::Parse(""), directory,
                                  output, outcome.message, &notes, loop);
  outcome.assumedRule = notes.assumedRule;
  outcome.unchecked = notes.unchecked;
  outcome.calls = std::move(output.calls);
  return outcome;
}

RecordLoopOptions Loop(int threads, std::size_t chunkRecords = 0, std::size_t chunkBytes = 0) {
  RecordLoopOptions loop;
  loop.threads = threads;
  loop.chunkRecords = chunkRecords;
  loop.chunkBytes = chunkBytes;
  return loop;
}

// Runs `input` on one thread and on 2, 3 and 8 threads with chunks of 1, 2
// and 3 records, of a few hundred bytes and of the default size; every run
// must give what the one on one thread gave, which is returned.
Outcome ExpectSameOnEveryThreadCount(
    std::string_view input, int format, int files, const Failure& failure = {},
    const BankDirectory& directory = editions::BuiltinDirectory()) {
  const Outcome one = Convert(input, format, files, Loop(1), failure, directory);
  const RecordLoopOptions loops[] = {
      Loop(2, 1),    Loop(2, 2),      Loop(3, 3),       Loop(8, 1), Loop(8, 2),
      Loop(3, 0, 1), Loop(2, 0, 700), Loop(8, 0, 2000), Loop(2),    Loop(8),
  };
  for (const RecordLoopOptions& loop : loops) {
    SCOPED_TRACE("threads " + std::to_string(loop.threads) + ", chunk records " +
                 std::to_string(loop.chunkRecords) + ", chunk bytes " +
                 std::to_string(loop.chunkBytes));
    const Outcome many = Convert(input, format, files, loop, failure, directory);
    EXPECT_EQ(many.result, one.result);
    EXPECT_EQ(many.message, one.message);
    EXPECT_EQ(many.assumedRule, one.assumedRule);
    EXPECT_EQ(many.unchecked, one.unchecked);
    EXPECT_EQ(many.calls.size(), one.calls.size());
    EXPECT_TRUE(many.calls == one.calls);
  }
  return one;
}

// A record of the built-in fixed layout (145 characters).
std::string Fixed(const std::string& bank, const std::string& account,
                  const std::string& country = "DE") {
  std::string line = country + "USER1" + std::string(30, 'r') + std::string(11, ' ') + "    ";
  line += bank + std::string(8 - bank.size(), ' ');
  line += account + std::string(10 - account.size(), ' ');
  line += std::string(20 + 11 + 22 + 20 + 2, ' ');
  return line;
}

// A record of the built-in ";"-separated layout.
std::string Csv(const std::string& bank, const std::string& account,
                const std::string& country = "DE") {
  return "\"" + country + "\";\"U\";\"Ref\";;;" + bank + ";" + account + ";;;;;";
}

using MakeRecord = std::string (*)(const std::string&, const std::string&, const std::string&);

// Records of every kind of result, from banks of every institution group:
// converted, unknown bank code, account of zeros, foreign, a bank code to
// be deleted, accounts failing their check.
std::vector<std::string> Records(MakeRecord make, int count) {
  const std::string banks[] = {"20050550", "10020890", "37050198", "99999999", "50010517",
                               "70020270", "60050101", "43060967", "86055592", "12030000"};
  std::vector<std::string> records;
  for (int i = 0; i < count; ++i) {
    const std::string& bank = banks[static_cast<std::size_t>(i) % std::size(banks)];
    std::string account = i % 7 == 3 ? "0000000000" : i % 5 == 1 ? "1234567890" : "1234567897";
    records.push_back(make(bank, account, i % 11 == 6 ? "AT" : "DE"));
  }
  return records;
}

std::string Joined(const std::vector<std::string>& records, std::string_view end = "\n",
                   bool lastEnd = true) {
  std::string text;
  for (std::size_t i = 0; i < records.size(); ++i) {
    text += records[i];
    if (lastEnd || i + 1 < records.size()) text += end;
  }
  return text;
}

TEST(RecordPipeline, WholeRunsInEveryLayoutAndLineEnd) {
  struct Case {
    const char* name;
    MakeRecord make;
    int format;
    int files;
    std::string_view end;
    bool lastEnd;
  };
  // clang-format off
  const Case cases[] = {
      {"FixedLf", Fixed, kFormatFixed, 1, "\n", true},
      {"FixedCrLf", Fixed, kFormatFixed, 1, "\r\n", true},
      {"FixedNoLastLineEnd", Fixed, kFormatFixed, 1, "\n", false},
      {"FixedGrouped", Fixed, kFormatFixed, 10, "\r\n", false},
      {"CsvLf", Csv, kFormatSeparated, 1, "\n", true},
      {"CsvCrLfNoLastLineEnd", Csv, kFormatSeparated, 1, "\r\n", false},
      {"CsvGrouped", Csv, kFormatSeparated, 10, "\n", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> records = Records(c.make, 47);
    const Outcome one =
        ExpectSameOnEveryThreadCount(Joined(records, c.end, c.lastEnd), c.format, c.files);
    EXPECT_EQ(one.result, kRecordsWritten);
    ASSERT_EQ(one.calls.size(), records.size());
    EXPECT_EQ(one.assumedRule, 0u);
    if (c.files == 10) {
      // Every group but one (the 4th digits are 5, 2, 5, 9, 1, 2, 5, 6, 5, 3)
      // is reached, so the file-creation order is part of the comparison.
      EXPECT_EQ(one.calls[1].first, 2);
      EXPECT_EQ(one.calls[3].first, 9);
    }
  }
  for (const int format : {kFormatFixed, kFormatSeparated}) {
    const Outcome empty = ExpectSameOnEveryThreadCount("", format, 1);
    EXPECT_EQ(empty.result, kRecordsWritten);
    EXPECT_TRUE(empty.calls.empty());
  }
}

// A record that stops the run, in every position among twelve records, so
// that it stands first, last, and at the start, in the middle and at the
// end of chunks of every size tried.
TEST(RecordPipeline, TheFirstMalformedRecordStopsTheRunWherever) {
  struct Case {
    const char* name;
    MakeRecord make;
    int format;
    std::string bad;  // the malformed line with its line end
  };
  // clang-format off
  const Case cases[] = {
      {"FixedLineTooShort", Fixed, kFormatFixed, Fixed("20050550", "1234567897").substr(1) + "\n"},
      {"EmptyLine", Fixed, kFormatFixed, "\n"},
      {"EmptyLineCrLf", Csv, kFormatSeparated, "\r\n"},
      {"StrayCarriageReturn", Csv, kFormatSeparated,
       Csv("20050550", "1234567897") + "\r" + Csv("20050550", "1234567897") + "\n"},
      {"LineOver4000", Csv, kFormatSeparated,
       Csv("20050550", "1234567897") + std::string(4000, 'x') + "\n"},
      {"TooFewFields", Csv, kFormatSeparated, "DE;U;R;;;20050550\n"},
      {"BankCodeOfNineDigits", Csv, kFormatSeparated, Csv("200505501", "1234567897") + "\n"},
  };
  // clang-format on
  constexpr int kRecords = 12;
  for (const Case& c : cases) {
    const std::vector<std::string> records = Records(c.make, kRecords);
    for (int bad = 0; bad < kRecords; ++bad) {
      SCOPED_TRACE(std::string(c.name) + " as record " + std::to_string(bad));
      std::string input;
      for (int i = 0; i < kRecords; ++i)
        input += i == bad ? c.bad : records[static_cast<std::size_t>(i)] + "\n";
      const Outcome one = ExpectSameOnEveryThreadCount(input, c.format, 10);
      EXPECT_EQ(one.result, kRecordsStopped);
      EXPECT_EQ(one.message, kMalformedInputMessage);
      EXPECT_EQ(one.calls.size(), static_cast<std::size_t>(bad));
    }
  }
}

// A record line of `length` characters (the record's last field padded).
std::string CsvOfLength(std::size_t length) {
  const std::string record = Csv("20050550", "1234567897");
  return record + std::string(length - record.size(), 'x');
}

TEST(RecordPipeline, LineEndsAndOddBytesAtTheEnd) {
  const std::string record = Csv("20050550", "1234567897") + "\n";
  struct Case {
    const char* name;
    std::string input;
    int result;
  };
  // clang-format off
  const Case cases[] = {
      {"LastLineWithoutLineEnd", record + CsvOfLength(50), kRecordsWritten},
      {"CarriageReturnAloneAtTheEnd", record + CsvOfLength(50) + "\r", kRecordsStopped},
      {"EmptyLastLine", record + record + "\r\n", kRecordsStopped},
      {"LastLineOf3998WithoutLineEnd", record + CsvOfLength(3998), kRecordsWritten},
      {"LastLineOf3999WithoutLineEnd", record + CsvOfLength(3999), kRecordsStopped},
      {"LineOf3999WithLineFeed", record + CsvOfLength(3999) + "\n" + record, kRecordsWritten},
      {"LineOf3998WithCrLf", record + CsvOfLength(3998) + "\r\n" + record, kRecordsWritten},
      {"LineOf3999WithCrLf", record + CsvOfLength(3999) + "\r\n" + record, kRecordsStopped},
      {"LineOf4000WithLineFeed", record + CsvOfLength(4000) + "\n" + record, kRecordsStopped},
      {"NulByteInARecord", record + "\"DE\";\"U\";\"R" + std::string(1, '\0') + "f\";;;20050550;1;;;;;\n",
       kRecordsWritten},
      {"OnlyALineFeed", "\n", kRecordsStopped},
      {"EmptyFirstLine", "\r\n" + record, kRecordsStopped},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExpectSameOnEveryThreadCount(c.input, kFormatSeparated, 1).result, c.result);
  }
}

TEST(RecordPipeline, OutputFailuresStopAtTheSameRecord) {
  const std::string input = Joined(Records(Csv, 23));
  for (int write = 1; write <= 23; write += 1) {
    SCOPED_TRACE("write " + std::to_string(write) + " fails");
    const Outcome one =
        ExpectSameOnEveryThreadCount(input, kFormatSeparated, 10, Failure{.failingWrite = write});
    EXPECT_EQ(one.result, kRecordsStopped);
    EXPECT_EQ(one.message, kWriteFailedMessage);
    EXPECT_EQ(one.calls.size(), static_cast<std::size_t>(write));
  }
  // Group 3 is reached first by the 10th record (12030000).
  const Outcome refused =
      ExpectSameOnEveryThreadCount(input, kFormatSeparated, 10, Failure{.refusedFile = 3});
  EXPECT_EQ(refused.message, "out3\nläßt sich nicht erzeugen!");
  EXPECT_EQ(refused.calls.size(), 10u);
  // A failed write after a malformed record is never reached.
  const Outcome malformedFirst = ExpectSameOnEveryThreadCount(
      Csv("20050550", "1") + "\n\n" + input, kFormatSeparated, 10, Failure{.failingWrite = 2});
  EXPECT_EQ(malformedFirst.message, kMalformedInputMessage);
}

// Reading fails only where the loop gets to it: a record that stops the
// run before that point decides the result, however far ahead the input
// was read meanwhile. The input is longer than the line reader's buffer of
// 64 KiB, so that lines are handed out before a failure is met.
TEST(RecordPipeline, AReadFailureCountsOnlyWhereTheLoopGetsToIt) {
  const std::vector<std::string> records = Records(Fixed, 700);
  const std::string input = Joined(records);
  const std::size_t line = records[0].size() + 1;
  for (const std::size_t failsAfter :
       {std::size_t{0}, line * 17, std::size_t{70000}, line * 650 + 5, input.size()}) {
    SCOPED_TRACE("reading fails after " + std::to_string(failsAfter));
    const Outcome failed =
        ExpectSameOnEveryThreadCount(input, kFormatFixed, 1, Failure{.readFailsAfter = failsAfter});
    EXPECT_EQ(failed.result, kRecordsInputFailed);
    EXPECT_EQ(failed.message, kMalformedInputMessage);
    // No line at or behind the failure is handed out.
    EXPECT_LE(failed.calls.size(), failsAfter / line);
    if (failsAfter > 65536) {
      EXPECT_GT(failed.calls.size(), 0u);
    }
  }
  const std::string stopped = Joined({records[0], records[1], "", records[2]}) + input;
  for (const Failure& failure : {Failure{.readFailsAfter = stopped.size() - 3},
                                 Failure{.failingWrite = 2, .readFailsAfter = stopped.size()}}) {
    const Outcome one = ExpectSameOnEveryThreadCount(stopped, kFormatFixed, 1, failure);
    EXPECT_EQ(one.result, kRecordsStopped);
  }
}

// Loads the public edition of June 2026 with the method of 37050198
// replaced by one the program does not handle: records of its banks count
// as converted under an assumed rule, those of 37050198 as unchecked.
class RecordNotesOnThreads : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "talvenor-notes-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    const fs::path file = folder / "blz_2026_06_08.txt";
    test_support::WriteFile(
        file, test_support::WithField(
                  test_support::ReadFile(fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt"),
                  "37050198", test_support::kMethodColumn, "F1"));
    std::string error;
    std::vector<std::string> warnings;
    edition_ =
        editions::EditionCatalogue()
            .Load(editions::EditionSource{editions::EditionOrigin::kGiven, file,
                                          editions::Date{std::chrono::year{2026}, std::chrono::June,
                                                         std::chrono::day{8}}},
                  error, warnings)
            .release();
    fs::remove_all(folder);
    ASSERT_NE(edition_, nullptr) << error;
  }
  static void TearDownTestSuite() {
    delete edition_;
    edition_ = nullptr;
  }

  static editions::BankDataEdition* edition_;
};

editions::BankDataEdition* RecordNotesOnThreads::edition_ = nullptr;

TEST_F(RecordNotesOnThreads, AreCountedOverEveryRecordAsOnOneThread) {
  ASSERT_NE(edition_, nullptr);
  std::vector<std::string> records;
  for (int i = 0; i < 30; ++i) {
    records.push_back(Csv(i % 3 == 0   ? "70022424"
                          : i % 4 == 1 ? "37050198"
                                       : "20041111",
                          "1234567897"));
  }
  const std::string input = Joined(records);
  const Outcome one =
      ExpectSameOnEveryThreadCount(input, kFormatSeparated, 10, {}, edition_->directory);
  EXPECT_EQ(one.result, kRecordsWritten);
  EXPECT_EQ(one.assumedRule, 10u);
  EXPECT_EQ(one.unchecked, 6u);
  // After a stop the counts are not handed out, on any number of threads.
  const Outcome stopped = ExpectSameOnEveryThreadCount(input + "\n" + input, kFormatSeparated, 10,
                                                       {}, edition_->directory);
  EXPECT_EQ(stopped.result, kRecordsStopped);
  EXPECT_EQ(stopped.assumedRule, 999u);
}

// An exception on the reader thread (from the input) or on the calling
// thread (from the output) leaves ConvertRecords as on one thread, after
// every thread has ended.
TEST(RecordPipeline, ExceptionsReachTheCallerAsOnOneThread) {
  class ThrowingSource final : public ByteSource {
   public:
    explicit ThrowingSource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
      if (bytes_.empty()) throw std::runtime_error("source");
      const std::size_t count = std::min(size, bytes_.size());
      std::copy_n(bytes_.data(), count, buffer);
      bytes_.remove_prefix(count);
      return count;
    }

   private:
    std::string_view bytes_;
  };
  class ThrowingOutput final : public RecordOutput {
   public:
    int fileCount() const override { return 1; }
    std::string_view FileName(int) const override { return "out"; }
    Status WriteRecord(int, std::string_view) override {
      if (++writes == 5) throw std::runtime_error("output");
      return Status::kWritten;
    }
    int writes = 0;
  };
  const std::string input = Joined(Records(Fixed, 30));
  for (const int threads : {1, 3}) {
    std::string message;
    ThrowingSource source(input);
    ThrowingOutput quiet;
    quiet.writes = -1000;
    EXPECT_THROW(
        ConvertRecords(source, kFormatFixed, platform::PrivateProfile::Parse(""),
                       editions::BuiltinDirectory(), quiet, message, nullptr, Loop(threads, 2)),
        std::runtime_error);
    MemorySource memory(input);
    ThrowingOutput output;
    EXPECT_THROW(
        ConvertRecords(memory, kFormatFixed, platform::PrivateProfile::Parse(""),
                       editions::BuiltinDirectory(), output, message, nullptr, Loop(threads, 2)),
        std::runtime_error);
    EXPECT_EQ(output.writes, 5);
  }
}

TEST(RecordPipeline, ThreadCountsOutsideTheRangeAreClamped) {
  const std::string input = Joined(Records(Fixed, 9));
  const Outcome one = Convert(input, kFormatFixed, 1, Loop(1));
  for (const int threads : {-5, 0, kMaxRecordThreads + 1}) {
    const Outcome other = Convert(input, kFormatFixed, 1, Loop(threads));
    EXPECT_TRUE(other.calls == one.calls) << threads;
    EXPECT_EQ(other.result, kRecordsWritten) << threads;
  }
  EXPECT_GE(DefaultRecordThreads(), 1);
  EXPECT_LE(DefaultRecordThreads(), kMaxRecordThreads);
}

}  // namespace
}  // namespace talvenor::batch
