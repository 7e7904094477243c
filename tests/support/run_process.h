#pragma once

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::testing {

struct ProcessResult {
  int exitCode = -1;  // -1 when it did not end normally
  std::string out;
  std::string err;
};

// Runs a program to its end, the environment changed as given (an empty value removes a
// variable), standard input closed; collects its output. On Windows the command line is
// argv[0], quoted when it holds a blank, and the rest joined by blanks, as the shell does.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& cwd = "");

#ifdef _WIN32
// As RunProcess, the program in a process group of its own (whose number is its own),
// so that a console event can be sent to it alone; `whileRunning` is called with that
// number once it has started, before its end is waited for.
ProcessResult RunProcessInGroup(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env,
                                const std::function<void(unsigned long)>& whileRunning,
                                const std::string& cwd = "");

// The folder of the running test program.
std::string ThisProgramFolder();
#else
// A child of this process as /proc lists it, alive or ended but not reaped ('Z').
struct Child {
  int pid = 0;
  char state = '?';
};
std::vector<Child> Children();

// The user and group that RunUnprivileged runs as when this process is root: nobody.
inline constexpr int kUnprivilegedId = 65534;

// Runs `body` in a child process as nobody (kUnprivilegedId, no other groups) when this
// process is root, else as this user; returns what `body` returned (0 to 255), or -1.
// `body` must not use the test framework's assertions: they would be lost with the child.
int RunUnprivileged(const std::function<int()>& body);

// Runs `body` in a child process; returns what it returned (0 to 255), or -1 when it did
// not end normally or had not ended by itself after `limitSeconds` (it is killed then: a
// guard against a hang, far beyond what it needs, not a measure of its speed). `body`
// must not use the test framework's assertions.
int RunInChildWithin(const std::function<int()>& body, int limitSeconds);
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
inline std::vector<RecordedRun> ReadRecording(const std::string& recordFile) {
  std::vector<RecordedRun> runs;
  std::ifstream in(recordFile, std::ios::binary);
  std::string tag;
  std::string rest;
  long long ns = 0;
  int pid = 0;
  // "start <ns> <pid> <program>\t<folder>\t<arguments split by \x1f>" or "end <ns> <pid>".
  while (in >> tag >> ns >> pid && std::getline(in, rest)) {
    if (tag == "end") {
      for (auto& run : runs) run.endNs = run.pid == pid ? ns : run.endNs;
      continue;
    }
    RecordedRun run;
    run.pid = pid;
    run.startNs = ns;
    std::istringstream fields(rest.substr(rest.empty() ? 0 : 1));
    std::getline(fields, run.program, '\t');
    std::getline(fields, run.cwd, '\t');
    for (std::string arg; std::getline(fields, arg, '\x1f');) run.args.push_back(arg);
    runs.push_back(run);
  }
  return runs;
}

// Waits (polling, up to `limitMs`) until the record file holds `runs` ended runs.
inline std::vector<RecordedRun> WaitForRecording(const std::string& recordFile, std::size_t runs,
                                                 int limitMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    auto found = ReadRecording(recordFile);
    std::size_t ended = 0;
    for (const auto& r : found) ended += r.endNs != 0 ? 1 : 0;
    if (ended >= runs || std::chrono::steady_clock::now() > deadline) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Full paths of the stand-in program, of the helper that asks GIO about file types
// (helpers/gio_probe.c), of the built tavrin executable, and of the source folder.
std::string RecorderPath();
std::string GioProbePath();
std::string TavrinPath();
std::string SourcePath();

}  // namespace tavrin::testing
