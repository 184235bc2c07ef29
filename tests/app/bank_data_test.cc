// Bank-data editions end to end: the built program installs, lists and
// uses editions in a user data folder of the test's own, at dates set with
// faketime.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "support/bank_files.h"
#include "support/faketime.h"
#include "support/https_test_server.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using talvenor::test_support::ReadFile;
using talvenor::test_support::WriteFile;

std::string Program() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

std::string Quoted(const fs::path& path) {
  std::string quoted(1, '\'');
  quoted.append(path.string()).append(1, '\'');
  return quoted;
}

const fs::path kPublic2026 = fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class BankDataRun : public testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty()) {
      GTEST_SKIP() << why;
    }
    std::string pattern = (fs::temp_directory_path() / "talvenor-bankdata-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    editions_ = root_ / "data" / "Korvane" / "Talvenor";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Runs the program at local time `moment` with `arguments` (shell-quoted)
  // after the shell commands `prefix`.
  Outcome Run(const std::string& moment, const std::string& arguments,
              const std::string& prefix = "") const {
    const fs::path err = root_ / "stderr.txt";
    const std::string command =
        prefix + " cd " + Quoted(root_) +
        " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM" +
        " XDG_DATA_HOME=" + Quoted(root_ / "data") + " XDG_DATA_DIRS=" + Quoted(root_ / "system") +
        " XDG_CONFIG_HOME=" + Quoted(root_ / "config") + " faketime '" + moment + "' " +
        Quoted(Program()) + " " + arguments + " 2>" + Quoted(err);
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
      outcome.out.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadFile(err);
    return outcome;
  }

  void InstallPublic2026() const {
    const Outcome installed =
        Run("2026-07-01 12:00:00", "--install-bank-data " + Quoted(kPublic2026));
    ASSERT_EQ(installed.status, 0) << installed.err;
  }

  // The names and contents of the installed editions.
  std::map<std::string, std::string> Installed() const {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(editions_, error), end; !error && it != end; ++it) {
      files[it->path().filename().string()] = std::to_string(fs::file_size(it->path()));
    }
    return files;
  }

  fs::path root_, editions_;
};

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST_F(BankDataRun, InstalledPublicEditionServesTodaysBanks) {
  const Outcome installed =
      Run("2026-07-01 12:00:00", "--install-bank-data " + Quoted(kPublic2026));
  ASSERT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(Contains(installed.out, "Gültig bis:      06.09.2026"));
  EXPECT_TRUE(fs::exists(editions_ / "blz_2026_06_08.txt"));

  const std::string july = "2026-07-01 12:00:00";
  // A bank that is new in this edition: the standard rule, said so.
  Outcome scalable = Run(july, "--iban 70022424 1234567897 --json");
  ASSERT_EQ(scalable.status, 0) << scalable.err;
  auto json = nlohmann::json::parse(scalable.out);
  EXPECT_EQ(json["bankName"], "Scalable Capital Bank");
  EXPECT_EQ(json["bic"], "SCABDEMMXXX");
  // 700224241234567897 with "DE00" as 131400: remainder 5, check digits 93.
  EXPECT_EQ(json["iban"], "DE93700224241234567897");
  EXPECT_EQ(json["standardRuleAssumed"], true);
  EXPECT_EQ(json["ruleOrigin"], "assumed");
  EXPECT_EQ(json["edition"]["validFrom"], "2026-06-08");
  EXPECT_EQ(json["edition"]["validUntil"], "2026-09-06");
  EXPECT_EQ(json["edition"]["expired"], false);
  EXPECT_EQ(json["edition"]["origin"], "installed");
  EXPECT_EQ(scalable.err, "");
  scalable = Run(july, "--iban 70022424 1234567897");
  EXPECT_TRUE(Contains(scalable.out, "die Standardregel wurde angenommen")) << scalable.out;

  // A bank code that is gone, and a bank that changed its method.
  const Outcome gone = Run(july, "--iban 20050000 1234567897");
  EXPECT_EQ(gone.status, 2);
  EXPECT_TRUE(Contains(gone.err, "Bitte geben Sie eine gültige Bankleitzahl ein!"));
  json = nlohmann::json::parse(Run(july, "--iban 33060592 1234567897 --json").out);
  EXPECT_EQ(json["checkMethod"], "09");
  EXPECT_EQ(json["ruleOrigin"], "inherited");
  EXPECT_EQ(json["edition"]["rulesFrom"], "2024-03-04");
}

