#pragma once

#include <sys/types.h>

#include <csignal>
#include <optional>

namespace tavrin::posix {

// Programs started without waiting are reaped as soon as they end, so that no
// zombie stays behind while the launcher lives. Only the children handed to
// TrackDetachedChild are touched; a child that is waited for is left to its waiter.

// Blocks SIGCHLD for its lifetime. Start a child and track it inside one of these,
// so that a child that ends at once is still reaped.
class ChildSignalBlock {
 public:
  ChildSignalBlock();
  ~ChildSignalBlock();
  ChildSignalBlock(const ChildSignalBlock&) = delete;
  ChildSignalBlock& operator=(const ChildSignalBlock&) = delete;

 private:
  sigset_t previous_;
};

// Gives SIGCHLD its default disposition back when the launcher was started with it
// ignored (or with children left unwaited, SA_NOCLDWAIT): then the system reaps every
// child by itself and no program could be waited for.
void RestoreDefaultChildSignal();

// Reaps `pid` as soon as it ends (now, if it has already ended).
void TrackDetachedChild(pid_t pid);

// Reaps every tracked child that has ended.
void ReapDetachedChildren();

// The wait status of the tracked child `pid` once it has been reaped; nothing while it
// runs (and for a child long gone: the last 64 that ended are kept).
std::optional<int> DetachedChildStatus(pid_t pid);

}  // namespace tavrin::posix
