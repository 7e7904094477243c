#include "launch/run_waits.h"

#include <algorithm>
#include <cstdio>

#include "launch/launch.h"
#include "launch/run_progress.h"
#include "launch/stop_request.h"
#include "platform/files.h"
#include "platform/traits.h"

namespace tavrin {
namespace {

bool IsAbsolute(const std::string& path) {
  if (path.empty()) return false;
  if (path[0] == kNativeSeparator || path[0] == '/') return true;
  // A drive letter where paths have them.
  return kNativeSeparator == '\\' && path.size() > 1 && path[1] == ':';
}

}  // namespace

std::string ReadyPath(const std::string& path, const std::string& baseFolder) {
  if (IsAbsolute(path) || baseFolder.empty()) return path;
  const bool closed = baseFolder.back() == kNativeSeparator;
  return baseFolder + (closed ? "" : std::string(1, kNativeSeparator)) + path;
}

namespace {

// One look at the target: ready, not yet, or (nothing) never here.
std::optional<bool> IsReady(const RunOptions& options, const std::string& path, int connectLimit,
                            SystemInfo& system, FileSystem& files) {
  switch (options.ready) {
    case RunOptions::Ready::kTcp:
      return system.TcpAnswers(options.readyHost, options.readyPort, connectLimit);
    case RunOptions::Ready::kFile:
      // A link counts once it names something (Exists alone takes the link itself).
      return files.Exists(path) && !files.FileIdentity(path).empty();
    case RunOptions::Ready::kWindow:
      return system.VisibleWindowTitled(options.readyText);
    case RunOptions::Ready::kNone:
      break;
  }
  return true;
}

}  // namespace

ItemStartPlan PlanItemStart(const CollItem& item, const RunOptions& options,
                            const std::string& baseFolder, Shell& shell, SystemInfo& system,
                            FileSystem& files) {
  ItemStartPlan plan;
  for (const auto& [name, value] : options.env) plan.extras.env.push_back(name + "=" + value);
  plan.extras.place = options.place;
  if (!options.workDir.empty()) {
    plan.extras.workDir = ReadyPath(options.workDir, baseFolder);
    if (!files.IsFolder(plan.extras.workDir)) {
      plan.failure = kNoWorkDirText;
      return plan;
    }
  }
  if (options.skipIfRunning) {
    // Where the shell decides for itself what a file is, a document is asked too: no
    // process runs a document.
    const ResolvedFile resolved = shell.Resolve(item.File, baseFolder);
    const bool file = resolved.kind == ResolvedFile::Kind::kProgram ||
                      resolved.kind == ResolvedFile::Kind::kDocument;
    plan.running = file && system.ProgramRunning(resolved.path);
  }
  return plan;
}

namespace {

void PassSlice(long ms, SystemInfo& system, const WaitPause& pause) {
  if (!pause || !pause(ms)) system.Pause(ms);
}

}  // namespace

bool PauseUnlessStopped(long ms, SystemInfo& system, const WaitTick& tick, const WaitPause& pause) {
  const int64_t end = system.SteadyMilliseconds() + ms;
  for (;;) {
    if (StopRequested()) return false;
    const int64_t left = end - system.SteadyMilliseconds();
    if (left <= 0) return true;
    if (tick) tick(ms - left);
    if (StopRequested()) return false;
    PassSlice(static_cast<long>(std::min<int64_t>(left, kWaitSlice)), system, pause);
  }
}

long RoundedSeconds(int64_t ms) {
  return static_cast<long>(std::max<int64_t>(1, (ms + 500) / 1000));
}

std::string NotReadyText(const RunOptions& options) {
  return "Not ready after " + std::to_string(RoundedSeconds(options.timeout)) +
         " s: " + options.readySpec;
}

std::string EndedText(const SystemInfo::ChildEnd& end, const RunOptions& options) {
  std::string status;
  if (end.signalled) {
    status = "by signal " + std::to_string(end.value);
  } else if (end.value > 0xFFFF) {
    // A Windows status of that size is an error code, which is read in hexadecimal.
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%08llX", static_cast<unsigned long long>(end.value));
    status = std::string("with status ") + hex;
  } else {
    status = "with status " + std::to_string(end.value);
  }
  return "Ended " + status + " before it was ready: " + options.readySpec;
}

std::string AnswersAlreadyText(const RunOptions& options) {
  // The address as written, without its "tcp:".
  return "Something else already answers at " + options.readySpec.substr(4);
}

ReadyWait WaitUntilReady(const RunOptions& options, const std::string& baseFolder,
                         SystemInfo& system, FileSystem& files, const WaitTick& tick, int64_t pid,
                         const WaitPause& pause) {
  ReadyWait wait;
  if (options.ready == RunOptions::Ready::kNone) return wait;
  const std::string path = ReadyPath(options.readyText, baseFolder);
  const int64_t end = system.SteadyMilliseconds() + options.timeout;
  for (;;) {
    if (tick) tick(options.timeout - std::max<int64_t>(0, end - system.SteadyMilliseconds()));
    if (StopRequested()) {
      wait.stopped = true;
      return wait;
    }
    const int64_t left = end - system.SteadyMilliseconds();
    const int limit = static_cast<int>(std::clamp<int64_t>(left, 1, kTcpLook));
    const std::optional<bool> ready = IsReady(options, path, limit, system, files);
    if (!ready) {
      wait.failure = kNoWindowWaitText;
      return wait;
    }
    if (*ready) return wait;
    if (pid != 0) {
      if (const auto ended = system.ChildEnded(pid)) {
        if (ended->Failed()) {
          wait.failure = EndedText(*ended, options);
          return wait;
        }
        pid = 0;  // it ended well: what it started in the background is waited for
      }
    }
    const int64_t after = end - system.SteadyMilliseconds();
    if (after <= 0) {
      wait.failure = NotReadyText(options);
      return wait;
    }
    PassSlice(static_cast<long>(std::min<int64_t>(after, kWaitSlice)), system, pause);
  }
}

namespace {

// What follows an item's start: the wait until it is ready.
void FinishRun(ItemRun& run, const RunOptions& options, const std::string& baseFolder,
               Platform& platform, const ItemWaitTick& waiting, const WaitPause& pause,
               int64_t pid) {
  WaitTick tick;
  if (waiting) {
    tick = [&](int64_t waited) { waiting(options.readySpec, waited, options.timeout); };
  }
  const ReadyWait ready =
      WaitUntilReady(options, baseFolder, platform.system, platform.files, tick, pid, pause);
  if (ready.stopped) {
    run.outcome = ItemRun::kStopped;
  } else if (!ready.failure.empty()) {
    run.outcome = ItemRun::kFailed;
    run.text = ready.failure;
  }
}

}  // namespace

ItemRun RunItem(const CollItem& item, const std::string& baseFolder, Platform& platform,
                const ItemWaitTick& waiting, const WaitPause& pause) {
  ItemRun run;
  RunOptions options;
  if (std::string refused = ReadRunOptions(item, options); !refused.empty()) {
    run.outcome = ItemRun::kFailed;
    run.text = std::move(refused);
    return run;
  }
  WaitTick delayTick;
  if (waiting) delayTick = [&](int64_t waited) { waiting("", waited, options.delay); };
  if (options.delay > 0 && !PauseUnlessStopped(options.delay, platform.system, delayTick, pause)) {
    run.outcome = ItemRun::kStopped;
    return run;
  }
  ItemStartPlan plan =
      PlanItemStart(item, options, baseFolder, platform.shell, platform.system, platform.files);
  if (!plan.failure.empty()) {
    run.outcome = ItemRun::kFailed;
    run.text = std::move(plan.failure);
    return run;
  }
  if (plan.running) {
    // What runs already counts as started, and is waited for as a start would be.
    run.skipped = true;
    FinishRun(run, options, baseFolder, platform, waiting, pause, 0);
    return run;
  }
  // Readiness is about the item's own program: an address that answers before it starts
  // would be taken for it.
  if (options.ready == RunOptions::Ready::kTcp &&
      platform.system.TcpAnswers(options.readyHost, options.readyPort, kTcpLook)) {
    run.outcome = ItemRun::kFailed;
    run.text = AnswersAlreadyText(options);
    return run;
  }
  const bool waited = item.Wait != 0;
  // A waited program only outlives its start when its wait was given up; what is not
  // marked now is marked when the run ends (ChildStartMark).
  plan.extras.started = [&run, &platform, waited](int64_t pid) {
    run.pid = pid;
    if (!waited) run.mark = platform.system.ChildStartMark(pid, SystemInfo::MarkTime::kAtStart);
  };
  plan.extras.handlerStarted = [&run](int64_t pid) { run.handlerPid = pid; };
  run.result = LaunchItem(item.File, item.Params, item.WinStyle, item.Wait, baseFolder,
                          platform.shell, &StopRequested, plan.extras);
  if (waited && run.result == kWaitStopped && run.pid != 0) {
    run.mark = platform.system.ChildStartMark(run.pid, SystemInfo::MarkTime::kAtStart);
  }
  if (waited && run.result == kWaitStopped) {
    run.outcome = ItemRun::kStopped;
    run.started = true;
    return run;
  }
  platform.toolkit.DoEvents();
  if (LaunchFailed(run.result, waited)) {
    run.outcome = ItemRun::kFailed;
    run.text = LaunchErrorText(run.result, waited, platform.shell);
    return run;
  }
  run.started = true;
  FinishRun(run, options, baseFolder, platform, waiting, pause, waited ? 0 : run.pid);
  return run;
}

std::string StartingText(const RunWait& wait) {
  return "Starting " + std::to_string(wait.position) + " of " + std::to_string(wait.count) + ": " +
         wait.itemName;
}

std::string WaitingText(const RunWait& wait) {
  const std::string of = std::to_string(wait.waited / 1000) + " s of " +
                         std::to_string(RoundedSeconds(wait.limit)) + " s";
  if (wait.target.empty()) return "Waiting to start, " + of;
  return "Waiting for " + wait.target + ", " + of;
}

bool StopsOnFailure(const CollItem& item) {
  for (const ItemOption& option : item.Options) {
    if (CanonicalOptionKey(option.Key) == "StopOnFailure") return option.Value == "1";
  }
  return false;
}

}  // namespace tavrin
