#pragma once

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

// Where the record of what the runs of `collectionFile` started is kept, one file per
// collection file (named by its identity, whatever path names it); empty where no record
// can be kept.
std::string RunRecordPath(const std::string& collectionFile, SystemInfo& system, FileSystem& files);

// The record at `path`; nothing when there is none or it cannot be read. Lines that are
// not entries are passed over.
std::vector<StartedItem> ReadRunRecord(const std::string& path, FileSystem& files);

// Writes `items` as the whole record at `path`; with none, the record is removed.
[[nodiscard]] bool WriteRunRecord(const std::string& path, const std::vector<StartedItem>& items,
                                  FileSystem& files);

// Adds what a run of `collectionFile` started to its record: kept are the entries of
// earlier runs whose process still runs (so a run that skipped a program still knows the
// copy an earlier run started) and, for each position, its latest document entry.
void RecordRun(const std::string& collectionFile, const std::vector<StartedItem>& started,
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
// line per entry to `out` ("POSITION\tNAME\tVERDICT") and keeps in the record only what
// still runs. Returns true when nothing of it still runs.
bool StopRun(const std::string& collectionFile, bool force, SystemInfo& system, FileSystem& files,
             std::ostream& out);

}  // namespace tavrin
