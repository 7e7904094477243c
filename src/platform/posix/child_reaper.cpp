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

// How the last children ended, written by the reaping (also in the signal handler): a
// slot's number is cleared while it is written.
constexpr unsigned kEnded = 64;
struct Ended {
  std::atomic<pid_t> pid{0};
  std::atomic<int> status{0};
};
Ended g_ended[kEnded];
std::atomic<unsigned> g_nextEnded{0};

void NoteEnded(pid_t pid, int status) {
  Ended& slot = g_ended[g_nextEnded.fetch_add(1, std::memory_order_relaxed) % kEnded];
  slot.pid.store(0);
  slot.status.store(status);
  slot.pid.store(pid);
}

// Forgets how an earlier child of the number `pid` ended: the number is a new child's.
void ForgetEnded(pid_t pid) {
  for (Ended& slot : g_ended) {
    pid_t expected = pid;
    slot.pid.compare_exchange_strong(expected, 0);
  }
}

struct sigaction g_previous;
std::atomic<bool> g_havePrevious{false};

bool ReapSlot(std::atomic<pid_t>& slot) {
  const pid_t pid = slot.load(std::memory_order_relaxed);
  if (pid <= 0) return false;
  int status = 0;
  const pid_t r = waitpid(pid, &status, WNOHANG);
  if (r == pid) NoteEnded(pid, status);
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
  ForgetEnded(pid);
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
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) NoteEnded(pid, status);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

std::optional<int> DetachedChildStatus(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  ReapDetachedChildren();
  for (const Ended& slot : g_ended) {
    if (slot.pid.load() != pid) continue;
    const int status = slot.status.load();
    if (slot.pid.load() == pid) return status;
  }
  return std::nullopt;
}

}  // namespace tavrin::posix
