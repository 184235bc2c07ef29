// The main dialog: single conversions and their presentation, the batch
// start, browsing, help, the about command, and the sequence update check →
// disclaimer after the dialog is shown.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "app/about_dlg.h"
#include "app/dlghaft.h"
#include "core/single_conversion.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

// What the fields and the verdict show.
struct Screen {
  std::string bankName, verdict, bic, iban, account;
  bool bold = false;
};

Screen Look(CQuorinDlg& dialog) {
  Screen s;
  s.bankName = Child<QLabel>(dialog, "bankName")->text().toStdString();
  s.verdict = Child<QLabel>(dialog, "verdict")->text().toStdString();
  s.bold = Child<QLabel>(dialog, "verdict")->font().weight() == QFont::Bold;
  s.bic = Child<QLineEdit>(dialog, "bic")->text().toStdString();
  s.iban = Child<QLineEdit>(dialog, "iban")->text().toStdString();
  s.account = Child<QLineEdit>(dialog, "account")->text().toStdString();
  return s;
}

void Enter(CQuorinDlg& dialog, const char* bankCode, const char* account) {
  Child<QLineEdit>(dialog, "bankCode")->setText(bankCode);
  Child<QLineEdit>(dialog, "account")->setText(account);
}

// The closing sentence of every deletion notice.
const std::string kDeletionEnd =
    "\r\n\r\nBitte denken Sie daran, dass die Kontoangaben in\r\nzukünftigen Versionen für den "
    "Zahlungsverkehr\r\nnicht mehr gültig sind!";

using MainDialog = ShellTest;

TEST_F(MainDialog, ConversionOutcomes) {
  struct Case {
    const char* what;
    const char* bankCode;
    const char* account;
    Screen expected;
  };
  const Case cases[] = {
      // Method 00 over 123456789, weights 2,1,2,... from the right, digit
      // sums 9+8+5+6+1+4+6+2+2 = 43, check digit 10 - 3 = 7.
      {"valid",
       "37050198",
       "1234567897",
       {"Sparkasse KölnBonn", "Kontonummer gültig", "COLSDE33XXX", "DE98370501981234567897",
        "1234567897", false}},
      // Check digit 0 instead of 7: result 11, bold. The IBAN is formed all the
      // same: 370501981234567890131400 mod 97 = 5, 98 - 5 = 93.
      {"invalid account",
       "37050198",
       "1234567890",
       {"Sparkasse KölnBonn", "Kontonummer ungültig", "COLSDE33XXX", "DE93370501981234567890",
        "1234567890", true}},
  };
  WithMainDialog([&](CQuorinDlg& dialog) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      Enter(dialog, c.bankCode, c.account);
      dialog.OnOK();
      const Screen s = Look(dialog);
      EXPECT_EQ(s.bankName, c.expected.bankName);
      EXPECT_EQ(s.verdict, c.expected.verdict);
      EXPECT_EQ(s.bold, c.expected.bold);
      EXPECT_EQ(s.bic, c.expected.bic);
      EXPECT_EQ(s.iban, c.expected.iban);
      EXPECT_EQ(s.account, c.expected.account);
    }
  });
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MainDialog, InvalidBankCodeEmptiesNameAndVerdictButKeepsBicAndIban) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    for (const char* bankCode : {"3705019", "07050198", "97050198", "37050199"}) {
      SCOPED_TRACE(bankCode);
      ui_.messages.clear();
      Enter(dialog, "37050198", "1234567897");
      dialog.OnOK();
      Child<QLineEdit>(dialog, "account")->setFocus();
      // The bank code check comes first, even with the account missing.
      Enter(dialog, bankCode, "");
      dialog.OnOK();
      EXPECT_EQ(ui_.Texts(), std::vector<std::string>{std::string(kMessageInvalidBankCode)});
      const Screen s = Look(dialog);
      EXPECT_EQ(s.bankName, "");
      EXPECT_EQ(s.verdict, "");
      EXPECT_EQ(s.bic, "COLSDE33XXX");
      EXPECT_EQ(s.iban, "DE98370501981234567897");
      EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(dialog, "bankCode"));
    }
  });
}

TEST_F(MainDialog, MissingAccountLeavesTheScreenAndFocusesTheBankCode) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    Enter(dialog, "37050198", "1234567897");
    dialog.OnOK();
    Child<QLineEdit>(dialog, "account")->setFocus();
    Enter(dialog, "37050198", "");
    dialog.OnOK();
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{std::string(kMessageMissingAccount)});
    const Screen s = Look(dialog);
    EXPECT_EQ(s.bankName, "Sparkasse KölnBonn");  // not rewritten
    EXPECT_EQ(s.verdict, "Kontonummer gültig");
    EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(dialog, "bankCode"));
  });
}

