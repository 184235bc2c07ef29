// The IBAN check end to end: the built program checks single IBANs
// (--check-iban, for a person and as JSON) and files of IBANs
// (--check-iban-file), with the built-in edition, a given one, and at dates
// inside and after their validity.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "support/faketime.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using talvenor::test_support::ReadFile;
using talvenor::test_support::WriteFile;

std::string Program() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

const fs::path kPublic2026 = fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt";
const std::string kAtValidDate = "2024-05-01 12:00:00";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class IbanCheckRun : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-ibancheck-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Runs the program in the test's folder with `arguments` (shell-quoted),
  // at local time `moment` when one is given.
  Outcome Run(const std::string& arguments, const std::string& moment = "") const {
    const fs::path err = root_ / "stderr.txt";
    std::string command = "cd " + Quoted(root_.string()) + " && ";
    if (!moment.empty()) command += "faketime '" + moment + "' ";
    command += Quoted(Program()) + " " + arguments + " 2>" + Quoted(err.string());
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

  nlohmann::json Json(const std::string& arguments, int status) const {
    const Outcome outcome = Run(arguments + " --json");
    EXPECT_EQ(outcome.status, status) << arguments << "\n" << outcome.err;
    return nlohmann::json::parse(outcome.out);
  }

  fs::path root_;
};

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST_F(IbanCheckRun, EachStepDecidesTheCodeAndTheExitStatus) {
  struct Case {
    const char* iban;
    int status;
    int code;
    bool checksumValid;
    const char* bankCode;
    nlohmann::json accountValid;
  };
  const Case cases[] = {
      // Formed by rule 0007 from 37050198 and the donation account 8888.
      {"DE42370501981901335750", 0, 80, true, "37050198", true},
      {"DE43370501981901335750", 1, 84, false, "", nullptr},
      // No bank code begins with 9.
      {"DE65900000001234567897", 1, 85, true, "90000000", nullptr},
      // Method 13 rejects 1234567897.
      {"DE27100400001234567897", 1, 86, true, "10040000", false},
      {"DE52370501980000008888", 1, 87, true, "37050198", true},
      {"AT611904300234573201", 1, 81, true, "", nullptr},
      // Germany's IBANs have 22 characters.
      {"DE4237050198190133575", 1, 83, false, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.iban);
    const nlohmann::json json = Json(std::string("--check-iban ") + c.iban, c.status);
    EXPECT_EQ(json["resultCode"], c.code);
    EXPECT_EQ(json["plausible"], c.code == 80);
    EXPECT_EQ(json["checksumValid"], c.checksumValid);
    EXPECT_EQ(json["bankCode"], c.bankCode);
    EXPECT_EQ(json["accountValid"], c.accountValid);
    EXPECT_EQ(json["iban"], c.iban);
    EXPECT_FALSE(json["verdict"].get<std::string>().empty());
    EXPECT_EQ(json["edition"]["origin"], "builtin");
    EXPECT_EQ(json["edition"]["validFrom"], "2024-03-04");
  }
}

TEST_F(IbanCheckRun, JsonOfAPlausibleAndAnInconsistentIban) {
  nlohmann::json json = Json("--check-iban DE42370501981901335750", 0);
  for (const char* key :
       {"iban", "paperIban", "country", "checksumValid", "bankCode", "account", "bankName", "bic",
        "accountValid", "ruleIban", "ruleResultCode", "ruleVerdict", "deletionNotice",
        "successorBankCode", "plausible", "verdict", "resultCode", "edition"}) {
    EXPECT_TRUE(json.contains(key)) << key;
  }
  EXPECT_EQ(json["paperIban"], "DE42 3705 0198 1901 3357 50");
  EXPECT_EQ(json["country"], "DE");
  EXPECT_EQ(json["account"], "1901335750");
  EXPECT_EQ(json["bankName"], "Sparkasse K\xC3\xB6lnBonn");
  EXPECT_EQ(json["bic"], "COLSDE33XXX");
  EXPECT_EQ(json["ruleIban"], "DE42370501981901335750");
  EXPECT_EQ(json["ruleResultCode"], 0);
  EXPECT_EQ(json["deletionNotice"], "");
  EXPECT_EQ(json["successorBankCode"], "");
  // The edition object is the one --iban prints.
  EXPECT_EQ(json["edition"], Json("--iban 37050198 8888", 0)["edition"]);

  json = Json("--check-iban DE52370501980000008888", 1);
  EXPECT_EQ(json["resultCode"], 87);
  EXPECT_EQ(json["account"], "0000008888");
  EXPECT_EQ(json["ruleIban"], "DE42370501981901335750");
  EXPECT_TRUE(Contains(json["verdict"], "DE42 3705 0198 1901 3357 50")) << json["verdict"];
}

