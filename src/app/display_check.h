// Whether the window system can be reached before the first window is made.
//
// Qt ends the process with an abort when its platform plugin cannot connect
// to the window system it was told to use (a DISPLAY that names no running
// X server, say). So before the QApplication is made, a child process makes
// a QGuiApplication with the same environment and arguments and ends; only
// when that child succeeded does the program make its own.
#ifndef TALVENOR_APP_DISPLAY_CHECK_H_
#define TALVENOR_APP_DISPLAY_CHECK_H_

#include <string>

namespace talvenor::app {

// Empty when the window system named by the environment (QT_QPA_PLATFORM,
// DISPLAY, WAYLAND_DISPLAY) can be reached; otherwise one line that says
// what is wrong, e.g. "the display \":87\" cannot be opened". `argc` and
// `argv` are the program's, as the QApplication will get them.
// REQUIRES: no QGuiApplication exists and the process runs one thread.
std::string WindowSystemProblem(int argc, char** argv);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_DISPLAY_CHECK_H_
