#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace tavrin::posix {

// Splits parameters into arguments, without any expansion: no variables, no commands,
// no globs, no tilde, and no character dropped or invented. Blanks separate arguments;
// double and single quotes group (inside single quotes every character is itself); a
// backslash before a quote, a blank or another backslash stands for that character,
// before anything else it is kept. When the quotes do not balance, the text is cut at
// its blanks and every character is kept as typed.
std::vector<std::string> SplitParams(const std::string& params);

// Arguments as parameters that SplitParams gives back exactly: each that holds anything
// but letters, digits and - _ . / = : , + @ % in single quotes (a single quote in it
// written '\'').
std::string QuoteParams(const std::vector<std::string>& args);

// The folders that programs named without a folder come from: the absolute entries of
// PATH, in order, or /usr/local/bin, /usr/bin and /bin where PATH is not set. An empty or
// relative entry (a common slip of shell profiles) would name the current folder, or one
// below it, and is left out.
std::vector<std::string> SearchFolders();

// The full path of an executable named without a folder, searched in SearchFolders();
// empty when there is none.
std::string FindOnPath(const std::string& name);

// True when `path` names an existing regular file that may be executed.
bool IsExecutableFile(const std::string& path);

// Starting programs and documents on a POSIX desktop: programs directly and
// detached, everything else with the desktop's default application (GIO), addresses
// with the application of their scheme. What a start will do is decided first, in one
// place, and the Check calls give that decision without starting anything.
//
// A bare name (no '/') is a program on PATH and nothing else; a relative path is taken
// from the request's base folder (the collection's folder).
class PosixShell : public Shell {
 public:
  // A launcher that inherited SIGCHLD ignored could not wait for its programs: the
  // default disposition comes back when the shell is made.
  PosixShell();

  ResolvedFile Resolve(const std::string& File, const std::string& baseFolder) override;
  int32_t ShellExecute(const ShellRequest& request) override;
  int32_t ShellAndWait(const WaitedStart& start) override;
  int32_t CheckShellExecute(const ShellRequest& request) override;
  int32_t CheckShellAndWait(const WaitedStart& start) override;
  std::string RuntimeErrorText(int32_t code) override;
};

}  // namespace tavrin::posix