TEST_F(IbanCheckRun, CommerzbankGetsTheBicOfRule0005) {
  // 10040000 carries COBADEBBXXX in the bank-code file; rule 0005 gives the
  // head office's BIC. Method 13 accepts 1234566, which the rule shifts to
  // 0123456600.
  const nlohmann::json json = Json("--check-iban DE52100400000123456600", 0);
  EXPECT_EQ(json["resultCode"], 80);
  EXPECT_EQ(json["bic"], "COBADEFFXXX");
  EXPECT_EQ(json["bankName"], "Commerzbank Fil. Berlin 1");
  EXPECT_EQ(json["accountValid"], true);
}

TEST_F(IbanCheckRun, ABankCodeToBeDeletedNamesItsSuccessor) {
  // 13061128 is to be deleted in favour of 14061308.
  const nlohmann::json json = Json("--check-iban DE98130611281234567897", 1);
  EXPECT_TRUE(Contains(json["deletionNotice"], "14061308")) << json["deletionNotice"];
  EXPECT_EQ(json["successorBankCode"], "14061308");
  EXPECT_EQ(json["ruleIban"], "DE68140613081234567897");
  EXPECT_EQ(json["resultCode"], 87);
}

TEST_F(IbanCheckRun, TheEditionInForceOrTheOneGiven) {
  // North Channel Bank (10030600) is in the built-in edition and gone in
  // the one of June 2026.
  EXPECT_EQ(Json("--check-iban DE51100306001234567897", 0)["resultCode"], 80);
  const nlohmann::json json =
      Json("--check-iban DE51100306001234567897 --bank-data " + Quoted(kPublic2026.string()), 1);
  EXPECT_EQ(json["resultCode"], 85);
  EXPECT_EQ(json["bankName"], "");
  EXPECT_EQ(json["edition"]["origin"], "file");
  EXPECT_EQ(json["edition"]["validFrom"], "2026-06-08");
  const Outcome missing = Run("--check-iban DE51100306001234567897 --bank-data missing.txt");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
}

TEST_F(IbanCheckRun, TextsThatAreNoIbanExitWithTwo) {
  // clang-format off
  const char* inputs[] = {
      "DE4237050198",                                 // too short for any IBAN
      "DE42370501981901A35750",                       // a letter in a German BBAN
      "DE42370501981901335750123456789012345678",     // 40 characters
      "''",                                           // empty
      "\"$(printf 'DE42370501981901335750\\001')\"",  // a control character
      "'DE42 3705  0198 1901 3357 50'",               // two blanks
  };
  // clang-format on
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    const Outcome outcome = Run(std::string("--check-iban ") + input + " --json");
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    const auto json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json["resultCode"], 82);
    EXPECT_EQ(json["iban"], "");
    EXPECT_TRUE(json["verdict"].get<std::string>().starts_with("Keine IBAN")) << json["verdict"];
    // For a person, too.
    const Outcome text = Run(std::string("--check-iban ") + input);
    EXPECT_EQ(text.status, 2);
    EXPECT_TRUE(Contains(text.out, "Ergebniscode:  82")) << text.out;
  }
  const Outcome none = Run("--check-iban");
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(Contains(none.err, "--check-iban takes an IBAN")) << none.err;
}

