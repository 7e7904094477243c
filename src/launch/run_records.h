#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace tavrin {

// One item that a run of a collection started.
struct StartedItem {
  int position = 0;  // in the collection, from 1
  std::string name;  // its ItemName, escaped for one line (EscapeControls)
  int64_t pid = 0;   // the process of a program started itself; 0: a document's handler
  std::string mark;  // the process's start mark (SystemInfo::ProcessStartMark)
  bool operator==(const StartedItem&) const = default;
};

// The largest record read or written: far more than the entries of any run, and little
// enough to read at once.
inline constexpr std::size_t kMaxRunRecordBytes = std::size_t{1} << 20;

// Where the record of what the runs of `collectionFile` started is kept, one file per
// collection: named by the path a save of the collection writes (FileSystem::SavedPath),
// so that every name that leads there finds it, and a save, an edit or a move of another
// file onto that path keeps it. Empty where no record can be kept, with `problem` saying
// why.
std::string RunRecordPath(const std::string& collectionFile, SystemInfo& system, FileSystem& files,
                          std::string& problem);

// A record as read: its entries, and what was refused of it.
struct RunRecord {
  std::vector<StartedItem> items;
  std::string problem;  // why the record, or some of its lines, were refused; empty if none
  bool whole = true;    // false: the record could not be read at all (too large, unreadable)
};

// The record at `path`; no entries when there is none. A record larger than
// kMaxRunRecordBytes is refused whole; a line that is no entry, or an entry that names no
// single process (a number of 1 or below, or above what a process may have), is left out;
// `problem` says so.
RunRecord ReadRunRecord(const std::string& path, FileSystem& files);

// Writes `items` as the whole record at `path`; with none, the record is removed. False
// when it could not be written (or would pass kMaxRunRecordBytes).
[[nodiscard]] bool WriteRunRecord(const std::string& path, const std::vector<StartedItem>& items,
                                  FileSystem& files);

// Adds what a run of `collectionFile` started to its record, read, merged and written
// under the records' lock: kept are the entries of earlier runs whose process still runs
// (so a run that skipped a program still knows the copy an earlier run started) and, for
// each position, its latest document entry. Returns why what it started could not be
// recorded (or why part of the old record was dropped); empty when all went well, or
// when no record can be kept and the run started no program (only documents).
std::string RecordRun(const std::string& collectionFile, const std::vector<StartedItem>& started,
                      SystemInfo& system, FileSystem& files);

// How `tavrin --stop` went: which entries it found, and what became of each.
enum class StopVerdict { kStopped, kHadEnded, kStillRunning, kNotTracked };

// The word --stop prints for a verdict: "stopped", "had ended", "still running", "not
// tracked".
const char* StopVerdictText(StopVerdict verdict);

// How long --stop waits for what it asked to end, and how often it looks (milliseconds).
inline constexpr long kStopWait = 10000;
inline constexpr long kStopLook = 100;

// Ends what the runs of `collectionFile` started and still runs: asks each (EndStart),
// waits up to kStopWait for all of them, then with `force` ends what remains. Prints one
// line per entry to `out` ("POSITION\tNAME\tVERDICT"). Afterwards the record keeps what
// still runs, and whatever runs added to it meanwhile; the lock is not held while it
// waits. Returns true when nothing of it still runs and the record could be read whole;
// `problem` says why the record could not be read, or what of it was refused. `askWait`
// shortens the wait after asking, for a caller that has waited already.
bool StopRun(const std::string& collectionFile, bool force, SystemInfo& system, FileSystem& files,
             std::ostream& out, std::string& problem, long askWait = kStopWait);

}  // namespace tavrin
