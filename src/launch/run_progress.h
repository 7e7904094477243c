#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Where a run stands while it waits, for whoever shows the run's progress.
struct RunWait {
  std::string collection;  // the collection's name
  int position = 0;        // the item waited for, from 1
  int count = 0;           // the items of the run
  std::string itemName;
  std::string target;  // what becomes ready (a WaitReady value); empty: the delay before the start
  int64_t waited = 0;  // how long it has waited so far, milliseconds
  int64_t limit = 0;   // the delay, or how long it waits at most (Timeout), milliseconds
};

// Hears how a run waits. A run without waits tells it only that it ended.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  // Told when a wait begins (waited 0) and again after each slice of it (kWaitSlice).
  virtual void Waiting(const RunWait& wait) = 0;
  // Passes `ms` milliseconds of a wait while the window that shows the run serves its
  // events as they come. False when no window shows: the run then pauses by itself.
  virtual bool PassWait(long ms) {
    (void)ms;
    return false;
  }
  // Told when item `position` failed, before the failure is shown.
  virtual void ItemFailed(int position) { (void)position; }
  // Told once, when the run has ended or stopped.
  virtual void RunEnded() = 0;
  // Told of something about an item that is no failure (its window given up on):
  // `where` names the run and the item.
  virtual void Note(const RunWait& where, const std::string& text) { (void)where, (void)text; }
};

// A wait's length as the texts say it: whole seconds, to the nearest, at least 1.
long RoundedSeconds(int64_t ms);

// "Starting 2 of 3: Server".
std::string StartingText(const RunWait& wait);

// "Waiting for tcp:127.0.0.1:8080, 12 s of 30 s"; for a delay "Waiting to start, 1 s of 2 s".
std::string WaitingText(const RunWait& wait);

}  // namespace tavrin
