// Updating the bank data while a person watches: the menu command, the
// offer at a start with expired data, the disclaimer naming the edition in
// use, and the real progress window. The update itself is a stand-in that
// installs a file or fails as told; the network is never used.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/about_dlg.h"
#include "app/bank_data_update_ui.h"
#include "app/data_validity.h"
#include "app/dlghaft.h"
#include "app/progress_dlg.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

using namespace std::chrono;
using editions::EditionOrigin;
using editions::UpdateOutcome;
using editions::UpdateResult;
using platform::LocalDateTime;

const fs::path kPublic2026 = fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt";
const std::string kFailed =
    "Die Bankleitzahlendateien können nicht aktualisiert werden; es wurde nichts geändert.\n"
    "Die Download-Seite https://bank.example/blz kann nicht gelesen werden: abgelehnt\n";
const std::string kFailedShown = kFailed.substr(0, kFailed.size() - 1);

class BankDataUpdate : public ShellTest {
 protected:
  fs::path Editions() const { return folder_ / "data" / "Korvane" / "Talvenor"; }

  // Reports one transfer, then installs the public 2026 file as `name`,
  // with a warning; stops when the transfer is cancelled, as the real
  // update does. It must be run into the user's folder on `today`.
  BankDataUpdateFunction Installing(std::string name, editions::Date today) {
    return [this, name, today](const fs::path& folder, editions::Date day,
                               editions::UpdateObserver& observer) {
      EXPECT_EQ(folder, Editions());
      EXPECT_EQ(day, today);
      observer.Step("blz-aktuell-txt-data.txt wird geladen ...");
      UpdateResult result;
      if (!observer.Report(512, 1024)) {
        result.outcome = UpdateOutcome::kCancelled;
        return result;
      }
      fs::create_directories(folder);
      fs::copy_file(kPublic2026, folder / name);
      result.outcome = UpdateOutcome::kInstalled;
      result.report = "Installiert.\n";
      result.warnings = {"Keine IBAN-Regeln."};
      return result;
    };
  }
  static BankDataUpdateFunction Ending(UpdateOutcome outcome, std::string report) {
    return [outcome, report](const fs::path&, editions::Date, editions::UpdateObserver&) {
      UpdateResult result;
      result.outcome = outcome;
      result.report = report;
      return result;
    };
  }
};

TEST_F(BankDataUpdate, FromTheMenuTheNewEditionIsUsedAtOnce) {
  const LocalDateTime july{year{2026} / July / 1};
  updateBankData_ = Installing("blz_2026_06_08.txt", july.date);
  WithMainDialog([&](CQuorinDlg& dialog) {
    platform::ScopedClockOverride clock(july);
    QMenu* menu = dialog.findChild<QMenuBar*>()->actions().first()->menu();
    QAction* command = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->text() == kUpdateBankDataMenuText) command = action;
    }
    ASSERT_NE(command, nullptr);
    command->trigger();
    EXPECT_EQ(ui_.progressTitles, std::vector<std::string>{kUpdateBankDataMenuText});
    EXPECT_EQ(ui_.progressSteps.size(), 1u);
    EXPECT_EQ(ui_.progressBytes.size(), 1u);
    ASSERT_EQ(ui_.reports.size(), 1u);
    EXPECT_EQ(ui_.reports[0].first, "Bankleitzahlendatei aktualisiert");
    EXPECT_EQ(ui_.reports[0].second, "Warnung: Keine IBAN-Regeln.\n\nInstalliert.\n");
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(app().Data().edition().source.validFrom, year{2026} / June / 8);
    CAboutDlg about(app());
    EXPECT_EQ(Child<QLabel>(about, "validUntil")->text().toStdString(),
              "Daten gültig bis: 06.09.2026");
  });
}

