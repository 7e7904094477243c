#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace tavrin::posix {

// Splits parameters into arguments by shell quoting rules, without any expansion:
// no variables, no commands, no globs, no tilde. A quote left open is closed at the
// end of the text.
std::vector<std::string> SplitParams(const std::string& params);

// The full path of an executable named without a folder, searched on PATH; empty
// when there is none.
std::string FindOnPath(const std::string& name);

// True when `path` names an existing regular file that may be executed.
bool IsExecutableFile(const std::string& path);

// Starting programs and documents on a POSIX desktop: programs directly and
// detached, everything else with the desktop's default application (GIO).
class PosixShell : public Shell {
 public:
  int32_t ShellExecute(const ShellRequest& request) override;
  int32_t ShellAndWait(const WaitedStart& start) override;
  std::string RuntimeErrorText(int32_t code) override;
};

}  // namespace tavrin::posix
