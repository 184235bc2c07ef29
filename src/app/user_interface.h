// Everything the application shell asks of a person or of the desktop:
// message boxes, file and folder pickers, opening addresses and documents,
// proxy credentials, and long tasks that a person watches and may cancel.
// The dialogs and the start-up talk to a person only
// through this interface, so tests put a fake in its place and never block
// on a window. QtUserInterface is the one real implementation.
//
// Every message box has the caption "Talvenor". ShowMessage has only an OK
// button and the warning icon; AskYesNo has the buttons Yes and No and the
// question icon.
#ifndef TALVENOR_APP_USER_INTERFACE_H_
#define TALVENOR_APP_USER_INTERFACE_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/update_check.h"
#include "batch/convert_file.h"
#include "editions/edition_dates.h"

namespace talvenor::app {

// The application title: caption of every message box.
inline constexpr const char* kApplicationTitle = "Talvenor";

// What a long task tells the person watching it, and how it learns that
// the person wants it to stop. A task run by RunWithProgress may call it
// from any thread.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // The step under way ("Die Download-Seite wird gelesen ...").
  virtual void Step(const std::string& text) = 0;
  // Bytes of the step's transfer received so far and expected (0: unknown).
  virtual void Bytes(std::uint64_t received, std::uint64_t expected) = 0;
  // True once the person has asked to cancel. The task then stops as soon
  // as it can; the window stays until it has.
  virtual bool Cancelled() const = 0;
};

// A task run while its progress is shown.
using ProgressTask = std::function<void(ProgressSink&)>;

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A message with an OK button and the warning icon.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with Yes and No and the question icon; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;

  // An existing file to open ("Alle Dateien"), or nothing when cancelled.
  virtual std::optional<std::string> AskOpenFile() = 0;
  // The IBANRUECK file to write: default name "IBANRUECK", starting in
  // `initialFolder` when not empty, asking before an existing file is
  // replaced. Nothing when cancelled.
  virtual std::optional<std::string> AskSaveFile(const std::string& initialFolder) = 0;
  // A folder, starting at `initialFolder` (may be empty); nothing when
  // cancelled.
  virtual std::optional<std::string> AskFolder(const std::string& title,
                                               const std::string& initialFolder) = 0;

  // A bank-code file to install ("Bankleitzahlendateien (*.txt)" or all
  // files), or nothing when cancelled.
  virtual std::optional<std::string> AskBankCodeFile() = 0;
  // A calendar day, proposing `proposed`, with `question` above it; nothing
  // when cancelled.
  virtual std::optional<editions::Date> AskDate(const std::string& question,
                                                editions::Date proposed) = 0;
  // A long text (a report) in a scrolling window with an OK button and the
  // caption `title`.
  virtual void ShowReport(const std::string& title, const std::string& text) = 0;

  // Hands an address to the web browser; false when that failed.
  virtual bool OpenUrl(const std::string& url) = 0;
  // Opens a document with the desktop's program for it; false when that
  // failed.
  virtual bool OpenFile(const std::filesystem::path& file) = 0;

  // Asks for the proxy's user name and password; false when declined.
  virtual bool AskProxyCredentials(std::string& user, std::string& password) = 0;

  // Runs `task` while a window with the caption `title` shows its progress
  // and a button "Abbrechen", and returns when the task has returned (also
  // when the person cancelled: the task sees it in ProgressSink::Cancelled).
  // The window cannot be closed while the task runs. An exception of the
  // task is passed on to the caller.
  virtual void RunWithProgress(const std::string& title, const ProgressTask& task) = 0;
};

// The save-file question of a batch run, put to a person through `ui`.
class SaveFileQuestionFromUi : public batch::SaveFileQuestion {
 public:
  explicit SaveFileQuestionFromUi(UserInterface& ui) : ui_(ui) {}
  std::optional<std::string> AskOutputPath(const std::string& initialFolder) override {
    return ui_.AskSaveFile(initialFolder);
  }

 private:
  UserInterface& ui_;
};

// The update check's proxy question, put to a person through `ui`.
class ProxyPromptFromUi : public ProxyCredentialsPrompt {
 public:
  explicit ProxyPromptFromUi(UserInterface& ui) : ui_(ui) {}
  bool Ask(std::string& user, std::string& password) override {
    return ui_.AskProxyCredentials(user, password);
  }

 private:
  UserInterface& ui_;
};

// The Qt implementation. REQUIRES: a QApplication exists. Dialogs are
// owned by the topmost modal window, if any.
class QtUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::string> AskOpenFile() override;
  std::optional<std::string> AskSaveFile(const std::string& initialFolder) override;
  std::optional<std::string> AskFolder(const std::string& title,
                                       const std::string& initialFolder) override;
  std::optional<std::string> AskBankCodeFile() override;
  std::optional<editions::Date> AskDate(const std::string& question,
                                        editions::Date proposed) override;
  void ShowReport(const std::string& title, const std::string& text) override;
  bool OpenUrl(const std::string& url) override;
  bool OpenFile(const std::filesystem::path& file) override;
  bool AskProxyCredentials(std::string& user, std::string& password) override;
  // The task runs on a thread of its own while the window's event loop runs
  // (progress_dlg.h).
  void RunWithProgress(const std::string& title, const ProgressTask& task) override;
};

}  // namespace talvenor::app

#endif  // TALVENOR_APP_USER_INTERFACE_H_
