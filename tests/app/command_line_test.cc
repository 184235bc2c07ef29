#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/program_version.h"

namespace talvenor::app {
namespace {

Command Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(ParseCommandLine, SingleAccountCommands) {
  const Command iban = Parse({"--iban", "10000000", "1234567890", "--json"});
  EXPECT_EQ(iban.kind, CommandKind::kIban);
  EXPECT_TRUE(iban.json);
  EXPECT_EQ(iban.operands, (std::vector<std::string>{"10000000", "1234567890"}));

  const Command verify = Parse({"--json", "--verify", "A4", "123", "10000000"});
  EXPECT_EQ(verify.kind, CommandKind::kVerify);
  EXPECT_TRUE(verify.json);
  EXPECT_EQ(verify.operands.size(), 3u);

  for (const char* method : {"00", "99", "A0", "B7", "D9", "E0", "E4"}) {
    EXPECT_EQ(Parse({"--verify", method, "123"}).kind, CommandKind::kVerify) << method;
  }
  EXPECT_EQ(Parse({"--iban", "", ""}).kind, CommandKind::kIban);  // empty fields are allowed
}

TEST(ParseCommandLine, IbanCheckCommands) {
  // The paper form's groups as separate arguments are one IBAN; the text
  // itself is the check's to judge.
  EXPECT_EQ(Parse({"--check-iban", "DE42", "3705", "0198", "1901", "3357", "50"}).operands,
            (std::vector<std::string>{"DE42 3705 0198 1901 3357 50"}));
  EXPECT_EQ(Parse({"--check-iban", "", "--json"}).operands, (std::vector<std::string>{""}));
  const Command file = Parse({"--check-iban-file", "in.csv", "out.csv", "--column", "IBAN"});
  EXPECT_EQ(file.kind, CommandKind::kCheckIbanFile);
  EXPECT_EQ(file.operands, (std::vector<std::string>{"in.csv", "out.csv"}));
  EXPECT_EQ(file.column, "IBAN");
  EXPECT_FALSE(Parse({"--check-iban-file", "in", "out"}).column);
  EXPECT_EQ(Parse({"--check-iban-file", "in", "out", "--threads", "3"}).threads, 3);

  // clang-format off
  const std::vector<std::vector<std::string>> refused = {
      {"--check-iban"},
      {"--check-iban", "--json"},
      {"--check-iban-file", "in"},
      {"--check-iban-file", "in", ""},
      {"--check-iban-file", "in", "out", "more"},
      {"--check-iban-file", "in", "out", "--column"},
      {"--check-iban-file", "in", "out", "--column", "A", "--column", "B"},
      {"--check-iban-file", "in", "out", "--json"},
      {"--check-iban", "DE42370501981901335750", "--column", "IBAN"},
      {"--check-iban", "DE42370501981901335750", "--check-iban-file", "in", "out"},
      {"--check-iban", "DE42370501981901335750", "--threads", "2"},
      {"--check-iban-file", "in", "out", "--threads", "0"},
  };
  // clang-format on
  for (const auto& arguments : refused) {
    EXPECT_EQ(Parse(arguments).kind, CommandKind::kUsageError)
        << ::testing::PrintToString(arguments);
  }
}

TEST(ParseCommandLine, RefusesWhatTheFieldsWouldNotAccept) {
  // clang-format off
  const std::vector<std::vector<std::string>> refused = {
      {"--iban", "123456789", "1"},           // nine-digit bank code
      {"--iban", "1000000a", "1"},            // letter
      {"--iban", "10000000", "12345678901"},  // eleven-digit account
      {"--iban", "10000000", "-5"},
      {"--iban", "10000000", " 12"},
      {"--iban", "10000000"},                 // account missing
      {"--iban", "10000000", "1", "2"},       // too many
      {"--verify", "0", "123"},               // method too short
      {"--verify", "a4", "123"},              // lower case
      {"--verify", "AB", "123"},              // letter in second place
      {"--verify", "000", "123"},
      {"--verify", "E5", "123"},              // beyond the catalogue's last code E4
      {"--verify", "E9", "123"},
      {"--verify", "F0", "123"},
      {"--verify", "Z9", "123"},
      {"--verify", "00", "12x"},
      {"--verify", "00", "123", "123456789"},
      {"--verify", "00"},
      {"--iban", "10000000", "1", "--verify", "00", "1"},  // two commands
      {"--frobnicate"},
  };
  // clang-format on
  for (const auto& arguments : refused) {
    const Command command = Parse(arguments);
    EXPECT_EQ(command.kind, CommandKind::kUsageError) << ::testing::PrintToString(arguments);
    EXPECT_FALSE(command.error.empty());
  }
}

TEST(ParseCommandLine, ComplaintsShowControlCharactersEscaped) {
  struct Case {
    std::vector<std::string> arguments;
    const char* shown;  // part of the complaint
  };
  const Case cases[] = {
      {{"--fo\x1b[31mo"}, "--fo\\x1B[31mo"},
      {{"--iban", "1\n2", "3"}, "\"1\\n2\""},
      {{"--verify", "0\r", "3"}, "\"0\\r\""},
  };
  for (const Case& c : cases) {
    const Command command = Parse(c.arguments);
    EXPECT_NE(command.error.find(c.shown), std::string::npos) << command.error;
    for (const char raw : {'\x1b', '\n', '\r'}) {
      EXPECT_EQ(command.error.find(raw), std::string::npos) << command.error;
    }
  }
}

TEST(ParseCommandLine, HelpVersionAndTheProgramsOwnArguments) {
  EXPECT_EQ(Parse({"--help"}).kind, CommandKind::kHelp);
  EXPECT_EQ(Parse({"--version"}).kind, CommandKind::kVersion);
  const Command own = Parse({"/S", "in.txt", "out.txt"});
  EXPECT_EQ(own.kind, CommandKind::kNone);
  EXPECT_EQ(own.rest, (std::vector<std::string>{"/S", "in.txt", "out.txt"}));
}

TEST(ParseCommandLine, ThreadsOfTheBatchRun) {
  const Command batch = Parse({"-s", "--threads", "4", "in.txt", "out.txt"});
  EXPECT_EQ(batch.kind, CommandKind::kNone);
  EXPECT_EQ(batch.threads, 4);
  EXPECT_EQ(batch.rest, (std::vector<std::string>{"-s", "in.txt", "out.txt"}));
  EXPECT_EQ(Parse({"in.txt", "out.txt", "--threads", "256"}).threads, 256);
  EXPECT_EQ(Parse({"--threads", "1"}).threads, 1);  // also for the window's conversion
  EXPECT_FALSE(Parse({"in.txt", "out.txt"}).threads.has_value());

  struct Case {
    std::vector<std::string> arguments;
    const char* error;
  };
  const std::string range = "--threads erwartet eine ganze Zahl von 1 bis 256: ";
  // clang-format off
  const Case cases[] = {
      {{"--threads", "0", "in", "out"}, "\"0\""},
      {{"--threads", "257", "in", "out"}, "\"257\""},
      {{"--threads", "1000"}, "\"1000\""},
      {{"--threads", "-2"}, "\"-2\""},
      {{"--threads", "+2"}, "\"+2\""},
      {{"--threads", "2x"}, "\"2x\""},
      {{"--threads", " 2"}, "\" 2\""},
      {{"--threads", "99999999999999999999"}, "\"99999999999999999999\""},
      {{"--threads", "in", "out"}, "\"in\""},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Command command = Parse(c.arguments);
    EXPECT_EQ(command.kind, CommandKind::kUsageError) << c.error;
    EXPECT_EQ(command.error, range + c.error);
  }
  EXPECT_EQ(Parse({"--threads"}).error, "--threads needs a value");
  EXPECT_EQ(Parse({"--threads", "2", "--threads", "2"}).error,
            "--threads darf nur einmal angegeben werden");
  for (const auto& other : std::vector<std::vector<std::string>>{
           {"--threads", "2", "--iban", "10000000", "1"}, {"--list-bank-data", "--threads", "2"}}) {
    const Command command = Parse(other);
    EXPECT_EQ(command.kind, CommandKind::kUsageError);
    EXPECT_NE(command.error.find("--threads gilt nur"), std::string::npos) << command.error;
  }
  EXPECT_NE(UsageText().find("--threads N"), std::string::npos);
}

TEST(DisplayVersion, DropsOneTrailingZeroPart) {
  EXPECT_EQ(DisplayVersion("1.65.0.0"), "1.65.0");
  EXPECT_EQ(DisplayVersion("1.65.1.0"), "1.65.1");
  EXPECT_EQ(DisplayVersion("1.65.0.1"), "1.65.0.1");
  EXPECT_EQ(ProgramVersion(), "1.65.0");
}

}  // namespace
}  // namespace talvenor::app
