// The disclaimer: the program's liability terms, shown every time the main
// dialog opens. Accepting it ("Haftungsausschluss akzeptieren") lets the
// person go on; anything else ends the program. Acceptance is not stored.
// It names the bank-data edition in use and the last day it is valid.
#ifndef TALVENOR_APP_DLGHAFT_H_
#define TALVENOR_APP_DLGHAFT_H_

#include <QDialog>

#include "editions/bank_data_edition.h"

class QTextBrowser;

namespace talvenor::app {

// Where the disclaimer document is built into the program.
inline constexpr const char* kDisclaimerResource = ":/talvenor/disclaimer.html";

// Registers the documents built into the program (the disclaimer, the
// icon). The program's library is static, so they must be named once before
// use; calling again does nothing.
void LoadBuiltInResources();

class CDlghaft : public QDialog {
  Q_OBJECT

 public:
  // `edition` is the bank-data edition in use, valid until `validUntil`.
  CDlghaft(const editions::EditionSource& edition, editions::Date validUntil,
           QWidget* parent = nullptr);

  // The read-only view that shows the document (empty when the document
  // is not built in).
  QTextBrowser* Document() const { return document_; }

 private:
  // Shows the disclaimer, a plain HTML document without embedded objects,
  // so the view needs no set-up beyond the document's text.
  QTextBrowser* document_ = nullptr;
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_DLGHAFT_H_