TEST_F(BankDataRun, ValidityOfTheEditionInForceDecidesBatchRuns) {
  InstallPublic2026();
  const std::string sample =
      (fs::path(TALVENOR_TEST_DATA).parent_path().parent_path() / "examples" / "IBANHIN.txt")
          .string();
  struct Case {
    const char* moment;
    int status;
  };
  for (const Case& c : {Case{"2026-07-01 12:00:00", 0}, Case{"2026-09-06 23:59:00", 0},
                        Case{"2026-09-07 00:00:00", 3}, Case{"2026-09-21 00:00:00", 3}}) {
    SCOPED_TRACE(c.moment);
    fs::remove(root_ / "out.txt");
    const Outcome outcome = Run(c.moment, Quoted(sample) + " out.txt");
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_EQ(fs::exists(root_ / "out.txt"), c.status == 0);
    if (c.status == 3) {
      EXPECT_TRUE(Contains(outcome.err, "nur bis zum 06.09.2026 gültig!")) << outcome.err;
    }
  }
  // Single accounts are still answered on expired data, with a warning.
  const Outcome late = Run("2026-09-21 00:00:00", "--iban 37050198 1234567897 --json");
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(nlohmann::json::parse(late.out)["edition"]["expired"], true);
  EXPECT_EQ(late.err,
            "talvenor: Die Daten dieser Applikation waren nur bis zum 06.09.2026 gültig!\n");
}

TEST_F(BankDataRun, BatchRunCountsRecordsUnderAnAssumedRule) {
  InstallPublic2026();
  WriteFile(root_ / "in.csv",
            "DE;;;;;70022424;1234567897;;;;;\nDE;;;;;70022424;12345;;;;;\n"
            "DE;;;;;37050198;1234567897;;;;;\n");
  const Outcome outcome = Run("2026-07-01 12:00:00", "in.csv out.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(
      Contains(ReadFile(root_ / "out.csv"), "\"SCABDEMMXXX\";\"DE93700224241234567897\";;00"));
  EXPECT_EQ(outcome.err,
            "talvenor: 2 Datensätze haben Bankleitzahlen ohne bekannte IBAN-Regel; umgerechnet "
            "wurde nach der Standardregel.\n");
  EXPECT_EQ(Run("2026-07-01 12:00:00", "/S in.csv out.csv").err, "");
}

TEST_F(BankDataRun, OneRunWithAGivenFileAndItsOwnRuleNumbers) {
  // An extended file: the built-in one with 37050198 moved to rule 0000.
  const std::string builtin = ReadFile(fs::path(TALVENOR_TEST_DATA).parent_path().parent_path() /
                                       "data" / "blz_2024_03_04.txt");
  WriteFile(root_ / "extended.txt",
            talvenor::test_support::WithField(builtin, "37050198",
                                              talvenor::test_support::kRuleColumn, "000000"));
  const Outcome outcome = Run("2026-07-01 12:00:00",
                              "--iban 37050198 1234567897 --json --bank-data extended.txt "
                              "--valid-from 2026-06-08");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto json = nlohmann::json::parse(outcome.out);
  EXPECT_EQ(json["ruleNumber"], 0);
  EXPECT_EQ(json["ruleOrigin"], "edition");
  EXPECT_EQ(json["edition"]["origin"], "file");
  EXPECT_EQ(json["edition"]["lineWidth"], 174);
  // Nothing was installed by it.
  EXPECT_FALSE(fs::exists(editions_));
  // Without a date the file cannot be used.
  const Outcome undated = Run("2026-07-01 12:00:00", "--iban 37050198 1 --bank-data extended.txt");
  EXPECT_EQ(undated.status, 2);
  EXPECT_TRUE(Contains(undated.err, "--valid-from"));
}

