// Converting whole files in a temporary folder: formats, gzip input, output
// names, grouping, the save-file question, and that a failed run leaves
// neither output nor temporary files behind.
#include "batch/convert_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "editions/builtin_directory.h"
#include "support/test_files.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

class ConvertFileTest : public testing::Test {
 protected:
  ConvertFileTest() {
    std::string pattern = (fs::temp_directory_path() / "talvenor-run-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    options_.directory = &editions::BuiltinDirectory();
  }
  ~ConvertFileTest() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    test_support::WriteFile(Path(name), bytes);
  }
  std::string Read(const std::string& name) const { return test_support::ReadFile(Path(name)); }
  std::vector<std::string> Names() const { return test_support::FileNames(folder_); }
  int Convert(const std::string& input, const std::string& output) {
    return ConvertFile(Path(input), output.empty() ? "" : Path(output), message_, options_);
  }

  fs::path folder_;
  BatchOptions options_;
  std::string message_;
};

using V = std::vector<std::string>;

// The gzip form of `bytes`, one member.
std::string Gzip(const std::string& bytes) { return test_support::Deflate(bytes); }

// Haspa 20050550: method 00 passes 1234567897 (weighted sum 43, check digit
// 7), standard rule, BIC HASPDEHHXXX: result 00. IBAN check digits: N =
// 20050550 * 10^16 + 1234567897 * 10^6 + 131400, N mod 97 = 59, 98 - 59 = 39.
const std::string kHaspaIban = "DE39200505501234567897";

std::string CsvRecord(const std::string& bank, const std::string& account = "1234567897") {
  return "\"DE\";\"Kunde\";\"Ref\";;;" + bank + ";" + account + ";;;;;";
}
std::string CsvHaspaOutput() {
  return "\"DE\";\"Kunde\";\"Ref\";;;20050550;1234567897;;\"HASPDEHHXXX\";\"" + kHaspaIban +
         "\";;00\r\n";
}

TEST_F(ConvertFileTest, LongFilesPlainAndGzip) {
  // Long enough that the records run far beyond the bytes read to recognise
  // the format, and beyond one output buffer.
  std::string csv;
  for (int i = 0; i < 3000; ++i) csv += CsvRecord("20050550") + "\n";
  Write("in.csv", csv);
  Write("in.gz", Gzip(csv));
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += CsvHaspaOutput();
  for (const int threads : {1, 3}) {
    options_.threads = threads;
    for (const char* input : {"in.csv", "in.gz"}) {
      ASSERT_EQ(Convert(input, "out.csv"), kConvertSucceeded) << message_;
      EXPECT_EQ(Read("out.csv"), expected) << input << " on " << threads << " threads";
    }
  }
}

TEST_F(ConvertFileTest, DamagedGzipWritesNothing) {
  std::string csv;
  for (int i = 0; i < 3000; ++i) csv += CsvRecord("20050550") + "\n";
  const std::string sound = Gzip(csv);
  std::string badCrc = sound;
  badCrc[badCrc.size() - 8] ^= 0x55;  // the trailer's CRC-32, found only at the end
  std::string badMethod = sound;
  badMethod[2] = 7;  // not deflate
  const std::string truncated = sound.substr(0, sound.size() / 2);
  // Damage found while recognising the format stops the run before any
  // output is touched; damage found later throws away what the run wrote.
  // Either way the output of an earlier run stays as it was.
  const std::string* damaged[] = {&badMethod, &badCrc, &truncated};
  for (const std::string* bytes : damaged) {
    Write("out.csv", "alt");
    Write("in.gz", *bytes);
    EXPECT_EQ(Convert("in.gz", "out.csv"), kConvertFailed);
    EXPECT_EQ(message_, "Datei konnte nicht dekomprimiert werden!");
    EXPECT_EQ(Names(), (V{"in.gz", "out.csv"}));
    EXPECT_EQ(Read("out.csv"), "alt");
  }
}

