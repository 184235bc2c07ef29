// The dialog "IBAN prüfen": opened from the main dialog's menu, a check
// per Enter, what the fields show for each kind of result, and the edition
// it checks against.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/iban_check_dlg.h"
#include "core/iban.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

using namespace std::chrono;

// What the dialog shows.
struct Screen {
  std::string bankName, bic, bankCode, account, verdict;
  bool bold = false;
  std::string ruleIban;  // empty when the row is hidden
};

Screen Look(QWidget& dialog) {
  Screen s;
  s.bankName = Child<QLineEdit>(dialog, "bankName")->text().toStdString();
  s.bic = Child<QLineEdit>(dialog, "bic")->text().toStdString();
  s.bankCode = Child<QLineEdit>(dialog, "bankCode")->text().toStdString();
  s.account = Child<QLineEdit>(dialog, "account")->text().toStdString();
  s.verdict = Child<QLabel>(dialog, "verdict")->text().toStdString();
  s.bold = Child<QLabel>(dialog, "verdict")->font().weight() == QFont::Bold;
  auto* rule = Child<QLineEdit>(dialog, "ruleIban");
  const bool shown = rule->isVisibleTo(&dialog);
  EXPECT_EQ(shown, Child<QLabel>(dialog, "ruleIbanLabel")->isVisibleTo(&dialog));
  if (shown) s.ruleIban = rule->text().toStdString();
  return s;
}

// Types `text` into the IBAN field as a person would and presses Enter.
void TypeAndEnter(QWidget& dialog, const std::string& text) {
  auto* input = Child<QLineEdit>(dialog, "ibanInput");
  input->setFocus();
  input->clear();
  QTest::keyClicks(input, QString::fromStdString(text));
  QTest::keyClick(input, Qt::Key_Return);
}

QAction* MenuCommand(CQuorinDlg& dialog, const char* text) {
  for (QAction* action : dialog.findChild<QMenuBar*>()->findChildren<QAction*>()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

// Opens the dialog from the main dialog's menu and runs `body` on it while
// it is open; closes it afterwards unless `body` did. Returns whether it
// came up as a modal IbanCheckDialog.
bool WithCheckDialog(CQuorinDlg& main, const std::function<void(IbanCheckDialog&)>& body) {
  QAction* command = MenuCommand(main, kIbanCheckMenuText);
  EXPECT_NE(command, nullptr);
  if (command == nullptr) return false;
  bool opened = false;
  const ModalAnswer answer([&](QWidget* modal) {
    auto* check = qobject_cast<IbanCheckDialog*>(modal);
    opened = check != nullptr;
    if (check != nullptr) body(*check);
    if (modal->isVisible()) static_cast<QDialog*>(modal)->reject();
  });
  command->trigger();
  return opened;
}

using IbanCheckWindow = ShellTest;

TEST_F(IbanCheckWindow, OpensFromTheMenuEmptyWithTheFocusInTheIbanField) {
  WithMainDialog([&](CQuorinDlg& main) {
    EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), "IBAN prüfen");
      EXPECT_EQ(dialog.parentWidget(), &main);
      EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(dialog, "ibanInput"));
      EXPECT_EQ(Child<QLineEdit>(dialog, "ibanInput")->maxLength(), 42);
      EXPECT_TRUE(Child<QPushButton>(dialog, "check")->isDefault());
      const Screen s = Look(dialog);
      EXPECT_EQ(s.bankName + s.bic + s.bankCode + s.account + s.verdict + s.ruleIban, "");
      for (const char* field : {"bankName", "bic", "bankCode", "account", "ruleIban"}) {
        EXPECT_TRUE(Child<QLineEdit>(dialog, field)->isReadOnly()) << field;
      }
    }));
  });
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(IbanCheckWindow, EachCheckShowsItsOwnResult) {
  struct Case {
    const char* what;
    const char* typed;
    Screen expected;
  };
  // One after the other in one dialog, so nothing of a check may be left
  // over from the one before it.
  // clang-format off
  const Case cases[] = {
      {"plausible (donation account 8888 of 37050198)", "DE42370501981901335750",
       {"Sparkasse KölnBonn", "COLSDE33XXX", "37050198", "1901335750", "IBAN plausibel.", false,
        ""}},
      {"inconsistent: the rule forms another IBAN", "DE52370501980000008888",
       {"Sparkasse KölnBonn", "COLSDE33XXX", "37050198", "0000008888",
        "Die IBAN-Regel der Bank bildet aus Bankleitzahl und Kontonummer eine andere IBAN: "
        "DE42 3705 0198 1901 3357 50.",
        true, "DE42370501981901335750"}},
      {"paper form, small letters, blanks around", "  de42 3705 0198 1901 3357 50 ",
       {"Sparkasse KölnBonn", "COLSDE33XXX", "37050198", "1901335750", "IBAN plausibel.", false,
        ""}},
      {"empty", "", {"", "", "", "", "Keine IBAN: Die Eingabe ist leer.", true, ""}},
      {"wrong check digits", "DE43370501981901335750",
       {"", "", "", "", "Die Prüfziffern der IBAN sind falsch.", true, ""}},
      {"no IBAN at all", "Konto#1234",
       {"", "", "", "", "Keine IBAN: Eine IBAN besteht nur aus Buchstaben und Ziffern.", true,
        ""}},
  };
  // clang-format on
  WithMainDialog([&](CQuorinDlg& main) {
    EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
      for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TypeAndEnter(dialog, c.typed);
        ASSERT_TRUE(dialog.isVisible());
        const Screen s = Look(dialog);
        EXPECT_EQ(s.bankName, c.expected.bankName);
        EXPECT_EQ(s.bic, c.expected.bic);
        EXPECT_EQ(s.bankCode, c.expected.bankCode);
        EXPECT_EQ(s.account, c.expected.account);
        EXPECT_EQ(s.verdict, c.expected.verdict);
        EXPECT_EQ(s.bold, c.expected.bold);
        EXPECT_EQ(s.ruleIban, c.expected.ruleIban);
        // The entered text stays for correcting it.
        EXPECT_EQ(Child<QLineEdit>(dialog, "ibanInput")->text().toStdString(), c.typed);
      }
    }));
  });
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(IbanCheckWindow, TextAfterTheFortySecondCharacterIsNotTaken) {
  WithMainDialog([&](CQuorinDlg& main) {
    EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
      TypeAndEnter(dialog, "DE42 3705 0198 1901 3357 50 und noch etwas mehr Text");
      EXPECT_EQ(Child<QLineEdit>(dialog, "ibanInput")->text().size(), 42);
      const Screen s = Look(dialog);
      EXPECT_TRUE(s.bold);
      EXPECT_TRUE(s.verdict.starts_with("Keine IBAN: ")) << s.verdict;
    }));
  });
}