TEST_F(MainDialog, DeletionNoticeBeforeAndNotReleasedWarningAfterTheFields) {
  std::vector<Screen> screensAtMessages;
  WithMainDialog([&](CQuorinDlg& dialog) {
    ui_.onMessage = [&](const std::string&) { screensAtMessages.push_back(Look(dialog)); };
    // 21000000: to be deleted without successor, rule 0001 (not released),
    // method 09 (no check). Result 50, bold; the IBAN is formed:
    // 210000001234567890131400 mod 97 = 59, 98 - 59 = 39.
    Enter(dialog, "21000000", "1234567890");
    dialog.OnOK();
    const Screen s = Look(dialog);
    EXPECT_EQ(s.bankName, "BBk Hamburg eh Kiel");
    EXPECT_EQ(s.verdict, "Kontonummer gültig");
    EXPECT_TRUE(s.bold);
    EXPECT_EQ(s.iban, "DE39210000001234567890");
  });
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{"BBk Hamburg eh Kiel ist zur Löschung vorgesehen. Ein "
                                      "Nachfolgeinstitut ist nicht angegeben." +
                                          kDeletionEnd,
                                      std::string(kMessageNotReleased)}));
  ASSERT_EQ(screensAtMessages.size(), 2u);
  EXPECT_EQ(screensAtMessages[0].iban, "");  // the notice comes before the fields change
  EXPECT_EQ(screensAtMessages[0].verdict, "");
  EXPECT_EQ(screensAtMessages[1].iban, "DE39210000001234567890");  // the warning after
  EXPECT_TRUE(screensAtMessages[1].bold);
}

TEST_F(MainDialog, DeletedBankCodeConvertsWithItsSuccessor) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    Enter(dialog, "38050000", "1234567897");
    dialog.OnOK();
    const Screen s = Look(dialog);
    EXPECT_EQ(s.bankName, "Sparkasse Bonn -alt-");  // the entered bank code's name
    EXPECT_EQ(s.bic, "COLSDE33XXX");                // the successor's
    EXPECT_EQ(s.iban, "DE98370501981234567897");
    EXPECT_FALSE(s.bold);
  });
  EXPECT_EQ(ui_.Texts(),
            std::vector<std::string>{"Sparkasse Bonn -alt- ist zur Löschung vorgesehen.\r\nDas "
                                     "Nachfolgeinstitut hat die BLZ: 37050198. Sie wird zur "
                                     "IBAN/BIC Ermittlung verwendet." +
                                     kDeletionEnd});
}

TEST_F(MainDialog, FieldsTakeDigitsOnlyUpToTheirLength) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    auto* bankCode = Child<QLineEdit>(dialog, "bankCode");
    auto* account = Child<QLineEdit>(dialog, "account");
    QTest::keyClicks(bankCode, "12a34-5678 90");
    QTest::keyClicks(account, "0x12345678901");
    EXPECT_EQ(bankCode->text(), "12345678");
    EXPECT_EQ(account->text(), "0123456789");
    EXPECT_TRUE(Child<QLineEdit>(dialog, "bic")->isReadOnly());
    EXPECT_TRUE(Child<QLineEdit>(dialog, "iban")->isReadOnly());
  });
}

// The colour in the middle of `field` as drawn on screen (the field is
// empty, so that is its background).
QColor DrawnBackground(QLineEdit* field) {
  const QImage picture = field->grab().toImage();
  return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

TEST_F(MainDialog, ReadOnlyFieldsAreDrawnOnTheWindowBackground) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    dialog.show();
    const QColor window = dialog.palette().color(QPalette::Window);
    const QColor base = dialog.palette().color(QPalette::Base);
    ASSERT_NE(window, base);  // otherwise the test tells nothing
    for (const char* name : {"bic", "iban"}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(DrawnBackground(Child<QLineEdit>(dialog, name)), window);
    }
    for (const char* name : {"bankCode", "account", "inputFile"}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(DrawnBackground(Child<QLineEdit>(dialog, name)), base);
    }
  });
}