// A record that stops the run decides the message even when damage behind
// it was already found by reading ahead (on one thread the decompression
// runs ahead; on several the lines are read ahead, too). The whole
// decompressed input fits into the first chunk, so the damage is always
// found before the run ends.
TEST_F(ConvertFileTest, ARecordBeforeLateDamageDecidesTheMessage) {
  std::string good;
  for (int i = 0; i < 2000; ++i) good += CsvRecord("20050550") + "\n";
  // Too few fields: the line is read, and refused by the conversion.
  const std::string refused = CsvRecord("20050550") + "\nDE;U;R;;;20050550\n" + good;
  const auto damaged = [](const std::string& bytes) {
    const std::string gzip = Gzip(bytes);
    return gzip.substr(0, gzip.size() - 20);
  };
  for (const int threads : {1, 2, 4}) {
    options_.threads = threads;
    Write("in.gz", damaged(refused));
    EXPECT_EQ(Convert("in.gz", "out.csv"), kConvertFailed) << threads;
    EXPECT_EQ(message_, "Fehler beim Erzeugen von:\n" + Path("out.csv") +
                            "\nDie Eingangsdatei hat einen fehlerhaften Aufbau")
        << threads;
    // Damage the run reaches is reported as before.
    Write("in.gz", damaged(good));
    EXPECT_EQ(Convert("in.gz", "out.csv"), kConvertFailed) << threads;
    EXPECT_EQ(message_, "Datei konnte nicht dekomprimiert werden!") << threads;
    EXPECT_EQ(Names(), (V{"in.gz"})) << threads;
  }
}

TEST_F(ConvertFileTest, GzipOfNothingCannotBeDecompressed) {
  Write("in.gz", Gzip(""));
  EXPECT_EQ(Convert("in.gz", "out.csv"), kConvertFailed);
  EXPECT_EQ(message_, "Datei konnte nicht dekomprimiert werden!");
}

// The format messages are checked end to end (tests/app/batch_run_test.cc);
// these inputs cannot be named on the command line without opening the
// main dialog.
TEST_F(ConvertFileTest, InputThatCannotBeOpened) {
  EXPECT_EQ(Convert("missing.txt", "out.txt"), kConvertFailed);
  EXPECT_EQ(message_, Path("missing.txt") + "\nkann nicht geöffnet werden!");
  fs::create_directory(Path("folder"));
  EXPECT_EQ(Convert("folder", "out.txt"), kConvertFailed);
  EXPECT_EQ(message_, Path("folder") + "\nkann nicht geöffnet werden!");
  EXPECT_EQ(Names(), (V{"folder"}));
}

TEST_F(ConvertFileTest, MalformedInputLeavesEarlierOutputAsItWas) {
  Write("in.txt", CsvRecord("20050550") + "\n\n" + CsvRecord("20050550") + "\n");
  EXPECT_EQ(Convert("in.txt", "out.txt"), kConvertFailed);
  EXPECT_EQ(message_, "Fehler beim Erzeugen von:\n" + Path("out.txt") +
                          "\nDie Eingangsdatei hat einen fehlerhaften Aufbau");
  EXPECT_EQ(Names(), (V{"in.txt"}));
  Write("out.txt", "alt");
  EXPECT_EQ(Convert("in.txt", "out.txt"), kConvertFailed);
  EXPECT_EQ(Names(), (V{"in.txt", "out.txt"}));
  EXPECT_EQ(Read("out.txt"), "alt");
}

TEST_F(ConvertFileTest, OutputThatCannotBeCreated) {
  Write("in.csv", CsvRecord("20050550") + "\n");
  EXPECT_EQ(Convert("in.csv", "missing/out.csv"), kConvertFailed);
  EXPECT_EQ(message_, Path("missing/out.csv") + "\nläßt sich nicht erzeugen!");
  fs::create_directory(Path("sub"));
  EXPECT_EQ(Convert("in.csv", "sub"), kConvertFailed);
  EXPECT_EQ(message_, Path("sub") + "\nläßt sich nicht erzeugen!");
  EXPECT_TRUE(fs::is_directory(Path("sub")));
  EXPECT_EQ(Names(), (V{"in.csv", "sub"}));
}

TEST_F(ConvertFileTest, InputIsNeverItsOwnOutput) {
  const std::string input = CsvRecord("20050550") + "\n";
  Write("in.csv", input);
  fs::create_hard_link(Path("in.csv"), Path("link.csv"));
  fs::create_symlink(Path("in.csv"), Path("symlink.csv"));
  const std::string spellings[] = {Path("in.csv"), (folder_ / "." / "in.csv").string(),
                                   Path("link.csv"), Path("symlink.csv")};
  for (const std::string& output : spellings) {
    EXPECT_EQ(ConvertFile(Path("in.csv"), output, message_, options_), kConvertFailed) << output;
    EXPECT_EQ(message_, Path("in.csv") + "\nist zugleich Ein- und Ausgabedatei!");
  }
  EXPECT_EQ(Read("in.csv"), input);
  EXPECT_EQ(Names(), (V{"in.csv", "link.csv", "symlink.csv"}));

  // One of the group names may be the input, too.
  Write("res_GRP2.txt", input);
  options_.group = true;
  EXPECT_EQ(Convert("res_GRP2.txt", "res.txt"), kConvertFailed);
  EXPECT_EQ(message_, Path("res_GRP2.txt") + "\nist zugleich Ein- und Ausgabedatei!");
  EXPECT_EQ(Read("res_GRP2.txt"), input);
}

