// The main dialog: converts one bank code and account number at a time and
// starts the conversion of whole IBANHIN files.
//
// Its life: shown → update check (queued, so the window is on screen
// first) → disclaimer, which must be accepted or the dialog ends → commands
// until "Beenden", Escape or closing the window. Every field has a member
// that mirrors it; ReadFields and WriteFields copy between the two, the way
// the commands below describe.
#ifndef TALVENOR_APP_QUORIN_DLG_H_
#define TALVENOR_APP_QUORIN_DLG_H_

#include <QDialog>
#include <optional>
#include <string>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace talvenor::app {

class CQuorinApp;

// The question put when the update server names a newer version.
inline constexpr const char* kNewVersionQuestion =
    "Es liegt eine neue Version des Talvenor vor."
    "\nSie sollten ein Update durchführen, bevor Sie die Applikation weiter verwenden."
    "\nWählen Sie \"Ja\", um ein Update zu installieren und folgen Sie den Anweisungen der "
    "nachfolgenden Internetseite."
    "\n\nWollen Sie jetzt das Update installieren?";

class CQuorinDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CQuorinDlg(CQuorinApp& app, QWidget* parent = nullptr);

  // Puts `path` into the IBANHIN file field (the first command-line file).
  void SetInputFile(const std::string& path);

  // The commands. Buttons, keys and the menu call them; so do tests.
  void OnOK();              // "IBAN berechnen", Enter: the single conversion
  void OnBrowse();          // "Durchsuchen ...": choose the IBANHIN file
  void OnCreateOutput();    // "IBANRUECK Datei": convert the IBANHIN file
  void OnSettings();        // "Einstellungen"
  void OnHelp();            // "Hilfe", F1: the help document beside the program
  void OnAbout();           // "&Info über Talvenor..." in the menu "Hilfe"
  void OnLoadBankData();    // "Bankleitzahlendatei laden..." in the menu "Hilfe"
  void OnUpdateBankData();  // "Bankleitzahlendatei aktualisieren" in the menu "Hilfe"
  void OnCheckIban();       // "IBAN prüfen..." in the menu "Hilfe"
  void OnCheckUpdate();     // queued after the dialog is first shown
  void OnDisclaimer();      // queued after the update check

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Builds the dialog's controls and layout: BuildControls calls the
  // others, which make and place the fields, buttons and menu.
  void BuildControls();
  void CreateFields();
  void CreateButtons();
  QGridLayout* LayOutFields();
  QHBoxLayout* LayOutButtonRow();
  QMenuBar* CreateHelpMenu();
  void ConnectButtons();
  void ReadFields();
  void WriteFields();
  void SetVerdictEmphasis(bool bold);

  CQuorinApp& app_;
  std::string updateUrl_;

  // Members mirroring the fields.
  std::string bankCode_;
  std::string account_;
  std::string iban_;
  std::string bic_;
  std::string inputFile_;
  std::string bankName_;
  std::string verdict_;
  // The verdict's two fonts, made from the verdict field's font on first use.
  std::optional<QFont> normalFont_;
  std::optional<QFont> boldFont_;

  bool updateCheckPosted_ = false;

  QLineEdit* bankCodeField_ = nullptr;
  QLineEdit* accountField_ = nullptr;
  QLabel* bankNameLabel_ = nullptr;
  QLabel* verdictLabel_ = nullptr;
  QLineEdit* bicField_ = nullptr;
  QLineEdit* ibanField_ = nullptr;
  QLineEdit* inputFileField_ = nullptr;
  QPushButton* calculateButton_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* createButton_ = nullptr;
  QPushButton* settingsButton_ = nullptr;
  QPushButton* helpButton_ = nullptr;
  QPushButton* quitButton_ = nullptr;
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_QUORIN_DLG_H_
