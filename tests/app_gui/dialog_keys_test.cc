// The keyboard in the dialogs: the order in which Tab visits the controls,
// and what Enter does on a focused button and in an edit field.
#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/about_dlg.h"
#include "app/iban_check_dlg.h"
#include "app/setting_dlg.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

// The widgets Tab visits, starting at the one that has the focus, until the
// chain comes back to it (at most 30 steps).
std::vector<QWidget*> TabChain(QWidget& dialog) {
  std::vector<QWidget*> chain;
  QWidget* start = dialog.focusWidget();
  if (start == nullptr) return chain;
  QWidget* current = start;
  do {
    chain.push_back(current);
    QTest::keyClick(current, Qt::Key_Tab);
    current = dialog.focusWidget();
  } while (current != nullptr && current != start && chain.size() < 30);
  return chain;
}

std::vector<std::string> Names(const std::vector<QWidget*>& widgets) {
  std::vector<std::string> names;
  for (const QWidget* widget : widgets) names.push_back(widget->objectName().toStdString());
  return names;
}

// Every control of `dialog` that Tab can reach.
std::size_t TabStops(QWidget& dialog) {
  std::size_t count = 0;
  for (QWidget* child : dialog.findChildren<QWidget*>()) {
    if ((child->focusPolicy() & Qt::TabFocus) != 0 && child->isVisibleTo(&dialog) &&
        child->isEnabled()) {
      ++count;
    }
  }
  return count;
}

// Fails unless every widget of `chain` comes after the one before it in
// reading order: on a lower row, or on the same row further right.
void ExpectReadingOrder(QWidget& dialog, const std::vector<QWidget*>& chain) {
  for (std::size_t i = 1; i < chain.size(); ++i) {
    const QRect before(chain[i - 1]->mapTo(&dialog, QPoint(0, 0)), chain[i - 1]->size());
    const QRect after(chain[i]->mapTo(&dialog, QPoint(0, 0)), chain[i]->size());
    const bool lowerRow = after.top() >= before.center().y();
    const bool sameRow =
        after.center().y() >= before.top() && after.center().y() <= before.bottom();
    EXPECT_TRUE(lowerRow || (sameRow && after.left() > before.left()))
        << Names({chain[i - 1]}).front() << " " << chain[i - 1]->metaObject()->className()
        << " before " << Names({chain[i]}).front() << " " << chain[i]->metaObject()->className();
  }
}

void ShowActive(QWidget& dialog) {
  dialog.show();
  dialog.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// The standard button `which` of the dialog's button box.
QWidget* BoxButton(QWidget& dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  return box != nullptr ? box->button(which) : nullptr;
}

// Focuses `widget` and presses Enter where the focus is.
void EnterOn(QWidget& dialog, QWidget* widget) {
  widget->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(dialog.focusWidget(), widget);
  QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
}

using DialogKeys = ShellTest;

TEST_F(DialogKeys, MainDialogTabOrderFollowsTheControls) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    ShowPastDisclaimer(dialog);
    Child<QLineEdit>(dialog, "bankCode")->setFocus();
    const std::vector<QWidget*> chain = TabChain(dialog);
    EXPECT_EQ(Names(chain), (std::vector<std::string>{"bankCode", "account", "bic", "iban",
                                                      "calculate", "inputFile", "browse",
                                                      "createOutput", "settings", "help", "quit"}));
    EXPECT_EQ(chain.size(), TabStops(dialog));
  });
}

TEST_F(DialogKeys, SettingsAndAboutTabTopToBottomLeftToRight) {
  {
    CSetting settings(ui_);
    ShowActive(settings);
    EXPECT_EQ(settings.focusWidget(), Child<QCheckBox>(settings, "group"));
    const std::vector<QWidget*> chain = TabChain(settings);
    EXPECT_EQ(chain.size(), 5u);  // box, path, "...", OK, "Abbrechen"
    EXPECT_EQ(chain.size(), TabStops(settings));
    ExpectReadingOrder(settings, chain);
  }
  WithMainDialog([&](CQuorinDlg& main) {
    CAboutDlg about(app(), &main);
    ShowActive(about);
    EXPECT_EQ(about.focusWidget(), Child<QCheckBox>(about, "noUpdateCheck"));
    const std::vector<QWidget*> chain = TabChain(about);
    EXPECT_EQ(chain.size(), 3u);  // box, "Lizenzbestimmungen", OK
    EXPECT_EQ(chain.size(), TabStops(about));
    ExpectReadingOrder(about, chain);
  });
}

