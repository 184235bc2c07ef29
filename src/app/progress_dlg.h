// The window a long task runs under: the step under way, a bar for the
// bytes of its transfer (a moving bar while their number is unknown) and
// "Abbrechen". The task runs on a thread of its own while the window's
// event loop runs, so the window stays alive while the task waits for the
// network; what the task reports reaches the window through its event
// queue. Cancelling (the button, Escape, closing the window) only asks the
// task to stop: the window ends when the task has returned, never before.
#ifndef TALVENOR_APP_PROGRESS_DLG_H_
#define TALVENOR_APP_PROGRESS_DLG_H_

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <string>

#include "app/user_interface.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace talvenor::app {

// The text under the bar: "1,5 MB von 3,0 MB", "812 kB empfangen";
// empty while nothing has been received and the size is unknown.
std::string ReceivedText(std::uint64_t received, std::uint64_t expected);

class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  // The caption is "Talvenor - `title`".
  explicit ProgressDialog(const std::string& title, QWidget* parent = nullptr);

  // Shows the window modally and runs `task` on a thread of its own;
  // returns when the task has returned, passing on its exception.
  // REQUIRES: called once, on the thread of the window.
  void Run(const ProgressTask& task);

  // Whether the person has asked the task to stop.
  bool CancelRequested() const { return cancelled_.load(); }

  // Any way of ending the window before the task has returned asks the
  // task to stop instead.
  void done(int result) override;

 private:
  class Sink;
  friend class Sink;

  void RequestCancel();
  void ShowStep(const QString& text);
  void ShowBytes();
  void Finish();

  QLabel* stepLabel_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* bytesLabel_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  bool finished_ = false;

  // Written by the task's thread, read by the window's.
  std::atomic<bool> cancelled_{false};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::uint64_t> expected_{0};
  std::atomic<bool> bytesPosted_{false};  // a ShowBytes is waiting in the queue
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_PROGRESS_DLG_H_
