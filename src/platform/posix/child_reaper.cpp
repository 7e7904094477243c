#include "platform/posix/child_reaper.h"

#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <vector>

namespace tavrin::posix {
namespace {

// Slots the signal handler may reap from; 0 marks a free slot. A child that finds
// no free slot goes to the overflow list, which is swept outside the handler.
constexpr int kSlots = 4096;
std::atomic<pid_t> g_slots[kSlots];
std::vector<pid_t> g_overflow;

struct sigaction g_previous;
std::atomic<bool> g_havePrevious{false};

bool ReapSlot(std::atomic<pid_t>& slot) {
  const pid_t pid = slot.load(std::memory_order_relaxed);
  if (pid <= 0) return false;
  const pid_t r = waitpid(pid, nullptr, WNOHANG);
  if (r == pid || (r < 0 && errno == ECHILD)) {
    slot.store(0, std::memory_order_relaxed);
    return true;
  }
  return false;
}

void OnChildSignal(int sig, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  for (auto& slot : g_slots) ReapSlot(slot);
  errno = savedErrno;
  // Whoever handled SIGCHLD before keeps getting it.
  if (g_havePrevious.load()) {
    if (g_previous.sa_flags & SA_SIGINFO) {
      if (g_previous.sa_sigaction != nullptr) g_previous.sa_sigaction(sig, info, context);
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
      g_previous.sa_handler(sig);
    }
  }
}

// Installs the handler, again if someone has put another one in its place since.
void EnsureHandler() {
  struct sigaction current {};
  sigaction(SIGCHLD, nullptr, &current);
  if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == &OnChildSignal) return;
  g_previous = current;
  g_havePrevious.store(true);
  struct sigaction ours {};
  ours.sa_sigaction = &OnChildSignal;
  ours.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
  sigemptyset(&ours.sa_mask);
  sigaction(SIGCHLD, &ours, nullptr);
}

}  // namespace

void RestoreDefaultChildSignal() {
  struct sigaction current {};
  if (sigaction(SIGCHLD, nullptr, &current) != 0) return;
  const bool ignored = !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN;
  if (!ignored && !(current.sa_flags & SA_NOCLDWAIT)) return;
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(SIGCHLD, &standard, nullptr);
}

ChildSignalBlock::ChildSignalBlock() {
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGCHLD);
  pthread_sigmask(SIG_BLOCK, &block, &previous_);
}

ChildSignalBlock::~ChildSignalBlock() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void TrackDetachedChild(pid_t pid) {
  EnsureHandler();
  for (auto& slot : g_slots) {
    pid_t expected = 0;
    if (slot.compare_exchange_strong(expected, pid)) {
      ReapSlot(slot);  // it may have ended already
      return;
    }
  }
  g_overflow.push_back(pid);
  ReapDetachedChildren();
}

void ReapDetachedChildren() {
  ChildSignalBlock block;
  for (auto& slot : g_slots) ReapSlot(slot);
  std::erase_if(g_overflow, [](pid_t pid) {
    const pid_t r = waitpid(pid, nullptr, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

}  // namespace tavrin::posix