TEST_F(ConvertFileTest, GroupedRun) {
  options_.group = true;
  for (const char* stale : {"res_GRP0.txt", "res_GRP1.txt", "res_GRP7.txt"}) Write(stale, "alt");
  // 10020890 belongs to group 2, 20050550 and 20050550 to group 5; group 0
  // receives nothing and is not kept.
  Write("in.csv",
        CsvRecord("10020890") + "\n" + CsvRecord("20050550") + "\n" + CsvRecord("20050550") + "\n");
  ASSERT_EQ(Convert("in.csv", "res.txt"), kConvertSucceeded) << message_;
  EXPECT_EQ(message_,
            Path("res_GRP2.txt") + "\n" + Path("res_GRP5.txt") + "\nerfolgreich erzeugt.");
  EXPECT_EQ(Names(), (V{"in.csv", "res_GRP2.txt", "res_GRP5.txt"}));
  EXPECT_EQ(Read("res_GRP5.txt"), CsvHaspaOutput() + CsvHaspaOutput());
}

TEST_F(ConvertFileTest, FailedGroupedRunKeepsTheGroupFilesOfAnEarlierRun) {
  options_.group = true;
  // The run writes group 2 before it stops; groups 0, 2 and 3 are earlier results.
  for (const char* stale : {"res_GRP0.txt", "res_GRP2.txt", "res_GRP3.txt"}) Write(stale, "alt");
  Write("in.csv", CsvRecord("10020890") + "\n" + CsvRecord("200505501") + "\n");
  EXPECT_EQ(Convert("in.csv", "res.txt"), kConvertFailed);
  EXPECT_EQ(message_, "Fehler beim Erzeugen der Dateien zu:\n" + Path("res") +
                          "\nDie Eingangsdatei hat einen fehlerhaften Aufbau");
  EXPECT_EQ(Names(), (V{"in.csv", "res_GRP0.txt", "res_GRP2.txt", "res_GRP3.txt"}));
  for (const char* stale : {"res_GRP0.txt", "res_GRP2.txt", "res_GRP3.txt"}) {
    EXPECT_EQ(Read(stale), "alt") << stale;
  }
}

class FakeQuestion final : public SaveFileQuestion {
 public:
  explicit FakeQuestion(std::optional<std::string> answer) : answer_(std::move(answer)) {}
  std::optional<std::string> AskOutputPath(const std::string& initialFolder) override {
    askedWith = initialFolder;
    ++asked;
    return answer_;
  }
  std::string askedWith;
  int asked = 0;

 private:
  std::optional<std::string> answer_;
};

// Changes the input while the run waits for the output name, that is after
// the first bytes were read to recognise the format.
class ChangingQuestion final : public SaveFileQuestion {
 public:
  ChangingQuestion(std::string output, std::function<void()> change)
      : output_(std::move(output)), change_(std::move(change)) {}
  std::optional<std::string> AskOutputPath(const std::string&) override {
    change_();
    return output_;
  }

 private:
  std::string output_;
  std::function<void()> change_;
};

TEST_F(ConvertFileTest, AnInputThatChangesWhileItIsReadGivesNoOutput) {
  std::string csv;
  for (int i = 0; i < 3000; ++i) csv += CsvRecord("20050550") + "\n";
  const std::size_t half = csv.size() / 2 - (csv.size() / 2) % (CsvRecord("20050550").size() + 1);
  struct Case {
    const char* input;
    std::string bytes;
    std::function<void(const fs::path&)> change;
    std::string message;
  };
  const std::string cannotRead = "\nkann nicht gelesen werden!";
  // Compressed data that cannot all be read ahead before the change:
  // 2.7 MB decompressed from about 400 KB, of which the decompression reads
  // no more than 768 KB (some 120 KB compressed) ahead of the conversion.
  // A file read to its end before the change would be converted as it was,
  // rightly.
  std::string varied;
  std::uint64_t seed = 1;
  for (int i = 0; i < 60000; ++i) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    varied += CsvRecord("20050550", std::to_string(1000000000 + seed % 8999999999u)) + "\n";
  }
  const Case cases[] = {
      // Truncated on a record boundary: what is left looks like a sound file.
      {"in.csv", csv, [&](const fs::path& p) { fs::resize_file(p, half); }, cannotRead},
      {"in.csv", csv, [&](const fs::path& p) { test_support::WriteFile(p, csv + csv); },
       cannotRead},
      {"in.gz", Gzip(varied), [&](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); },
       cannotRead},
  };
  for (const Case& c : cases) {
    Write("out.csv", "alt");
    Write(c.input, c.bytes);
    ChangingQuestion question(Path("out.csv"), [&] { c.change(Path(c.input)); });
    options_.saveQuestion = &question;
    EXPECT_EQ(Convert(c.input, ""), kConvertFailed) << c.input;
    EXPECT_EQ(message_, Path(c.input) + c.message);
    EXPECT_EQ(Read("out.csv"), "alt");
    EXPECT_EQ(Names(), (V{c.input, "out.csv"}));
    fs::remove(Path(c.input));
  }
}

