// What one look at a readiness target costs, beyond the wait between looks: a loopback
// port that refuses, a file that is not there yet, and (with DISPLAY set) the windows of
// the X server.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_system.h"

namespace {

void BM_TcpCheckRefused(benchmark::State& state) {
  tavrin::posix::PosixSystemInfo system;
  for (auto _ : state) benchmark::DoNotOptimize(system.TcpAnswers("127.0.0.1", 9, 250));
}
BENCHMARK(BM_TcpCheckRefused);

void BM_FileCheckMissing(benchmark::State& state) {
  tavrin::PosixFileSystem files;
  const std::string path = "/tmp/tavrin-bench-not-there/ready";
  for (auto _ : state) benchmark::DoNotOptimize(files.Exists(path));
}
BENCHMARK(BM_FileCheckMissing);

void BM_WindowCheck(benchmark::State& state) {
  tavrin::posix::PosixSystemInfo system;
  if (!system.VisibleWindowTitled("no such title")) {
    state.SkipWithError("no X server (DISPLAY)");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(system.VisibleWindowTitled("no such title"));
}
BENCHMARK(BM_WindowCheck);

}  // namespace

BENCHMARK_MAIN();
