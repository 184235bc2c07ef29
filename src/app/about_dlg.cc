#include "app/about_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <system_error>

#include "app/data_validity.h"
#include "app/quorin_app.h"
#include "platform/user_settings.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::DescribeEdition;
using editions::GermanDate;
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// "Talvenor Version 1.65": the product name and the first two parts of the
// program version.
std::string VersionLine(const std::string& productName, const std::string& programVersion) {
  const std::size_t firstDot = programVersion.find('.');
  const std::size_t secondDot =
      firstDot == std::string::npos ? std::string::npos : programVersion.find('.', firstDot + 1);
  return productName + " Version " + programVersion.substr(0, secondDot);
}

}  // namespace

std::string AboutCaption(std::string_view menuText, std::string_view productName) {
  std::string_view text = menuText.empty() ? menuText : menuText.substr(1);
  constexpr std::string_view kCut = "über ";
  const std::size_t at = text.find(kCut);
  if (at == std::string_view::npos) return std::string(text);
  return std::string(text.substr(0, at + kCut.size())) + std::string(productName);
}

std::string ReplaceTrailingDate(std::string_view text, std::string_view date) {
  const std::size_t keep = text.size() > date.size() ? text.size() - date.size() : 0;
  return std::string(text.substr(0, keep)) + std::string(date);
}

std::filesystem::path LicenceFile(const std::filesystem::path& programPath) {
  return std::filesystem::path(programPath).replace_extension("txt");
}

CAboutDlg::CAboutDlg(CQuorinApp& app, QWidget* parent) : QDialog(parent), app_(app) {
  productName_ = kApplicationTitle;
  updateCheck_ =
      platform::UserSettings().GetInt(platform::kSettingsSection, platform::kSettingUpdate, 1);

  setObjectName("about_box");
  setWindowTitle(ToQt(AboutCaption(kAboutMenuText, productName_)));

  QLabel* iconLabel = CreateIconLabel();
  QVBoxLayout* texts = CreateTexts();
  QHBoxLayout* buttons = CreateButtons();

  auto* top = new QHBoxLayout;
  top->addWidget(iconLabel);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* CAboutDlg::CreateIconLabel() {
  auto* iconLabel = new QLabel(this);
  QPixmap icon = QApplication::windowIcon().pixmap(48, 48);
  if (icon.isNull()) {  // the program's icon cannot be drawn here: the style's info sign
    icon = style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48);
  }
  iconLabel->setPixmap(icon);
  iconLabel->setAlignment(Qt::AlignTop);
  return iconLabel;
}

QVBoxLayout* CAboutDlg::CreateTexts() {
  auto* versionLabel = new QLabel(ToQt(VersionLine(productName_, app_.ProgramVersion())), this);
  QFont bold = versionLabel->font();
  bold.setWeight(QFont::Bold);
  versionLabel->setFont(bold);
  auto* makerLabel = new QLabel("Copyright © Korvane. Alle Rechte vorbehalten.", this);
  const BankDataEdition& edition = app_.Data().edition();
  auto* validLabel = new QLabel(
      ToQt(ReplaceTrailingDate("Daten gültig bis: 03.03.2024", GermanDate(edition.validUntil))),
      this);
  validLabel->setObjectName("validUntil");
  auto* editionLabel =
      new QLabel(ToQt("Bankleitzahlendatei: " + DescribeEdition(edition.source)), this);
  editionLabel->setObjectName("edition");
  editionLabel->setWordWrap(true);
  noUpdateBox_ = new QCheckBox("Online-Updateprüfung beim Starten deaktivieren", this);
  noUpdateBox_->setObjectName("noUpdateCheck");
  noUpdateBox_->setChecked(updateCheck_ == 0);

  auto* texts = new QVBoxLayout;
  texts->addWidget(versionLabel);
  texts->addWidget(makerLabel);
  texts->addSpacing(8);
  texts->addWidget(validLabel);
  texts->addWidget(editionLabel);
  texts->addSpacing(8);
  texts->addWidget(noUpdateBox_);
  return texts;
}

QHBoxLayout* CAboutDlg::CreateButtons() {
  auto* okButton = new QPushButton("OK", this);
  okButton->setDefault(true);
  auto* licenceButton = new QPushButton("Lizenzbestimmungen", this);
  licenceButton->setObjectName("licence");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(licenceButton);
  buttons->addStretch(1);
  buttons->addWidget(okButton);

  // Tab runs top to bottom, left to right: the check box, then the buttons.
  QWidget::setTabOrder(noUpdateBox_, licenceButton);
  QWidget::setTabOrder(licenceButton, okButton);

  connect(okButton, &QPushButton::clicked, this, &CAboutDlg::accept);
  connect(licenceButton, &QPushButton::clicked, this, &CAboutDlg::OnLicence);
  return buttons;
}

void CAboutDlg::OnLicence() {
  const std::filesystem::path licence =
      LicenceFile(app_.ProgramPath().value_or(std::filesystem::path("talvenor")));
  std::error_code error;
  if (!std::filesystem::exists(licence, error)) {
    app_.Ui().ShowMessage("Lizenzdatei " + licence.string() +
                          " ist nicht vorhanden!\nBitte prüfen Sie Ihre Installation.");
    return;
  }
  if (!app_.Ui().OpenFile(licence)) {
    app_.Ui().ShowMessage("Lizenzdatei " + licence.string() +
                          " kann nicht angezeigt werden!\nBitte öffnen Sie die Datei mit einem "
                          "Texteditor.");
  }
}

void CAboutDlg::accept() {
  updateCheck_ = noUpdateBox_->isChecked() ? 0 : 1;
  platform::UserSettings().SetInt(platform::kSettingsSection, platform::kSettingUpdate,
                                  updateCheck_);
  QDialog::accept();
}

}  // namespace talvenor::app
