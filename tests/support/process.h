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

// One start of the stand-in program (helpers/recorder.c), as it recorded itself.
struct RecordedRun {
  int pid = 0;
  long long startNs = 0;
  long long endNs = 0;  // 0 while it has not ended
  std::string program;  // the full path of the program that ran
  std::string cwd;
  std::vector<std::string> args;
};

// The stand-in program's runs from its record file, in the order they started.
std::vector<RecordedRun> ReadRecording(const std::string& recordFile);
// Waits (polling, up to `limitMs`) until the record file holds `runs` ended runs.
std::vector<RecordedRun> WaitForRecording(const std::string& recordFile, std::size_t runs,
                                          int limitMs = 10000);

// Full paths of the stand-in program, of the helper that asks GIO about file types
// (helpers/gio_probe.c), of the built tavrin executable, and of the source folder.
std::string RecorderPath();
std::string GioProbePath();
std::string TavrinPath();
std::string SourcePath();

}  // namespace tavrin::testing