TEST_F(ConvertFileTest, AFormatIniThatIsNoFileStopsTheRun) {
  Write("in.csv", CsvRecord("20050550") + "\n");
  fs::create_directory(Path("FORMAT.INI"));
  options_.formatIni = Path("FORMAT.INI");
  EXPECT_EQ(Convert("in.csv", "out.csv"), kConvertFailed);
  EXPECT_EQ(message_, "Fehler beim Erzeugen von:\n" + Path("out.csv") + "\n" + Path("FORMAT.INI") +
                          "\nkann nicht gelesen werden!");
  EXPECT_EQ(Names(), (V{"FORMAT.INI", "in.csv"}));
  // A missing one gives the built-in layout.
  options_.formatIni = Path("missing/FORMAT.INI");
  EXPECT_EQ(Convert("in.csv", "out.csv"), kConvertSucceeded) << message_;
}

TEST_F(ConvertFileTest, ControlCharactersInNamesAreShownEscaped) {
  Write("in\x1b[2J.csv", CsvRecord("20050550") + "\n");
  Write("short\n.txt", "DE;12345");
  struct Case {
    std::string input;
    std::string output;
    std::string message;
  };
  // clang-format off
  const Case cases[] = {
      {"missing\t.csv", "out.csv", Path("missing\\t.csv") + "\nkann nicht geöffnet werden!"},
      {"short\n.txt", "out.csv", Path("short\\n.txt") + "\nhat ein unbekanntes Format!"},
      {"in\x1b[2J.csv", "no\rfolder/out.csv",
       Path("no\\rfolder/out.csv") + "\nläßt sich nicht erzeugen!"},
      {"in\x1b[2J.csv", "o\x7Fut.csv", Path("o\\x7Fut.csv") + "\nerfolgreich erzeugt."},
  };
  // clang-format on
  for (const Case& c : cases) {
    Convert(c.input, c.output);
    EXPECT_EQ(message_, c.message) << c.input;
  }
}

TEST_F(ConvertFileTest, AnEmptyOutputPathIsAskedFor) {
  Write("in.csv", CsvRecord("20050550") + "\n");
  options_.initialFolder = "/srv/ausgabe";
  FakeQuestion cancel(std::nullopt);
  options_.saveQuestion = &cancel;
  message_ = "vorher";
  EXPECT_EQ(Convert("in.csv", ""), kConvertCancelled);
  EXPECT_EQ(message_, "");
  EXPECT_EQ(cancel.askedWith, "/srv/ausgabe");

  FakeQuestion choose(Path("chosen.csv"));
  options_.saveQuestion = &choose;
  EXPECT_EQ(Convert("in.csv", ""), kConvertSucceeded);
  EXPECT_EQ(Read("chosen.csv"), CsvHaspaOutput());

  // A path given is never asked for.
  EXPECT_EQ(Convert("in.csv", "given.csv"), kConvertSucceeded);
  EXPECT_EQ(choose.asked, 1);

  // Without anyone to ask, an empty path cannot be created.
  options_.saveQuestion = nullptr;
  EXPECT_EQ(Convert("in.csv", ""), kConvertFailed);
  EXPECT_EQ(message_, "\nläßt sich nicht erzeugen!");
}

TEST_F(ConvertFileTest, DefaultOptionsComeFromTheUserSettings) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  fs::create_directories(folder_ / "Korvane");
  Write("Korvane/Talvenor.ini", "[SETTINGS]\nGROUP=1\nPATH=/srv/ausgabe\n");
  const BatchOptions grouped = DefaultBatchOptions(editions::BuiltinDirectory());
  Write("Korvane/Talvenor.ini", "[SETTINGS]\nGROUP=0\n");
  const BatchOptions single = DefaultBatchOptions(editions::BuiltinDirectory());
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_TRUE(grouped.group);
  EXPECT_EQ(grouped.initialFolder, "/srv/ausgabe");
  EXPECT_EQ(grouped.directory, &editions::BuiltinDirectory());
  EXPECT_EQ(grouped.formatIni.filename(), "FORMAT.INI");
  EXPECT_FALSE(single.group);
  EXPECT_EQ(single.initialFolder, "");
}

}  // namespace
}  // namespace talvenor::batch
