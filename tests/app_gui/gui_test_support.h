// Shared pieces of the dialog and start-up tests: a fake user interface
// that records what a person would have seen and answers from a script, a
// fixture with its own settings folder and program folder, and an
// application object whose main dialog is handed to the test instead of
// being run modally.
#ifndef TALVENOR_TESTS_APP_GUI_GUI_TEST_SUPPORT_H_
#define TALVENOR_TESTS_APP_GUI_GUI_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/quorin_app.h"
#include "app/quorin_dlg.h"
#include "app/user_interface.h"
#include "platform/clock.h"
#include "platform/user_settings.h"

namespace talvenor::app::testing {

namespace fs = std::filesystem;

class FakeUi : public UserInterface {
 public:
  struct Shown {
    std::string text;
    bool yesNo = false;
  };
  std::vector<Shown> messages;
  std::deque<bool> yesNoAnswers;  // Yes = true; No when the list is used up
  // Runs while a message is "on screen", to look at the dialog behind it.
  std::function<void(const std::string&)> onMessage;

  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> folderAnswer;
  std::vector<std::string> saveQuestions;  // the initial folder of each save question
  std::vector<std::pair<std::string, std::string>> folderQuestions;  // title, initial folder

  bool urlsOpen = true;
  bool filesOpen = true;
  std::vector<std::string> openedUrls;
  std::vector<fs::path> openedFiles;

  void ShowMessage(const std::string& text) override {
    messages.push_back({text, false});
    if (onMessage) onMessage(text);
  }
  bool AskYesNo(const std::string& text) override {
    messages.push_back({text, true});
    if (onMessage) onMessage(text);
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> AskOpenFile() override { return openAnswer; }
  std::optional<std::string> AskSaveFile(const std::string& initialFolder) override {
    saveQuestions.push_back(initialFolder);
    return saveAnswer;
  }
  std::optional<std::string> AskFolder(const std::string& title,
                                       const std::string& initialFolder) override {
    folderQuestions.emplace_back(title, initialFolder);
    return folderAnswer;
  }
  bool OpenUrl(const std::string& url) override {
    openedUrls.push_back(url);
    return urlsOpen;
  }
  bool OpenFile(const fs::path& file) override {
    openedFiles.push_back(file);
    return filesOpen;
  }
  bool AskProxyCredentials(std::string&, std::string&) override { return false; }

  std::optional<std::string> bankCodeFileAnswer;
  std::optional<editions::Date> dateAnswer;
  std::vector<std::pair<std::string, editions::Date>> dateQuestions;  // question, proposed day
  std::vector<std::pair<std::string, std::string>> reports;           // title, text
  std::optional<std::string> AskBankCodeFile() override { return bankCodeFileAnswer; }
  std::optional<editions::Date> AskDate(const std::string& question,
                                        editions::Date proposed) override {
    dateQuestions.emplace_back(question, proposed);
    return dateAnswer;
  }
  void ShowReport(const std::string& title, const std::string& text) override {
    reports.emplace_back(title, text);
  }

  // RunWithProgress runs the task at once, on the calling thread; its sink
  // records what the window would show and answers Cancelled() with
  // `cancelProgress`.
  bool cancelProgress = false;
  std::vector<std::string> progressTitles;
  std::vector<std::string> progressSteps;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progressBytes;  // received, expected
  void RunWithProgress(const std::string& title, const ProgressTask& task) override {
    progressTitles.push_back(title);
    class Sink final : public ProgressSink {
     public:
      explicit Sink(FakeUi& ui) : ui_(ui) {}
      void Step(const std::string& text) override { ui_.progressSteps.push_back(text); }
      void Bytes(std::uint64_t received, std::uint64_t expected) override {
        ui_.progressBytes.emplace_back(received, expected);
      }
      bool Cancelled() const override { return ui_.cancelProgress; }

     private:
      FakeUi& ui_;
    } sink(*this);
    task(sink);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : messages) texts.push_back(shown.text);
    return texts;
  }
};

// An update check that finds nothing new, and one that finds `version`.
inline UpdateCheckFunction NoNewVersion() {
  return [](const UpdateServer&, bool, const std::string& programVersion, std::string&,
            ProxyCredentialsPrompt*) { return programVersion; };
}
inline UpdateCheckFunction ServerNames(std::string version, std::string url) {
  return [version, url](const UpdateServer&, bool, const std::string&, std::string& updateUrl,
                        ProxyCredentialsPrompt*) {
    updateUrl = url;
    return version;
  };
}

// A bank-data update that fails the test: the one the tests' starts have
// unless they give their own, so none ever goes to the network.
BankDataUpdateFunction UnexpectedUpdate();

// The application object with the main dialog handed to `onDialog`
// instead of being run.
class TestApp : public CQuorinApp {
 public:
  TestApp(FakeUi& ui, const fs::path& programPath, UpdateCheckFunction check = NoNewVersion(),
          BankDataUpdateFunction updateBankData = UnexpectedUpdate())
      : CQuorinApp(argc_, argv_,
                   AppSeams{&ui, programPath, std::move(check), std::move(updateBankData)}) {}

