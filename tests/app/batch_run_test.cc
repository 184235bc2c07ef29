// Batch runs of the built program on real files: `talvenor INPUT OUTPUT`
// converts without any window. The program is copied into a temporary
// folder so that the FORMAT.INI beside it is the test's own, and runs with
// its per-user settings in that folder and at a date within the data set's
// validity (faketime).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/faketime.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

std::string ProgramUnderTest() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

bool HaveCommand(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

struct Outcome {
  int status = -1;
  std::string err;  // what the program wrote to stderr
};

class BatchRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "talvenor-e2e-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(root_ / "bin");
    fs::copy_file(ProgramUnderTest(), root_ / "bin" / "talvenor");
  }
  static void TearDownTestSuite() { fs::remove_all(root_); }

  void SetUp() override {
    const std::string unavailable = talvenor::test_support::FaketimeUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    work_ = root_ / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(work_ / "config" / "Korvane");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(work_, ignored);
    fs::remove(root_ / "bin" / "FORMAT.INI", ignored);
  }

  std::string Path(const std::string& name) const { return (work_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    talvenor::test_support::WriteFile(Path(name), bytes);
  }
  std::string Read(const std::string& name) const {
    return talvenor::test_support::ReadFile(Path(name));
  }
  std::vector<std::string> Names() const {
    return talvenor::test_support::FileNames(work_, "config");
  }
  void Settings(const std::string& text) const { Write("config/Korvane/Talvenor.ini", text); }
  static void FormatIni(const std::string& text) {
    std::ofstream(root_ / "bin" / "FORMAT.INI", std::ios::binary) << text;
  }

  // Runs the program with `arguments` (already shell-quoted), after the
  // shell commands `prefix`; returns the exit status and stderr.
  Outcome Run(const std::string& arguments, const std::string& prefix = "") const {
    const std::string command =
        "cd '" + work_.string() + "' && " + prefix + " XDG_CONFIG_HOME='" +
        (work_ / "config").string() + "' exec faketime '2024-05-01 12:00:00' '" +
        (root_ / "bin" / "talvenor").string() + "' " + arguments + " 2>&1 >/dev/null";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
      outcome.err.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
  }

  static inline fs::path root_;
  fs::path work_;
};

using V = std::vector<std::string>;

// Haspa 20050550: method 00 passes 1234567897 (digits 1-9 weighted 2,1,...
// from the right with cross sums give 43, check digit 7), standard rule,
// BIC HASPDEHHXXX: result 00. IBAN: N = 20050550 * 10^16 + 1234567897 *
// 10^6 + 131400, N mod 97 = 59, check digits 98 - 59 = 39.
const std::string kHaspaIban = "DE39200505501234567897";

std::string FixedRecord(const std::string& bank, const std::string& account) {
  return "DE" + std::string(50, ' ') + bank + account + std::string(75, ' ');
}
std::string CsvRecord(const std::string& bank, const std::string& account = "1234567897") {
  return "\"DE\";\"Kunde\";\"Ref\";;;" + bank + ";" + account + ";;;;;";
}
const std::string kCsvHaspaOutput =
    "\"DE\";\"Kunde\";\"Ref\";;;20050550;1234567897;;\"HASPDEHHXXX\";\"" + kHaspaIban +
    "\";;00\r\n";

TEST_F(BatchRun, FixedLengthFile) {
  // 99999999 is no bank code: result 10, fields unchanged.
  Write("IBANHIN.txt",
        FixedRecord("20050550", "1234567897") + "\r\n" + FixedRecord("99999999", "0000000001"));
  const Outcome outcome = Run("IBANHIN.txt IBANRUECK.txt");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(Read("IBANRUECK.txt"),
            "DE" + std::string(50, ' ') + "20050550" + "1234567897" + std::string(20, ' ') +
                "HASPDEHHXXX" + kHaspaIban + std::string(20, ' ') + "00\r\n" +
                FixedRecord("99999999", "0000000001").substr(0, 143) + "10\r\n");
}

TEST_F(BatchRun, SeparatedFile) {
  Write("in.csv", CsvRecord("20050550") + "\n" + CsvRecord("20050550", "0000000000") + "\n");
  const Outcome outcome = Run("in.csv out.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Read("out.csv"),
            kCsvHaspaOutput + "\"DE\";\"Kunde\";\"Ref\";;;20050550;0000000000;;;;;11\r\n");
}

