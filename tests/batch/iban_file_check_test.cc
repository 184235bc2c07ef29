// Checking whole files of IBANs in a temporary folder: lists and tables,
// gzip input, quoting, the header, failures anywhere in the input that
// leave nothing behind, and the same output on any number of threads.
#include "batch/iban_file_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/iban.h"
#include "editions/builtin_directory.h"
#include "support/test_files.h"

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

constexpr std::string_view kHeaderEnd =
    "Bankleitzahl;Kontonummer;Bankname;BIC;Ergebnis;Ergebniscode\n";

// Rows of known IBANs: formed by rule 0007 from 37050198 and 8888; the
// account the IBAN carries instead; a valid Austrian IBAN.
const std::string kPlausible = "DE42370501981901335750";
const std::string kPlausibleRow =
    ";37050198;1901335750;Sparkasse K\xC3\xB6lnBonn;COLSDE33XXX;IBAN plausibel.;80\n";
const std::string kInconsistent = "DE52370501980000008888";
const std::string kInconsistentRow =
    ";37050198;0000008888;Sparkasse K\xC3\xB6lnBonn;COLSDE33XXX;Die IBAN-Regel der Bank bildet "
    "aus Bankleitzahl und Kontonummer eine andere IBAN: DE42 3705 0198 1901 3357 50.;87\n";
const std::string kAustrian = "AT611904300234573201";
const std::string kAustrianRow =
    ";;;;;\"Die IBAN aus AT ist gültig aufgebaut, ist aber keine deutsche; Bank und Kontonummer "
    "werden nicht geprüft.\";81\n";
const std::string kEmptyRow = ";;;;;Keine IBAN: Die Eingabe ist leer.;82\n";

class IbanFileCheckTest : public testing::Test {
 protected:
  IbanFileCheckTest() {
    std::string pattern = (fs::temp_directory_path() / "talvenor-ibanfile-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    options_.directory = &editions::BuiltinDirectory();
  }
  ~IbanFileCheckTest() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    test_support::WriteFile(Path(name), bytes);
  }
  std::string Read(const std::string& name) const { return test_support::ReadFile(Path(name)); }
  V Names() const { return test_support::FileNames(folder_); }
  bool Check(const std::string& input, const std::string& output) {
    return CheckIbanFile(Path(input), Path(output), options_, message_, &summary_);
  }
  // Checks `input` into "out.csv", which held "alt" before: the run must
  // fail and leave the folder as it was.
  void ExpectFailureLeavesAll(const std::string& input, std::string_view messagePart) {
    Write("out.csv", "alt");
    const V before = Names();
    EXPECT_FALSE(Check(input, "out.csv"));
    EXPECT_NE(message_.find(messagePart), std::string::npos) << message_;
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(Read("out.csv"), "alt");
  }

  fs::path folder_;
  IbanFileOptions options_;
  std::string message_;
  IbanFileSummary summary_;
};

TEST_F(IbanFileCheckTest, ListOfIbansOneALine) {
  // Line ends of both kinds, an empty line, the paper form, a last line
  // without its end, and a line that must be quoted.
  Write("in.txt", kPlausible + "\r\n" + kInconsistent + "\n\n" + kAustrian +
                      "\nde42 3705 0198 1901 3357 50\nDE\"42;");
  ASSERT_TRUE(Check("in.txt", "out.csv")) << message_;
  EXPECT_EQ(Read("out.csv"),
            "IBAN;" + std::string(kHeaderEnd) + kPlausible + kPlausibleRow + kInconsistent +
                kInconsistentRow + kEmptyRow + kAustrian + kAustrianRow +
                "de42 3705 0198 1901 3357 50" + kPlausibleRow +
                "\"DE\"\"42;\";;;;;Keine IBAN: Eine IBAN besteht nur aus Buchstaben und "
                "Ziffern.;82\n");
  EXPECT_EQ(summary_.lines, 6u);
  EXPECT_EQ(summary_.plausible, 2u);
  EXPECT_EQ(Names(), (V{"in.txt", "out.csv"}));

  // An empty list gives the header alone.
  Write("empty.txt", "");
  ASSERT_TRUE(Check("empty.txt", "out.csv")) << message_;
  EXPECT_EQ(Read("out.csv"), "IBAN;" + std::string(kHeaderEnd));
}

