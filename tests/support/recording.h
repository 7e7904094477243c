#pragma once

#include <string>
#include <vector>

namespace tavrin::testing {

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