TEST_F(MainDialog, EnterInEitherFieldRunsTheConversion) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    ShowPastDisclaimer(dialog);
    for (const char* field : {"bankCode", "account"}) {
      SCOPED_TRACE(field);
      Child<QLineEdit>(dialog, "iban")->clear();
      Enter(dialog, "37050198", "1234567897");
      QTest::keyClick(Child<QLineEdit>(dialog, field), Qt::Key_Return);
      EXPECT_EQ(Look(dialog).iban, "DE98370501981234567897");
    }
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);  // cancel ends the dialog
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  });
}

TEST_F(MainDialog, BatchStartNeedsAnExistingFile) {
  const fs::path missing = folder_ / "missing.csv";
  WithMainDialog([&](CQuorinDlg& dialog) {
    auto* field = Child<QLineEdit>(dialog, "inputFile");
    for (const std::string& input : {std::string(), missing.string(), folder_.string()}) {
      SCOPED_TRACE(input);
      ui_.messages.clear();
      field->setText(QString::fromStdString(input));
      Child<QLineEdit>(dialog, "bankCode")->setFocus();
      dialog.OnCreateOutput();
      EXPECT_EQ(ui_.Texts(),
                std::vector<std::string>{"Bitte geben Sie einen gültigen Dateinamen an!"});
      EXPECT_EQ(dialog.focusWidget(), field);
    }
  });
  EXPECT_TRUE(ui_.saveQuestions.empty());  // no output file was asked for
}

TEST_F(MainDialog, BatchStartAsksForTheOutputAndShowsTheOutcome) {
  const fs::path input = WriteFile(folder_ / "in.csv", "DE;;;;;37050198;1234567897;;;;;\n");
  const fs::path output = folder_ / "IBANRUECK.csv";
  const fs::path outputFolder = folder_ / "results";
  fs::create_directories(outputFolder);
  Settings().SetString("SETTINGS", "PATH", outputFolder.string());
  WithMainDialog([&](CQuorinDlg& dialog) {
    dialog.SetInputFile(input.string());

    ui_.saveAnswer.reset();  // cancelled: nothing shown, nothing written
    dialog.OnCreateOutput();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_FALSE(fs::exists(output));

    ui_.saveAnswer = output.string();
    dialog.OnCreateOutput();
  });
  EXPECT_EQ(ui_.saveQuestions,
            (std::vector<std::string>{outputFolder.string(), outputFolder.string()}));
  // The message names the bank data the records were converted with.
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{output.string() +
                                                  "\nerfolgreich erzeugt.\n\n"
                                                  "Bankleitzahlendatei: Ausgabe vom 04.03.2024 "
                                                  "(eingebaut), gültig bis 02.06.2024."});
  EXPECT_NE(ReadFile(output).find("\"DE98370501981234567897\""), std::string::npos);
}

TEST_F(MainDialog, BatchFailureShowsTheRunsMessage) {
  const fs::path input = WriteFile(folder_ / "in.csv", "\tnot a record file\n");
  WithMainDialog([&](CQuorinDlg& dialog) {
    dialog.SetInputFile(input.string());
    ui_.saveAnswer = (folder_ / "out.csv").string();
    dialog.OnCreateOutput();
  });
  EXPECT_EQ(ui_.Texts(),
            std::vector<std::string>{input.string() + "\nhat ein unbekanntes Format!"});
}

TEST_F(MainDialog, BrowsePutsTheChosenFileIntoTheField) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    Child<QLineEdit>(dialog, "bankCode")->setText("370");  // typed, not yet used
    ui_.openAnswer.reset();
    dialog.OnBrowse();
    EXPECT_EQ(Child<QLineEdit>(dialog, "inputFile")->text(), "");
    ui_.openAnswer = "/data/IBANHIN.txt";
    dialog.OnBrowse();
    EXPECT_EQ(Child<QLineEdit>(dialog, "inputFile")->text(), "/data/IBANHIN.txt");
    EXPECT_EQ(Child<QLineEdit>(dialog, "bankCode")->text(), "370");
  });
}

TEST_F(MainDialog, HelpDocumentBesideTheProgram) {
  const fs::path help = programPath_.parent_path() / "Talvenor.pdf";
  WithMainDialog([&](CQuorinDlg& dialog) {
    dialog.OnHelp();  // missing
    WriteFile(help, "%PDF-1.4\n");
    ui_.filesOpen = false;
    dialog.OnHelp();  // no reader
    ui_.filesOpen = true;
    dialog.OnHelp();  // opened
  });
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{
                "Hilfedatei nicht verfügbar!",
                "Zur Anzeige der Hilfedatei ist ein installierter PDF Reader erforderlich!"}));
  EXPECT_EQ(ui_.openedFiles, (std::vector<fs::path>{help, help}));
}

