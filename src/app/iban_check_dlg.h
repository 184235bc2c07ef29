// The dialog "IBAN prüfen": checks one IBAN someone holds against the bank
// data in force and shows what the check found: bank name, BIC, bank code,
// account, the verdict (bold unless the IBAN is plausible) and, when the
// bank's IBAN rule forms another IBAN from that bank code and account, the
// rule's IBAN.
//
// It only reads the bank directory it is given: no files, no network. The
// fields are emptied before each check, so what they show always belongs
// to the IBAN last checked.
#ifndef TALVENOR_APP_IBAN_CHECK_DLG_H_
#define TALVENOR_APP_IBAN_CHECK_DLG_H_

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace talvenor {
struct IbanCheck;
}

namespace talvenor::app {

class BankData;

// The menu command that opens the dialog.
inline constexpr const char* kIbanCheckMenuText = "IBAN &prüfen...";

// The input takes the paper form of the longest IBAN (34 characters in
// groups of four) with blanks around it.
inline constexpr int kIbanInputMaxLength = 42;

class IbanCheckDialog : public QDialog {
  Q_OBJECT

 public:
  // `bankData` gives the directory of the edition in force at each check; it
  // must outlive the dialog.
  explicit IbanCheckDialog(const BankData& bankData, QWidget* parent = nullptr);

  // "IBAN prüfen", Enter: checks the text of the IBAN field.
  void OnCheck();

 private:
  void BuildControls();
  void LayOut();
  void ShowResult(const IbanCheck& check);

  const BankData& data_;
  QLineEdit* input_ = nullptr;
  QPushButton* checkButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QLineEdit* bankName_ = nullptr;
  QLineEdit* bic_ = nullptr;
  QLineEdit* bankCode_ = nullptr;
  QLineEdit* account_ = nullptr;
  QLabel* verdict_ = nullptr;
  QLabel* ruleIbanLabel_ = nullptr;
  QLineEdit* ruleIban_ = nullptr;
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_IBAN_CHECK_DLG_H_
