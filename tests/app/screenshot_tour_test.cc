// The developer aid behind tools/screenshots.sh, run as a whole process on
// Qt's offscreen platform: every window of a start is photographed and
// closed, so the program ends by itself with one picture per window.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/faketime.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

std::string Program() {
  if (const char* path = std::getenv("TALVENOR_EXE")) return path;
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "talvenor").string();
}

// Width and height of a PNG file; 0, 0 when it is none.
std::pair<unsigned, unsigned> PngSize(const fs::path& file) {
  const std::string bytes = talvenor::test_support::ReadFile(file);
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  const auto number = [&bytes](std::size_t at) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
      value = value << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return value;
  };
  return {number(16), number(20)};
}

class ScreenshotTour : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("talvenor_tour_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config" / "Korvane");
    fs::create_directories(folder_ / "pictures");
    fs::create_directories(folder_ / "nobin");
    // No update check; no program on PATH that could open a document.
    talvenor::test_support::WriteFile(folder_ / "config" / "Korvane" / "Talvenor.ini",
                                      "[SETTINGS]\nPATH=\nUPDATE=0\n");
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the program's interactive start (at `moment` when not empty) and
  // returns its exit status.
  int Run(const std::string& moment) {
    std::string command = "cd " + Quoted(folder_) + " && timeout 100 env -u DISPLAY";
    command += " -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen PATH=";
    command += Quoted(folder_ / "nobin");
    command += " XDG_CONFIG_HOME=";
    command += Quoted(folder_ / "config");
    // The tour installs a bank-code file: into a folder of its own.
    command += " XDG_DATA_HOME=";
    command += Quoted(folder_ / "data");
    command += " TALVENOR_SCREENSHOT_DIR=";
    command += Quoted(folder_ / "pictures");
    if (!moment.empty()) {
      command += " FAKETIME_DONT_FAKE_MONOTONIC=1 \"$(command -v faketime)\" -f ";
      command += Quoted("@" + moment);
    }
    command += " ";
    command += Quoted(Program());
    command += " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string Quoted(const fs::path& text) {
    std::string quoted = "'";
    quoted += text.string();
    quoted += "'";
    return quoted;
  }

  // The pictures taken, sorted, each checked to be a picture of a window.
  std::vector<std::string> Pictures() const {
    std::vector<std::string> names = talvenor::test_support::FileNames(folder_ / "pictures");
    for (const std::string& name : names) {
      const auto [width, height] = PngSize(folder_ / "pictures" / name);
      EXPECT_GE(width, 100u) << name;
      EXPECT_GE(height, 50u) << name;
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(ScreenshotTour, WalksThroughEveryWindowOfTheMainDialog) {
  if (const std::string why = talvenor::test_support::FaketimeUnavailable(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  EXPECT_EQ(Run("2024-05-15 10:00:00"), 0);
  EXPECT_EQ(Pictures(), (std::vector<std::string>{
                            "01_start_disclaimer.png",
                            "02_empty_main.png",
                            "03_valid_main.png",
                            "04_invalid_account_main.png",
                            "05_invalid_bank_code_message.png",
                            "06_missing_account_message.png",
                            "07_successor_message.png",
                            "08_successor_main.png",
                            "09_not_released_message.png",  // the deletion notice
                            "10_not_released_message.png",  // not released
                            "11_not_released_main.png",
                            "12_help_menu_main.png",
                            "13_batch_no_file_message.png",
                            "14_browse_file_dialog.png",
                            "15_batch_done_file_dialog.png",
                            "16_batch_done_message.png",
                            "17_batch_unknown_format_message.png",
                            "18_batch_malformed_file_dialog.png",
                            "19_batch_malformed_message.png",
                            "20_batch_damaged_gzip_message.png",
                            "21_settings_settings_dialog.png",
                            "22_settings_folder_file_dialog.png",
                            "23_settings_invalid_folder_message.png",
                            "24_help_message.png",
                            "25_about_about_box.png",
                            "26_about_licence_message.png",
                            "27_iban_check_iban_check.png",
                            "28_iban_plausible_iban_check.png",
                            "29_iban_inconsistent_iban_check.png",
                            "30_iban_other_country_iban_check.png",
                            "31_iban_no_iban_iban_check.png",
                            "32_bank_data_faulty_file_dialog.png",
                            "33_bank_data_faulty_message.png",
                            "34_bank_data_date_file_dialog.png",
                            "35_bank_data_date_date_question.png",
                            "36_bank_data_report_file_dialog.png",
                            "37_bank_data_report_report.png",
                        }));
  // The tour's batch runs wrote nothing beside the program's working folder.
  EXPECT_FALSE(fs::exists(folder_ / "IBANRUECK"));
  EXPECT_TRUE(fs::exists(folder_ / "data" / "Korvane" / "Talvenor" / "blz_2026_06_08.txt"));
}

TEST_F(ScreenshotTour, ExpiredDataShowsItsMessagesAndEnds) {
  // The real clock lies more than 15 days after the data's validity date:
  // the offer to update (declined), the OK-only message, then the browser,
  // which cannot be started here.
  EXPECT_EQ(Run(""), 3);
  EXPECT_EQ(Pictures(), (std::vector<std::string>{"01_start_question.png", "02_start_message.png",
                                                  "03_start_message.png"}));
}

}  // namespace