TEST_F(MainDialog, AboutCommandIsInTheHelpMenu) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    QAction* about = nullptr;
    for (QAction* action : dialog.findChild<QMenuBar*>()->findChildren<QAction*>()) {
      if (action->text() == kAboutMenuText) about = action;
    }
    ASSERT_NE(about, nullptr);
    std::string title;
    const ModalAnswer answer([&title](QWidget* modal) {
      title = modal->windowTitle().toStdString();
      static_cast<QDialog*>(modal)->reject();
    });
    about->trigger();
    EXPECT_EQ(title, "Info über Talvenor");
  });
}

// The start sequence: update check, then the disclaimer.
TEST_F(MainDialog, UpdateOfferAcceptedOpensThePageAndEnds) {
  ui_.yesNoAnswers = {true};
  bool disclaimerSeen = false;
  WithMainDialog(
      [&](CQuorinDlg& dialog) {
        const ModalAnswer answer([&](QWidget* modal) {
          disclaimerSeen = true;
          static_cast<QDialog*>(modal)->accept();
        });
        dialog.show();
        ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }));
        WaitFor([&] { return disclaimerSeen; }, 200);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
      },
      ServerNames("1.66.0", "https://updates.example/talvenor.html"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, kNewVersionQuestion);
  EXPECT_TRUE(ui_.messages[0].yesNo);
  EXPECT_EQ(ui_.openedUrls, std::vector<std::string>{"https://updates.example/talvenor.html"});
  EXPECT_FALSE(disclaimerSeen);
}

TEST_F(MainDialog, UpdateOfferWithoutAddressOpensTheDefaultPage) {
  ui_.yesNoAnswers = {true};
  WithMainDialog(
      [&](CQuorinDlg& dialog) {
        dialog.show();
        ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }));
      },
      ServerNames("1.66.0", ""));
  EXPECT_EQ(ui_.openedUrls,
            std::vector<std::string>{DefaultUpdatePageUrl(ConfiguredUpdateServer())});
}

TEST_F(MainDialog, UpdateOfferDeclinedThenDisclaimer) {
  struct Case {
    const char* what;
    bool accept;
  };
  for (const Case c : {Case{"accepted", true}, Case{"declined", false}}) {
    SCOPED_TRACE(c.what);
    ui_ = FakeUi();
    ui_.yesNoAnswers = {false};
    bool disclaimerHadText = false;
    WithMainDialog(
        [&](CQuorinDlg& dialog) {
          bool answered = false;
          const ModalAnswer answer([&](QWidget* modal) {
            auto* disclaimer = qobject_cast<CDlghaft*>(modal);
            ASSERT_NE(disclaimer, nullptr);
            EXPECT_EQ(disclaimer->windowTitle(), "Haftungsausschluss");
            EXPECT_TRUE(disclaimer->Document()->isReadOnly());
            disclaimerHadText = !disclaimer->Document()->toPlainText().isEmpty();
            answered = true;
            c.accept ? disclaimer->accept() : disclaimer->reject();
          });
          dialog.show();
          ASSERT_TRUE(WaitFor([&] { return answered; }));
          QApplication::processEvents();
          // Declining the disclaimer ends the main dialog (and the program).
          EXPECT_EQ(dialog.isVisible(), c.accept);
          if (!c.accept) {
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
          }
        },
        ServerNames("1.66.0", ""));
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.openedUrls.empty());
    EXPECT_TRUE(disclaimerHadText);
  }
}

TEST_F(MainDialog, NoOfferForAnOlderOrEqualVersionAndTheSwitchIsPassedOn) {
  std::vector<bool> enabledSeen;
  const auto check = [&](const UpdateServer&, bool enabled, const std::string& programVersion,
                         std::string&, ProxyCredentialsPrompt*) {
    enabledSeen.push_back(enabled);
    EXPECT_EQ(programVersion, "1.65.0");
    return std::string("1.65.0");
  };
  Settings().SetInt("SETTINGS", "UPDATE", 0);
  WithMainDialog([&](CQuorinDlg& dialog) { ShowPastDisclaimer(dialog); }, check);
  Settings().SetInt("SETTINGS", "UPDATE", 1);
  WithMainDialog([&](CQuorinDlg& dialog) { ShowPastDisclaimer(dialog); }, check);
  EXPECT_EQ(enabledSeen, (std::vector<bool>{false, true}));
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace talvenor::app::testing
