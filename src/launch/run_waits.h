#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "collection/collection.h"
#include "collection/run_options.h"
#include "launch/launch.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace tavrin {

// How often a delay and a readiness wait look at a request to stop, and how often a
// readiness wait looks at its target (milliseconds).
inline constexpr long kWaitSlice = 50;

// The longest a single look at a TCP address may take, the resolution of its name
// included, before the wait looks at a stop again (milliseconds).
inline constexpr int kTcpLook = 250;

// Told how long a wait has waited (milliseconds): when it begins, and after each slice.
using WaitTick = std::function<void(int64_t waited)>;

// Passes one slice of a wait (milliseconds) in place of SystemInfo::Pause, serving a
// window's events meanwhile; false when it did not pass it (the system pauses then).
using WaitPause = std::function<bool(long ms)>;

// Waits `ms` milliseconds in slices, looking at a request to stop (StopRequested)
// before each. Returns false when a stop was asked for before the time was up.
bool PauseUnlessStopped(long ms, SystemInfo& system, const WaitTick& tick = {},
                        const WaitPause& pause = {});

// How a readiness wait ended.
struct ReadyWait {
  bool stopped = false;  // a stop was asked for while it waited
  std::string failure;   // why the item is taken as failed; empty when it became ready
};

// Waits until what `options` name is ready (a TCP port answers, a file exists, a window
// shows), at most `options.timeout` milliseconds, looking at a request to stop between
// checks. A relative file is taken from `baseFolder`. Ready at once without WaitReady.
// `pid`, when not 0, is the item's own program, started and not waited for: when it ends
// with a failure before it is ready, the wait fails at once (EndedText); when it ends
// with status 0 (it may have put itself in the background) the wait goes on.
ReadyWait WaitUntilReady(const RunOptions& options, const std::string& baseFolder,
                         SystemInfo& system, FileSystem& files, const WaitTick& tick = {},
                         int64_t pid = 0, const WaitPause& pause = {});

// The failure of a wait that ran out: "Not ready after 30 s: tcp:127.0.0.1:8080".
std::string NotReadyText(const RunOptions& options);

// The failure of a wait whose program ended first: "Ended with status 3 before it was
// ready: tcp:127.0.0.1:8080", "Ended by signal 9 before ...".
std::string EndedText(const SystemInfo::ChildEnd& end, const RunOptions& options);

// The failure of an item whose `tcp:` address answers before it starts:
// "Something else already answers at 127.0.0.1:8080".
std::string AnswersAlreadyText(const RunOptions& options);

// What a wait for a window gives where the desktop cannot be asked.
inline constexpr char kNoWindowWaitText[] = "Waiting for a window is not possible on this desktop";

// A path of a run option (a file to wait for, a working folder) as a run takes it: a
// relative one from `baseFolder`, the item's collection folder.
std::string ReadyPath(const std::string& path, const std::string& baseFolder);

// What a run gives for an item whose working folder is missing.
inline constexpr char kNoWorkDirText[] = "Working folder not found";

// How an item's run options shape its start, decided just before it.
struct ItemStartPlan {
  std::string failure;   // why it may not start; empty when it may
  bool running = false;  // it is not started: its program already runs (SkipIfRunning)
  StartExtras extras;    // its variables and its working folder
};

// Decides how `item` starts with its `options` (read by ReadRunOptions): a relative
// WorkDir is taken from `baseFolder` and must be a folder; with SkipIfRunning, a program
// that a process of this user already runs (SystemInfo::ProgramRunning) is not started.
ItemStartPlan PlanItemStart(const CollItem& item, const RunOptions& options,
                            const std::string& baseFolder, Shell& shell, SystemInfo& system,
                            FileSystem& files);

// How one item of a run went.
struct ItemRun {
  enum Outcome { kStarted, kFailed, kStopped };
  Outcome outcome = kStarted;
  bool started = false;    // its program or document was started
  bool skipped = false;    // kStarted without a start: its program already ran
  int64_t pid = 0;         // the process of a program started itself; 0: none known
  int64_t handlerPid = 0;  // the application that opened its document; 0: none known
  std::string mark;        // its start mark; empty: taken when the run ends (ChildStartMark)
  int32_t result = 0;      // what LaunchItem gave (0 when it was not asked)
  std::string text;        // kFailed: the failure box's text
};

// Runs one item of a collection as a run does, with its run options: refused when they
// cannot be followed, started after its Delay (with its Env and WorkDir; not when it
// skips a program that already runs), then waited for until ready (WaitReady). An item
// that waits for a TCP address that already answers before it starts is not started
// (AnswersAlreadyText), unless it skips a program that already runs.
// A request to stop during the delay, the start of a waited item or the readiness wait
// gives kStopped. Shows nothing; `waiting`, when given, is told of every slice of its
// waits: what it waits for (empty for the delay), how long so far and at most; `pause`,
// when given, passes the slices between.
using ItemWaitTick = std::function<void(const std::string& target, int64_t waited, int64_t limit)>;
ItemRun RunItem(const CollItem& item, const std::string& baseFolder, Platform& platform,
                const ItemWaitTick& waiting = {}, const WaitPause& pause = {});

// Whether a failure of `item` ends its run (StopOnFailure), even when its other options
// cannot be followed.
bool StopsOnFailure(const CollItem& item);

}  // namespace tavrin
