#include "app/screenshot_hook.h"

#include <QDir>
#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace talvenor::app {
namespace {

QString ScreenshotFolder() { return QString::fromLocal8Bit(std::getenv("TALVENOR_SCREENSHOT_DIR")); }

// Waits for the first Show event of the watched window, then takes the
// picture a moment later, when the window has been laid out and painted.
class GrabOnShow : public QObject {
 public:
  GrabOnShow(QWidget* window, QString name, std::function<void()> then)
      : QObject(window), name_(std::move(name)), then_(std::move(then)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && !done_) {
      done_ = true;
      QPointer<QWidget> window = static_cast<QWidget*>(watched);
      QTimer::singleShot(300, this, [this, window] {
        if (!window) return;
        window->grab().save(QDir(ScreenshotFolder()).filePath(name_ + ".png"));
        if (then_) then_();
      });
    }
    return false;
  }

 private:
  QString name_;
  std::function<void()> then_;
  bool done_ = false;
};

}  // namespace

bool ScreenshotsWanted() { return !ScreenshotFolder().isEmpty(); }

void GrabWhenShown(QWidget* window, const QString& name, std::function<void()> then) {
  if (!ScreenshotsWanted()) return;
  window->installEventFilter(new GrabOnShow(window, name, std::move(then)));
}

}  // namespace talvenor::app
