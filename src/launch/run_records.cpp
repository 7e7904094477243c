#include "launch/run_records.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/traits.h"

namespace tavrin {
namespace {

// A record's file name: a hash of the path a save of the collection writes, in the
// letter case the system tells paths apart by.
std::string RecordName(const std::string& savedPath, SystemInfo& system) {
  uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : system.PathCase(savedPath)) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name;
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name + ".run";
}

// At most `limit` bytes of the file, and whether it held no more than that; nothing
// when it cannot be read.
std::optional<std::string> ReadUpTo(const std::string& path, std::size_t limit, FileSystem& files,
                                    bool& whole) {
  const std::unique_ptr<InFile> in = files.OpenForReading(path);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  whole = true;
  for (long n; (n = in->Read(buffer, sizeof buffer)) != 0;) {
    if (n < 0) return std::nullopt;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > limit) {
      whole = false;
      break;
    }
  }
  return bytes;
}

// Whether a recorded number may name a process: a document has 0; 1 and below would
// name every process or the caller's own group.
bool NamesOneProcess(int64_t pid) { return pid > 1 && pid <= INT32_MAX; }

bool Runs(const StartedItem& item, SystemInfo& system) {
  return NamesOneProcess(item.pid) && system.StartRuns(item.pid, item.mark);
}

std::string Joined(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "; " + b;
}

}  // namespace

std::string RunRecordPath(const std::string& collectionFile, SystemInfo& system, FileSystem& files,
                          std::string& problem) {
  if (collectionFile.empty()) return "";
  const std::string folder = system.RunRecordFolder();
  if (folder.empty()) {
    problem = "no folder that is this user's alone can keep the records of runs";
    return "";
  }
  const std::string saved = files.SavedPath(collectionFile);
  if (saved.empty()) {
    problem =
        "its path cannot be followed as a save follows it (a missing folder, or a link that "
        "someone else may have put there)";
    return "";
  }
  return folder + kNativeSeparator + RecordName(saved, system);
}

RunRecord ReadRunRecord(const std::string& path, FileSystem& files) {
  RunRecord record;
  bool whole = true;
  const std::optional<std::string> bytes = ReadUpTo(path, kMaxRunRecordBytes, files, whole);
  if (!bytes) {
    if (files.Exists(path)) {
      record.whole = false;
      record.problem = "its run record cannot be read";
    }
    return record;
  }
  if (!whole) {
    record.whole = false;
    record.problem = "its run record is larger than " + std::to_string(kMaxRunRecordBytes >> 20) +
                     " MiB and is not read";
    return record;
  }
  std::istringstream lines(*bytes);
  int refused = 0;
  // One entry a line: PID MARK POSITION NAME ("0 - POSITION NAME" for a document).
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    StartedItem item;
    if (!(fields >> item.pid >> item.mark >> item.position) || item.position < 1 ||
        (item.pid != 0 && !NamesOneProcess(item.pid))) {
      ++refused;
      continue;
    }
    if (item.pid == 0) item.mark.clear();
    std::getline(fields >> std::ws, item.name);
    record.items.push_back(std::move(item));
  }
  if (refused > 0) {
    record.problem = std::to_string(refused) + (refused == 1 ? " line" : " lines") +
                     " of its run record name no single process and are left out";
  }
  return record;
}

bool WriteRunRecord(const std::string& path, const std::vector<StartedItem>& items,
                    FileSystem& files) {
  if (items.empty()) return !files.Exists(path) || files.Remove(path);
  std::string bytes;
  for (const StartedItem& item : items) {
    bytes += std::to_string(item.pid) + " " + (item.mark.empty() ? "-" : item.mark) + " " +
             std::to_string(item.position) + " " + item.name + "\n";
  }
  return bytes.size() <= kMaxRunRecordBytes && SaveWholeFile(files, path, bytes);
}

