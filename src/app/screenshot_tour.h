// Developer aid for tools/screenshots.sh, not a feature: once the main
// dialog is past the disclaimer, the tour walks through every command of
// the main dialog, the settings dialog, the about box and the IBAN check,
// one step at a time, so each window and message they can show is
// photographed by the screenshot hook (screenshot_hook.h). The main
// dialog's own pictures, and those of a dialog a step works in, are taken
// by the steps. When the tour is done the main dialog ends.
//
// TALVENOR_SCREENSHOT_STEPS may name the steps to run, separated by
// commas (all when empty). A new dialog gets its pictures by adding a step
// to the table in screenshot_tour.cc.
#ifndef TALVENOR_APP_SCREENSHOT_TOUR_H_
#define TALVENOR_APP_SCREENSHOT_TOUR_H_

namespace talvenor::app {

class CQuorinApp;
class CQuorinDlg;

// Starts the tour; it runs from the event loop of the main dialog.
// REQUIRES: ScreenshotsWanted().
void RunScreenshotTour(CQuorinDlg& dialog, CQuorinApp& app);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_SCREENSHOT_TOUR_H_