TEST_F(BatchRun, GzipFile) {
  if (!HaveCommand("gzip")) GTEST_SKIP() << "gzip is not installed";
  std::string csv;
  for (int i = 0; i < 2000; ++i) csv += CsvRecord("20050550") + "\n";
  Write("in.csv", csv);
  ASSERT_EQ(std::system(("gzip -9 -c '" + Path("in.csv") + "' > '" + Path("in.gz") + "'").c_str()),
            0);
  const Outcome outcome = Run("in.gz out.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  std::string expected;
  for (int i = 0; i < 2000; ++i) expected += kCsvHaspaOutput;
  EXPECT_EQ(Read("out.csv"), expected);

  // A damaged trailer is noticed only at the end of the data; nothing is
  // written all the same.
  std::string damaged = Read("in.gz");
  damaged[damaged.size() - 6] ^= 0x01;
  Write("bad.gz", damaged);
  const Outcome bad = Run("bad.gz bad.csv");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "Datei konnte nicht dekomprimiert werden!\n");
  EXPECT_EQ(Names(), (V{"bad.gz", "in.csv", "in.gz", "out.csv"}));
}

// Any number of converting threads gives the same files and messages; a
// count outside 1 to 256 is a usage error, and nothing is converted.
TEST_F(BatchRun, ThreadsChangeNothingButTheSpeed) {
  Settings("[SETTINGS]\nGROUP=1\n");
  const std::string banks[] = {"20050550", "10020890", "99999999", "37050198", "12030000"};
  std::string csv;
  for (int i = 0; i < 5000; ++i) {
    csv += CsvRecord(banks[i % 5], i % 9 == 4 ? "0000000000" : "1234567897") + "\n";
  }
  Write("in.csv", csv);
  ASSERT_EQ(Run("--threads 1 in.csv one.txt").status, 0);
  const V groups = {"one_GRP2.txt", "one_GRP3.txt", "one_GRP5.txt", "one_GRP9.txt"};
  for (const char* threads : {"2", "3", "16"}) {
    const Outcome outcome = Run(std::string("--threads ") + threads + " in.csv many.txt");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const std::string& one : groups) {
      const std::string many = "many" + one.substr(3);
      EXPECT_EQ(Read(many), Read(one)) << many << " on " << threads << " threads";
    }
  }
  EXPECT_TRUE(Read("one_GRP5.txt").starts_with(kCsvHaspaOutput));

  Write("bad.csv", csv + "\n" + csv);
  for (const char* threads : {"1", "2"}) {
    const Outcome bad = Run(std::string("--threads ") + threads + " bad.csv bad.txt");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err,
              "Fehler beim Erzeugen der Dateien zu:\nbad\nDie Eingangsdatei hat einen fehlerhaften "
              "Aufbau\n");
  }
  for (const char* count : {"0", "257", "zwei"}) {
    const Outcome refused = Run(std::string("--threads ") + count + " in.csv refused.txt");
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(
        refused.err.starts_with("talvenor: --threads erwartet eine ganze Zahl von 1 bis "
                                "256: \"" +
                                std::string(count) + "\"\n"))
        << refused.err;
  }
  EXPECT_EQ(Names().size(), 2 + 2 * groups.size());  // the inputs and the groups of two runs
}

TEST_F(BatchRun, GroupedBySettings) {
  Settings("[SETTINGS]\nGROUP=1\n");
  Write("res_GRP7.txt", "von einem frueheren Lauf");
  Write("in.csv", CsvRecord("10020890") + "\n" + CsvRecord("20050550") + "\n");
  const Outcome outcome = Run("in.csv res.txt");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Names(), (V{"in.csv", "res_GRP2.txt", "res_GRP5.txt"}));
  EXPECT_EQ(Read("res_GRP5.txt"), kCsvHaspaOutput);
  EXPECT_NE(Read("res_GRP2.txt").find(";10020890;1234567897;"), std::string::npos);
}

