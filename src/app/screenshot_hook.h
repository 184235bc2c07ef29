// Developer aid, not a feature: when the environment variable
// TALVENOR_SCREENSHOT_DIR names a folder, every dialog saves a picture of
// itself there (name + ".png") once it is on screen and then closes itself
// the way the caller asks, so tools/screenshots.sh can walk through all
// dialogs without anyone at the keyboard. Without the variable nothing
// happens.
#ifndef TALVENOR_APP_SCREENSHOT_HOOK_H_
#define TALVENOR_APP_SCREENSHOT_HOOK_H_

#include <QString>
#include <functional>

class QWidget;

namespace talvenor::app {

// True when TALVENOR_SCREENSHOT_DIR is set and not empty.
bool ScreenshotsWanted();

// When screenshots are wanted: after `window` is first shown, saves its
// picture as <dir>/<name>.png and then runs `then` (usually closing the
// window). Otherwise does nothing.
void GrabWhenShown(QWidget* window, const QString& name, std::function<void()> then);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_SCREENSHOT_HOOK_H_
