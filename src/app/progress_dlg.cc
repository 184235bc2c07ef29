#include "app/progress_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>
#include <thread>

#include "app/screenshot_hook.h"

namespace talvenor::app {
namespace {

constexpr std::uint64_t kMegabyte = 1000000;

// `bytes` in the unit `megabytes` or kilobytes, German style: "1,5 MB",
// "812 kB" (kilobytes rounded up, so a byte or two show as "1 kB").
std::string InUnit(std::uint64_t bytes, bool megabytes) {
  char text[32];
  if (megabytes) {
    const auto tenths =
        static_cast<unsigned long long>((bytes + kMegabyte / 20) / (kMegabyte / 10));
    std::snprintf(text, sizeof text, "%llu,%llu MB", tenths / 10, tenths % 10);
  } else {
    std::snprintf(text, sizeof text, "%llu kB",
                  static_cast<unsigned long long>((bytes + 999) / 1000));
  }
  return text;
}

}  // namespace

std::string ReceivedText(std::uint64_t received, std::uint64_t expected) {
  if (expected > 0) {
    const bool megabytes = expected >= kMegabyte;
    return InUnit(received, megabytes) + " von " + InUnit(expected, megabytes);
  }
  if (received == 0) return {};
  return InUnit(received, received >= kMegabyte) + " empfangen";
}

// The task's view of the window. Its calls come from the task's thread and
// are handed to the window's thread through the window's event queue; byte
// counts arriving faster than the window shows them are merged.
class ProgressDialog::Sink final : public ProgressSink {
 public:
  explicit Sink(ProgressDialog& dialog) : dialog_(dialog) {}

  void Step(const std::string& text) override {
    QMetaObject::invokeMethod(
        &dialog_,
        [dialog = &dialog_, shown = QString::fromStdString(text)] { dialog->ShowStep(shown); },
        Qt::QueuedConnection);
  }
  void Bytes(std::uint64_t received, std::uint64_t expected) override {
    dialog_.received_.store(received);
    dialog_.expected_.store(expected);
    if (dialog_.bytesPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        &dialog_, [dialog = &dialog_] { dialog->ShowBytes(); }, Qt::QueuedConnection);
  }
  bool Cancelled() const override { return dialog_.cancelled_.load(); }

 private:
  ProgressDialog& dialog_;
};

ProgressDialog::ProgressDialog(const std::string& title, QWidget* parent) : QDialog(parent) {
  setObjectName("progress");
  setWindowTitle(QString::fromStdString(std::string(kApplicationTitle) + " - " + title));

  stepLabel_ = new QLabel(this);
  stepLabel_->setObjectName("step");
  stepLabel_->setWordWrap(true);
  // Room for a step naming a file ("blz-aktuell-xml-data.zip wird geladen ...").
  stepLabel_->setMinimumWidth(fontMetrics().horizontalAdvance('x') * 60);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("bar");
  bar_->setRange(0, 0);  // moving to and fro until the size is known
  bar_->setTextVisible(false);
  bytesLabel_ = new QLabel(this);
  bytesLabel_->setObjectName("received");

  auto* buttons = new QDialogButtonBox(this);
  cancelButton_ = buttons->addButton("Abbrechen", QDialogButtonBox::RejectRole);
  cancelButton_->setObjectName("cancel");
  connect(cancelButton_, &QPushButton::clicked, this, &ProgressDialog::RequestCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(stepLabel_);
  layout->addWidget(bar_);
  layout->addWidget(bytesLabel_);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The picture is taken while the task runs; the task ends the window.
  SetScreenshotClosing(this, [] {});
}

void ProgressDialog::Run(const ProgressTask& task) {
  Sink sink(*this);
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      task(sink);
    } catch (...) {
      failure = std::current_exception();
    }
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
  });
  exec();
  // The event loop may have been left from outside (the program is
  // quitting): the task is asked to stop before it is waited for.
  if (!finished_) cancelled_.store(true);
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

void ProgressDialog::done(int result) {
  if (!finished_) {
    RequestCancel();
    return;
  }
  QDialog::done(result);
}

void ProgressDialog::RequestCancel() {
  cancelled_.store(true);
  cancelButton_->setEnabled(false);
  cancelButton_->setText("Wird abgebrochen ...");
}

void ProgressDialog::ShowStep(const QString& text) {
  stepLabel_->setText(text);
  // A new step: its bytes are not known yet.
  bar_->setRange(0, 0);
  bytesLabel_->clear();
}

void ProgressDialog::ShowBytes() {
  bytesPosted_.store(false);
  const std::uint64_t received = received_.load();
  const std::uint64_t expected = expected_.load();
  if (expected > 0) {
    bar_->setRange(0, 1000);
    const std::uint64_t permille = received >= expected ? 1000 : received * 1000 / expected;
    bar_->setValue(static_cast<int>(permille));
  } else {
    bar_->setRange(0, 0);
  }
  bytesLabel_->setText(QString::fromStdString(ReceivedText(received, expected)));
}

void ProgressDialog::Finish() {
  finished_ = true;
  QDialog::done(cancelled_.load() ? Rejected : Accepted);
}

}  // namespace talvenor::app
