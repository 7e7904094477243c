#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "launch/run_progress.h"
#include "platform/platform.h"

namespace tavrin {

// The show-window value handed to the system for a window style code: 0 to 4 as they
// are, 5 (minimized without focus) as 7, anything else unchanged.
int ShowWindowValue(int16_t WinStyle);

// What an item's run options add to its start (ShellRequest and WaitedStart say what each
// field does).
struct StartExtras {
  std::vector<std::string> env;  // "NAME=VALUE"
  std::string workDir;           // an absolute folder; empty: the program's own
  std::function<void(int64_t pid)> started;
  std::function<void(int64_t pid)> handlerStarted;
  std::optional<WindowRect> place;  // where its first window is to stand
};

// Starts one item. Without Wait it goes to the desktop shell (result: 32 or more on
// success, a shell error code below 32 otherwise); with Wait it is started directly
// and waited for (result: 0 when it has ended, otherwise why it failed). An address
// ("https://...", "mailto:...") goes to the shell whole, with no folder. `baseFolder`
// is the folder of the item's collection (see ItemBaseFolder), from which a platform
// that resolves relative paths against the collection takes them. The launcher's own
// current folder is the same afterwards. A waited start gives up waiting when
// `stopRequested` answers true (kWaitStopped), where the platform can ask it. `extras`
// go with the start as they are.
[[nodiscard]] int32_t LaunchItem(const std::string& File, const std::string& Params,
                                 int16_t WinStyle, int16_t Wait, const std::string& baseFolder,
                                 Shell& shell, const std::function<bool()>& stopRequested = {},
                                 const StartExtras& extras = {});

// What LaunchItem would give for the item, decided as LaunchItem decides it, without
// starting anything: 32 or more (without Wait) or 0 (with Wait) when it would start,
// otherwise the code LaunchItem would report.
[[nodiscard]] int32_t CheckItem(const std::string& File, const std::string& Params,
                                int16_t WinStyle, int16_t Wait, const std::string& baseFolder,
                                Shell& shell);

// The folder the items of the current collection take relative paths from: the folder
// of its file; for a collection that has no file yet, the collection folder (where
// saving proposes to put it).
std::string ItemBaseFolder(const CollectionState& state, SystemInfo& system);

// What an item's File of the current collection names, resolved as its start resolves
// it (Shell::Resolve from ItemBaseFolder): what the details pane and the item editor say
// of a File is what runs.
ResolvedFile ResolveItemFile(const std::string& File, const CollectionState& state,
                             Platform& platform);

// The folder of an item's File (`resolved` as ResolveItemFile gives it): its folder part,
// or, for a bare name, the folder of the program a start would run, found on the search
// path; empty when a start would find none.
std::string ItemFileFolder(const std::string& File, const ResolvedFile& resolved);

// The explanatory line for a failed launch: the runtime's description of the number
// for a waited item, otherwise the text of the shell's error code (empty for codes
// without one).
std::string LaunchErrorText(int32_t Code, bool UseRuntimeText, Shell& shell);

// Whether the result of LaunchItem means that the item did not start.
bool LaunchFailed(int32_t result, bool waited);

// Why an item did not start, in one line for a log or a script: the box's text, or
// "failure code N" for a result that has no text.
std::string LaunchFailureReason(int32_t result, const std::string& text);

// Shows the error box of a failed launch: the file part of `File` (an address whole) in
// the letter case the system shows paths in (SystemInfo::PathCase), two line feeds, then
// `text`.
void ShowLaunchFailure(const std::string& File, const std::string& text, Toolkit& toolkit,
                       SystemInfo& system);

// Told of each item that failed to start, before its box: the item's position in the
// collection (from 1), the item, the launch result and its explanatory text. Position 0
// (with the empty record) stands for the whole run, refused before any item started.
using LaunchFailureLog = std::function<void(int position, const CollItem& item, int32_t result,
                                            const std::string& text)>;

// The environment variable through which a run tells what it starts which collections
// are running above it: their file identities (FileSystem::FileIdentity; "?" where there
// is none), outermost first, separated by ';'.
inline constexpr char kRunningVariable[] = "TAVRIN_RUNNING";

// How many runs may stand inside one another: a collection started by a collection ...
// eight deep.
inline constexpr int kMaxRunDepth = 8;

// Why a run of the collection whose file is `collectionFile` may not start here (the
// text of its box), or "" when it may: the same collection is already running above it
// (it started itself, directly or through others), or kMaxRunDepth runs already stand
// above it.
[[nodiscard]] std::string RunRefusal(const std::string& collectionFile, Platform& platform);

// Said once by a run whose started programs cannot be recorded for `--stop`, before the
// reason: on standard error in run mode (`log` at position 0), in a box from the window.
inline constexpr char kNotRecordedText[] =
    "What this run started is not recorded, so --stop cannot end it: ";

// How a run went, item by item: each item of the collection started (and became ready
// where it waits for that), failed, or was skipped (not started because a failed item
// before it stops the run on failure, or because the run was asked to stop).
struct RunTally {
  int items = 0;
  int started = 0;
  int failed = 0;
  int skipped() const { return items - started - failed; }
};

// Starts every item of the collection in order and reports each failed start in its
// own box (and to `log`, when given). Each item's run options are followed: one that
// cannot be followed (ReadRunOptions) keeps the item from starting, reported as a failed
// start with that text; Delay waits before the start; WaitReady holds the next item back
// until the target is ready, and one not ready in time is a failed item ("Not ready
// after 30 s: ..."); a failed item with StopOnFailure ends the run. Without that a
// failure never stops the run. An empty
// collection (its one record the empty placeholder) starts nothing and reports nothing.
// A run that RunRefusal refuses starts nothing and is reported as one failed start:
// one box, naming the collection's file, and `log` at position 0. While it runs, the
// collection is named in kRunningVariable for what it starts. A request to stop
// (StopRequested) ends the run: no further item starts, the wait for a waited one is
// given up, as is a delay or a readiness wait, and the run notes that it stopped
// (NoteRunStopped). What the run started is added to its collection's run record when it
// ends or stops (RecordRun); where it cannot be, the run says so once (kNotRecordedText). Returns
// the number of items that failed (1 for a refused run); `tally`, when given, is told how each item
// went (a refused run tells it nothing); `progress`, when given, is told of every slice of every
// wait, and of the run's end.
int RunAllItems(const CollectionState& state, Platform& platform, const LaunchFailureLog& log = {},
                RunTally* tally = nullptr, RunProgress* progress = nullptr);

// What a run of the collection would find for one item, without starting it.
struct ItemCheck {
  int position = 0;      // in the collection, from 1
  bool starts = false;   // the item would start
  bool running = false;  // it would not start: it already runs and skips a second copy
  int32_t result = 0;    // what LaunchItem would give
  std::string text;      // the failure box's text when it would not start
};

// Decides every item as RunAllItems would, in the same order and from the same folder,
// with its run options (the reason they cannot be followed, a missing working folder, a
// program that already runs, a wait for a window where none can be asked for), and
// starts nothing. An empty collection gives no item.
std::vector<ItemCheck> CheckAllItems(const CollectionState& state, Shell& shell, SystemInfo& system,
                                     FileSystem& files);

}  // namespace tavrin