TEST_F(IbanFileCheckTest, TableWithAColumnOfIbans) {
  options_.column = "IBAN";
  // A byte order mark before the header; quoted fields with ";", doubled
  // quotes and a quoted IBAN; fields around the IBAN kept.
  Write("in.csv",
        "\xEF\xBB\xBF"
        "Name;IBAN;\"Betrag\"\r\n"
        "\"M\xC3\xBCller; Hans\";" +
            kPlausible +
            ";12,50\n"
            "\"Der \"\"Kunde\"\"\";\"" +
            kInconsistent +
            "\";\n"
            "ab\"c;;x\n");
  ASSERT_TRUE(Check("in.csv", "out.csv")) << message_;
  EXPECT_EQ(Read("out.csv"), "Name;IBAN;Betrag;" + std::string(kHeaderEnd) +
                                 "\"M\xC3\xBCller; Hans\";" + kPlausible + ";12,50" +
                                 kPlausibleRow + "\"Der \"\"Kunde\"\"\";" + kInconsistent + ";" +
                                 kInconsistentRow + "\"ab\"\"c\";;x" + kEmptyRow);
  EXPECT_EQ(summary_.lines, 3u);
}

TEST_F(IbanFileCheckTest, TheColumnMustBeThereOnce) {
  options_.column = "IBAN";
  Write("other.csv", "Name;Konto\nA;" + kPlausible + "\n");
  ExpectFailureLeavesAll("other.csv", "hat keine Spalte „IBAN“; sie hat „Name“, „Konto“.");
  Write("twice.csv", "IBAN;IBAN\n" + kPlausible + ";" + kPlausible + "\n");
  ExpectFailureLeavesAll("twice.csv", "hat mehr als eine Spalte „IBAN“.");
  Write("empty.csv", "");
  ExpectFailureLeavesAll("empty.csv", "ist leer: die Kopfzeile mit der Spalte „IBAN“ fehlt.");
}

TEST_F(IbanFileCheckTest, GzipInputGivesTheSameOutput) {
  std::string list;
  for (int i = 0; i < 5000; ++i) list += (i % 3 == 0 ? kInconsistent : kPlausible) + "\n";
  Write("in.txt", list);
  Write("in.gz", test_support::Deflate(list));
  ASSERT_TRUE(Check("in.txt", "plain.csv")) << message_;
  ASSERT_TRUE(Check("in.gz", "gzip.csv")) << message_;
  EXPECT_EQ(Read("gzip.csv"), Read("plain.csv"));
  EXPECT_EQ(summary_.lines, 5000u);
}

// Lines of `count` IBANs, with `bad` as line `badLine` (from 1) when given.
std::string ManyLines(int count, int badLine = 0, const std::string& bad = "") {
  std::string lines;
  for (int i = 1; i <= count; ++i) {
    if (i == badLine) {
      lines += bad;
    } else {
      lines += FormIban(i % 2 == 0 ? "37050198" : "10040000", std::to_string(i * 7919));
    }
    lines += '\n';
  }
  return lines;
}

