// What runs started, kept per collection file, and `--stop` ending it: against a system
// whose processes are a table, over real files.
#include "launch/run_records.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {

void PrintTo(const StartedItem& item, std::ostream* os) {
  *os << item.position << " \"" << item.name << "\" pid " << item.pid << " mark \"" << item.mark
      << "\"";
}

namespace {

using Strings = std::vector<std::string>;

struct RunRecords : ::testing::Test {
  void SetUp() override {
    system.recordFolder = dir.path().string();
    testing::WriteFile(collection, "");
  }
  std::string RecordPath() { return RunRecordPath(collection, system, files); }
  testing::TempDir dir;
  std::string collection = dir.file("c.tavrin");
  testing::FakeSystemInfo system;
  testing::NativeFileSystem files;
};

// A stop ends what ignores the asking only when forced, never a reused number; only what
// still runs stays in the record.
TEST_F(RunRecords, StopEndsWhatRunsAndSaysWhatBecameOfEachItem) {
  system.processes = {{11, "100"}, {13, "999"}, {14, "400"}};
  system.ignoresEnd = {14};
  ASSERT_TRUE(WriteRunRecord(RecordPath(),
                             {{1, "Server", 11, "100"},
                              {2, "Page", 0, ""},
                              {3, "Reused", 13, "300"},
                              {4, "Stubborn", 14, "400"}},
                             files));
  // What the stop prints, whether everything has ended, and what runs after it.
  const auto stop = [&](bool force) {
    std::ostringstream out;
    const bool ended = StopRun(collection, force, system, files, out);
    Strings seen = testing::Lines(out.str());
    seen.push_back(ended ? "all ended" : "not all ended");
    for (const auto& [pid, mark] : system.processes) seen.push_back("runs " + std::to_string(pid));
    return seen;
  };
  EXPECT_EQ(stop(false),
            (Strings{"1\tServer\tstopped", "2\tPage\tnot tracked", "3\tReused\thad ended",
                     "4\tStubborn\tstill running", "not all ended", "runs 13", "runs 14"}));
  EXPECT_EQ(ReadRunRecord(RecordPath(), files),
            (std::vector<StartedItem>{{4, "Stubborn", 14, "400"}}));
  EXPECT_EQ(stop(true), (Strings{"4\tStubborn\tstopped", "all ended", "runs 13"}));
  EXPECT_TRUE(ReadRunRecord(RecordPath(), files).empty());
}

}  // namespace
}  // namespace tavrin
