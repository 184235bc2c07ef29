#include "app/setting_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app/user_interface.h"
#include "platform/user_settings.h"

namespace talvenor::app {

using platform::kSettingGroup;
using platform::kSettingPath;
using platform::kSettingsSection;

std::string FolderToPreselect(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

CSetting::CSetting(UserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  const platform::UserSettings settings;
  group_ = settings.GetInt(kSettingsSection, kSettingGroup, 0) != 0 ? 1 : 0;
  path_ = settings.GetString(kSettingsSection, kSettingPath, "");

  setObjectName("settings_dialog");
  setWindowTitle("Einstellungen");
  groupBox_ = new QCheckBox("IBANRUECK pro Institutsgruppe erzeugen.", this);
  groupBox_->setObjectName("group");
  auto* explanation = new QLabel(
      "Wenn Sie pro Institutsgruppe (4. Stelle der BLZ) eine Ausgabedatei erzeugen wollen, "
      "aktivieren Sie die Option.",
      this);
  explanation->setWordWrap(true);
  pathField_ = new QLineEdit(this);
  pathField_->setObjectName("path");
  pathField_->setMinimumWidth(pathField_->fontMetrics().horizontalAdvance('x') * 40);
  auto* browseButton = new QPushButton("...", this);
  browseButton->setObjectName("browse");
  browseButton->setMaximumWidth(browseButton->fontMetrics().horizontalAdvance("...") * 3 + 16);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");

  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(new QLabel("Ausgabepfad:", this));
  pathRow->addWidget(pathField_, 1);
  pathRow->addWidget(browseButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(groupBox_);
  layout->addWidget(explanation);
  layout->addSpacing(8);
  layout->addLayout(pathRow);
  layout->addSpacing(8);
  layout->addWidget(buttons);

  connect(browseButton, &QPushButton::clicked, this, &CSetting::OnBrowse);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSetting::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSetting::reject);

  groupBox_->setChecked(group_ != 0);
  pathField_->setText(QString::fromStdString(path_));
}

void CSetting::OnBrowse() {
  path_ = pathField_->text().toStdString();
  const std::optional<std::string> folder =
      ui_.AskFolder("Bitte wählen Sie einen Ausgabeordner.", FolderToPreselect(path_));
  if (!folder) return;
  path_ = *folder;
  pathField_->setText(QString::fromStdString(path_));
}

void CSetting::accept() {
  group_ = groupBox_->isChecked() ? 1 : 0;
  path_ = pathField_->text().toStdString();
  platform::UserSettings settings;
  settings.SetInt(kSettingsSection, kSettingGroup, group_);
  if (!path_.empty()) {
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(path_), error)) {
      ui_.ShowMessage("Bitte geben Sie ein gültiges Verzeichnis an!");
      pathField_->setFocus();
      return;
    }
  }
  settings.SetString(kSettingsSection, kSettingPath, path_);
  QDialog::accept();
}

}  // namespace talvenor::app
