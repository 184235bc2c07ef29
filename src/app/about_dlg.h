// The about box: product name and version, the maker, the bank-data
// edition in force and its validity date, the licence terms, and the switch for the online
// update check at start ("SETTINGS"/"UPDATE"; stored only on OK).
#ifndef TALVENOR_APP_ABOUT_DLG_H_
#define TALVENOR_APP_ABOUT_DLG_H_

#include <QDialog>
#include <filesystem>
#include <string>
#include <string_view>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace talvenor::app {

class CQuorinApp;

// The menu command that opens the about box.
inline constexpr const char* kAboutMenuText = "&Info über Talvenor...";
// The menu command beside it that installs a bank-code file.
inline constexpr const char* kLoadBankDataMenuText = "Bankleitzahlendatei laden...";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(CQuorinApp& app, QWidget* parent = nullptr);

  // "Lizenzbestimmungen": opens the licence-terms text beside the program;
  // says so when the file is missing or no program could open it.
  void OnLicence();
  // OK: stores "UPDATE" = 0 when the box is ticked, else 1.
  void accept() override;

 private:
  // The parts of the box, made by the constructor in this order: the
  // program's icon, the column of texts with the check box, the buttons
  // (connected, and last in the tab order).
  QLabel* CreateIconLabel();
  QVBoxLayout* CreateTexts();
  QHBoxLayout* CreateButtons();

  CQuorinApp& app_;
  int updateCheck_ = 1;
  std::string productName_;
  QCheckBox* noUpdateBox_ = nullptr;
};

// "Info über " + product name, made from the menu text: its first character
// (the "&") dropped and the rest cut after "über ".
std::string AboutCaption(std::string_view menuText, std::string_view productName);

// `text` with its last date.size() characters replaced by `date`.
std::string ReplaceTrailingDate(std::string_view text, std::string_view date);

// The licence-terms file: the program's path with the extension "txt"
// ("talvenor" → "talvenor.txt").
std::filesystem::path LicenceFile(const std::filesystem::path& programPath);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_ABOUT_DLG_H_
