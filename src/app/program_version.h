// The program version as people see it: the file version with one trailing
// ".0" removed (1.65.0.0 is shown as 1.65.0; 1.65.0.1 stays as it is).
#ifndef TALVENOR_APP_PROGRAM_VERSION_H_
#define TALVENOR_APP_PROGRAM_VERSION_H_

#include <string>
#include <string_view>

namespace talvenor::app {

// The version shown for a file version text "a.b.c.d".
std::string DisplayVersion(std::string_view fileVersion);

// The version of this build.
std::string ProgramVersion();

}  // namespace talvenor::app

#endif  // TALVENOR_APP_PROGRAM_VERSION_H_
