#pragma once

#include <string>
#include <vector>

namespace tavrin::testing {

// One start of the stand-in program, as it recorded itself.
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

// Full path of the stand-in program built with the tests.
std::string RecorderPath();

// Full path of the helper that asks GIO about file types (see helpers/gio_probe.c).
std::string GioProbePath();

// Full path of the built tavrin executable.
std::string TavrinPath();

// The project's source folder.
std::string SourcePath();

// Waits (polling, up to `limitMs`) until the record file holds `runs` ended runs.
// Returns the runs found.
std::vector<RecordedRun> WaitForRecording(const std::string& recordFile, std::size_t runs,
                                          int limitMs = 10000);

}  // namespace tavrin::testing