std::string RecordRun(const std::string& collectionFile, const std::vector<StartedItem>& started,
                      SystemInfo& system, FileSystem& files) {
  if (started.empty()) return "";
  // Documents are recorded only to be listed: a run that started nothing else has
  // nothing --stop could end, and nothing to say when it cannot record.
  const bool programs = std::any_of(started.begin(), started.end(),
                                    [](const StartedItem& item) { return item.pid != 0; });
  std::string problem;
  const std::string path = RunRecordPath(collectionFile, system, files, problem);
  if (path.empty()) return programs ? problem : "";
  const auto lock = system.LockRunRecords(system.RunRecordFolder());
  if (!lock) return "another Tavrin holds the records of runs and does not let go";
  const RunRecord record = ReadRunRecord(path, files);
  std::vector<StartedItem> kept;
  for (const StartedItem& item : record.items) {
    const bool documentAgain =
        item.pid == 0 && std::any_of(started.begin(), started.end(), [&](const StartedItem& now) {
          return now.pid == 0 && now.position == item.position;
        });
    if ((item.pid == 0 && !documentAgain) || Runs(item, system)) kept.push_back(item);
  }
  for (const StartedItem& item : started) {
    if (item.pid == 0 || Runs(item, system)) kept.push_back(item);
  }
  if (kept.empty() && !files.Exists(path)) return record.problem;
  if (!WriteRunRecord(path, kept, files))
    return Joined(record.problem, "its run record cannot be written");
  return record.problem;
}

const char* StopVerdictText(StopVerdict verdict) {
  switch (verdict) {
    case StopVerdict::kStopped:
      return "stopped";
    case StopVerdict::kHadEnded:
      return "had ended";
    case StopVerdict::kStillRunning:
      return "still running";
    case StopVerdict::kNotTracked:
      break;
  }
  return "not tracked";
}

bool StopRun(const std::string& collectionFile, bool force, SystemInfo& system, FileSystem& files,
             std::ostream& out, std::string& problem, long askWait) {
  const std::string path = RunRecordPath(collectionFile, system, files, problem);
  if (path.empty()) return false;
  const std::string folder = system.RunRecordFolder();
  RunRecord record;
  {
    const auto lock = system.LockRunRecords(folder);
    if (!lock) {
      problem = "another Tavrin holds the records of runs and does not let go";
      return false;
    }
    record = ReadRunRecord(path, files);
  }
  problem = record.problem;
  if (!record.whole) return false;
  const std::vector<StartedItem>& items = record.items;
  std::vector<StopVerdict> verdicts;
  std::vector<std::size_t> asked;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const StartedItem& item = items[i];
    if (item.pid == 0) {
      verdicts.push_back(StopVerdict::kNotTracked);
    } else if (Runs(item, system)) {
      system.EndStart(item.pid, item.mark, /*force=*/false);
      verdicts.push_back(StopVerdict::kStopped);
      asked.push_back(i);
    } else {
      verdicts.push_back(StopVerdict::kHadEnded);
    }
  }
  const auto anyRuns = [&] {
    return std::any_of(asked.begin(), asked.end(),
                       [&](std::size_t i) { return Runs(items[i], system); });
  };
  const int64_t end = system.SteadyMilliseconds() + askWait;
  while (anyRuns() && system.SteadyMilliseconds() < end) system.Pause(kStopLook);
  if (force && anyRuns()) {
    for (const std::size_t i : asked) system.EndStart(items[i].pid, items[i].mark, true);
    const int64_t killed = system.SteadyMilliseconds() + kStopWait;
    while (anyRuns() && system.SteadyMilliseconds() < killed) system.Pause(kStopLook);
  }
  // What is done with leaves the record: the documents, what had ended, what stopped.
  std::vector<StartedItem> done;
  bool stillRuns = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (verdicts[i] == StopVerdict::kStopped && Runs(items[i], system)) {
      verdicts[i] = StopVerdict::kStillRunning;
      stillRuns = true;
    } else {
      done.push_back(items[i]);
    }
    out << items[i].position << "\t" << items[i].name << "\t" << StopVerdictText(verdicts[i])
        << "\n";
  }
  if (!done.empty()) {
    // Read again: a run may have added to the record while this one waited.
    const auto lock = system.LockRunRecords(folder);
    const RunRecord now = lock ? ReadRunRecord(path, files) : RunRecord{{}, "", false};
    std::vector<StartedItem> left = now.items;
    for (const StartedItem& item : done) {
      const auto found = std::find(left.begin(), left.end(), item);
      if (found != left.end()) left.erase(found);
    }
    if (!now.whole || !WriteRunRecord(path, left, files)) {
      problem = Joined(problem, "its run record cannot be written");
    }
  }
  return !stillRuns && problem.empty();
}

}  // namespace tavrin
