#pragma once

#include <string>

#include "platform/shell.h"

namespace tavrin::win32 {

// The command line of a waited start: the program path, quoted when it holds a
// blank, one blank, then the parameters as they stand (so an empty Params leaves a
// trailing blank).
std::string WaitedCommandLine(const std::string& program, const std::string& params);

// Starting programs and documents through the Windows shell and process creation.
// Results of a waited start that could not begin are Win32 error codes;
// RuntimeErrorText describes them with the system's message texts.
class Win32Shell : public Shell {
 public:
  // A bare program name is looked for on the search path, as a start looks for it.
  ResolvedFile Resolve(const std::string& File, const std::string& baseFolder) override;
  int32_t ShellExecute(const ShellRequest& request) override;
  // A console program gets a console of its own, so that its window style applies.
  // While it runs, messages sent to the thread's windows are answered; nothing else of
  // the thread's queue is touched.
  int32_t ShellAndWait(const WaitedStart& start) override;
  // An address is taken as the shell takes it; a file must exist (where the shell
  // looks for it) and, when it is no program, its type must have an application.
  int32_t CheckShellExecute(const ShellRequest& request) override;
  // The program must be found where process creation looks for it, and be a program.
  int32_t CheckShellAndWait(const WaitedStart& start) override;
  std::string RuntimeErrorText(int32_t code) override;
};

}  // namespace tavrin::win32
