// Bank-data editions in the window: the validity of the edition in force
// at start-up, the about box, and installing a file from the menu.
#include <QLabel>
#include <QLineEdit>

#include "app/about_dlg.h"
#include "app/bank_data_install.h"
#include "app/data_validity.h"
#include "app/quorin_dlg.h"
#include "editions/edition_report.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

using namespace std::chrono;
using platform::LocalDateTime;

const fs::path kPublic2026 = fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt";

class BankDataWindow : public ShellTest {
 protected:
  fs::path Editions() const { return folder_ / "data" / "Korvane" / "Talvenor"; }
  void InstallPublic2026() const {
    fs::create_directories(Editions());
    fs::copy_file(kPublic2026, Editions() / "blz_2026_06_08.txt");
  }
  int Start(const LocalDateTime& now) {
    platform::ScopedClockOverride clock(now);
    TestApp app(ui_, programPath_);
    const int status = app.InitInstance({});
    dialogsRun_ = app.dialogsRun;
    return status;
  }
  int dialogsRun_ = 0;
};

LocalDateTime At(year_month_day date) { return {date, hours{0}, minutes{0}, seconds{0}}; }

TEST_F(BankDataWindow, ExpiryFollowsTheInstalledEdition) {
  InstallPublic2026();
  EXPECT_EQ(Start(At(year{2026} / July / 1)), kExitDone);
  EXPECT_EQ(dialogsRun_, 1);
  EXPECT_TRUE(ui_.messages.empty());

  // The offer to update is declined both times.
  ui_ = FakeUi();
  ui_.yesNoAnswers = {false, false};  // "No": go on with the old data
  EXPECT_EQ(Start(At(year{2026} / September / 7)), kExitDone);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, UpdateOfferText(year{2026} / September / 6));
  EXPECT_TRUE(ui_.messages[1].yesNo);
  EXPECT_TRUE(ui_.messages[1].text.starts_with(
      "Die Daten dieser Applikation waren nur bis zum 06.09.2026 gültig!\n\nSie sollten"));

  ui_ = FakeUi();
  EXPECT_EQ(Start(At(year{2026} / September / 21)), kExitExpired);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, UpdateOfferText(year{2026} / September / 6));
  EXPECT_FALSE(ui_.messages[1].yesNo);
  EXPECT_TRUE(ui_.messages[1].text.starts_with(
      "Die Daten dieser Applikation waren nur bis zum 06.09.2026 gültig!\n\nUm das Update"));
  EXPECT_EQ(dialogsRun_, 0);
}

TEST_F(BankDataWindow, DamagedEditionIsShownBeforeTheExpiryItCauses) {
  InstallPublic2026();
  const fs::path stored = Editions() / "blz_2026_06_08.txt";
  fs::resize_file(stored, fs::file_size(stored) - 50);
  EXPECT_EQ(Start(At(year{2026} / July / 1)), kExitExpired);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_NE(ui_.messages[0].text.find("ist fehlerhaft und wird nicht verwendet"),
            std::string::npos);
  EXPECT_NE(ui_.messages[0].text.find("Stattdessen wird die Ausgabe vom 04.03.2024"),
            std::string::npos);
  // The built-in edition keeps its own end: the damaged one counts for
  // nothing and stretches nothing.
  EXPECT_TRUE(ui_.messages[1].text.starts_with(
      "Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!"));
  EXPECT_TRUE(ui_.messages[2].text.starts_with(
      "Die Daten dieser Applikation waren nur bis zum 02.06.2024 gültig!"));
}

TEST_F(BankDataWindow, AboutBoxShowsTheEditionInForce) {
  InstallPublic2026();
  platform::ScopedClockOverride clock(LocalDateTime{year{2026} / July / 1});
  WithMainDialog([&](CQuorinDlg&) {
    CAboutDlg about(app());
    EXPECT_EQ(Child<QLabel>(about, "validUntil")->text().toStdString(),
              "Daten gültig bis: 06.09.2026");
    EXPECT_EQ(Child<QLabel>(about, "edition")->text().toStdString(),
              "Bankleitzahlendatei: Ausgabe vom 08.06.2026 (installiert, " +
                  (Editions() / "blz_2026_06_08.txt").string() + ")");
  });
}

// The window opens while the built-in data is valid; the file is loaded a
// little later, in July 2026.
TEST_F(BankDataWindow, LoadingAFileAsksForItsDateInstallsAndIsUsedAtOnce) {
  const fs::path download = folder_ / "blz-aktuell-txt-data.txt";
  fs::copy_file(kPublic2026, download);
  WithMainDialog([&](CQuorinDlg& dialog) {
    platform::ScopedClockOverride clock(LocalDateTime{year{2026} / July / 1});
    EXPECT_EQ(app().Data().edition().source.origin, editions::EditionOrigin::kBuiltIn);
    // Cancelled at the date question: nothing is installed.
    ui_.bankCodeFileAnswer = download.string();
    dialog.OnLoadBankData();
    ASSERT_EQ(ui_.dateQuestions.size(), 1u);
    EXPECT_EQ(ui_.dateQuestions[0].first, kStartDateQuestion);
    EXPECT_EQ(ui_.dateQuestions[0].second, year{2026} / June / 8);  // the latest scheduled start
    EXPECT_FALSE(fs::exists(Editions()));

    ui_.dateAnswer = year{2026} / June / 8;
    dialog.OnLoadBankData();
    ASSERT_EQ(ui_.reports.size(), 1u);
    EXPECT_NE(ui_.reports[0].second.find("Gültig bis:      06.09.2026"), std::string::npos);
    EXPECT_TRUE(fs::exists(Editions() / "blz_2026_06_08.txt"));
    EXPECT_EQ(app().Data().edition().source.validFrom, year{2026} / June / 8);

    // The new bank converts under the assumed standard rule, and says so.
    Child<QLineEdit>(dialog, "bankCode")->setText("70022424");
    Child<QLineEdit>(dialog, "account")->setText("1234567897");
    ui_.messages.clear();
    dialog.OnOK();
    EXPECT_EQ(Child<QLabel>(dialog, "bankName")->text().toStdString(), "Scalable Capital Bank");
    EXPECT_EQ(Child<QLineEdit>(dialog, "iban")->text().toStdString(), "DE93700224241234567897");
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{std::string(editions::kAssumedRuleNote)});
  });
}

TEST_F(BankDataWindow, AFaultyFileIsRefusedWithItsReason) {
  const fs::path broken = WriteFile(folder_ / "blz_2026_09_07.txt", "10000000 kurz\r\n");
  WithMainDialog([&](CQuorinDlg& dialog) {
    ui_.bankCodeFileAnswer = broken.string();
    dialog.OnLoadBankData();
    EXPECT_TRUE(ui_.dateQuestions.empty());  // the name carries the date
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].text.find("Zeile 1 hat 13 Zeichen"), std::string::npos);
    EXPECT_NE(ui_.messages[0].text.find("Es wurde nichts installiert."), std::string::npos);
    EXPECT_TRUE(ui_.reports.empty());
    EXPECT_FALSE(fs::exists(Editions()));
  });
}

}  // namespace
}  // namespace talvenor::app::testing
