#include "gui_test_support.h"

#include <unistd.h>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>

#include "app/dlghaft.h"

namespace talvenor::app::testing {

BankDataUpdateFunction UnexpectedUpdate() {
  return [](const fs::path&, editions::Date, editions::UpdateObserver&) {
    ADD_FAILURE() << "a bank-data update ran that the test did not expect";
    editions::UpdateResult result;
    result.outcome = editions::UpdateOutcome::kFailed;
    result.report = "unerwartete Aktualisierung";
    return result;
  };
}

void TestApp::RunMainDialog(CQuorinDlg& dialog) {
  ++dialogsRun;
  inputFieldAtStart = dialog.findChild<QLineEdit*>("inputFile")->text().toStdString();
  if (onDialog) onDialog(dialog);
}

void ShellTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = fs::temp_directory_path() / (std::string("talvenor_gui_") + info->test_suite_name() +
                                         "_" + info->name() + "_" + std::to_string(getpid()));
  fs::remove_all(folder_);
  fs::create_directories(folder_ / "config");
  fs::create_directories(folder_ / "bin");
  programPath_ = folder_ / "bin" / "talvenor";
  setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
  setenv("XDG_DATA_DIRS", (folder_ / "system").c_str(), 1);
  unsetenv("TALVENOR_UPDATE_HOST");
  unsetenv("TALVENOR_SCREENSHOT_DIR");
  using namespace std::chrono;
  clock_.emplace(platform::LocalDateTime{year{2024} / May / 15, hours{12}, minutes{0}, seconds{0}});
}

void ShellTest::TearDown() {
  clock_.reset();
  fs::remove_all(folder_);
}

fs::path ShellTest::WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string ShellTest::ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int ShellTest::WithMainDialog(const std::function<void(CQuorinDlg&)>& body,
                              UpdateCheckFunction check,
                              const std::vector<std::string>& arguments) {
  TestApp app(ui_, programPath_, std::move(check), updateBankData_);
  app.onDialog = body;
  app_ = &app;
  const int status = app.InitInstance(arguments);
  app_ = nullptr;
  EXPECT_EQ(app.dialogsRun, 1);
  return status;
}

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer_.stop();
      answer_(modal);
    }
  });
  timer_.start();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done() && elapsed.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

void ShowPastDisclaimer(CQuorinDlg& dialog) {
  bool accepted = false;
  const ModalAnswer answer([&accepted](QWidget* modal) {
    ASSERT_NE(qobject_cast<CDlghaft*>(modal), nullptr);
    accepted = true;
    static_cast<QDialog*>(modal)->accept();
  });
  dialog.show();
  ASSERT_TRUE(WaitFor([&] { return accepted; }));
  QApplication::processEvents();
}

}  // namespace talvenor::app::testing
