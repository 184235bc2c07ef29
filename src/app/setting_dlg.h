// The settings dialog: one IBANRUECK file per institution group or one file
// for all, and the folder the save question of a batch run starts in.
//
// It reads "SETTINGS"/"GROUP" and "PATH" from the per-user settings when it
// is made. OK stores the group flag at once and the output folder only when
// it is empty or names an existing folder; otherwise the dialog stays open.
#ifndef TALVENOR_APP_SETTING_DLG_H_
#define TALVENOR_APP_SETTING_DLG_H_

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;

namespace talvenor::app {

class UserInterface;

class CSetting : public QDialog {
  Q_OBJECT

 public:
  explicit CSetting(UserInterface& ui, QWidget* parent = nullptr);

  // "...": picks the output folder.
  void OnBrowse();
  // OK: stores the settings (see top of file).
  void accept() override;

 private:
  UserInterface& ui_;
  int group_ = 0;
  std::string path_;
  QCheckBox* groupBox_ = nullptr;
  QLineEdit* pathField_ = nullptr;
};

// The folder to preselect in the picker: `path` without a trailing "/",
// unless it is the root "/".
std::string FolderToPreselect(std::string path);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_SETTING_DLG_H_
