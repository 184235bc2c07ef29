// Runs the built program as a whole process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
};

// The program under test: named by TALVENOR_EXE (set by CTest), else the
// build folder's talvenor next to the tests folder.
std::string Program() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

// Runs `program` with `arguments` (already shell-quoted); stderr is dropped
// unless `withStderr`.
Result RunProgramAt(const std::string& program, const std::string& arguments,
                    bool withStderr = false) {
  const std::string command =
      "'" + program + "' " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

Result RunProgram(const std::string& arguments, bool withStderr = false) {
  return RunProgramAt(Program(), arguments, withStderr);
}

TEST(Executable, IbanForAPerson) {
  const Result result = RunProgram("--iban 37050198 1234567897");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("Sparkasse K\xC3\xB6lnBonn"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("COLSDE33XXX"), std::string::npos);
  EXPECT_NE(result.out.find("DE"), std::string::npos);
}

TEST(Executable, IbanAsJson) {
  const Result result = RunProgram("--iban 21000000 1234567897 --json");
  EXPECT_EQ(result.status, 0);
  const auto json = nlohmann::json::parse(result.out);
  for (const char* key : {"status", "bankName", "deletionNotice", "bic", "iban", "verdict",
                          "resultCode", "emphasise", "notReleased", "accountText", "message"}) {
    EXPECT_TRUE(json.contains(key)) << key;
  }
  EXPECT_EQ(json["status"], "Converted");
  EXPECT_EQ(json["bankName"], "BBk Hamburg eh Kiel");
  EXPECT_EQ(json["bic"], "MARKDEF1210");
  EXPECT_EQ(json["resultCode"], 50);
  EXPECT_EQ(json["emphasise"], true);
  EXPECT_EQ(json["notReleased"], true);
  EXPECT_EQ(json["message"], "");
  EXPECT_EQ(json["iban"].get<std::string>().size(), 22u);
}

TEST(Executable, IbanFailuresExitWithTwo) {
  const Result invalid = RunProgram("--iban 99999999 1 --json");
  EXPECT_EQ(invalid.status, 2);
  const auto json = nlohmann::json::parse(invalid.out);
  EXPECT_EQ(json["status"], "InvalidBankCode");
  EXPECT_EQ(json["message"], "Bitte geben Sie eine g\xC3\xBCltige Bankleitzahl ein!");

  const Result missing = RunProgram("--iban 10000000 '' --json");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(nlohmann::json::parse(missing.out)["status"], "MissingAccount");

  const Result plain = RunProgram("--iban 10000000 ''", true);
  EXPECT_EQ(plain.status, 2);
  EXPECT_NE(plain.out.find("Bitte geben Sie eine Kontonummer ein!"), std::string::npos);
}

TEST(Executable, BadInputIsRefusedBeforeAnyCalculation) {
  for (const char* arguments : {"--iban 1000000x 1", "--iban 10000000 12345678901", "--verify 0 1",
                                "--verify 00 abc", "--bogus"}) {
    const Result result = RunProgram(arguments, true);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.out.find("talvenor:"), std::string::npos) << arguments;
  }
}

TEST(Executable, VerifyExitStatus) {
  // Method 09 accepts everything; 00 fails 1234 (cross sums 2+6+2 = 10,
  // digit 0); a zero account is no account; a code without method is
  // refused, not answered with "fails".
  EXPECT_EQ(RunProgram("--verify 09 1234").status, 0);
  EXPECT_EQ(RunProgram("--verify 00 1234").status, 1);
  EXPECT_EQ(RunProgram("--verify 09 0000").status, 2);
  for (const char* method : {"E5", "F0", "Z9"}) {
    const Result refused = RunProgram(std::string("--verify ") + method + " 1234", true);
    EXPECT_EQ(refused.status, 2) << method;
    EXPECT_NE(refused.out.find(std::string("no check-digit method \"") + method + "\""),
              std::string::npos)
        << refused.out;
  }
  const Result json = RunProgram("--verify 09 00123 10000000 --json");
  const auto object = nlohmann::json::parse(json.out);
  EXPECT_EQ(object["method"], "09");
  EXPECT_EQ(object["account"], "00123");
  EXPECT_EQ(object["bankCode"], "10000000");
  EXPECT_EQ(object["result"], 1);
  EXPECT_EQ(object["adjustedAccount"], "123");
}

TEST(Executable, HelpAndVersion) {
  const Result help = RunProgram("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--iban"), std::string::npos);
  const Result version = RunProgram("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("1.65.0"), std::string::npos);
  EXPECT_EQ(version.out.find("1.65.0.0"), std::string::npos);
}

TEST(Executable, ReadsDebugIniBesideTheProgram) {
  const fs::path folder =
      fs::temp_directory_path() / ("talvenor_exe_debug_ini_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path copy = folder / "talvenor";
  fs::copy_file(Program(), copy);
  const std::string iban = "--iban 10000000 1234567897 --json";
  const int withoutOverride = nlohmann::json::parse(RunProgramAt(copy, iban).out)["resultCode"];
  EXPECT_NE(withoutOverride, 50);
  std::ofstream(folder / "DEBUG.INI") << "[USEREGEL]\r\n10000000=100\r\n";
  const auto json = nlohmann::json::parse(RunProgramAt(copy, iban).out);
  EXPECT_EQ(json["resultCode"], 50);
  EXPECT_EQ(json["notReleased"], true);

  // A DEBUG.INI that is no file counts as missing: no override, no hang.
  for (const char* kind : {"folder", "fifo"}) {
    fs::remove(folder / "DEBUG.INI");
    if (std::string(kind) == "folder") {
      fs::create_directory(folder / "DEBUG.INI");
    } else {
      ASSERT_EQ(::mkfifo((folder / "DEBUG.INI").c_str(), 0600), 0);
    }
    const Result result = RunProgramAt(copy, iban);
    EXPECT_EQ(result.status, 0) << kind;
    EXPECT_EQ(nlohmann::json::parse(result.out)["resultCode"], withoutOverride) << kind;
  }
  fs::remove_all(folder);
}

}  // namespace
