// The start-up of CQuorinApp with a fake user interface and a pinned
// clock: the validity date, the command line and the settings takeover.
#include <chrono>

#include "app/data_validity.h"
#include "app/mycomand_info.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

using namespace std::chrono;
using platform::LocalDateTime;

LocalDateTime At(year_month_day date, int hour = 0, int minute = 0, int second = 0) {
  return {date, hours{hour}, minutes{minute}, seconds{second}};
}

const std::string kExpiredAskText =
    "Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!\n"
    "\nSie sollten ein Update durchführen, bevor Sie die Applikation weiter verwenden.\n"
    "Wählen Sie \"Ja\", um ein Update zu installieren und folgen Sie den Anweisungen\n"
    "der nachfolgenden Internetseite.\n\nWollen Sie jetzt das Update installieren?";
const std::string kUpdateOfferText =
    "Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!\n"
    "\nDie aktuelle Bankleitzahlendatei kann jetzt von der Deutschen Bundesbank geladen werden.\n"
    "Wollen Sie die Bankleitzahlendatei jetzt aktualisieren?";
const std::string kExpiredForceText =
    "Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!\n"
    "\nUm das Update zu installieren, führen Sie bitte die Anweisungen aus,\n"
    "die auf der folgenden Internetseite angegeben sind!";

// One CSV record of the default layout: bank code and account in fields 6
// and 7.
const std::string kRecord = "DE;;;;;37050198;1234567897;;;;;\n";

class StartUp : public ShellTest {
 protected:
  // Runs the start-up at `now`; records whether the main dialog ran.
  int Start(const LocalDateTime& now, const std::vector<std::string>& arguments = {}) {
    platform::ScopedClockOverride clock(now);
    TestApp app(ui_, programPath_);
    const int status = app.InitInstance(arguments);
    dialogsRun_ = app.dialogsRun;
    inputField_ = app.inputFieldAtStart;
    return status;
  }
  int dialogsRun_ = 0;
  std::string inputField_;
  const LocalDateTime valid_ = At(year{2024} / June / 2, 23, 59);
};

// Every row of the validity table, interactive start. Expired data is
// first met by the offer to update, here declined.
TEST_F(StartUp, ExpiryRowsInteractive) {
  struct Case {
    const char* what;
    LocalDateTime now;
    std::optional<bool> answer;  // Yes/No answer; nothing: no question expected
    const std::string* text;     // expected message after the offer, or null for none
    bool yesNo;
    bool browser;
    bool dialog;
    int status;
  };
  // clang-format off
  const Case cases[] = {
      {"still valid, last minute", At(year{2024} / June / 2, 23, 59), {}, nullptr, false, false, true, 0},
      {"before the date", At(year{2024} / January / 1), {}, nullptr, false, false, true, 0},
      {"1 day, Yes", At(year{2024} / June / 3), true, &kExpiredAskText, true, true, false, 3},
      {"1 day, No", At(year{2024} / June / 3), false, &kExpiredAskText, true, false, true, 0},
      // 14 days, 23 h 59 min 59 s: still 14 whole days.
      {"14 days, No", At(year{2024} / June / 16, 23, 59, 59), false, &kExpiredAskText, true, false, true, 0},
      {"15 days", At(year{2024} / June / 17), {}, &kExpiredForceText, false, true, false, 3},
      {"a year", At(year{2025} / June / 17), {}, &kExpiredForceText, false, true, false, 3},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_ = FakeUi();
    ui_.yesNoAnswers.push_back(false);  // the offer to update
    if (c.answer) ui_.yesNoAnswers.push_back(*c.answer);
    const int status = Start(c.now);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(dialogsRun_, c.dialog ? 1 : 0);
    if (c.text == nullptr) {
      EXPECT_TRUE(ui_.messages.empty());
    } else {
      ASSERT_EQ(ui_.messages.size(), 2u);
      EXPECT_EQ(ui_.messages[0].text, kUpdateOfferText);
      EXPECT_TRUE(ui_.messages[0].yesNo);
      EXPECT_EQ(ui_.messages[1].text, *c.text);
      EXPECT_EQ(ui_.messages[1].yesNo, c.yesNo);
    }
    EXPECT_TRUE(ui_.progressTitles.empty());
    if (c.browser) {
      ASSERT_EQ(ui_.openedUrls.size(), 1u);
      EXPECT_EQ(ui_.openedUrls[0], DefaultUpdatePageUrl(ConfiguredUpdateServer()));
      EXPECT_TRUE(ui_.openedUrls[0].ends_with("/update/prgupd.htm")) << ui_.openedUrls[0];
    } else {
      EXPECT_TRUE(ui_.openedUrls.empty());
    }
  }
}

