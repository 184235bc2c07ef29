// The program's own command line: switches and at most two file parameters
// (input and output of a batch run).
//
// A switch begins with "-" (but not "--": long options are handled before,
// see command_line.h) or with "/". Because paths here begin with "/" too, an
// argument beginning with "/" is a switch only when it names no existing
// file or folder and contains no further "/" ("/S" is a switch, "/tmp/a.txt"
// and "/" are parameters). A switch whose name begins with "S" or "s" sets
// silent ("/S", "-s", "/Silent"); every other switch is ignored. Switches
// may stand anywhere.
#ifndef TALVENOR_APP_MYCOMAND_INFO_H_
#define TALVENOR_APP_MYCOMAND_INFO_H_

#include <string>
#include <string_view>
#include <vector>

namespace talvenor::app {

class MycomandInfo {
 public:
  // Every argument that is not a switch, in command-line order.
  std::vector<std::string> parameters;
  bool silent = false;

  // Takes one argument: `param` is a switch's name (leading "/" or "-"
  // removed) when `isSwitch`, otherwise a parameter. `isLast` marks the
  // last argument; nothing depends on it.
  void ParseParam(std::string_view param, bool isSwitch, bool isLast);

  // Sorts all arguments (without the program name) into ParseParam.
  void ParseCommandLine(const std::vector<std::string>& arguments);
};

// True when `argument` is a switch by the rules above.
bool IsSwitchArgument(std::string_view argument);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_MYCOMAND_INFO_H_