TEST_F(DialogKeys, IbanCheckTabsTopToBottomAndReachesTheRuleIbanOnlyWhenShown) {
  WithMainDialog([&](CQuorinDlg& main) {
    IbanCheckDialog dialog(app().Data(), &main);
    ShowActive(dialog);
    const std::vector<std::string> withoutRule{"ibanInput", "check",   "bankName", "bic",
                                               "bankCode",  "account", "verdict",  "close"};
    std::vector<QWidget*> chain = TabChain(dialog);
    EXPECT_EQ(Names(chain), withoutRule);
    EXPECT_EQ(chain.size(), TabStops(dialog));
    ExpectReadingOrder(dialog, chain);

    // An inconsistent IBAN brings up the rule's IBAN below the verdict.
    Child<QLineEdit>(dialog, "ibanInput")->setText("DE52370501980000008888");
    EnterOn(dialog, Child<QLineEdit>(dialog, "ibanInput"));
    chain = TabChain(dialog);
    EXPECT_EQ(Names(chain),
              (std::vector<std::string>{"ibanInput", "check", "bankName", "bic", "bankCode",
                                        "account", "verdict", "ruleIban", "close"}));
    EXPECT_EQ(chain.size(), TabStops(dialog));
    ExpectReadingOrder(dialog, chain);

    Child<QLineEdit>(dialog, "ibanInput")->setText("DE42370501981901335750");
    EnterOn(dialog, Child<QLineEdit>(dialog, "ibanInput"));
    EXPECT_EQ(Names(TabChain(dialog)), withoutRule);
  });
}

TEST_F(DialogKeys, IbanCheckResultsAreCopiedWithTheKeyboard) {
  WithMainDialog([&](CQuorinDlg& main) {
    IbanCheckDialog dialog(app().Data(), &main);
    ShowActive(dialog);
    Child<QLineEdit>(dialog, "ibanInput")->setText("DE52370501980000008888");
    EnterOn(dialog, Child<QLineEdit>(dialog, "ibanInput"));
    for (const char* result : {"bankName", "bic", "bankCode", "account", "verdict", "ruleIban"}) {
      SCOPED_TRACE(result);
      QWidget* widget = dialog.findChild<QWidget*>(result);
      widget->setFocus(Qt::TabFocusReason);
      QApplication::clipboard()->clear();
      QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(widget, Qt::Key_C, Qt::ControlModifier);
      const QString shown = qobject_cast<QLabel*>(widget) != nullptr
                                ? static_cast<QLabel*>(widget)->text()
                                : static_cast<QLineEdit*>(widget)->text();
      EXPECT_FALSE(shown.isEmpty());
      EXPECT_EQ(QApplication::clipboard()->text(), shown);
    }
  });
}

TEST_F(DialogKeys, EnterInTheIbanCheck) {
  WithMainDialog([&](CQuorinDlg& main) {
    IbanCheckDialog dialog(app().Data(), &main);
    ShowActive(dialog);
    auto* verdict = Child<QLabel>(dialog, "verdict");
    Child<QLineEdit>(dialog, "ibanInput")->setText("DE42370501981901335750");
    // Enter on a focused result field checks, as in the IBAN field.
    EnterOn(dialog, Child<QLineEdit>(dialog, "bic"));
    EXPECT_EQ(verdict->text(), "IBAN plausibel.");
    verdict->clear();
    EnterOn(dialog, Child<QPushButton>(dialog, "check"));
    EXPECT_EQ(verdict->text(), "IBAN plausibel.");
    EXPECT_TRUE(dialog.isVisible());
    EnterOn(dialog, Child<QPushButton>(dialog, "close"));
    EXPECT_FALSE(dialog.isVisible());
  });
}

TEST_F(DialogKeys, EnterOnAFocusedMainDialogButtonPressesThatButton) {
  struct Case {
    const char* button;
    bool converts;                      // the IBAN field is filled
    std::vector<std::string> messages;  // what the person is shown
    const char* modal;                  // class of the dialog that opens, or ""
    const char* inputFile;              // the IBANHIN field afterwards
    bool closes;                        // the main dialog ends
  };
  // clang-format off
  const Case cases[] = {
      {"calculate", true, {}, "", "", false},
      {"browse", false, {}, "", "/daten/IBANHIN.txt", false},
      {"createOutput", false, {"Bitte geben Sie einen gültigen Dateinamen an!"}, "", "", false},
      {"settings", false, {}, "talvenor::app::CSetting", "", false},
      {"help", false, {"Hilfedatei nicht verfügbar!"}, "", "", false},
      {"quit", false, {}, "", "", true},
  };
  // clang-format on
  WithMainDialog([&](CQuorinDlg& dialog) {
    ShowPastDisclaimer(dialog);
    ShowActive(dialog);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.button);
      ui_.messages.clear();
      ui_.openAnswer = "/daten/IBANHIN.txt";
      Child<QLineEdit>(dialog, "inputFile")->clear();
      Child<QLineEdit>(dialog, "iban")->clear();
      Child<QLineEdit>(dialog, "bankCode")->setText("37050198");
      Child<QLineEdit>(dialog, "account")->setText("1234567897");
      std::string modal;
      const ModalAnswer answer([&modal](QWidget* window) {
        modal = window->metaObject()->className();
        static_cast<QDialog*>(window)->reject();
      });
      EnterOn(dialog, Child<QPushButton>(dialog, c.button));
      QApplication::processEvents();
      EXPECT_EQ(Child<QLineEdit>(dialog, "iban")->text().isEmpty(), !c.converts);
      EXPECT_EQ(ui_.Texts(), c.messages);
      EXPECT_EQ(modal, c.modal);
      EXPECT_EQ(Child<QLineEdit>(dialog, "inputFile")->text().toStdString(), c.inputFile);
      EXPECT_EQ(dialog.isVisible(), !c.closes);
    }
  });
}