TEST_F(IbanFileCheckTest, AFailureAnywhereLeavesNothingBehind) {
  options_.chunkLines = 100;
  options_.threads = 2;
  const std::string longLine(4000, '1');
  struct Case {
    const char* what;
    std::string input;
    std::string message;
  };
  // clang-format off
  const Case cases[] = {
      {"NUL", ManyLines(3000, 2500, std::string("DE42\0", 5)),
       "Zeile 2500: enthält ein NUL-Zeichen."},
      {"not UTF-8", ManyLines(3000, 2500, "M\xFCller"),
       "Zeile 2500: ist nicht in UTF-8 geschrieben."},
      {"too long", ManyLines(3000, 2999, longLine), "Zeile 2999: die Zeile ist zu lang"},
      {"stray CR", ManyLines(3000, 1, "DE42\rDE43"), "Zeile 1: die Zeile ist zu lang"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write("in.txt", c.input);
    ExpectFailureLeavesAll("in.txt", c.message);
  }
  // A table line with a field too many or too few, or a quote not closed.
  options_.column = "IBAN";
  for (const auto& [line, message] :
       {std::pair<std::string, std::string>{"a;b;c",
                                            "Zeile 2001: hat 3 Felder, die Kopfzeile hat 2."},
        {"a", "Zeile 2001: hat 1 Feld, die Kopfzeile hat 2."},
        {"\"a;b", "Zeile 2001: ein Feld in Anführungszeichen ist nicht richtig abgeschlossen."},
        {"\"a\"b;c",
         "Zeile 2001: ein Feld in Anführungszeichen ist nicht richtig abgeschlossen."}}) {
    SCOPED_TRACE(line);
    std::string table = "Name;IBAN\n";
    for (int i = 2; i <= 3000; ++i) table += (i == 2001 ? line : "x;" + kPlausible) + "\n";
    Write("in.csv", table);
    ExpectFailureLeavesAll("in.csv", message);
  }
}

TEST_F(IbanFileCheckTest, DamagedGzipFoundLateLeavesNothingBehind) {
  options_.threads = 2;
  const std::string sound = test_support::Deflate(ManyLines(20000));
  std::string badCrc = sound;
  badCrc[badCrc.size() - 8] ^= 0x55;  // the trailer's CRC-32, found only at the end
  Write("crc.gz", badCrc);
  ExpectFailureLeavesAll("crc.gz", "Datei konnte nicht dekomprimiert werden!");
  Write("cut.gz", sound.substr(0, sound.size() - 20));
  ExpectFailureLeavesAll("cut.gz", "Datei konnte nicht dekomprimiert werden!");
}

// Writes fail once this many bytes are written (a full disk).
std::size_t bytesLeft = 0;
ssize_t WriteUntilFull(int descriptor, const void* bytes, std::size_t size) {
  if (size > bytesLeft) {
    errno = ENOSPC;
    return -1;
  }
  bytesLeft -= size;
  return ::write(descriptor, bytes, size);
}
const FileCalls kFillingCalls{WriteUntilFull, ::fsync, ::close};

TEST_F(IbanFileCheckTest, AFailedWriteLeavesNothingBehind) {
  Write("in.txt", ManyLines(20000));
  options_.fileCalls = &kFillingCalls;
  for (const std::size_t room : {std::size_t{0}, std::size_t{100000}, std::size_t{1000000}}) {
    SCOPED_TRACE(room);
    bytesLeft = room;
    ExpectFailureLeavesAll("in.txt", "Fehler beim Schreiben!");
  }
}

TEST_F(IbanFileCheckTest, InputAndOutputThatCannotBeUsed) {
  ExpectFailureLeavesAll("missing.txt", "kann nicht geöffnet werden!");
  Write("in.txt", kPlausible + "\n");
  EXPECT_FALSE(Check("in.txt", "in.txt"));
  EXPECT_EQ(message_, Path("in.txt") + "\nist zugleich Ein- und Ausgabedatei!");
  EXPECT_EQ(Read("in.txt"), kPlausible + "\n");
  EXPECT_FALSE(Check("in.txt", "missing/out.csv"));
  EXPECT_EQ(message_, Path("missing/out.csv") + "\nläßt sich nicht erzeugen!");
  EXPECT_EQ(Names(), (V{"in.txt", "out.csv"}));
  EXPECT_EQ(Read("out.csv"), "alt");
}

TEST_F(IbanFileCheckTest, AnyNumberOfThreadsGivesTheSameOutput) {
  // IBANs of every bank of the directory with several accounts: every
  // step's outcome, in chunks of odd sizes.
  std::string list;
  int n = 0;
  for (const auto& record : editions::BuiltinDirectory().records()) {
    for (const char* account : {"1234567897", "8888", "0"}) {
      std::string iban = FormIban(record.bankCodeText(), account);
      if (++n % 5 == 0) iban[3] = iban[3] == '9' ? '0' : static_cast<char>(iban[3] + 1);
      list += iban + "\n";
    }
  }
  Write("in.txt", list);
  options_.threads = 1;
  ASSERT_TRUE(Check("in.txt", "one.csv")) << message_;
  const std::string expected = Read("one.csv");
  const IbanFileSummary one = summary_;
  EXPECT_EQ(one.lines, static_cast<std::size_t>(n));
  for (const int threads : {2, 3, 8}) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{37}, std::size_t{0}}) {
      SCOPED_TRACE(std::to_string(threads) + " threads, chunks of " + std::to_string(chunk));
      options_.threads = threads;
      options_.chunkLines = chunk;
      ASSERT_TRUE(Check("in.txt", "many.csv")) << message_;
      EXPECT_EQ(Read("many.csv"), expected);
      EXPECT_EQ(summary_.plausible, one.plausible);
    }
  }
  // The first failure in input order is the one reported, however far
  // other threads got.
  Write("bad.txt", ManyLines(5000, 1234, "x\xFF") + ManyLines(10, 3, std::string(1, '\0')));
  for (const int threads : {1, 2, 8}) {
    options_.threads = threads;
    options_.chunkLines = 10;
    EXPECT_FALSE(Check("bad.txt", "many.csv"));
    EXPECT_NE(message_.find("Zeile 1234: ist nicht in UTF-8"), std::string::npos) << message_;
  }
}

}  // namespace
}  // namespace talvenor::batch
