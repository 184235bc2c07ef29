#include "app/quorin_dlg.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app/about_dlg.h"
#include "app/bank_data_install.h"
#include "app/bank_data_update_ui.h"
#include "app/dialog_look.h"
#include "app/dlghaft.h"
#include "app/iban_check_dlg.h"
#include "app/quorin_app.h"
#include "app/screenshot_hook.h"
#include "app/screenshot_tour.h"
#include "app/setting_dlg.h"
#include "app/update_check.h"
#include "batch/convert_file.h"
#include "core/single_conversion.h"
#include "editions/edition_report.h"
#include "platform/clock.h"
#include "platform/data_folders.h"

namespace talvenor::app {

using editions::kAssumedRuleNote;
using editions::kUnhandledMethodNote;
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// An edit field that takes at most `maxDigits` decimal digits.
QLineEdit* DigitsField(int maxDigits, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setMaxLength(maxDigits);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
  return field;
}

}  // namespace

CQuorinDlg::CQuorinDlg(CQuorinApp& app, QWidget* parent) : QDialog(parent), app_(app) {
  setWindowTitle(kApplicationTitle);
  LoadBuiltInResources();
  if (QFile::exists(":/talvenor/talvenor.svg")) setWindowIcon(QIcon(":/talvenor/talvenor.svg"));
  BuildControls();
  WriteFields();
  LeaveToTour(this);  // only for tools/screenshots.sh
}

void CQuorinDlg::BuildControls() {
  auto* intro = new QLabel(
      "Zur Ermittlung einer IBAN und BIC geben Sie bitte Bankleitzahl und Kontonummer ein.", this);
  intro->setWordWrap(true);
  CreateFields();
  CreateButtons();
  QGridLayout* grid = LayOutFields();
  QHBoxLayout* buttonRow = LayOutButtonRow();
  QMenuBar* menuBar = CreateHelpMenu();

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addWidget(intro);
  layout->addSpacing(6);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addWidget(Separator(this));
  layout->addLayout(buttonRow);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  ConnectButtons();
  // Tab follows the controls top to bottom, left to right.
  ChainTabOrder({bankCodeField_, accountField_, bicField_, ibanField_, calculateButton_,
                 inputFileField_, browseButton_, createButton_, settingsButton_, helpButton_,
                 quitButton_});
}

void CQuorinDlg::CreateFields() {
  bankCodeField_ = DigitsField(8, this);
  accountField_ = DigitsField(10, this);
  bankNameLabel_ = new QLabel(this);
  verdictLabel_ = new QLabel(this);
  // Room for the longest short bank name (27 characters) and the longest
  // verdict, so the dialog keeps its size from one conversion to the next.
  const int infoWidth = fontMetrics().horizontalAdvance("IBAN Ermittlung nicht zugelassen") + 8;
  bankNameLabel_->setMinimumWidth(infoWidth);
  verdictLabel_->setMinimumWidth(infoWidth);
  bicField_ = new QLineEdit(this);
  ShowAsReadOnly(bicField_);
  ibanField_ = new QLineEdit(this);
  ShowAsReadOnly(ibanField_);
  // Wide enough for an IBAN (22 characters) with room to spare.
  ibanField_->setMinimumWidth(ibanField_->fontMetrics().horizontalAdvance('W') * 18);
  inputFileField_ = new QLineEdit(this);

  bankCodeField_->setObjectName("bankCode");
  accountField_->setObjectName("account");
  bankNameLabel_->setObjectName("bankName");
  verdictLabel_->setObjectName("verdict");
  bicField_->setObjectName("bic");
  ibanField_->setObjectName("iban");
  inputFileField_->setObjectName("inputFile");
}

void CQuorinDlg::CreateButtons() {
  calculateButton_ = new QPushButton("IBAN berechnen", this);
  // Enter in an edit field runs the conversion; on a focused button Enter
  // presses that button (every push button of a dialog is auto-default).
  calculateButton_->setDefault(true);
  browseButton_ = new QPushButton("Durchsuchen ...", this);
  createButton_ = new QPushButton("IBANRUECK Datei", this);
  settingsButton_ = new QPushButton("Einstellungen", this);
  helpButton_ = new QPushButton("Hilfe", this);
  quitButton_ = new QPushButton("Beenden", this);

  calculateButton_->setObjectName("calculate");
  browseButton_->setObjectName("browse");
  createButton_->setObjectName("createOutput");
  settingsButton_->setObjectName("settings");
  helpButton_->setObjectName("help");
  quitButton_->setObjectName("quit");
}

