#include "app/dlghaft.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/screenshot_hook.h"

// Q_INIT_RESOURCE declares the resource's registration function in the
// scope it stands in, which must be the global one.
static void RegisterTalvenorResources() { Q_INIT_RESOURCE(talvenor); }

namespace talvenor::app {

void LoadBuiltInResources() {
  static const bool registered = (RegisterTalvenorResources(), true);
  (void)registered;
}

namespace {

// The disclaimer document with the edition in use filled in; the texts
// are escaped, since a file's path may hold any character.
QString DisclaimerHtml(QString html, const editions::EditionSource& edition,
                       editions::Date validUntil) {
  html.replace("@EDITION@",
               QString::fromStdString(editions::DescribeEdition(edition)).toHtmlEscaped());
  html.replace("@VALID_UNTIL@", QString::fromStdString(editions::GermanDate(validUntil)));
  return html;
}

}  // namespace

CDlghaft::CDlghaft(const editions::EditionSource& edition, editions::Date validUntil,
                   QWidget* parent)
    : QDialog(parent) {
  LoadBuiltInResources();
  setObjectName("disclaimer");
  setWindowTitle("Haftungsausschluss");

  document_ = new QTextBrowser(this);
  document_->setObjectName("document");
  document_->setReadOnly(true);
  document_->setOpenLinks(false);  // the document is read, not browsed
  document_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  document_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFile file(kDisclaimerResource);
  if (file.open(QIODevice::ReadOnly)) {
    document_->setHtml(DisclaimerHtml(QString::fromUtf8(file.readAll()), edition, validUntil));
  }
  // About one page: room for some 70 characters by 24 lines.
  const QFontMetrics metrics = document_->fontMetrics();
  document_->setMinimumSize(metrics.horizontalAdvance('x') * 75, metrics.lineSpacing() * 24);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* acceptButton =
      buttons->addButton("Haftungsausschluss akzeptieren", QDialogButtonBox::AcceptRole);
  QPushButton* quitButton = buttons->addButton("Applikation beenden", QDialogButtonBox::RejectRole);
  acceptButton->setObjectName("accept");
  quitButton->setObjectName("quit");
  acceptButton->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(document_, 1);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  SetScreenshotClosing(this, [this] { accept(); });  // declining would end the program
}

}  // namespace talvenor::app