TEST_F(StartUp, BrowserThatCannotStartIsReported) {
  ui_.urlsOpen = false;
  EXPECT_EQ(Start(At(year{2024} / June / 17)), kExitExpired);
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{kUpdateOfferText, kExpiredForceText,
                                      "Ihr Internet Browser kann nicht gestartet werden!"}));
  EXPECT_EQ(dialogsRun_, 0);
}

// The batch rows: an expired data set converts nothing and shows nothing.
TEST_F(StartUp, BatchRunsOnlyWhileTheDataIsValid) {
  const fs::path input = WriteFile(folder_ / "in.csv", kRecord);
  const fs::path output = folder_ / "out.csv";
  for (const LocalDateTime& expired : {At(year{2024} / June / 3), At(year{2024} / June / 17)}) {
    EXPECT_EQ(Start(expired, {input.string(), output.string()}), kExitExpired);
    EXPECT_FALSE(fs::exists(output));
  }
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Start(valid_, {input.string(), output.string()}), kExitDone);
  // Check digits: 370501981234567897 + "DE00" as 131400, mod 97 = 0, 98 - 0 = 98.
  EXPECT_NE(ReadFile(output).find("\"DE98370501981234567897\""), std::string::npos)
      << ReadFile(output);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(dialogsRun_, 0);
}

