// Developer aid, not a feature: when the environment variable
// TALVENOR_SCREENSHOT_DIR names a folder, every modal window that opens
// (dialog, message box, file picker) is photographed with its window frame
// once it is on screen, saved there as "<NN>_<step>_<kind>.png", and then
// closed, so tools/screenshots.sh can walk through all windows without
// anyone at the keyboard. NN counts the pictures of one run; the step is
// set by the tour (screenshot_tour.h), "start" before it; the kind is the
// window's object name ("settings", "about", "disclaimer", ...), "message"
// or "question" for a message box, "file_dialog" for a file picker.
//
// A window is closed with reject() unless it says otherwise; a question is
// answered No, or Yes when TALVENOR_SCREENSHOT_ANSWER is "yes". Without
// TALVENOR_SCREENSHOT_DIR nothing here does anything.
#ifndef TALVENOR_APP_SCREENSHOT_HOOK_H_
#define TALVENOR_APP_SCREENSHOT_HOOK_H_

#include <QRect>
#include <QString>
#include <functional>

class QWidget;

namespace talvenor::app {

// True when TALVENOR_SCREENSHOT_DIR is set and not empty.
bool ScreenshotsWanted();
// True when questions are to be answered Yes.
bool ScreenshotAnswersYes();

// Starts watching for modal windows (once). REQUIRES: a QApplication
// exists.
void InstallScreenshotHook();

// Names the pictures taken from now on.
void SetScreenshotStep(const QString& step);

// Saves the picture of `window` with its frame (and of `extra`, a screen
// area such as an open menu, when not empty) as the next picture of `kind`.
void TakeScreenshot(QWidget* window, const QString& kind, const QRect& extra = {});

// The hook leaves `window` alone: the tour takes its pictures and ends it.
void LeaveToTour(QWidget* window);

// How `window` is to be closed after its picture instead of reject().
void SetScreenshotClosing(QWidget* window, std::function<void()> close);

// The next file picker is answered with `path` instead of being cancelled.
void AnswerNextFileDialog(const QString& path);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_SCREENSHOT_HOOK_H_
