#include "app/screenshot_hook.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <utility>

namespace talvenor::app {
namespace {

// Time for the window manager to frame and the window to paint itself.
constexpr int kSettleMs = 400;

QString Variable(const char* name) { return QString::fromLocal8Bit(std::getenv(name)); }

struct HookState {
  QString step = "start";
  int pictures = 0;
  QString fileAnswer;
};

HookState& State() {
  static HookState state;
  return state;
}

// The closing a window asked for, kept as its child.
class Closing : public QObject {
 public:
  static constexpr const char* kName = "talvenorScreenshotClosing";
  Closing(QWidget* window, std::function<void()> close)
      : QObject(window), close_(std::move(close)) {
    setObjectName(kName);
  }
  void Run() const { close_(); }

 private:
  std::function<void()> close_;
};

QString KindOf(QWidget* window) {
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    return box->button(QMessageBox::Yes) != nullptr ? "question" : "message";
  }
  if (qobject_cast<QFileDialog*>(window) != nullptr) return "file_dialog";
  if (!window->objectName().isEmpty()) return window->objectName();
  return QString(window->metaObject()->className()).section("::", -1).toLower();
}

void Close(QWidget* window) {
  // Closing has no meta-object of its own: found by name, then checked.
  QObject* child = window->findChild<QObject*>(Closing::kName, Qt::FindDirectChildrenOnly);
  if (auto* closing = dynamic_cast<Closing*>(child)) {
    closing->Run();
    return;
  }
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    if (yes != nullptr && ScreenshotAnswersYes()) {
      yes->click();
      return;
    }
  }
  if (auto* picker = qobject_cast<QFileDialog*>(window); picker && !State().fileAnswer.isEmpty()) {
    // As if the path were typed into the name field: selectFile() leaves a
    // focused name field as it is.
    const QString path = std::exchange(State().fileAnswer, QString());
    if (auto* name = picker->findChild<QLineEdit*>("fileNameEdit")) {
      name->setText(path);
    } else {
      picker->selectFile(path);
    }
    static_cast<QDialog*>(picker)->accept();  // QFileDialog checks the name as for OK
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(window)) {
    dialog->reject();
  } else {
    window->close();
  }
}

// The window with the window manager's frame, as the window system tells
// it now (QWidget::frameGeometry() is brought up to date only when the
// window moves or changes its size).
QRect FrameOf(QWidget* window) {
  if (QWindow* handle = window->windowHandle()) return handle->frameGeometry();
  return window->frameGeometry();
}

// Watches every Show event; a modal window gets its picture and is closed.
class ModalWatcher : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    const bool modal = window->isModal() || window->testAttribute(Qt::WA_ShowModal);
    if (!window->isWindow() || !modal || window->property("talvenorPictured").toBool()) {
      return false;
    }
    window->setProperty("talvenorPictured", true);
    QPointer<QWidget> shown = window;
    QTimer::singleShot(kSettleMs, this, [this, shown] { PictureAndClose(shown, 0, {}); });
    return false;
  }

 private:
  // On X11 the window manager frames and places the window a little after
  // it is shown, and Qt learns of the frame and of the new place one after
  // the other: the picture waits (up to 30 × 100 ms) until the frame lies
  // around the window and has not moved for 100 ms.
  void PictureAndClose(const QPointer<QWidget>& shown, int waited, QRect before) {
    if (!shown || !shown->isVisible()) return;
    const QRect frame = FrameOf(shown);
    const QRect inner = shown->geometry();
    const bool framed = frame.top() < inner.top() && frame.contains(inner) && frame == before;
    if (!framed && waited < 30 && QGuiApplication::platformName() == "xcb") {
      QTimer::singleShot(
          100, this, [this, shown, waited, frame] { PictureAndClose(shown, waited + 1, frame); });
      return;
    }
    TakeScreenshot(shown, KindOf(shown));
    Close(shown);
    // A window that stays open (a question of its own was declined, say)
    // must not stop the tour.
    QTimer::singleShot(10 * kSettleMs, shown, [shown] {
      if (auto* dialog = qobject_cast<QDialog*>(shown.data()); dialog && dialog->isVisible()) {
        dialog->done(QDialog::Rejected);
      }
    });
  }
};

}  // namespace

bool ScreenshotsWanted() { return !Variable("TALVENOR_SCREENSHOT_DIR").isEmpty(); }

bool ScreenshotAnswersYes() {
  return Variable("TALVENOR_SCREENSHOT_ANSWER").compare("yes", Qt::CaseInsensitive) == 0;
}

void InstallScreenshotHook() {
  static ModalWatcher* watcher = nullptr;
  if (!ScreenshotsWanted() || watcher != nullptr) return;
  watcher = new ModalWatcher(qApp);
  qApp->installEventFilter(watcher);
}

void SetScreenshotStep(const QString& step) { State().step = step; }

void TakeScreenshot(QWidget* window, const QString& kind, const QRect& extra) {
  // The screen shows the window manager's frame around the window; the
  // window's own picture is the fallback where the screen cannot be read.
  QRect area = FrameOf(window);
  if (!extra.isEmpty()) area = area.united(extra);
  QPixmap picture;
  if (QScreen* screen = window->screen()) {
    const QRect screenArea = screen->geometry();
    const QRect shown = area.intersected(screenArea).translated(-screenArea.topLeft());
    if (!shown.isEmpty()) {
      picture = screen->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height());
    }
  }
  if (picture.width() <= 1 || picture.height() <= 1) picture = window->grab();
  const QString name =
      QString("%1_%2_%3.png").arg(++State().pictures, 2, 10, QChar('0')).arg(State().step, kind);
  picture.save(QDir(Variable("TALVENOR_SCREENSHOT_DIR")).filePath(name));
}

void LeaveToTour(QWidget* window) { window->setProperty("talvenorPictured", true); }

void SetScreenshotClosing(QWidget* window, std::function<void()> close) {
  if (!ScreenshotsWanted()) return;
  new Closing(window, std::move(close));
}

void AnswerNextFileDialog(const QString& path) { State().fileAnswer = path; }

}  // namespace talvenor::app