TEST_F(StartUp, CommandLineRows) {
  const fs::path input = WriteFile(folder_ / "in.csv", kRecord);
  const std::string in = input.string();
  const std::string out = (folder_ / "out.csv").string();
  const std::string missing = (folder_ / "missing.csv").string();
  const std::string folder = folder_.string();
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    bool dialog;
    std::string inputField;  // when the dialog runs
    bool converted;
  };
  // clang-format off
  const Case cases[] = {
      {"no parameter", {}, 0, true, "", false},
      {"one parameter goes into the field", {"a.txt"}, 0, true, "a.txt", false},
      {"three parameters end at once", {in, out, "c.txt"}, kExitUsage, false, "", false},
      {"three parameters, silent", {"/s", in, out, "c.txt"}, kExitUsage, false, "", false},
      {"missing input, silent", {"/s", missing, out}, kExitFailed, false, "", false},
      {"missing input, /Silent after the files", {missing, out, "/Silent"}, kExitFailed, false, "", false},
      {"missing input, -s", {"-s", missing, out}, kExitFailed, false, "", false},
      {"missing input, not silent: the dialog", {missing, out}, 0, true, missing, false},
      {"a folder is no input file", {folder, out}, 0, true, folder, false},
      {"other switches are ignored", {"/x", in, "-q", out}, 0, false, "", true},
      {"silent batch", {"/S", in, out}, 0, false, "", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(out);
    dialogsRun_ = 0;
    EXPECT_EQ(Start(valid_, c.arguments), c.status);
    EXPECT_EQ(dialogsRun_, c.dialog ? 1 : 0);
    if (c.dialog) {
      EXPECT_EQ(inputField_, c.inputField);
    }
    EXPECT_EQ(fs::exists(out), c.converted);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartUp, TakesOverTheFormerSettingsOnce) {
  const fs::path former = folder_ / "config" / "Morlach Programmeinstellungen" / "Talvenor.ini";
  WriteFile(former, "[SETTINGS]\nPATH=/old/folder\nGROUP=1\n");
  Start(valid_);
  EXPECT_FALSE(fs::exists(former));
  EXPECT_EQ(Settings().GetString("SETTINGS", "PATH", "none"), "/old/folder");
  EXPECT_EQ(Settings().GetInt("SETTINGS", "GROUP", 0), 1);

  // With settings of its own (here an empty PATH), nothing is taken over.
  Settings().SetString("SETTINGS", "PATH", "");
  WriteFile(former, "[SETTINGS]\nPATH=/older\n");
  Start(valid_);
  EXPECT_TRUE(fs::exists(former));
  EXPECT_EQ(Settings().GetString("SETTINGS", "PATH", "none"), "");
}

TEST(ProgramVersion, FromTheFileVersion) {
  struct Case {
    const char* fileVersion;
    const char* shown;
  };
  // clang-format off
  const Case cases[] = {
      {"1.65.0.0", "1.65.0"},  // one ".0" removed, once
      {"1.65.1.0", "1.65.1"},
      {"1.65.0.1", "1.65.0.1"},
      {"01.065.0.10", "1.65.0.10"},  // printed as numbers
      {"", ""},                 // unreadable: empty
      {"1.65.0", ""},           // not four parts
      {"1.65.0.0.0", ""},
      {"1.65.x.0", ""},
      {"1.65.70000.0", ""},     // above 16 bits
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(CQuorinApp::ProgramVersionFor(c.fileVersion), c.shown) << c.fileVersion;
  }
  std::string untouched = "kept";
  EXPECT_FALSE(CQuorinApp::GetModuleVersionString("1.2", untouched));
  EXPECT_EQ(untouched, "kept");
}

TEST(DataValidity, WholeDaysAfterTheStartOfTheLastValidDay) {
  const talvenor::editions::Date kBuiltinEnd = year{2024} / June / 2;
  struct Case {
    LocalDateTime now;
    int days;
  };
  // clang-format off
  const Case cases[] = {
      {At(year{2024} / June / 2), 0},
      {At(year{2024} / June / 2, 23, 59, 59), 0},
      {At(year{2024} / June / 3), 1},
      {At(year{2024} / June / 16, 23, 59, 59), 14},
      {At(year{2024} / June / 17), 15},
      {At(year{2024} / June / 1, 12), 0},   // -0.5 days cut towards zero
      {At(year{2024} / June / 1), -1},
      {At(year{2025} / June / 2), 365},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(DaysAfterDataValidUntil(kBuiltinEnd, c.now), c.days)
        << static_cast<unsigned>(c.now.date.day()) << "."
        << static_cast<unsigned>(c.now.date.month());
  }
  EXPECT_FALSE(ExpiryNoticeFor(0, kBuiltinEnd).has_value());
  EXPECT_EQ(ExpiryNoticeFor(14, kBuiltinEnd)->text, kExpiredAskText);
  EXPECT_TRUE(ExpiryNoticeFor(14, kBuiltinEnd)->askYesNo);
  EXPECT_EQ(ExpiryNoticeFor(15, kBuiltinEnd)->text, kExpiredForceText);
  EXPECT_FALSE(ExpiryNoticeFor(15, kBuiltinEnd)->askYesNo);
  // The date is the one of the edition in force.
  EXPECT_EQ(ExpiryNoticeFor(1, year{2026} / September / 6)->text.substr(0, 59),
            "Die Daten dieser Applikation waren nur bis zum 06.09.2026 g");
}

TEST(MycomandInfo, SwitchesAndParameters) {
  const fs::path existing = fs::temp_directory_path();  // an existing folder
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> parameters;
    bool silent;
  };
  // clang-format off
  const Case cases[] = {
      {{"/S", "a.txt", "b.txt"}, {"a.txt", "b.txt"}, true},
      {{"a.txt", "-s", "b.txt"}, {"a.txt", "b.txt"}, true},
      {{"/Silent"}, {}, true},
      {{"/x", "-q", "a.txt"}, {"a.txt"}, false},
      {{"-"}, {}, false},                                   // an empty switch
      {{"/tmp/in.txt", "/out.txt"}, {"/tmp/in.txt"}, false},  // "/out.txt" names nothing here
      {{"/s/in.txt"}, {"/s/in.txt"}, false},                // a further "/": a path
      {{"/"}, {"/"}, false},                                // the root folder exists
      {{existing.string()}, {existing.string()}, false},
      {{"--json"}, {"--json"}, false},                      // long options are not switches
  };
  // clang-format on
  for (const Case& c : cases) {
    MycomandInfo info;
    info.ParseCommandLine(c.arguments);
    EXPECT_EQ(info.parameters, c.parameters) << c.arguments.front();
    EXPECT_EQ(info.silent, c.silent) << c.arguments.front();
  }
}

TEST(MycomandInfo, ASlashNameThatExistsIsAParameter) {
  // "/tmp" begins with "/" and has no further "/", but it names a folder.
  ASSERT_TRUE(fs::exists("/tmp"));
  EXPECT_FALSE(IsSwitchArgument("/tmp"));
  EXPECT_TRUE(IsSwitchArgument("/talvenor-no-such-entry"));
}

}  // namespace
}  // namespace talvenor::app::testing