TEST_F(IbanCheckWindow, EscapeAndSchliessenClose) {
  for (const char* focus : {"ibanInput", "verdict", "bankName"}) {
    SCOPED_TRACE(focus);
    WithMainDialog([&](CQuorinDlg& main) {
      bool closed = false;
      EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
        TypeAndEnter(dialog, "DE52370501980000008888");
        dialog.findChild<QWidget*>(focus)->setFocus();
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        closed = !dialog.isVisible();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
      }));
      EXPECT_TRUE(closed);
      EXPECT_TRUE(main.findChildren<IbanCheckDialog*>().isEmpty());  // not left behind
    });
  }
  WithMainDialog([&](CQuorinDlg& main) {
    bool closed = false;
    EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
      QTest::mouseClick(Child<QPushButton>(dialog, "close"), Qt::LeftButton);
      closed = !dialog.isVisible();
    }));
    EXPECT_TRUE(closed);
  });
}

// The dialog keeps its size from one check to the next, and a verdict of
// two or three sentences is wrapped, not cut.
TEST_F(IbanCheckWindow, KeepsItsSizeAndShowsLongVerdictsWhole) {
  WithMainDialog([&](CQuorinDlg& main) {
    EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
      QApplication::processEvents();
      const QSize empty = dialog.size();
      auto* verdict = Child<QLabel>(dialog, "verdict");
      for (const char* typed : {"DE42370501981901335750", "DE52370501980000008888",
                                "GB82 WEST 1234 5698 7654 32", "DE42370501981901335750"}) {
        SCOPED_TRACE(typed);
        TypeAndEnter(dialog, typed);
        QApplication::processEvents();
        EXPECT_EQ(dialog.size(), empty);
        EXPECT_GE(verdict->height(), verdict->heightForWidth(verdict->width()));
        EXPECT_LE(verdict->geometry().right(), dialog.rect().right());
      }
    }));
  });
}

// The dialog checks against the edition the main dialog uses: a bank code
// that only a newer installed edition knows is found once that edition is
// in force.
TEST_F(IbanCheckWindow, ChecksAgainstTheEditionInForce) {
  const fs::path editions = folder_ / "data" / "Korvane" / "Talvenor";
  fs::create_directories(editions);
  fs::copy_file(fs::path(TALVENOR_TEST_DATA) / "blz_2026_06_08.txt",
                editions / "blz_2026_06_08.txt");
  const std::string iban = FormIban("21050055", "1234567890");  // new in 2026
  struct Case {
    year_month_day today;
    std::string bankName;
  };
  const Case cases[] = {
      {year{2024} / May / 15, ""},  // the built-in edition: unknown bank code
      {year{2026} / July / 1, "HCOB - Hamburg Direct Bank"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bankName);
    const platform::ScopedClockOverride clock(c.today);
    WithMainDialog([&](CQuorinDlg& main) {
      EXPECT_TRUE(WithCheckDialog(main, [&](IbanCheckDialog& dialog) {
        TypeAndEnter(dialog, iban);
        const Screen s = Look(dialog);
        EXPECT_EQ(s.bankName, c.bankName) << s.verdict;
        EXPECT_EQ(s.bankCode, "21050055");
      }));
    });
  }
}

}  // namespace
}  // namespace talvenor::app::testing
