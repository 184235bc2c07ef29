#include "app/iban_check_dlg.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSizePolicy>
#include <QVBoxLayout>
#include <initializer_list>
#include <string>

#include "app/bank_data.h"
#include "app/dialog_look.h"
#include "core/iban_check.h"

namespace talvenor::app {
namespace {

QLineEdit* ResultField(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  ShowAsReadOnly(field);
  return field;
}

// Shows `text` from its start: a text longer than the field keeps its
// beginning in view, not its end.
void Put(QLineEdit* field, const std::string& text) {
  field->setText(QString::fromStdString(text));
  field->setCursorPosition(0);
}

}  // namespace

IbanCheckDialog::IbanCheckDialog(const BankData& bankData, QWidget* parent)
    : QDialog(parent), data_(bankData) {
  setObjectName("iban_check");
  setWindowTitle("IBAN prüfen");
  BuildControls();
  LayOut();
  input_->setFocus();
}

void IbanCheckDialog::BuildControls() {
  input_ = new QLineEdit(this);
  input_->setObjectName("ibanInput");
  input_->setMaxLength(kIbanInputMaxLength);
  checkButton_ = new QPushButton("IBAN prüfen", this);
  checkButton_->setObjectName("check");
  // Enter in the IBAN field checks; on a focused button Enter presses that
  // button (every push button of a dialog is auto-default).
  checkButton_->setDefault(true);
  closeButton_ = new QPushButton("Schließen", this);
  closeButton_->setObjectName("close");

  bankName_ = ResultField(this, "bankName");
  bic_ = ResultField(this, "bic");
  bankCode_ = ResultField(this, "bankCode");
  account_ = ResultField(this, "account");
  ruleIban_ = ResultField(this, "ruleIban");
  // The verdict may run to two or three sentences: it wraps instead of
  // being cut, and can be selected and copied like the fields.
  verdict_ = new QLabel(this);
  verdict_->setObjectName("verdict");
  verdict_->setTextFormat(Qt::PlainText);
  verdict_->setWordWrap(true);
  verdict_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  verdict_->setFocusPolicy(Qt::StrongFocus);  // Tab reaches it, as it does the fields
  ruleIbanLabel_ = new QLabel("IBAN nach Regel:", this);
  ruleIbanLabel_->setObjectName("ruleIbanLabel");

  // Room for the whole input, and for most bank names, in one column.
  const int width = input_->fontMetrics().horizontalAdvance(QString(kIbanInputMaxLength, '0'));
  input_->setMinimumWidth(width + 12);
  verdict_->setFixedWidth(width + 12);
  // Three lines at least, and room kept for the rule's IBAN while it is
  // hidden, so the dialog keeps its size from one check to the next.
  verdict_->setMinimumHeight(verdict_->fontMetrics().lineSpacing() * 3);
  const std::initializer_list<QWidget*> ruleRow{ruleIbanLabel_, ruleIban_};
  for (QWidget* widget : ruleRow) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
  }

  connect(checkButton_, &QPushButton::clicked, this, &IbanCheckDialog::OnCheck);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void IbanCheckDialog::LayOut() {
  auto* intro = new QLabel(
      "Geben Sie bitte die zu prüfende IBAN ein, ohne Leerzeichen oder in Vierergruppen.", this);
  intro->setWordWrap(true);

  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  grid->addWidget(new QLabel("IBAN:", this), 0, 0);
  grid->addWidget(input_, 0, 1);
  grid->addWidget(checkButton_, 1, 1, Qt::AlignLeft);
  grid->addWidget(Separator(this), 2, 0, 1, 2);
  grid->addWidget(new QLabel("Bankname:", this), 3, 0);
  grid->addWidget(bankName_, 3, 1);
  grid->addWidget(new QLabel("BIC:", this), 4, 0);
  grid->addWidget(bic_, 4, 1);
  grid->addWidget(new QLabel("Bankleitzahl:", this), 5, 0);
  grid->addWidget(bankCode_, 5, 1);
  grid->addWidget(new QLabel("Kontonummer:", this), 6, 0);
  grid->addWidget(account_, 6, 1);
  grid->addWidget(new QLabel("Ergebnis:", this), 7, 0, Qt::AlignTop);
  grid->addWidget(verdict_, 7, 1);
  grid->addWidget(ruleIbanLabel_, 8, 0);
  grid->addWidget(ruleIban_, 8, 1);
  ruleIbanLabel_->hide();
  ruleIban_->hide();

  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(closeButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addSpacing(6);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addWidget(Separator(this));
  layout->addLayout(buttonRow);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Tab follows the controls top to bottom; the rule's IBAN is skipped
  // while it is hidden.
  ChainTabOrder({input_, checkButton_, bankName_, bic_, bankCode_, account_, verdict_, ruleIban_,
                 closeButton_});
}

void IbanCheckDialog::OnCheck() {
  ShowResult(CheckIban(data_.directory(), input_->text().toStdString()));
}

void IbanCheckDialog::ShowResult(const IbanCheck& check) {
  // A text that is no IBAN leaves every field but the verdict empty.
  const bool isIban = check.code != IbanCheckCode::kNoIban;
  Put(bankName_, isIban ? check.bankName : std::string());
  Put(bic_, isIban ? check.bic : std::string());
  Put(bankCode_, isIban ? check.bankCode : std::string());
  Put(account_, isIban ? check.account : std::string());
  verdict_->setText(QString::fromStdString(check.verdict));
  QFont font = verdict_->font();
  font.setWeight(check.plausible() ? QFont::Normal : QFont::Bold);
  verdict_->setFont(font);

  const bool otherRuleIban = isIban && !check.ruleIban.empty() && check.ruleIban != check.iban;
  Put(ruleIban_, otherRuleIban ? check.ruleIban : std::string());
  ruleIbanLabel_->setVisible(otherRuleIban);
  ruleIban_->setVisible(otherRuleIban);
}

}  // namespace talvenor::app
