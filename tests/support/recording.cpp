#include "recording.h"

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "process.h"

namespace tavrin::testing {

std::vector<RecordedRun> ReadRecording(const std::string& recordFile) {
  std::vector<RecordedRun> runs;
  std::map<int, std::size_t> byPid;
  std::ifstream in(recordFile, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream head(line);
    std::string tag;
    long long ns = 0;
    int pid = 0;
    head >> tag >> ns >> pid;
    if (tag == "start") {
      RecordedRun run;
      run.pid = pid;
      run.startNs = ns;
      const auto t1 = line.find('\t');
      const auto t2 = line.find('\t', t1 + 1);
      // After the pid, up to the first tab: the program's own path.
      const auto afterPid = static_cast<std::size_t>(head.tellg());
      if (head && t1 != std::string::npos && afterPid + 1 < t1) {
        run.program = line.substr(afterPid + 1, t1 - afterPid - 1);
      }
      if (t1 != std::string::npos && t2 != std::string::npos) {
        run.cwd = line.substr(t1 + 1, t2 - t1 - 1);
        const std::string args = line.substr(t2 + 1);
        if (!args.empty() || line.size() > t2 + 1) {
          std::size_t start = 0;
          for (;;) {
            const auto sep = args.find('\x1f', start);
            run.args.push_back(args.substr(start, sep - start));
            if (sep == std::string::npos) break;
            start = sep + 1;
          }
        }
      }
      byPid[pid] = runs.size();
      runs.push_back(run);
    } else if (tag == "end" && byPid.count(pid)) {
      runs[byPid[pid]].endNs = ns;
    }
  }
  return runs;
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

}  // namespace tavrin::testing
