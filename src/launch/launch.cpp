#include "launch/launch.h"

#include <algorithm>
#include <vector>

#include "collection/collfile.h"
#include "collection/paths.h"
#include "collection/text.h"
#include "launch/run_records.h"
#include "launch/run_waits.h"
#include "launch/stop_request.h"
#include "launch/window_placement.h"
#include "platform/text_encoding.h"

namespace tavrin {
namespace {

// The folder an item's program starts in: the folder part of its path, or none when
// the path names no folder.
std::string StartFolder(const std::string& File) {
  return FindLast(File, std::string(1, kNativeSeparator)) == 0 ? std::string() : FolderPart(File);
}

ShellRequest ShellRequestFor(const std::string& File, const std::string& Params, int16_t WinStyle,
                             const std::string& baseFolder, const StartExtras& extras) {
  ShellRequest request;
  request.verb = "Open";
  if (AddressScheme(File).empty()) {
    request.file = FilePart(File);
    request.folder = StartFolder(File);
  } else {
    // An address is no path: it is not cut into folder and file.
    request.file = File;
  }
  request.params = Params;
  request.show = ShowWindowValue(WinStyle);
  request.fullPath = File;
  request.baseFolder = baseFolder;
  request.env = extras.env;
  request.workDir = extras.workDir;
  request.started = extras.started;
  request.handlerStarted = extras.handlerStarted;
  request.place = extras.place;
  return request;
}

WaitedStart WaitedStartFor(const std::string& File, const std::string& Params, int16_t WinStyle,
                           const std::string& baseFolder, const StartExtras& extras) {
  WaitedStart start;
  start.program = File;
  start.params = Params;
  start.folder = StartFolder(File);
  start.show = ShowWindowValue(WinStyle);
  start.baseFolder = baseFolder;
  start.env = extras.env;
  start.workDir = extras.workDir;
  start.started = extras.started;
  start.place = extras.place;
  return start;
}

// What a launch failure box names: the file part of the item's File; an address whole,
// since its last part alone ("page") would say nothing.
std::string FailureSubject(const std::string& File) {
  return AddressScheme(File).empty() ? FilePart(File) : File;
}

}  // namespace

int ShowWindowValue(int16_t WinStyle) {
  return WinStyle == kStyleMinimizedNoFocus ? static_cast<int>(kSwShowMinNoActive) : WinStyle;
}

int32_t LaunchItem(const std::string& File, const std::string& Params, int16_t WinStyle,
                   int16_t Wait, const std::string& baseFolder, Shell& shell,
                   const std::function<bool()>& stopRequested, const StartExtras& extras) {
  if (Wait == 0) {
    return shell.ShellExecute(ShellRequestFor(File, Params, WinStyle, baseFolder, extras));
  }
  WaitedStart start = WaitedStartFor(File, Params, WinStyle, baseFolder, extras);
  start.stopRequested = stopRequested;
  return shell.ShellAndWait(start);
}

int32_t CheckItem(const std::string& File, const std::string& Params, int16_t WinStyle,
                  int16_t Wait, const std::string& baseFolder, Shell& shell) {
  if (Wait == 0) {
    return shell.CheckShellExecute(ShellRequestFor(File, Params, WinStyle, baseFolder, {}));
  }
  return shell.CheckShellAndWait(WaitedStartFor(File, Params, WinStyle, baseFolder, {}));
}

std::string ItemBaseFolder(const CollectionState& state, SystemInfo& system) {
  const std::string& file = state.CurrentCollFile;
  if (file.empty()) return system.CollectionFolder();
  const int sep = FindLast(file, std::string(1, kNativeSeparator));
  if (sep == 0) return "";                                // a bare name: the current folder
  if (sep == 1) return std::string(1, kNativeSeparator);  // the root folder
  return FolderPart(file);
}

ResolvedFile ResolveItemFile(const std::string& File, const CollectionState& state,
                             Platform& platform) {
  return platform.shell.Resolve(File, ItemBaseFolder(state, platform.system));
}

std::string ItemFileFolder(const std::string& File, const ResolvedFile& resolved) {
  std::string folder = FolderPart(File);
  if (folder != File) return folder;
  // A bare name: where the program was found.
  if (resolved.kind != ResolvedFile::Kind::kProgram) return "";
  std::string found = FolderPart(resolved.path);
  return found == resolved.path ? "" : found;
}

std::string LaunchErrorText(int32_t Code, bool UseRuntimeText, Shell& shell) {
  if (UseRuntimeText) return shell.RuntimeErrorText(Code);
  switch (static_cast<uint32_t>(Code)) {
    case 0:
      return "The file could not be run due to insufficient system memory or a corrupt program "
             "file";
    case 2:
      return "File Not Found";
    case 3:
      return "Invalid Path";
    case 5:
      return "Sharing or protection error";
    case 6:
      return "Separate data segments are required for each task ";
    case 8:
      return "Insufficient memory to run the program";
    case 10:
      return "Incorrect Windows version";
    case 11:
      return "Invalid Program File";
    case 12:
      return "Program file requires a different operating System ";
    case 13:
      return "Program requires MS-DOS 4.0";
    case 14:
      return "Unknown program file type";
    case 15:
      return "Windows prgram does not support protected memory mode";
    case 16:
      return "Invalid use of data segments when loading a second instance of a program";
    case 19:
      return "Attempt to run a compressed program file";
    case 20:
      return "Invalid dynamic link library";
    case 21:
      return "Program requires Windows 32-bit extensions";
    case 31:
      return "No application found for this file";
    default:
      return "";
  }
}

bool LaunchFailed(int32_t result, bool waited) { return waited ? result != 0 : result < 32; }

std::string LaunchFailureReason(int32_t result, const std::string& text) {
  return text.empty() ? "failure code " + std::to_string(result) : text;
}

void ShowLaunchFailure(const std::string& File, const std::string& text, Toolkit& toolkit,
                       SystemInfo& system) {
  toolkit.MsgBox(system.PathCase(FailureSubject(File)) + "\n\n" + text, kStyleCriticalOk,
                 kErrorCaption);
}

namespace {

std::vector<std::string> RunningAbove(SystemInfo& system) {
  std::vector<std::string> names;
  const std::string value = system.GetEnvironment(kRunningVariable);
  for (std::size_t start = 0; start < value.size();) {
    std::size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    if (end > start) names.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// The collection named in kRunningVariable while its run lasts; what stood there before
// comes back afterwards.
class RunningHere {
 public:
  RunningHere(SystemInfo& system, const std::string& identity)
      : system_(system), before_(system.GetEnvironment(kRunningVariable)) {
    system_.SetEnvironment(kRunningVariable, (before_.empty() ? "" : before_ + ";") +
                                                 (identity.empty() ? "?" : identity));
  }
  ~RunningHere() { system_.SetEnvironment(kRunningVariable, before_); }
  RunningHere(const RunningHere&) = delete;
  RunningHere& operator=(const RunningHere&) = delete;

 private:
  SystemInfo& system_;
  std::string before_;
};

}  // namespace

std::string RunRefusal(const std::string& collectionFile, Platform& platform) {
  const std::vector<std::string> above = RunningAbove(platform.system);
  const std::string identity = platform.files.FileIdentity(collectionFile);
  if (!identity.empty() && std::find(above.begin(), above.end(), identity) != above.end()) {
    return "This Collection is already running: it has started itself, directly or through "
           "other Collections, and is not run again.";
  }
  if (static_cast<int>(above.size()) >= kMaxRunDepth) {
    return "Collections have started one another " + std::to_string(kMaxRunDepth) +
           " deep: this one is not run.";
  }
  return "";
}

int RunAllItems(const CollectionState& state, Platform& platform, const LaunchFailureLog& log,
                RunTally* tally, RunProgress* progress) {
  if (state.IsEmptyCollection()) return 0;
  const std::string& file = state.CurrentCollFile;
  if (const std::string refusal = RunRefusal(file, platform); !refusal.empty()) {
    if (log) log(0, CollItem{}, 0, refusal);
    platform.toolkit.MsgBox((file.empty() ? "" : file + "\n\n") + refusal, kStyleCriticalOk,
                            kErrorCaption);
    return 1;
  }
  const RunningHere running(platform.system, platform.files.FileIdentity(file));
  // The launcher's own startup notification and activation token would let an item's
  // window take the launcher's turn: no item is given them.
  for (const char* token : {"DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN"}) {
    platform.system.SetEnvironment(token, "");
  }
  const std::string baseFolder = ItemBaseFolder(state, platform.system);
  RunTally counts;
  std::vector<StartedItem> started;
  const int upper = state.UpperBound();
  PendingWindows windows(
      platform.system, [&](int position, const std::string& name, const std::string& text) {
        if (progress != nullptr) {
          progress->Note({BaseName(file), position, counts.items, name, "", 0, 0}, text);
        }
      });
  counts.items = std::min(upper + 1, static_cast<int>(state.Items.size()));
  for (int i = 0; i < counts.items; ++i) {
    // A request to stop (a termination signal) starts nothing more.
    if (StopRequested()) {
      NoteRunStopped();
      break;
    }
    const CollItem item = state.Items[static_cast<std::size_t>(i)];
    ItemWaitTick waiting;
    WaitPause pause;
    if (progress != nullptr) {
      waiting = [&](const std::string& target, int64_t waited, int64_t limit) {
        progress->Waiting(
            {BaseName(file), i + 1, counts.items, item.ItemName, target, waited, limit});
      };
      pause = [progress](long ms) { return progress->PassWait(ms); };
    }
    const ItemRun run = RunItem(item, baseFolder, platform, waiting, pause);
    if (run.started && !run.skipped) {
      started.push_back({i + 1, EscapeControls(item.ItemName), run.pid, run.mark});
      RunOptions options;
      if (ReadRunOptions(item, options).empty()) {
        // A document's window is that of the application that opened it.
        windows.Add(i + 1, item.ItemName, run.pid != 0 ? run.pid : run.handlerPid,
                    WishOf(item, options));
      }
    }
    windows.Poll();
    if (run.outcome == ItemRun::kStopped) {
      // What started goes on; the run does not wait for it, nor start anything after it.
      if (run.started) ++counts.started;
      NoteRunStopped();
      break;
    }
    if (run.outcome == ItemRun::kFailed) {
      ++counts.failed;
      if (log) log(i + 1, item, run.result, run.text);
      if (progress != nullptr) progress->ItemFailed(i + 1);
      ShowLaunchFailure(item.File, run.text, platform.toolkit, platform.system);
    } else {
      ++counts.started;
    }
    platform.toolkit.DoEvents();
    if (run.outcome == ItemRun::kFailed && StopsOnFailure(item)) break;
  }
  // The run ends when the windows it started have their style and place, or are given up.
  windows.Finish();
  // What this run started is kept for `--stop`, with what earlier runs started that runs.
  for (StartedItem& item : started) {
    if (item.pid != 0 && item.mark.empty()) {
      item.mark = platform.system.ChildStartMark(item.pid, SystemInfo::MarkTime::kAtRunEnd);
    }
  }
  if (const std::string why = RecordRun(file, started, platform.system, platform.files);
      !why.empty()) {
    const std::string text = kNotRecordedText + why + ".";
    if (log) {
      log(0, CollItem{}, 0, text);
    } else {
      platform.toolkit.MsgBox((file.empty() ? "" : file + "\n\n") + text, kStyleExclamationOk,
                              kErrorCaption);
    }
  }
  if (progress != nullptr) progress->RunEnded();
  if (tally) *tally = counts;
  return counts.failed;
}

std::vector<ItemCheck> CheckAllItems(const CollectionState& state, Shell& shell, SystemInfo& system,
                                     FileSystem& files) {
  std::vector<ItemCheck> checks;
  if (state.IsEmptyCollection()) return checks;
  const std::string baseFolder = ItemBaseFolder(state, system);
  for (std::size_t i = 0; i < state.Items.size(); ++i) {
    const CollItem& item = state.Items[i];
    ItemCheck check;
    check.position = static_cast<int>(i) + 1;
    check.result = CheckItem(item.File, item.Params, item.WinStyle, item.Wait, baseFolder, shell);
    const bool waited = item.Wait != 0;
    check.starts = !LaunchFailed(check.result, waited);
    if (!check.starts) check.text = LaunchErrorText(check.result, waited, shell);
    // Run options a run cannot follow keep the item from starting, whatever its file.
    RunOptions options;
    std::string refused = ReadRunOptions(item, options);
    if (refused.empty()) {
      const ItemStartPlan plan = PlanItemStart(item, options, baseFolder, shell, system, files);
      refused = plan.failure;
      check.running = plan.running;
    }
    // A wait for a window where the desktop cannot be asked for its windows would fail.
    if (refused.empty() && options.ready == RunOptions::Ready::kWindow &&
        !system.VisibleWindowTitled(options.readyText).has_value()) {
      refused = kNoWindowWaitText;
    }
    // So would a wait for an address that something else answers at already.
    if (refused.empty() && !check.running && options.ready == RunOptions::Ready::kTcp &&
        system.TcpAnswers(options.readyHost, options.readyPort, kTcpLook)) {
      refused = AnswersAlreadyText(options);
    }
    if (!refused.empty()) {
      check.starts = false;
      check.text = std::move(refused);
    } else if (check.running) {
      check.starts = false;
    }
    checks.push_back(std::move(check));
  }
  return checks;
}

}  // namespace tavrin
