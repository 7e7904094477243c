// The record of what runs started, and --stop ending it, against a fake system that says
// which processes run (and which ignore a request to end) over the real file system.
#include "launch/run_records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "fakes.h"
#include "temp_dir.h"
#ifdef _WIN32
#include "platform/win32/win32_system.h"
#else
#include "platform/posix/posix_system.h"
#endif

namespace tavrin {
namespace {

using testing::ReadFile;
using testing::WriteFile;

struct RunRecords : ::testing::Test {
  RunRecords() {
    std::filesystem::create_directories(dir.file("runs"));
    fake.recordFolder = dir.file("runs");
    WriteFile(collection, "");
  }
  // The record's one file in the folder; empty when there is none.
  std::string RecordText() {
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("runs"))) {
      if (entry.path().extension() == ".run") return ReadFile(entry.path().string());
    }
    return "";
  }
  std::string RecordPath() {
    std::string problem;
    return RunRecordPath(collection, fake, files, problem);
  }
  // What --stop prints, and sets `ended` and `problem`.
  std::string Stop(bool force, bool& ended, std::string& problem) {
    std::ostringstream out;
    ended = StopRun(collection, force, fake, files, out, problem);
    return out.str();
  }

  testing::TempDir dir;
  std::string collection = dir.file("c.tavrin");
  testing::FakeSystemInfo fake;
  testing::NativeFileSystem files;
};

const StartedItem kServer{1, "Server", 100, "m100"};
const StartedItem kBrowser{2, "Browser", 200, "m200"};
const StartedItem kDocument{3, "Notes", 0, ""};