  std::function<void(CQuorinDlg&)> onDialog;
  int dialogsRun = 0;
  std::string inputFieldAtStart;

 protected:
  void RunMainDialog(CQuorinDlg& dialog) override;

 private:
  static inline int argc_ = 1;
  static inline char program_[] = "talvenor";
  static inline char* argv_[] = {program_, nullptr};
};

// Each test gets its own settings folder (XDG_CONFIG_HOME), bank-data
// folders without editions (XDG_DATA_HOME, XDG_DATA_DIRS) and program
// folder, no update server from the environment, and a date inside the
// data's validity.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `content` to `path` (creating folders) and returns the path.
  static fs::path WriteFile(const fs::path& path, const std::string& content);
  static std::string ReadFile(const fs::path& path);
  platform::UserSettings Settings() const { return platform::UserSettings(); }

  // Runs the start-up with `arguments` and hands the main dialog to `body`.
  int WithMainDialog(const std::function<void(CQuorinDlg&)>& body,
                     UpdateCheckFunction check = NoNewVersion(),
                     const std::vector<std::string>& arguments = {});

  // The application object while WithMainDialog runs.
  CQuorinApp& app() { return *app_; }

  fs::path folder_;       // everything of this test lives here
  fs::path programPath_;  // folder_/bin/talvenor (the file itself need not exist)
  FakeUi ui_;
  // The bank-data update of WithMainDialog's start.
  BankDataUpdateFunction updateBankData_ = UnexpectedUpdate();

 private:
  std::optional<platform::ScopedClockOverride> clock_;
  CQuorinApp* app_ = nullptr;
};

// While it lives, calls `answer` with the next modal window that opens
// (checked every 10 ms).
class ModalAnswer {
 public:
  explicit ModalAnswer(std::function<void(QWidget*)> answer);
  ModalAnswer(const ModalAnswer&) = delete;
  ModalAnswer& operator=(const ModalAnswer&) = delete;

 private:
  QTimer timer_;
  std::function<void(QWidget*)> answer_;
};

// Processes events until `done` holds or `ms` milliseconds have passed.
bool WaitFor(const std::function<bool()>& done, int ms = 3000);

// Shows the main dialog and lets the start sequence run: the update check,
// then the disclaimer, which is accepted.
void ShowPastDisclaimer(CQuorinDlg& dialog);

// The child of `parent` named `name`; fails the test when there is none.
template <typename Widget>
Widget* Child(QWidget& parent, const char* name) {
  Widget* child = parent.findChild<Widget*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

}  // namespace talvenor::app::testing

#endif  // TALVENOR_TESTS_APP_GUI_GUI_TEST_SUPPORT_H_
