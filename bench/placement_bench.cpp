// What finding a started program's window and giving it a place costs once the window
// has mapped: a child process maps a window, and the run's side finds it by the child's
// process (XRes) and moves and sizes it (EWMH). Needs DISPLAY with a window manager
// (bench/placement.sh starts Xvfb and openbox for it). The run looks for pending windows
// every PendingWindows look (20 ms), which adds up to that much on top.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/x11_program_windows.h"

namespace {

// A child that maps a window and says so on `ready` once the window shows.
pid_t MapWindowInChild(int ready) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) _exit(2);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 300, 200, 0, 0, 0);
  XStoreName(d, w, "Placement bench");
  XMapWindow(d, w);
  XSync(d, False);
  for (XWindowAttributes a{}; XGetWindowAttributes(d, w, &a) && a.map_state != IsViewable;) {
    usleep(1000);
  }
  const char byte = 1;
  if (write(ready, &byte, 1) != 1) _exit(2);
  for (;;) pause();
}

void BM_FindAndPlaceAfterMap(benchmark::State& state) {
  if (std::getenv("DISPLAY") == nullptr) {
    state.SkipWithError("no X server (DISPLAY)");
    return;
  }
  tavrin::WindowWish wish;
  wish.place = tavrin::WindowRect{100, 80, 500, 400};
  wish.desktop = 1;
  for (auto _ : state) {
    state.PauseTiming();
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t child = MapWindowInChild(fds[1]);
    char byte = 0;
    const bool mapped = read(fds[0], &byte, 1) == 1;
    close(fds[0]);
    close(fds[1]);
    tavrin::posix::X11ProgramWindows windows;
    state.ResumeTiming();
    // A fresh connection each time: the first look of a run opens it too.
    tavrin::WindowHandle window = 0;
    while (mapped && window == 0) window = windows.FirstWindowOf(child);
    benchmark::DoNotOptimize(windows.Apply(window, wish));
    state.PauseTiming();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FindAndPlaceAfterMap)->Unit(benchmark::kMillisecond)->Iterations(21);

}  // namespace

BENCHMARK_MAIN();