TEST_F(IbanCheckRun, ForAPersonInGermanInAnyForm) {
  // The paper form, small letters, and the paper form's groups as
  // arguments of their own are one IBAN.
  for (const char* form :
       {"DE42370501981901335750", "'de42 3705 0198 1901 3357 50'", "DE42 3705 0198 1901 3357 50"}) {
    SCOPED_TRACE(form);
    const Outcome outcome = Run(std::string("--check-iban ") + form);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const char* line :
         {"IBAN:          DE42 3705 0198 1901 3357 50\n", "Prüfziffern:   richtig\n",
          "Bankleitzahl:  37050198\n", "Kontonummer:   1901335750\n",
          "Bank:          Sparkasse K\xC3\xB6lnBonn\n", "BIC:           COLSDE33XXX\n",
          "Kontoprüfung:  bestanden (Methode 00)\n", "Ergebnis:      IBAN plausibel.\n",
          "Ergebniscode:  80\n",
          "Datenstand:    Ausgabe vom 04.03.2024, gültig bis 02.06.2024\n"}) {
      EXPECT_TRUE(Contains(outcome.out, line)) << line << outcome.out;
    }
  }
  const Outcome foreign = Run("--check-iban AT611904300234573201");
  EXPECT_EQ(foreign.status, 1);
  EXPECT_TRUE(Contains(foreign.out, "Land:          AT (keine deutsche IBAN)\n")) << foreign.out;
  EXPECT_FALSE(Contains(foreign.out, "Bankleitzahl:")) << foreign.out;
}

TEST_F(IbanCheckRun, ExpiredDataStillAnswersWithOneLineOnStderr) {
  if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  const Outcome valid = Run("--check-iban DE42370501981901335750 --json", kAtValidDate);
  EXPECT_EQ(valid.status, 0);
  EXPECT_EQ(valid.err, "");
  EXPECT_EQ(nlohmann::json::parse(valid.out)["edition"]["expired"], false);
  const Outcome late = Run("--check-iban DE42370501981901335750 --json", "2024-06-03 08:00:00");
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(late.err,
            "talvenor: Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!\n");
  EXPECT_EQ(nlohmann::json::parse(late.out)["edition"]["expired"], true);
}

TEST_F(IbanCheckRun, FileCheckThroughTheProgram) {
  WriteFile(root_ / "in.csv",
            "Kunde;IBAN\n\"M\xC3\xBCller; Hans\";DE42370501981901335750\nX;AT611904300234573201\n");
  Outcome outcome = Run("--check-iban-file in.csv out.csv --column IBAN");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(root_ / "out.csv"),
            "Kunde;IBAN;Bankleitzahl;Kontonummer;Bankname;BIC;Ergebnis;Ergebniscode\n"
            "\"M\xC3\xBCller; Hans\";DE42370501981901335750;37050198;1901335750;"
            "Sparkasse K\xC3\xB6lnBonn;COLSDE33XXX;IBAN plausibel.;80\n"
            "X;AT611904300234573201;;;;;\"Die IBAN aus AT ist gültig aufgebaut, ist aber keine "
            "deutsche; Bank und Kontonummer werden nicht geprüft.\";81\n");

  // The same output on one thread and on several.
  std::string list;
  for (int i = 0; i < 20000; ++i) {
    list += i % 3 == 0 ? "DE52370501980000008888\n" : "DE42370501981901335750\n";
  }
  WriteFile(root_ / "list.txt", list);
  ASSERT_EQ(Run("--check-iban-file list.txt one.csv --threads 1").status, 0);
  ASSERT_EQ(Run("--threads 3 --check-iban-file list.txt three.csv").status, 0);
  const std::string one = ReadFile(root_ / "one.csv");
  EXPECT_EQ(ReadFile(root_ / "three.csv"), one);
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 20001);  // the header and a line each

  // A failure: exit status 1, the message on stderr, the output as it was.
  WriteFile(root_ / "out.csv", "alt");
  outcome = Run("--check-iban-file in.csv out.csv --column Konto");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "hat keine Spalte „Konto“")) << outcome.err;
  EXPECT_EQ(ReadFile(root_ / "out.csv"), "alt");

  // Usage errors.
  for (const char* arguments :
       {"--check-iban-file in.csv", "--check-iban-file in.csv out.csv extra",
        "--check-iban-file in.csv out.csv --json", "--check-iban DE42370501981901335750 --column X",
        "--check-iban-file in.csv out.csv --column"}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Run(arguments).status, 2);
  }
}

}  // namespace
