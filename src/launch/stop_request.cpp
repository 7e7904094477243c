#include "launch/stop_request.h"

#include <csignal>

namespace tavrin {
namespace {

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_runStopped = 0;

}  // namespace

void RequestStop(int signal) { g_signal = signal > 0 ? signal : -1; }

bool StopRequested() { return g_signal != 0; }

int StopSignal() { return g_signal > 0 ? static_cast<int>(g_signal) : 0; }

void NoteRunStopped() { g_runStopped = 1; }

bool RunStopped() { return g_runStopped != 0; }

void ClearStopRequest() {
  g_signal = 0;
  g_runStopped = 0;
}

}  // namespace tavrin
