
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "process.h"

namespace tavrin::testing {

std::vector<RecordedRun> ReadRecording(const std::string& recordFile) {
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

std::vector<RecordedRun> WaitForRecording(const std::string& recordFile, std::size_t runs,
                                          int limitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    auto found = ReadRecording(recordFile);
    std::size_t ended = 0;
    for (const auto& r : found) ended += r.endNs != 0 ? 1 : 0;
    if (ended >= runs || std::chrono::steady_clock::now() > deadline) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

#ifdef _WIN32
// Cross-built tests know the build folder only by its Linux path: they find the
// programs beside themselves.
std::string RecorderPath() { return ThisProgramFolder() + "\\tavrin_test_recorder.exe"; }
std::string TavrinPath() { return ThisProgramFolder() + "\\" + TAVRIN_BINARY_FROM_TESTS; }
#else
std::string RecorderPath() { return std::string(TAVRIN_TEST_HELPER_DIR) + "/tavrin_test_recorder"; }
std::string GioProbePath() {
  return std::string(TAVRIN_TEST_HELPER_DIR) + "/tavrin_test_gio_probe";
}
std::string TavrinPath() { return TAVRIN_BINARY_PATH; }
#endif
std::string SourcePath() { return TAVRIN_SOURCE_PATH; }

}  // namespace tavrin::testing
