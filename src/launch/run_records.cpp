#include "launch/run_records.h"

#include <algorithm>
#include <sstream>

#include "platform/traits.h"

namespace tavrin {
namespace {

// A record's file name from the collection's identity (letters and digits kept), or,
// where the file has none, from a hash of the path as the system shows it.
std::string RecordName(const std::string& collectionFile, SystemInfo& system, FileSystem& files) {
  std::string identity = files.FileIdentity(collectionFile);
  if (identity.empty()) {
    uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char c : system.PathCase(collectionFile)) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    identity = "path-" + std::to_string(hash);
  }
  for (char& c : identity) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!plain) c = '-';
  }
  return identity + ".run";
}

std::string ReadAll(const std::string& path, FileSystem& files) {
  std::string bytes;
  const std::unique_ptr<InFile> in = files.OpenForReading(path);
  if (!in) return bytes;
  char buffer[4096];
  for (long n; (n = in->Read(buffer, sizeof buffer)) > 0;) {
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

bool Runs(const StartedItem& item, SystemInfo& system) {
  return item.pid > 0 && system.StartRuns(item.pid, item.mark);
}

}  // namespace

std::string RunRecordPath(const std::string& collectionFile, SystemInfo& system,
                          FileSystem& files) {
  if (collectionFile.empty()) return "";
  const std::string folder = system.RunRecordFolder();
  if (folder.empty()) return "";
  return folder + kNativeSeparator + RecordName(collectionFile, system, files);
}

std::vector<StartedItem> ReadRunRecord(const std::string& path, FileSystem& files) {
  std::vector<StartedItem> items;
  std::istringstream lines(ReadAll(path, files));
  // One entry a line: PID MARK POSITION NAME ("0 - POSITION NAME" for a document).
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    StartedItem item;
    if (!(fields >> item.pid >> item.mark >> item.position) || item.pid < 0) continue;
    if (item.pid == 0) item.mark.clear();
    std::getline(fields >> std::ws, item.name);
    items.push_back(std::move(item));
  }
  return items;
}

bool WriteRunRecord(const std::string& path, const std::vector<StartedItem>& items,
                    FileSystem& files) {
  if (items.empty()) return !files.Exists(path) || files.Remove(path);
  std::string bytes;
  for (const StartedItem& item : items) {
    bytes += std::to_string(item.pid) + " " + (item.mark.empty() ? "-" : item.mark) + " " +
             std::to_string(item.position) + " " + item.name + "\n";
  }
  return SaveWholeFile(files, path, bytes);
}

void RecordRun(const std::string& collectionFile, const std::vector<StartedItem>& started,
               SystemInfo& system, FileSystem& files) {
  const std::string path = RunRecordPath(collectionFile, system, files);
  if (path.empty()) return;
  std::vector<StartedItem> kept;
  for (const StartedItem& item : ReadRunRecord(path, files)) {
    const bool documentAgain =
        item.pid == 0 && std::any_of(started.begin(), started.end(), [&](const StartedItem& now) {
          return now.pid == 0 && now.position == item.position;
        });
    if ((item.pid == 0 && !documentAgain) || Runs(item, system)) kept.push_back(item);
  }
  for (const StartedItem& item : started) {
    if (item.pid == 0 || Runs(item, system)) kept.push_back(item);
  }
  if (kept.empty() && !files.Exists(path)) return;
  (void)WriteRunRecord(path, kept, files);
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
             std::ostream& out) {
  const std::string path = RunRecordPath(collectionFile, system, files);
  const std::vector<StartedItem> items =
      path.empty() ? std::vector<StartedItem>{} : ReadRunRecord(path, files);
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
  const int64_t end = system.SteadyMilliseconds() + kStopWait;
  while (anyRuns() && system.SteadyMilliseconds() < end) system.Pause(kStopLook);
  if (force && anyRuns()) {
    for (const std::size_t i : asked) system.EndStart(items[i].pid, items[i].mark, true);
    const int64_t killed = system.SteadyMilliseconds() + kStopWait;
    while (anyRuns() && system.SteadyMilliseconds() < killed) system.Pause(kStopLook);
  }
  std::vector<StartedItem> left;
  for (const std::size_t i : asked) {
    if (!Runs(items[i], system)) continue;
    verdicts[i] = StopVerdict::kStillRunning;
    left.push_back(items[i]);
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    out << items[i].position << "\t" << items[i].name << "\t" << StopVerdictText(verdicts[i])
        << "\n";
  }
  if (!path.empty() && !items.empty()) (void)WriteRunRecord(path, left, files);
  return left.empty();
}

}  // namespace tavrin
