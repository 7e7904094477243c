#pragma once

#include <map>
#include <string>
#include <vector>

namespace tavrin::testing {

struct ProcessResult {
  int exitCode = -1;  // -1 when it did not end normally
  std::string out;
  std::string err;
};

// Runs a program to its end with the environment changed as given (an empty value
// removes the variable) and standard input closed; collects its output. On Windows
// the command line is argv[0] (quoted when it holds a blank) followed by the other
// arguments joined by single blanks as they stand, the way the shell builds the
// command lines of a file association.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& cwd = "");

#ifdef _WIN32
// The folder of the running test program.
std::string ThisProgramFolder();
#else
// A child of this process as /proc lists it, alive or ended but not reaped ('Z').
struct Child {
  int pid = 0;
  char state = '?';
};
std::vector<Child> Children();
#endif

}  // namespace tavrin::testing