TEST_F(BankDataRun, RefusedInstallsChangeNothingAndExitWithTwo) {
  InstallPublic2026();
  const auto before = Installed();
  WriteFile(root_ / "blz_2026_09_07.txt", ReadFile(kPublic2026).substr(0, 5000));
  ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
  struct Case {
    std::string arguments;
    const char* expected;
    std::string prefix;
  };
  // clang-format off
  const Case cases[] = {
      {"--install-bank-data blz_2026_09_07.txt", "ist keine gültige Bankleitzahlendatei", ""},
      {"--install-bank-data " + Quoted(root_), "ist keine gewöhnliche Datei", ""},
      {"--install-bank-data fifo --valid-from 2026-09-07", "ist keine gewöhnliche Datei", ""},
      {"--install-bank-data missing.txt --valid-from 2026-09-07", "ist nicht vorhanden", ""},
      {"--install-bank-data " + Quoted(kPublic2026) + " --valid-from 7.9.2026", "kein gültiges Datum", ""},
      {"--install-bank-data", "needs a value", ""},
      // A full disk, as a file size limit makes it.
      {"--install-bank-data " + Quoted(kPublic2026) + " --valid-from 2026-09-07", "Datei zu groß",
       "ulimit -f 200;"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome outcome = Run("2026-07-01 12:00:00", c.arguments, c.prefix);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(Contains(outcome.err, c.expected)) << outcome.err;
    EXPECT_EQ(Installed(), before);
  }
}

// The central bank announces new check-digit methods months ahead; a bank
// that uses one this program does not know yet is listed at install and
// its accounts are called not checkable, never invalid.
TEST_F(BankDataRun, MethodTheProgramDoesNotHandleIsReportedNotFailed) {
  WriteFile(root_ / "blz_2026_06_08.txt",
            talvenor::test_support::WithField(ReadFile(kPublic2026), "37050198",
                                              talvenor::test_support::kMethodColumn, "F1"));
  const Outcome installed = Run("2026-07-01 12:00:00", "--install-bank-data blz_2026_06_08.txt");
  ASSERT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(Contains(installed.out,
                       "Prüfzifferberechnungsmethode von Talvenor nicht unterstützt, Kontonummern "
                       "werden nicht geprüft (1 Bankleitzahlen):\n    37050198  Methode F1  "
                       "Sparkasse KölnBonn\n"))
      << installed.out;

  // 1234567890 fails method 00, the bank's former one; unchecked it is not
  // called invalid. 370501981234567890 with "DE00": remainder 5, 98 - 5 = 93.
  const auto json =
      nlohmann::json::parse(Run("2026-07-01 12:00:00", "--iban 37050198 1234567890 --json").out);
  EXPECT_EQ(json["verdict"], "Kontonummer nicht prüfbar.");
  EXPECT_EQ(json["accountChecked"], false);
  EXPECT_EQ(json["resultCode"], 0);
  EXPECT_EQ(json["iban"], "DE93370501981234567890");

  WriteFile(root_ / "in.csv", "DE;;;;;37050198;1234567890;;;;;\n");
  const Outcome batch = Run("2026-07-01 12:00:00", "in.csv out.csv");
  EXPECT_EQ(batch.status, 0);
  EXPECT_TRUE(Contains(batch.err,
                       "1 Datensatz gehört zu einer Bank, deren "
                       "Prüfzifferberechnungsmethode Talvenor nicht unterstützt"))
      << batch.err;
}

TEST_F(BankDataRun, ListShowsEveryEditionAndTheOneInForce) {
  InstallPublic2026();
  fs::create_directories(root_ / "system" / "talvenor");
  fs::copy_file(kPublic2026, root_ / "system" / "talvenor" / "blz_2026_09_07.txt");
  const Outcome list = Run("2026-07-01 12:00:00", "--list-bank-data --json");
  ASSERT_EQ(list.status, 0) << list.err;
  const auto json = nlohmann::json::parse(list.out);
  ASSERT_EQ(json["editions"].size(), 3u);
  EXPECT_EQ(json["editions"][0]["origin"], "builtin");
  // The built-in edition ends with its own quarter, not where the next
  // installed one begins.
  EXPECT_EQ(json["editions"][0]["validUntil"], "2024-06-02");
  EXPECT_EQ(json["editions"][1]["inForce"], true);
  EXPECT_EQ(json["editions"][1]["validUntil"], "2026-09-06");
  EXPECT_EQ(json["editions"][1]["bankCodes"], 3503);
  EXPECT_EQ(json["editions"][2]["origin"], "system");
  EXPECT_EQ(json["editions"][2]["lineWidth"], 168);
  // From September the system-wide edition is in force.
  const Outcome text = Run("2026-09-08 12:00:00", "--list-bank-data");
  EXPECT_TRUE(Contains(text.out, "* 07.09.2026")) << text.out;
}

TEST_F(BankDataRun, AnEarlyInstallDoesNotMakeOldDataValid) {
  // Installed ahead of its start: until then the built-in data is in force,
  // and it expired long ago.
  const Outcome installed =
      Run("2026-05-20 12:00:00", "--install-bank-data " + Quoted(kPublic2026));
  ASSERT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(Contains(installed.out, "Diese Ausgabe tritt am 08.06.2026 in Kraft"))
      << installed.out;
  EXPECT_TRUE(Contains(installed.out, "seit dem 03.06.2024 abgelaufen")) << installed.out;
  WriteFile(root_ / "in.csv", "DE;;;;;37050198;1234567897;;;;;\n");
  const Outcome may = Run("2026-05-20 12:00:00", "in.csv out.csv");
  EXPECT_EQ(may.status, 3) << may.err;
  EXPECT_TRUE(Contains(may.err, "nur bis zum 02.06.2024 gültig!")) << may.err;
  // Converted as of the new edition's start: a preview of the next quarter,
  // naming the edition used.
  const Outcome preview = Run("2026-05-20 12:00:00", "--as-of 2026-06-08 in.csv out.csv");
  EXPECT_EQ(preview.status, 0) << preview.err;
  EXPECT_TRUE(Contains(preview.err, "Ausgabe vom 08.06.2026 (installiert")) << preview.err;
  const auto json = nlohmann::json::parse(
      Run("2026-05-20 12:00:00", "--as-of 2024-04-01 --iban 37050198 1234567897 --json").out);
  EXPECT_EQ(json["edition"]["validFrom"], "2024-03-04");
  EXPECT_EQ(json["edition"]["expired"], false);
  EXPECT_EQ(Run("2026-05-20 12:00:00", "--as-of 2026-02-30 --iban 37050198 1").status, 2);
}

TEST_F(BankDataRun, CheckIbanSaysWhenTheStandardRuleWasAssumed) {
  InstallPublic2026();
  const Outcome text = Run("2026-07-01 12:00:00", "--check-iban DE93700224241234567897");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(Contains(text.out, "IBAN-Regel:    0000 00 (angenommen)")) << text.out;
  EXPECT_TRUE(Contains(text.out, "die Standardregel wurde angenommen")) << text.out;
  const auto json = nlohmann::json::parse(
      Run("2026-07-01 12:00:00", "--check-iban DE93700224241234567897 --json").out);
  EXPECT_EQ(json["ruleAssumed"], true);
  const auto cologne = nlohmann::json::parse(
      Run("2026-07-01 12:00:00", "--check-iban DE98370501981234567897 --json").out);
  EXPECT_EQ(cologne["ruleAssumed"], false);
}

// The update from a local HTTPS server with its own test certificate.
class BankDataUpdateRun : public BankDataRun {
 protected:
  void SetUp() override {
    BankDataRun::SetUp();
    if (IsSkipped()) return;
    if (const std::string why = talvenor::test_support::HttpsTestServerUnavailable();
        !why.empty()) {
      GTEST_SKIP() << why;
    }
    server_ = std::make_unique<talvenor::test_support::HttpsTestServer>();
    ASSERT_TRUE(server_->ready());
    const std::string current = ReadFile(kPublic2026);
    server_->AddFile("blz-aktuell-txt-data.txt", current);
    // The next edition: one BIC changed, so that the two can be told apart.
    server_->AddFile("blz-neu-txt-data.txt",
                     talvenor::test_support::WithField(current, "50127700", 140, "PAYODEF3XXX"));
    server_->AddFile("page.html",
                     "<html><body><p>gültig vom 08.06.2026 bis 06.09.2026</p>"
                     "<a href=\"/blz-aktuell-txt-data.txt\">TXT</a>"
                     "<p>Gültig ab 07.09.2026</p><a href=\"blz-neu-txt-data.txt\">TXT</a>"
                     "</body></html>");
  }
  Outcome Update(const std::string& moment, const std::string& page) const {
    return Run(moment, "--update-bank-data --from " + server_->Url(page),
               "export TALVENOR_UPDATE_CA=" + Quoted(server_->authorityFile()) +
                   " https_proxy= HTTPS_PROXY= &&");
  }
  std::string BicAt(const std::string& moment, const std::string& extra = "") const {
    const Outcome outcome = Run(moment, extra + " --iban 50127700 1234567897 --json");
    return nlohmann::json::parse(outcome.out)["edition"]["validFrom"].get<std::string>() + " " +
           nlohmann::json::parse(outcome.out)["bic"].get<std::string>();
  }
  std::unique_ptr<talvenor::test_support::HttpsTestServer> server_;
};

TEST_F(BankDataUpdateRun, InstallsBothEditionsOnceAndSwitchesAtMidnight) {
  const Outcome first = Update("2026-08-20 12:00:00", "/page.html");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(first.out, "blz_2026_06_08.txt")) << first.out;
  EXPECT_TRUE(Contains(first.out, "blz_2026_09_07.txt")) << first.out;
  const auto installed = Installed();
  const Outcome second = Update("2026-08-21 12:00:00", "/page.html");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(Contains(second.out, "aktuell; es wurde nichts geändert")) << second.out;
  EXPECT_EQ(Installed(), installed);

  EXPECT_EQ(BicAt("2026-09-06 23:59:59"), "2026-06-08 PAYODEF2XXX");
  EXPECT_EQ(BicAt("2026-09-07 00:00:01"), "2026-09-07 PAYODEF3XXX");
  EXPECT_EQ(BicAt("2026-08-20 12:00:00", "--as-of 2026-09-07"), "2026-09-07 PAYODEF3XXX");
  EXPECT_EQ(BicAt("2026-10-01 12:00:00", "--as-of 2026-07-01"), "2026-06-08 PAYODEF2XXX");

  const auto list =
      nlohmann::json::parse(Run("2026-08-20 12:00:00", "--list-bank-data --json").out);
  ASSERT_EQ(list["editions"].size(), 3u);
  EXPECT_EQ(list["editions"][1]["inForce"], true);
  EXPECT_EQ(list["editions"][1]["source"]["address"], server_->Url("/blz-aktuell-txt-data.txt"));
  EXPECT_EQ(list["editions"][2]["notStarted"], true);
}

TEST_F(BankDataUpdateRun, ExitStatusOfFailuresAndBadUsage) {
  const Outcome missing = Update("2026-08-20 12:00:00", "/status/404/page.html");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "404")) << missing.err;
  EXPECT_TRUE(Contains(missing.err, "es wurde nichts geändert")) << missing.err;
  EXPECT_FALSE(fs::exists(editions_));
  EXPECT_EQ(Run("2026-08-20 12:00:00", "--update-bank-data --from http://localhost/x").status, 2);
  EXPECT_EQ(Run("2026-08-20 12:00:00", "--iban 37050198 1 --from https://x.invalid/").status, 2);
  EXPECT_EQ(Run("2026-08-20 12:00:00", "--iban 37050198 1 --force").status, 2);
}

}  // namespace