TEST_F(BankDataUpdate, FromTheMenuAFailureACancelOrNothingNewChangesNothing) {
  const LocalDateTime july{year{2026} / July / 1};
  struct Case {
    const char* what;
    BankDataUpdateFunction update;
    bool cancel;
    std::vector<std::string> messages;
    std::size_t reports;
  };
  const Case cases[] = {
      {"failed", Ending(UpdateOutcome::kFailed, kFailed), false, {kFailedShown}, 0},
      // The window's cancel reaches the transfer, which stops.
      {"cancelled", Installing("blz_2026_06_08.txt", july.date), true, {kUpdateCancelledText}, 0},
      {"current", Ending(UpdateOutcome::kCurrent, "Aktuell.\n"), false, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_ = FakeUi();
    ui_.cancelProgress = c.cancel;
    updateBankData_ = c.update;
    WithMainDialog([&](CQuorinDlg& dialog) {
      platform::ScopedClockOverride clock(july);
      dialog.OnUpdateBankData();
      EXPECT_EQ(app().Data().edition().source.origin, EditionOrigin::kBuiltIn);
    });
    EXPECT_EQ(ui_.Texts(), c.messages);
    EXPECT_EQ(ui_.reports.size(), c.reports);
    EXPECT_FALSE(fs::exists(Editions()));
  }
}

// More than fifteen days after the built-in data's end: without the offer
// the window would never open.
TEST_F(BankDataUpdate, AtAStartWithExpiredDataTheUpdateIsOfferedFirst) {
  const LocalDateTime december{year{2026} / December / 9, hours{9}, minutes{0}, seconds{0}};
  const std::string offer = UpdateOfferText(year{2024} / June / 2);
  const std::string force = ExpiryNoticeFor(15, year{2024} / June / 2)->text;
  // The edition of 08.06.2026 ended on 06.09.2026, 94 days before.
  const std::string forceLater = ExpiryNoticeFor(94, year{2026} / September / 6)->text;
  const fs::path given = WriteFile(folder_ / "given" / "blz_2026_06_08.txt", ReadFile(kPublic2026));
  struct Case {
    const char* what;
    bool answer;
    BankDataUpdateFunction update;
    std::vector<std::string> messages;
    std::optional<editions::Date> inForce;  // the main dialog opens with it
    bool given = false;                     // a bank-code file given for the run
  };
  // clang-format off
  const Case cases[] = {
      {"Yes, the current edition", true, Installing("blz_2026_12_07.txt", december.date), {offer}, year{2026} / December / 7},
      {"No", false, UnexpectedUpdate(), {offer, force}, {}},
      {"Yes, failed", true, Ending(UpdateOutcome::kFailed, kFailed), {offer, kFailedShown, force}, {}},
      {"Yes, only an edition that is over", true, Installing("blz_2026_06_08.txt", december.date),
       {offer, StillExpiredText(year{2026} / September / 6), forceLater}, {}},
      {"a given file is not replaced", true, UnexpectedUpdate(), {forceLater}, {}, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Editions());
    ui_ = FakeUi();
    ui_.yesNoAnswers.push_back(c.answer);
    platform::ScopedClockOverride clock(december);
    TestApp app(ui_, programPath_, NoNewVersion(), c.update);
    std::optional<editions::Date> inForce;
    app.onDialog = [&](CQuorinDlg&) { inForce = app.Data().edition().source.validFrom; };
    BankDataChoice choice;
    if (c.given) choice.file = given.string();
    const int status = app.InitInstance({}, choice);
    EXPECT_EQ(ui_.Texts(), c.messages);
    EXPECT_EQ(inForce, c.inForce);
    EXPECT_EQ(status, c.inForce ? kExitDone : kExitExpired);
    EXPECT_EQ(ui_.openedUrls.size(), c.inForce ? 0u : 1u);  // the web page only on the way out
  }
}

// The main dialog hands the disclaimer the edition in use; its path is
// shown as text, whatever characters it holds.
TEST_F(BankDataUpdate, TheDisclaimerNamesTheEditionInUse) {
  WriteFile(Editions() / "blz_2026_06_08.txt", ReadFile(kPublic2026));
  platform::ScopedClockOverride clock(LocalDateTime{year{2026} / July / 1});
  std::string shown;
  WithMainDialog([&](CQuorinDlg& dialog) {
    const ModalAnswer answer([&](QWidget* modal) {
      auto* disclaimer = qobject_cast<CDlghaft*>(modal);
      ASSERT_NE(disclaimer, nullptr);
      shown = disclaimer->Document()->toPlainText().toStdString();
      disclaimer->accept();
    });
    dialog.show();
    ASSERT_TRUE(WaitFor([&] { return !shown.empty(); }));
  });
  EXPECT_NE(shown.find("Verwendet wird die Bankleitzahlendatei, Ausgabe vom 08.06.2026 "
                       "(installiert, " +
                       (Editions() / "blz_2026_06_08.txt").string() +
                       "); sie gilt bis zum 06.09.2026. Danach fordert"),
            std::string::npos)
      << shown;

  const CDlghaft odd({EditionOrigin::kInstalled, "/a/<b>x</b> & y.txt", year{2026} / June / 8},
                     year{2026} / September / 6);
  EXPECT_NE(odd.Document()->toPlainText().toStdString().find("(installiert, /a/<b>x</b> & y.txt)"),
            std::string::npos);
}

TEST(ProgressWindow, ReceivedText) {
  EXPECT_EQ(ReceivedText(0, 0), "");
  EXPECT_EQ(ReceivedText(1, 0), "1 kB empfangen");  // a few bytes are not nothing
  EXPECT_EQ(ReceivedText(300000, 700000), "300 kB von 700 kB");
}

// The real window: the task runs on a thread of its own, what it reports
// is shown, and cancelling asks the task to stop without ending the window
// under it.
TEST(ProgressWindow, ShowsTheTaskAndCancelsOnlyByAskingIt) {
  QtUserInterface ui;
  std::atomic<bool> sawCancel{false};
  std::atomic<bool> release{false};
  std::thread::id taskThread;
  bool looked = false;
  const ModalAnswer answer([&](QWidget* modal) {
    auto* window = qobject_cast<ProgressDialog*>(modal);
    ASSERT_NE(window, nullptr);
    auto* received = Child<QLabel>(*window, "received");
    ASSERT_TRUE(WaitFor([&] { return received->text() == "1,5 MB von 3,0 MB"; }));
    EXPECT_EQ(Child<QLabel>(*window, "step")->text(), "blz.txt wird geladen ...");
    EXPECT_EQ(Child<QProgressBar>(*window, "bar")->value(), 500);
    Child<QPushButton>(*window, "cancel")->click();
    EXPECT_TRUE(WaitFor([&] { return sawCancel.load(); }));
    window->reject();  // Escape or closing while the task still runs
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    looked = true;
    release = true;
  });
  ui.RunWithProgress(kUpdateBankDataMenuText, [&](ProgressSink& sink) {
    taskThread = std::this_thread::get_id();
    sink.Step("blz.txt wird geladen ...");
    sink.Bytes(1500000, 3000000);
    // Waits as a transfer would between two reports (at most 5 s each).
    for (int i = 0; i < 500 && !sink.Cancelled(); ++i) std::this_thread::sleep_for(10ms);
    sawCancel = sink.Cancelled();
    for (int i = 0; i < 500 && !release; ++i) std::this_thread::sleep_for(10ms);
  });
  EXPECT_TRUE(looked);
  EXPECT_TRUE(sawCancel);
  EXPECT_NE(taskThread, std::this_thread::get_id());

  EXPECT_THROW(
      ui.RunWithProgress("Test", [](ProgressSink&) { throw std::runtime_error("kaputt"); }),
      std::runtime_error);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace talvenor::app::testing