TEST_F(BatchRun, FailureMessages) {
  Write("short.txt", "DE;12345");
  Write("tab.txt", "\tDE;U;R;;;20050550;1234567897;;;;;\n");
  Write("malformed.csv", CsvRecord("20050550") + "\n\n" + CsvRecord("20050550") + "\n");
  Write("in.csv", CsvRecord("20050550") + "\n");
  struct Case {
    std::string arguments;
    std::string message;
  };
  // clang-format off
  const Case cases[] = {
      {"short.txt out.txt", "short.txt\nhat ein unbekanntes Format!"},
      {"tab.txt out.txt", "tab.txt\nhat ein unbekanntes Format!"},
      {"malformed.csv out.csv",
       "Fehler beim Erzeugen von:\nout.csv\nDie Eingangsdatei hat einen fehlerhaften Aufbau"},
      {"in.csv missing/out.csv", "missing/out.csv\nläßt sich nicht erzeugen!"},
      {"in.csv in.csv", "in.csv\nist zugleich Ein- und Ausgabedatei!"},
      {"in.csv ./in.csv", "in.csv\nist zugleich Ein- und Ausgabedatei!"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Outcome outcome = Run(c.arguments);
    EXPECT_EQ(outcome.status, 1) << c.arguments;
    EXPECT_EQ(outcome.err, c.message + "\n") << c.arguments;
  }
  EXPECT_EQ(Read("in.csv"), CsvRecord("20050550") + "\n");
  EXPECT_EQ(Names(), (V{"in.csv", "malformed.csv", "short.txt", "tab.txt"}));
}

TEST_F(BatchRun, SilentRunsSayNothing) {
  Write("malformed.csv", CsvRecord("20050550") + "\n\n");
  const Outcome outcome = Run("/S malformed.csv out.csv");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(Names(), (V{"malformed.csv"}));
}

TEST_F(BatchRun, UnreadableInput) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
  Write("in.csv", CsvRecord("20050550") + "\n");
  fs::permissions(Path("in.csv"), fs::perms::none);
  const Outcome outcome = Run("in.csv out.csv");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "in.csv\nkann nicht geöffnet werden!\n");
}

TEST_F(BatchRun, LayoutMessages) {
  Write("in.txt", FixedRecord("20050550", "1234567897") + "\n");
  FormatIni("[PARSER]\nUSEDEFAULT=0\n");
  Outcome outcome = Run("in.txt out.txt");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "Fehler beim Erzeugen von:\nout.txt\nDie Formatangaben sind nicht ausreichend!\n"
            "Es fehlen notwendige Felder!\n");
  // A fixed-length input whose first field is described as quoted.
  FormatIni(
      "[PARSER]\nUSEDEFAULT=0\nindexblz=2\nindexkto=3\n[FIELDS]\nANZ=3\n"
      "FIELD1=2,1,LKZ\nFIELD2=8,0\nFIELD3=10,0\n");
  outcome = Run("in.txt out.txt");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "Fehler beim Erzeugen von:\nout.txt\nDie Formatangaben sind nicht ausreichend!\n"
            "Das Format (CSV, Feste Satzlänge) ist nicht spezifiziert!\n");
  EXPECT_EQ(Names(), (V{"in.txt"}));
}

TEST_F(BatchRun, AFormatIniBesideTheProgramIsUsed) {
  // Account, bank code, name, new BIC (role 9), new IBAN (role 10); the
  // result code is appended.
  FormatIni(
      "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=1\nindexblz=2\nindexkto=1\n[FIELDS]\nANZ=5\n"
      "FIELD1=10,0,Kontonummer\nFIELD2=8,0,BLZ\nFIELD3=70,1,Name\nFIELD4=11,1,BIC,9\n"
      "FIELD5=22,1,IBAN,10\n");
  Write("in.csv", "1234567897;20050550;\"Erika Mustermann\";\"\";\"\"\n");
  const Outcome outcome = Run("in.csv out.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Read("out.csv"), "1234567897;20050550;\"Erika Mustermann\";\"HASPDEHHXXX\";\"" +
                                 kHaspaIban + "\";00\r\n");
}

TEST_F(BatchRun, WriteFailureKeepsTheEarlierOutput) {
  // A file size limit makes the disk "full" after a few KiB; the signal it
  // would raise is ignored, so write(2) fails instead.
  std::string csv;
  for (int i = 0; i < 2000; ++i) csv += CsvRecord("20050550") + "\n";
  Write("in.csv", csv);
  Write("out.csv", "alt");
  const Outcome outcome = Run("in.csv out.csv", "trap '' XFSZ; ulimit -f 16;");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Fehler beim Erzeugen von:\nout.csv\nFehler beim Schreiben!\n");
  EXPECT_EQ(Names(), (V{"in.csv", "out.csv"}));
  EXPECT_EQ(Read("out.csv"), "alt");
}

