#include "platform/posix/signals.h"

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace tavrin::posix {
namespace {

bool g_recorded = false;
bool g_ignored[NSIG] = {};
sigset_t g_mask;

}  // namespace

void RecordGivenSignals() {
  if (g_recorded) return;
  g_recorded = true;
  ::sigprocmask(SIG_SETMASK, nullptr, &g_mask);
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    g_ignored[signal] = ::sigaction(signal, nullptr, &action) == 0 &&
                        !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
  }
}

// Uninstrumented: a start runs it in a child that shares the launcher's memory.
__attribute__((no_sanitize_address)) void RestoreGivenSignals() {
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal == SIGKILL || signal == SIGSTOP) continue;
    struct sigaction action {};
    action.sa_handler = g_ignored[signal] ? SIG_IGN : SIG_DFL;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, g_recorded ? &g_mask : &none, nullptr);
}

void CatchTermination(void (*handler)(int)) {
  sigset_t caught;
  ::sigemptyset(&caught);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction given {};
    if (::sigaction(signal, nullptr, &given) != 0 || given.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
    ::sigaddset(&caught, signal);
  }
  ::sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

}  // namespace tavrin::posix