// Each entry is ended or listed as it stands; the record keeps only what still runs.
TEST_F(RunRecords, StopEndsWhatRunsAndKeepsOnlyWhatStillRuns) {
  struct Row {
    const char* name;
    std::vector<StartedItem> started;
    std::map<int64_t, std::string> processes;  // what runs when --stop comes
    std::set<int64_t> stubborn;                // ended only by force
    bool force;
    std::string lines;
    bool ended;
    std::vector<StartedItem> left;  // the record afterwards
  };
  const std::vector<Row> rows = {
      {"a document is listed and leaves the record",
       {kDocument},
       {},
       {},
       false,
       "3\tNotes\tnot tracked\n",
       true,
       {}},
      {"programs that end when asked",
       {kServer, kBrowser},
       {{100, "m100"}, {200, "m200"}},
       {},
       false,
       "1\tServer\tstopped\n2\tBrowser\tstopped\n",
       true,
       {}},
      {"a program that ended before",
       {kServer, kDocument},
       {{100, "m100"}},
       {},
       false,
       "1\tServer\tstopped\n3\tNotes\tnot tracked\n",
       true,
       {}},
      {"a stubborn program stays recorded",
       {kServer, kBrowser},
       {{100, "m100"}, {200, "m200"}},
       {200},
       false,
       "1\tServer\tstopped\n2\tBrowser\tstill running\n",
       false,
       {kBrowser}},
      {"force ends a stubborn program",
       {kServer, kBrowser},
       {{100, "m100"}, {200, "m200"}},
       {200},
       true,
       "1\tServer\tstopped\n2\tBrowser\tstopped\n",
       true,
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fake.processes = {{100, "m100"}, {200, "m200"}};
    ASSERT_EQ(RecordRun(collection, row.started, fake, files), "");
    fake.processes = row.processes;
    fake.ignoresEnd = row.stubborn;
    bool ended = false;
    std::string problem;
    EXPECT_EQ(Stop(row.force, ended, problem), row.lines);
    EXPECT_EQ(ended, row.ended);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(ReadRunRecord(RecordPath(), files).items, row.left);
    // What ignored the request is ended by a later --stop --force.
    if (!row.left.empty()) {
      EXPECT_EQ(Stop(true, ended, problem), "2\tBrowser\tstopped\n");
      EXPECT_TRUE(ended);
      EXPECT_EQ(RecordText(), "");
    }
    ASSERT_EQ(RecordText(), "");
  }
}

// A number that another process has now, or one that would name every process or the
// caller's own group, is never signalled; a record too large to be one is not read.
TEST_F(RunRecords, StopNeverSignalsWhatTheRunDidNotStart) {
  struct Row {
    const char* name;
    std::string record;
    std::map<int64_t, std::string> processes;
    std::string lines;
    bool problem;
  };
  const std::string huge(kMaxRunRecordBytes + 1, '#');
  const std::vector<Row> rows = {
      {"a reused number", "100 m100 1 Server\n", {{100, "other"}}, "1\tServer\thad ended\n", false},
      {"pid 1",
       "1 m1 1 Init\n100 m100 2 Server\n",
       {{1, "m1"}, {100, "m100"}},
       "2\tServer\tstopped\n",
       true},
      {"a group at or below 1", "-1 m1 1 All\n-5 m5 2 Group\n", {{-1, "m1"}, {-5, "m5"}}, "", true},
      {"a number no process has", "4294967297 m 1 Wrapped\n", {{4294967297LL, "m"}}, "", true},
      {"a line that is no entry", "garbage\n0 - 3 Notes\n", {}, "3\tNotes\tnot tracked\n", true},
      {"a record too large", huge, {{100, "m100"}}, "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(RecordPath(), row.record);
    fake.processes = row.processes;
    bool ended = false;
    std::string problem;
    EXPECT_EQ(Stop(/*force=*/true, ended, problem), row.lines);
    EXPECT_EQ(!problem.empty(), row.problem) << problem;
    EXPECT_EQ(ended, !row.problem);
    // Only a process the run started, and that --stop says it stopped, has gone.
    const bool stopped = row.lines.find("stopped") != std::string::npos;
    for (const auto& [pid, mark] : row.processes) {
      EXPECT_EQ(fake.processes.count(pid), pid == 100 && stopped ? 0u : 1u) << pid;
    }
    std::filesystem::remove(RecordPath());
  }
}

// A run keeps, beside what it started, what earlier runs started that still runs and the
// latest document of each position.
TEST_F(RunRecords, ARunAddsToWhatEarlierRunsStartedThatStillRuns) {
  fake.processes = {{100, "m100"}, {200, "m200"}};
  ASSERT_EQ(RecordRun(collection, {kServer, kDocument, {4, "Old", 0, ""}}, fake, files), "");
  fake.processes.erase(100);
  const StartedItem again{3, "Notes again", 0, ""};
  ASSERT_EQ(RecordRun(collection, {kBrowser, again}, fake, files), "");
  EXPECT_EQ(ReadRunRecord(RecordPath(), files).items,
            (std::vector<StartedItem>{{4, "Old", 0, ""}, kBrowser, again}));
}

// The record follows the collection's path: a save that puts a new file there, another
// name for the same path and a deleted file all find it; another collection does not.
TEST_F(RunRecords, TheRecordBelongsToTheCollectionsPath) {
  fake.processes = {{100, "m100"}};
  ASSERT_EQ(RecordRun(collection, {kServer}, fake, files), "");
  const std::string record = RecordPath();
  ASSERT_NE(record, "");
  ASSERT_TRUE(SaveWholeFile(files, collection, "new content"));
  EXPECT_EQ(RecordPath(), record);
  std::filesystem::create_directories(dir.file("sub"));
  std::string problem;
  const std::string sep(1, kNativeSeparator);
  EXPECT_EQ(RunRecordPath(dir.file("sub") + sep + ".." + sep + "c.tavrin", fake, files, problem),
            record);
  std::filesystem::remove(collection);
  EXPECT_EQ(RecordPath(), record);
  EXPECT_NE(RunRecordPath(dir.file("other.tavrin"), fake, files, problem), record);
  bool ended = false;
  EXPECT_EQ(Stop(false, ended, problem), "1\tServer\tstopped\n");
  EXPECT_TRUE(ended);
}

// Where no record can be kept, a run says why and --stop fails instead of finding nothing.
TEST_F(RunRecords, RecordsThatCannotBeKeptAreSaidSo) {
  fake.recordFolder.clear();
  EXPECT_NE(RecordRun(collection, {kServer}, fake, files), "");
  EXPECT_EQ(RecordRun(collection, {kDocument}, fake, files), "");  // nothing --stop could end
  bool ended = true;
  std::string problem;
  EXPECT_EQ(Stop(false, ended, problem), "");
  EXPECT_FALSE(ended);
  EXPECT_NE(problem, "");
}

// Runs of one collection at once, each in its own thread with its own file system, lose
// none of each other's entries: their read, merge and write are one step under the
// records' lock.
TEST_F(RunRecords, RunsAtOnceLoseNothing) {
  struct LockingSystem : testing::FakeSystemInfo {
    std::unique_ptr<RecordsLock> LockRunRecords(const std::string& folder) override {
      return native.LockRunRecords(folder);
    }
#ifdef _WIN32
    win32::Win32SystemInfo native;
#else
    posix::PosixSystemInfo native;
#endif
  };
  constexpr int kRuns = 25;
  std::vector<std::thread> runs;
  std::vector<std::string> problems(2);
  for (int t = 0; t < 2; ++t) {
    runs.emplace_back([&, t] {
      LockingSystem system;
      system.recordFolder = fake.recordFolder;
      testing::NativeFileSystem own;
      for (int i = 0; i < kRuns; ++i) {
        const int position = t * kRuns + i + 1;
        problems[t] += RecordRun(collection, {{position, "Doc", 0, ""}}, system, own);
      }
    });
  }
  for (std::thread& run : runs) run.join();
  EXPECT_EQ(problems, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(ReadRunRecord(RecordPath(), files).items.size(), 2u * kRuns);
}

}  // namespace
}  // namespace tavrin