TEST_F(DialogKeys, EnterInAMainDialogFieldPressesIbanBerechnen) {
  WithMainDialog([&](CQuorinDlg& dialog) {
    ShowPastDisclaimer(dialog);
    ShowActive(dialog);
    auto* calculate = Child<QPushButton>(dialog, "calculate");
    for (const char* field : {"bankCode", "account", "inputFile"}) {
      SCOPED_TRACE(field);
      // A focused button takes over Enter; once the focus is in a field
      // again, Enter is the conversion.
      Child<QPushButton>(dialog, "settings")->setFocus(Qt::TabFocusReason);
      EXPECT_FALSE(calculate->isDefault());
      Child<QLineEdit>(dialog, "iban")->clear();
      Child<QLineEdit>(dialog, "bankCode")->setText("37050198");
      Child<QLineEdit>(dialog, "account")->setText("1234567897");
      EnterOn(dialog, Child<QLineEdit>(dialog, field));
      EXPECT_TRUE(calculate->isDefault());
      EXPECT_EQ(Child<QLineEdit>(dialog, "iban")->text(), "DE98370501981234567897");
      EXPECT_TRUE(ui_.messages.empty());
    }
  });
}

TEST_F(DialogKeys, EnterInTheSettingsDialog) {
  struct Case {
    const char* what;
    const char* focus;  // object name, or "OK" or "Abbrechen"
    std::size_t folderQuestions;
    QDialog::DialogCode result;
    bool open;
    bool stored;
  };
  // clang-format off
  const Case cases[] = {
      {"on \"...\"", "browse", 1, QDialog::Rejected, true, false},
      {"in the path field", "path", 0, QDialog::Accepted, false, true},
      {"on the check box", "group", 0, QDialog::Accepted, false, true},
      {"on OK", "OK", 0, QDialog::Accepted, false, true},
      {"on Abbrechen", "Abbrechen", 0, QDialog::Rejected, false, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(platform::SettingsFile());
    ui_ = FakeUi();
    CSetting settings(ui_);
    ShowActive(settings);
    QWidget* focus = settings.findChild<QWidget*>(c.focus);
    if (std::string(c.focus) == "OK") focus = BoxButton(settings, QDialogButtonBox::Ok);
    if (std::string(c.focus) == "Abbrechen") focus = BoxButton(settings, QDialogButtonBox::Cancel);
    ASSERT_NE(focus, nullptr);
    EnterOn(settings, focus);
    EXPECT_EQ(ui_.folderQuestions.size(), c.folderQuestions);
    EXPECT_EQ(settings.isVisible(), c.open);
    if (!c.open) {
      EXPECT_EQ(settings.result(), c.result);
    }
    EXPECT_EQ(Settings().Find("SETTINGS", "GROUP").has_value(), c.stored);
  }
}

TEST_F(DialogKeys, EnterInTheAboutBox) {
  struct Case {
    const char* focus;
    bool licenceShown;
    bool open;
  };
  const Case cases[] = {
      {"licence", true, true}, {"noUpdateCheck", false, false},  // the default button, OK
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus);
    fs::remove(platform::SettingsFile());
    ui_ = FakeUi();
    WithMainDialog([&](CQuorinDlg& main) {
      CAboutDlg about(app(), &main);
      ShowActive(about);
      EnterOn(about, about.findChild<QWidget*>(c.focus));
      EXPECT_EQ(ui_.messages.size(), c.licenceShown ? 1u : 0u);
      EXPECT_EQ(about.isVisible(), c.open);
    });
    EXPECT_EQ(Settings().Find("SETTINGS", "UPDATE").has_value(), !c.open);
  }
}

}  // namespace
}  // namespace talvenor::app::testing
