#include "app/user_interface.h"

#include <QApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/progress_dlg.h"

namespace talvenor::app {

using editions::Date;
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Boxes and pickers belong to the dialog that is open, if any.
QWidget* Owner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

// A message box wraps every text wider than about 500 pixels, even one
// whose lines are already broken where they should be. A spacer as wide as
// the longest line (within reason) keeps the text's own line breaks.
void WidenToLongestLine(QMessageBox& box, const std::string& text) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  int widest = 0;
  const QFontMetrics metrics(box.font());
  for (const QString& line : ToQt(text).split('\n')) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  const int width = std::min(widest + 100, 900);  // icon, margins and spacing
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

// Runs a message box with the program's caption. Button texts are set here
// so they are German even where Qt's own translations are not installed.
QMessageBox::StandardButton RunMessageBox(QMessageBox::Icon icon, const std::string& text,
                                          QMessageBox::StandardButtons buttons) {
  // Some texts of the calculation core end their lines with CR LF; the
  // message box is given plain line feeds.
  QString shown = ToQt(text);
  shown.replace("\r\n", "\n");
  QMessageBox box(icon, kApplicationTitle, shown, buttons, Owner());
  if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText("&Ja");
  if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText("&Nein");
  WidenToLongestLine(box, text);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked != nullptr ? box.standardButton(clicked) : QMessageBox::NoButton;
}

std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

void QtUserInterface::ShowMessage(const std::string& text) {
  RunMessageBox(QMessageBox::Warning, text, QMessageBox::Ok);
}

bool QtUserInterface::AskYesNo(const std::string& text) {
  return RunMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

std::optional<std::string> QtUserInterface::AskOpenFile() {
  return Chosen(QFileDialog::getOpenFileName(Owner(), "Öffnen", QString(), "Alle Dateien (*)"));
}

std::optional<std::string> QtUserInterface::AskSaveFile(const std::string& initialFolder) {
  const QString start = initialFolder.empty() ? QString("IBANRUECK")
                                              : QDir(ToQt(initialFolder)).filePath("IBANRUECK");
  // Qt asks before an existing file is replaced unless told otherwise.
  return Chosen(
      QFileDialog::getSaveFileName(Owner(), "Speichern unter", start, "Alle Dateien (*)"));
}

std::optional<std::string> QtUserInterface::AskFolder(const std::string& title,
                                                      const std::string& initialFolder) {
  return Chosen(QFileDialog::getExistingDirectory(Owner(), ToQt(title), ToQt(initialFolder),
                                                  QFileDialog::ShowDirsOnly));
}

std::optional<std::string> QtUserInterface::AskBankCodeFile() {
  return Chosen(QFileDialog::getOpenFileName(
      Owner(), "Bankleitzahlendatei laden", QString(),
      "Bankleitzahlendateien (*.txt *.xml *.csv *.zip);;Alle Dateien (*)"));
}

std::optional<Date> QtUserInterface::AskDate(const std::string& question, Date proposed) {
  QDialog dialog(Owner());
  dialog.setObjectName("date_question");
  dialog.setWindowTitle(kApplicationTitle);
  auto* text = new QLabel(ToQt(question));
  auto* field = new QDateEdit(QDate(static_cast<int>(proposed.year()),
                                    static_cast<int>(static_cast<unsigned>(proposed.month())),
                                    static_cast<int>(static_cast<unsigned>(proposed.day()))));
  field->setObjectName("date");
  field->setDisplayFormat("dd.MM.yyyy");
  field->setCalendarPopup(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(text);
  layout->addWidget(field);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QDate chosen = field->date();
  return Date{std::chrono::year{chosen.year()},
              std::chrono::month{static_cast<unsigned>(chosen.month())},
              std::chrono::day{static_cast<unsigned>(chosen.day())}};
}

void QtUserInterface::ShowReport(const std::string& title, const std::string& text) {
  QDialog dialog(Owner());
  dialog.setObjectName("report");
  dialog.setWindowTitle(ToQt(std::string(kApplicationTitle) + " - " + title));
  auto* view = new QPlainTextEdit(ToQt(text));
  view->setObjectName("report");
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Wide enough for the report's lines (the longest up to 110 characters),
  // but never wider than the screen.
  qsizetype longest = 40;
  for (const QString& line : ToQt(text).split('\n')) longest = std::max(longest, line.size());
  int width = view->fontMetrics().horizontalAdvance('W') *
              static_cast<int>(std::min<qsizetype>(longest, 110) + 3);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    width = std::min(width, screen->availableGeometry().width() * 9 / 10);
  }
  view->setMinimumSize(width, view->fontMetrics().lineSpacing() * 24);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(view);
  layout->addWidget(buttons);
  dialog.exec();
}

bool QtUserInterface::OpenUrl(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(ToQt(url)));
}

bool QtUserInterface::OpenFile(const std::filesystem::path& file) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

bool QtUserInterface::AskProxyCredentials(std::string& user, std::string& password) {
  QDialog dialog(Owner());
  dialog.setObjectName("proxyCredentials");
  dialog.setWindowTitle(kApplicationTitle);
  auto* userField = new QLineEdit(ToQt(user));
  auto* passwordField = new QLineEdit;
  passwordField->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout;
  form->addRow("Benutzername:", userField);
  form->addRow("Kennwort:", passwordField);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Der Proxy-Server verlangt eine Anmeldung."));
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  user = userField->text().toStdString();
  password = passwordField->text().toStdString();
  return true;
}

void QtUserInterface::RunWithProgress(const std::string& title, const ProgressTask& task) {
  ProgressDialog dialog(title, Owner());
  dialog.Run(task);
}

}  // namespace talvenor::app