TEST_F(BatchRun, AnEmptyOutputNameIsAUsageError) {
  Write("in.csv", CsvRecord("20050550") + "\n");
  for (const char* arguments : {"in.csv ''", "missing.csv ''", "'' ''"}) {
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.status, 2) << arguments;
    EXPECT_EQ(outcome.err, "talvenor: the output file name is empty\n") << arguments;
  }
  EXPECT_EQ(Run("-s in.csv ''").err, "");
  EXPECT_EQ(Names(), (V{"in.csv"}));
}

TEST_F(BatchRun, RecordsSeparatedByCarriageReturnsAloneAreMalformed) {
  Write("in.csv", CsvRecord("20050550") + "\r" + CsvRecord("20050550") + "\r");
  Write("mixed.csv", CsvRecord("20050550") + "\r\n" + CsvRecord("20050550") + "\r" +
                         CsvRecord("20050550") + "\r\n");
  for (const char* input : {"in.csv", "mixed.csv"}) {
    const Outcome outcome = Run(std::string(input) + " out.csv");
    EXPECT_EQ(outcome.status, 1) << input;
    EXPECT_EQ(outcome.err,
              "Fehler beim Erzeugen von:\nout.csv\n"
              "Die Eingangsdatei hat einen fehlerhaften Aufbau\n");
  }
  EXPECT_EQ(Names(), (V{"in.csv", "mixed.csv"}));
}

TEST_F(BatchRun, SettingsThatAreNoFileGiveTheDefaultsAndOneWarning) {
  Write("in.csv", CsvRecord("20050550") + "\n");
  const std::string settings = Path("config/Korvane/Talvenor.ini");
  const std::string warning =
      "talvenor: " + settings + " cannot be read as a settings file; the default settings apply\n";
  fs::create_directory(settings);
  Outcome outcome = Run("in.csv out.csv");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, warning);
  EXPECT_EQ(Read("out.csv"), kCsvHaspaOutput);
  EXPECT_TRUE(fs::is_directory(settings));

  fs::remove(settings);
  ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
  outcome = Run("in.csv out2.csv");  // would wait for a writer if it opened the FIFO plainly
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, warning);
  EXPECT_TRUE(fs::is_fifo(settings));
}

// The preloaded library behind the faketime command, so that the program
// can be started (and signalled) as a process of its own.
std::string FaketimeLibrary() {
  for (const char* path :
       {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/faketime/libfaketime.so.1", "/usr/local/lib/faketime/libfaketime.so.1"}) {
    if (fs::exists(path)) return path;
  }
  return {};
}

TEST_F(BatchRun, InterruptedRunsLeaveNoTemporaryFile) {
  const std::string library = FaketimeLibrary();
  if (library.empty()) GTEST_SKIP() << "libfaketime not found";
  Write("out.csv", "alt");
  const std::string input = Path("in.csv");
  // A FIFO as input: the run reads what is written and then waits for more.
  std::string records;
  for (int i = 0; i < 200; ++i) records += CsvRecord("20050550") + "\n";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::chdir(work_.c_str()) != 0) ::_exit(120);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::setenv("XDG_CONFIG_HOME", (work_ / "config").c_str(), 1);
      ::setenv("LD_PRELOAD", library.c_str(), 1);
      ::setenv("FAKETIME", "@2024-05-01 12:00:00", 1);
      const std::string program = (root_ / "bin" / "talvenor").string();
      ::execl(program.c_str(), program.c_str(), "in.csv", "out.csv", static_cast<char*>(nullptr));
      ::_exit(121);
    }
    const int fifo = ::open(input.c_str(), O_WRONLY);  // waits until the run opens it
    ASSERT_GE(fifo, 0);
    ASSERT_EQ(::write(fifo, records.data(), records.size()), static_cast<ssize_t>(records.size()));
    // Wait for the run's temporary file; the run then waits for more input.
    bool temporary = false;
    for (int i = 0; i < 500 && !temporary; ++i) {
      for (const std::string& name : Names()) {
        temporary |= name.starts_with(".out.csv.talvenor-tmp-");
      }
      if (!temporary) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(temporary);
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(fifo);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    fs::remove(input);
    EXPECT_EQ(Names(), (V{"out.csv"}));
    EXPECT_EQ(Read("out.csv"), "alt");
  }
}

}  // namespace
