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

// A program started and not yet waited for.
struct StartedProcess {
  int pid = -1;
  int outFd = -1;
  int errFd = -1;
  std::string outName;
  std::string errName;
  std::string failure;  // why it could not be started
#ifdef _WIN32
  // The process and the output files (Windows handles).
  void* process = nullptr;
  void* outFile = nullptr;
  void* errFile = nullptr;
#endif
};

// Starts a program as RunProcess does, without waiting for it.
StartedProcess StartProcess(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env = {},
                            const std::string& cwd = "");

// True while the program has not ended.
bool StillRunning(const StartedProcess& process);

// Waits for the program's end and collects its output.
ProcessResult FinishProcess(StartedProcess& process);

// Runs a program to its end with the environment changed as given (an empty value
// removes the variable) and standard input closed; collects its output. On Windows
// the command line is argv[0] (quoted when it holds a blank) followed by the other
// arguments joined by single blanks as they stand, the way the shell builds the
// command lines of a file association.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& cwd = "");

// The folder of the running test program.
std::string ThisProgramFolder();

#ifndef _WIN32
// A child of this process as /proc lists it, alive or ended but not reaped ('Z').
struct Child {
  int pid = 0;
  char state = '?';
};
std::vector<Child> Children();
#endif

}  // namespace tavrin::testing