QGridLayout* CQuorinDlg::LayOutFields() {
  auto* grid = new QGridLayout;
  grid->setColumnStretch(2, 1);
  grid->addWidget(new QLabel("BLZ:", this), 0, 0);
  grid->addWidget(bankCodeField_, 0, 1);
  grid->addWidget(bankNameLabel_, 0, 2, 1, 2);
  grid->addWidget(new QLabel("Kontonummer:", this), 1, 0);
  grid->addWidget(accountField_, 1, 1);
  grid->addWidget(verdictLabel_, 1, 2, 1, 2);
  grid->addWidget(new QLabel("BIC:", this), 2, 0);
  grid->addWidget(bicField_, 2, 1);
  grid->addWidget(new QLabel("IBAN:", this), 3, 0);
  grid->addWidget(ibanField_, 3, 1);
  grid->addWidget(calculateButton_, 4, 1, Qt::AlignLeft);
  grid->addWidget(Separator(this), 5, 0, 1, 4);
  grid->addWidget(new QLabel("IBANHIN Datei:", this), 6, 0);
  grid->addWidget(inputFileField_, 6, 1, 1, 2);
  grid->addWidget(browseButton_, 6, 3);
  return grid;
}

QHBoxLayout* CQuorinDlg::LayOutButtonRow() {
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(createButton_);
  buttonRow->addWidget(settingsButton_);
  buttonRow->addWidget(helpButton_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(quitButton_);
  return buttonRow;
}

QMenuBar* CQuorinDlg::CreateHelpMenu() {
  // The commands needed now and then (the help document, the IBAN check,
  // installing a bank-code file or updating the bank data, the about box) sit in a small menu
  // "Hilfe", so the buttons are left for the daily work.
  auto* menuBar = new QMenuBar(this);
  QMenu* helpMenu = menuBar->addMenu("&Hilfe");
  QAction* helpAction = helpMenu->addAction("&Hilfe", this, &CQuorinDlg::OnHelp);
  helpAction->setShortcut(QKeySequence::HelpContents);
  helpMenu->addSeparator();
  helpMenu->addAction(kIbanCheckMenuText, this, &CQuorinDlg::OnCheckIban);
  helpMenu->addAction(kLoadBankDataMenuText, this, &CQuorinDlg::OnLoadBankData);
  helpMenu->addAction(kUpdateBankDataMenuText, this, &CQuorinDlg::OnUpdateBankData);
  helpMenu->addAction(kAboutMenuText, this, &CQuorinDlg::OnAbout);
  return menuBar;
}

void CQuorinDlg::ConnectButtons() {
  connect(calculateButton_, &QPushButton::clicked, this, &CQuorinDlg::OnOK);
  connect(browseButton_, &QPushButton::clicked, this, &CQuorinDlg::OnBrowse);
  connect(createButton_, &QPushButton::clicked, this, &CQuorinDlg::OnCreateOutput);
  connect(settingsButton_, &QPushButton::clicked, this, &CQuorinDlg::OnSettings);
  connect(helpButton_, &QPushButton::clicked, this, &CQuorinDlg::OnHelp);
  connect(quitButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void CQuorinDlg::SetInputFile(const std::string& path) {
  inputFile_ = path;
  inputFileField_->setText(ToQt(path));
}

void CQuorinDlg::ReadFields() {
  bankCode_ = bankCodeField_->text().toStdString();
  account_ = accountField_->text().toStdString();
  bic_ = bicField_->text().toStdString();
  iban_ = ibanField_->text().toStdString();
  inputFile_ = inputFileField_->text().toStdString();
}

void CQuorinDlg::WriteFields() {
  bankCodeField_->setText(ToQt(bankCode_));
  accountField_->setText(ToQt(account_));
  bankNameLabel_->setText(ToQt(bankName_));
  verdictLabel_->setText(ToQt(verdict_));
  bicField_->setText(ToQt(bic_));
  ibanField_->setText(ToQt(iban_));
  inputFileField_->setText(ToQt(inputFile_));
}

void CQuorinDlg::SetVerdictEmphasis(bool bold) {
  if (!normalFont_) {
    normalFont_ = verdictLabel_->font();
    normalFont_->setWeight(QFont::Normal);  // 400
    boldFont_ = verdictLabel_->font();
    boldFont_->setWeight(QFont::Bold);  // 700
  }
  verdictLabel_->setFont(bold ? *boldFont_ : *normalFont_);
}

void CQuorinDlg::OnOK() {
  ReadFields();
  bankName_.clear();
  verdict_.clear();
  const SingleConversionOutcome outcome =
      ConvertSingle(app_.Directory(), bankCode_, account_, app_.FileBesideProgram("DEBUG.INI"));
  switch (outcome.status) {
    case SingleConversionStatus::InvalidBankCode:
      app_.Ui().ShowMessage(std::string(kMessageInvalidBankCode));
      WriteFields();
      bankCodeField_->setFocus();
      return;
    case SingleConversionStatus::MissingAccount:
      app_.Ui().ShowMessage(std::string(kMessageMissingAccount));
      bankCodeField_->setFocus();
      return;
    case SingleConversionStatus::Converted:
      break;
  }
  if (!outcome.deletionNotice.empty()) app_.Ui().ShowMessage(outcome.deletionNotice);
  bankName_ = outcome.bankName;
  bic_ = outcome.bic;
  iban_ = outcome.iban;
  verdict_ = outcome.verdict;
  account_ = outcome.accountText;
  SetVerdictEmphasis(outcome.emphasise);
  WriteFields();
  if (outcome.notReleased) app_.Ui().ShowMessage(std::string(kMessageNotReleased));
  if (outcome.ruleOrigin == RuleOrigin::kAssumed && !outcome.ruleOverridden) {
    app_.Ui().ShowMessage(std::string(kAssumedRuleNote));
  }
  if (outcome.accountUnchecked) app_.Ui().ShowMessage(std::string(kUnhandledMethodNote));
}

void CQuorinDlg::OnBrowse() {
  const std::optional<std::string> chosen = app_.Ui().AskOpenFile();
  if (!chosen) return;
  // Whatever was typed into the other fields meanwhile is kept.
  ReadFields();
  inputFile_ = *chosen;
  WriteFields();
}

void CQuorinDlg::OnCreateOutput() {
  ReadFields();
  std::error_code error;
  const std::filesystem::path input(inputFile_);
  const bool isFile = !inputFile_.empty() && std::filesystem::exists(input, error) &&
                      !std::filesystem::is_directory(input, error);
  if (!isFile) {
    app_.Ui().ShowMessage("Bitte geben Sie einen gültigen Dateinamen an!");
    inputFileField_->setFocus();
    return;
  }
  batch::BatchOptions options = batch::DefaultBatchOptions(app_.Directory());
  options.formatIni = app_.FileBesideProgram("FORMAT.INI");
  options.threads = app_.BatchThreads();
  SaveFileQuestionFromUi question(app_.Ui());
  options.saveQuestion = &question;
  std::string message;
  const int result = batch::ConvertFile(inputFile_, "", message, options);
  if (result == batch::kConvertSucceeded) {
    // Which data the records were converted with: an update or install
    // from the menu may have changed it since the start.
    message +=
        "\n\nBankleitzahlendatei: " + editions::DescribeEdition(app_.Data().edition().source) +
        ", gültig bis " + editions::GermanDate(app_.Data().DataValidUntil()) + ".";
  }
  if (result != batch::kConvertCancelled && !message.empty()) app_.Ui().ShowMessage(message);
}

void CQuorinDlg::OnSettings() {
  CSetting settings(app_.Ui(), this);
  settings.exec();
}

void CQuorinDlg::OnHelp() {
  const std::filesystem::path help = app_.FileBesideProgram("Talvenor.pdf");
  std::error_code error;
  if (help.empty() || !std::filesystem::exists(help, error)) {
    app_.Ui().ShowMessage("Hilfedatei nicht verfügbar!");
    return;
  }
  if (!app_.Ui().OpenFile(help)) {
    app_.Ui().ShowMessage(
        "Zur Anzeige der Hilfedatei ist ein installierter PDF Reader erforderlich!");
  }
}

void CQuorinDlg::OnAbout() {
  CAboutDlg about(app_, this);
  about.exec();
}

void CQuorinDlg::OnLoadBankData() {
  InstallBankDataInteractively(app_.Ui(), app_.Data(), platform::UserDataFolder());
}

void CQuorinDlg::OnUpdateBankData() { app_.UpdateBankData(); }

void CQuorinDlg::OnCheckIban() {
  // The edition in force now: an install from the menu may have replaced it.
  IbanCheckDialog check(app_.Data(), this);
  check.exec();
}

void CQuorinDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (updateCheckPosted_) return;
  updateCheckPosted_ = true;
  QMetaObject::invokeMethod(this, &CQuorinDlg::OnCheckUpdate, Qt::QueuedConnection);
}

void CQuorinDlg::OnCheckUpdate() {
  updateUrl_.clear();
  const std::string version = app_.CheckForUpdate(updateUrl_);
  if (IsNewerVersion(version, app_.ProgramVersion()) && app_.Ui().AskYesNo(kNewVersionQuestion)) {
    app_.OpenInBrowser(UpdatePageToOpen(updateUrl_, ConfiguredUpdateServer()));
    reject();  // the dialog has ended: no disclaimer follows
    return;
  }
  QMetaObject::invokeMethod(this, &CQuorinDlg::OnDisclaimer, Qt::QueuedConnection);
}

void CQuorinDlg::OnDisclaimer() {
  // The disclaimer names the edition in use, which may be one installed
  // or updated since the program was built.
  const editions::BankDataEdition& edition = app_.Data().edition();
  CDlghaft disclaimer(edition.source, edition.validUntil, this);
  if (disclaimer.exec() != QDialog::Accepted) {
    reject();
    return;
  }
  if (ScreenshotsWanted()) RunScreenshotTour(*this, app_);
}

}  // namespace talvenor::app
