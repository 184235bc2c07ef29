#include "app/screenshot_tour.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/about_dlg.h"
#include "app/iban_check_dlg.h"
#include "app/quorin_app.h"
#include "app/quorin_dlg.h"
#include "app/screenshot_hook.h"
#include "app/setting_dlg.h"
#include "editions/builtin_directory.h"

namespace talvenor::app {

using editions::BuiltinEditionText;
namespace {

// Time for the window manager and the windows to settle after a step.
constexpr int kSettleMs = 400;

// A record of the ";"-separated layout, and gzip data whose deflate stream
// is damaged.
constexpr const char* kRecord = "DE;;;;;37050198;1234567897;;;;;\n";
QByteArray DamagedGzip() { return QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\x03xyzxyz", 16); }

// One step: `action` runs a command (modal windows it opens are
// photographed and closed by the hook); `then`, when given, runs once the
// screen has settled, to take the main dialog's picture or to go on inside
// a dialog the action left open.
struct Step {
  const char* name;
  std::function<void()> action;
  std::function<void()> then;
};

class Tour : public QObject {
 public:
  Tour(CQuorinDlg& dialog, CQuorinApp& app);
  void Next();

 private:
  std::vector<Step> Steps();
  bool Wanted(const char* name) const;

  void Enter(const char* bankCode, const char* account);
  void MainPicture() { TakeScreenshot(&dialog_, "main"); }
  // Starts a batch run of `input` whose output question is answered.
  void ConvertFile(const QString& input);
  QString File(const QString& name, const QByteArray& content);
  template <typename Dialog>
  Dialog* OpenAside(Dialog* dialog);
  void HelpMenuPicture();
  // The IBAN check dialog opened aside with `text` checked; AsidePicture
  // then photographs it and closes it.
  void CheckIban(const char* text);
  void AsidePicture(const QString& kind);
  // "Bankleitzahlendatei laden..." with `file` chosen.
  void LoadBankData(const QString& file);
  static QByteArray BuiltinText() {
    const std::string_view text = BuiltinEditionText();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
  }

  CQuorinDlg& dialog_;
  CQuorinApp& app_;
  QTemporaryDir files_{QDir::temp().filePath("Talvenor-XXXXXX")};
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QStringList wanted_;
  QPointer<QDialog> aside_;  // the dialog a step opened without its own event loop
};

Tour::Tour(CQuorinDlg& dialog, CQuorinApp& app) : QObject(&dialog), dialog_(dialog), app_(app) {
  const QString steps = QString::fromLocal8Bit(std::getenv("TALVENOR_SCREENSHOT_STEPS"));
  wanted_ = steps.split(',', Qt::SkipEmptyParts);
  steps_ = Steps();
}

std::vector<Step> Tour::Steps() {
  const auto main = [this] { MainPicture(); };
  const auto checkPicture = [this] { AsidePicture("iban_check"); };
  return {
      {"empty", [] {}, main},
      {"valid", [this] { Enter("37050198", "1234567897"); }, main},
      {"invalid_account", [this] { Enter("37050198", "1234567890"); }, main},
      {"invalid_bank_code", [this] { Enter("3705019", "1234567897"); }, {}},
      {"missing_account", [this] { Enter("37050198", ""); }, {}},
      {"successor", [this] { Enter("38050000", "1234567897"); }, main},
      {"not_released", [this] { Enter("21000000", "1234567890"); }, main},
      {"help_menu",
       [this] {
         if (auto* bar = dialog_.findChild<QMenuBar*>(); bar && !bar->actions().isEmpty()) {
           bar->setActiveAction(bar->actions().first());
         }
       },
       [this] { HelpMenuPicture(); }},
      {"batch_no_file", [this] { ConvertFile(""); }, {}},
      {"browse", [this] { dialog_.OnBrowse(); }, {}},
      {"batch_done", [this] { ConvertFile(File("IBANHIN.csv", kRecord)); }, {}},
      {"batch_unknown_format",
       [this] { ConvertFile(File("Liste.txt", "\tkeine Datensätze\n")); },
       {}},
      {"batch_malformed",
       [this] { ConvertFile(File("Kurz.csv", QByteArray(kRecord) + "DE;;;;;37050198\n")); },
       {}},
      {"batch_damaged_gzip", [this] { ConvertFile(File("IBANHIN.gz", DamagedGzip())); }, {}},
      {"settings", [this] { dialog_.OnSettings(); }, {}},
      {"settings_folder", [this] { OpenAside(new CSetting(app_.Ui(), &dialog_)); },
       [this] {
         if (auto* settings = qobject_cast<CSetting*>(aside_)) settings->OnBrowse();
         if (aside_) aside_->close();
       }},
      {"settings_invalid_folder",
       [this] {
         CSetting* settings = OpenAside(new CSetting(app_.Ui(), &dialog_));
         settings->findChild<QLineEdit*>("path")->setText(QDir(files_.path()).filePath("fehlt"));
       },
       [this] {
         if (aside_) aside_->accept();  // refused: the folder does not exist
         if (aside_) aside_->close();
       }},
      {"help", [this] { dialog_.OnHelp(); }, {}},
      {"about", [this] { dialog_.OnAbout(); }, {}},
      {"about_licence", [this] { OpenAside(new CAboutDlg(app_, &dialog_)); },
       [this] {
         if (auto* about = qobject_cast<CAboutDlg*>(aside_)) about->OnLicence();
         if (aside_) aside_->close();
       }},
      {"iban_check", [this] { dialog_.OnCheckIban(); }, {}},
      {"iban_plausible", [this] { CheckIban("DE42370501981901335750"); }, checkPicture},
      {"iban_inconsistent", [this] { CheckIban("DE52 3705 0198 0000 0088 88"); }, checkPicture},
      {"iban_other_country", [this] { CheckIban("GB82 WEST 1234 5698 7654 32"); }, checkPicture},
      {"iban_no_iban", [this] { CheckIban("DE42-3705-0198-1901-3357-50"); }, checkPicture},
      // Last, because the install changes the editions the program knows.
      {"bank_data_faulty",
       [this] { LoadBankData(File("blz_2026_06_08.txt", "kein Inhalt\r\n")); },
       {}},
      {"bank_data_date",
       [this] { LoadBankData(File("blz-aktuell-txt-data.txt", BuiltinText())); },
       {}},
      {"bank_data_report", [this] { LoadBankData(File("blz_2026_06_08.txt", BuiltinText())); }, {}},
  };
}

bool Tour::Wanted(const char* name) const { return wanted_.isEmpty() || wanted_.contains(name); }

void Tour::Next() {
  while (next_ < steps_.size() && !Wanted(steps_[next_].name)) ++next_;
  if (next_ == steps_.size()) {
    dialog_.reject();  // the tour is over
    return;
  }
  const Step& step = steps_[next_++];
  SetScreenshotStep(step.name);
  step.action();
  QTimer::singleShot(kSettleMs, this, [this, then = step.then] {
    if (then) then();
    QTimer::singleShot(0, this, &Tour::Next);
  });
}

void Tour::Enter(const char* bankCode, const char* account) {
  dialog_.findChild<QLineEdit*>("bankCode")->setText(bankCode);
  dialog_.findChild<QLineEdit*>("account")->setText(account);
  dialog_.OnOK();
}

void Tour::ConvertFile(const QString& input) {
  dialog_.SetInputFile(input.toStdString());
  AnswerNextFileDialog(QDir(files_.path()).filePath("IBANRUECK.csv"));
  dialog_.OnCreateOutput();
  AnswerNextFileDialog({});
  QFile::remove(QDir(files_.path()).filePath("IBANRUECK.csv"));
}

QString Tour::File(const QString& name, const QByteArray& content) {
  QString path = QDir(files_.path()).filePath(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(content);
  return path;
}

// Shows `dialog` beside the main dialog's event loop, so the step can work
// inside it; it is deleted when closed.
template <typename Dialog>
Dialog* Tour::OpenAside(Dialog* dialog) {
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  dialog->activateWindow();
  aside_ = dialog;
  return dialog;
}

void Tour::CheckIban(const char* text) {
  IbanCheckDialog* check = OpenAside(new IbanCheckDialog(app_.Data(), &dialog_));
  check->findChild<QLineEdit*>("ibanInput")->setText(text);
  check->OnCheck();
}

void Tour::AsidePicture(const QString& kind) {
  if (!aside_) return;
  TakeScreenshot(aside_, kind);
  aside_->close();
}

void Tour::LoadBankData(const QString& file) {
  AnswerNextFileDialog(file);
  dialog_.OnLoadBankData();
  AnswerNextFileDialog({});
}

void Tour::HelpMenuPicture() {
  auto* bar = dialog_.findChild<QMenuBar*>();
  QMenu* menu = nullptr;
  if (bar != nullptr && !bar->actions().isEmpty()) menu = bar->actions().first()->menu();
  const bool open = menu != nullptr && menu->isVisible();
  TakeScreenshot(&dialog_, "main", open ? menu->frameGeometry() : QRect());
  if (open) menu->close();
}

}  // namespace

void RunScreenshotTour(CQuorinDlg& dialog, CQuorinApp& app) {
  auto* tour = new Tour(dialog, app);
  QTimer::singleShot(kSettleMs, tour, &Tour::Next);
}

}  // namespace talvenor::app
