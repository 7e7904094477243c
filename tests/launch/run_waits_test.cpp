// A run that follows its items' run options, against a recording shell and a clock that
// moves only when the run pauses.
#include "launch/run_waits.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

#include "fakes.h"
#include "launch/launch.h"
#include "launch/stop_request.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;
using Strings = std::vector<std::string>;

struct Case {
  const char* name;
  std::vector<CollItem> items;
  std::vector<int32_t> results;  // the shell's answers in order
  int64_t readyAt;               // when ports answer and windows show
  bool windowsKnown;
  int64_t stopAt;  // the clock time at which a stop is asked for; -1: never
  int64_t fileAt;  // the clock time at which "ready" appears; -1: never
  Strings starts;  // "FILE@TIME" in order
  Strings boxes;   // the failure boxes' texts
  int started, failed, skipped;
  bool stopped;
};

TEST(RunOptionsInARun, EachItemFollowsItsOptions) {
  const std::string tcp = "tcp:127.0.0.1:8080";
  const Case cases[] = {
      {"a delay comes before its item",
       {Item("a", "a"), With(Item("b", "b"), {{"Delay", "1500"}})},
       {},
       0,
       true,
       -1,
       -1,
       {"a@0", "b@1500"},
       {},
       2,
       0,
       0,
       false},
      {"options a run cannot follow keep the item from starting",
       {With(Item("a", "a"), {{"delay", "soon"}}), Item("b", "b")},
       {},
       0,
       true,
       -1,
       -1,
       {"b@0"},
       {"a\n\nDelay \"soon\" is no number of milliseconds from 0 to 3600000"},
       1,
       1,
       0,
       false},
      {"the next item waits until the port answers",
       {With(Item("server", "server"), {{"WaitReady", tcp}}), Item("browser", "browser")},
       {},
       700,
       true,
       -1,
       -1,
       {"server@0", "browser@700"},
       {},
       2,
       0,
       0,
       false},
      {"the next item waits until the file exists, relative to the collection",
       {With(Item("w", "w"), {{"WaitReady", "file:ready"}}), Item("r", "r")},
       {},
       0,
       true,
       -1,
       400,
       {"w@0", "r@400"},
       {},
       2,
       0,
       0,
       false},
      {"not ready in time is a failure, and the run goes on",
       {With(Item("s", "s"), {{"WaitReady", tcp}, {"Timeout", "2000"}}), Item("b", "b")},
       {},
       1 << 30,
       true,
       -1,
       -1,
       {"s@0", "b@2000"},
       {"s\n\nNot ready after 2 s: " + tcp},
       1,
       1,
       0,
       false},
      {"the default timeout is half a minute",
       {With(Item("s", "s"), {{"WaitReady", tcp}})},
       {},
       1 << 30,
       true,
       -1,
       -1,
       {"s@0"},
       {"s\n\nNot ready after 30 s: " + tcp},
       0,
       1,
       0,
       false},
      {"a window where none can be asked for fails at once",
       {With(Item("e", "e"), {{"WaitReady", "window:Editor"}}), Item("b", "b")},
       {},
       0,
       false,
       -1,
       -1,
       {"e@0", "b@0"},
       {"e\n\nWaiting for a window is not possible on this desktop"},
       1,
       1,
       0,
       false},
      {"StopOnFailure after a failed start skips the rest",
       {Item("a", "a"), With(Item("b", "b"), {{"StopOnFailure", "1"}}), Item("c", "c"),
        Item("d", "d")},
       {kShellSuccess, 2},
       0,
       true,
       -1,
       -1,
       {"a@0", "b@0"},
       {"b\n\nFile Not Found"},
       1,
       1,
       2,
       false},
      {"StopOnFailure after a readiness timeout skips the rest",
       {With(Item("s", "s"), {{"StopOnFailure", "1"}, {"WaitReady", tcp}, {"Timeout", "900"}}),
        Item("b", "b")},
       {},
       1 << 30,
       true,
       -1,
       -1,
       {"s@0"},
       {"s\n\nNot ready after 1 s: " + tcp},
       0,
       1,
       1,
       false},
      {"StopOnFailure holds even beside a value that cannot be followed",
       {With(Item("a", "a"), {{"StopOnFailure", "1"}, {"Timeout", "0"}}), Item("b", "b")},
       {},
       0,
       true,
       -1,
       -1,
       {},
       {"a\n\nTimeout \"0\" is no number of milliseconds from 1 to 3600000"},
       0,
       1,
       1,
       false},
      {"a working folder that is missing keeps its item from starting",
       {With(Item("a", "a"), {{"WorkDir", "nowhere"}}), Item("b", "b")},
       {},
       0,
       true,
       -1,
       -1,
       {"b@0"},
       {"a\n\nWorking folder not found"},
       1,
       1,
       0,
       false},
      {"a stop during a delay starts nothing more",
       {Item("a", "a"), With(Item("b", "b"), {{"Delay", "5000"}}), Item("c", "c")},
       {},
       0,
       true,
       1000,
       -1,
       {"a@0"},
       {},
       1,
       0,
       2,
       true},
      {"a stop during a readiness wait starts nothing more",
       {With(Item("s", "s"), {{"WaitReady", tcp}}), Item("b", "b")},
       {},
       1 << 30,
       true,
       1000,
       -1,
       {"s@0"},
       {},
       1,
       0,
       1,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearStopRequest();
    testing::TempDir dir;
    testing::FakePlatform fake;
    CollectionState state;
    state.Items = c.items;
    state.CurrentCollFile = dir.file("c.tavrin");
    fake.shell.results.assign(c.results.begin(), c.results.end());
    fake.system.readyAt = c.readyAt;
    fake.system.windowsKnown = c.windowsKnown;
    Strings starts;
    fake.shell.during = [&] {
      starts.push_back(fake.shell.shellStarts.back().file + "@" + std::to_string(fake.system.now));
    };
    fake.system.duringPause = [&](int64_t now) {
      if (c.stopAt >= 0 && now >= c.stopAt) RequestStop(SIGTERM);
      if (c.fileAt >= 0 && now >= c.fileAt) testing::WriteFile(dir.file("ready"), "");
    };
    RunTally tally;
    EXPECT_EQ(RunAllItems(state, fake.platform, {}, &tally), c.failed);
    EXPECT_EQ(starts, c.starts);
    Strings boxes;
    for (const std::string& box : fake.toolkit.boxes) {
      boxes.push_back(box.substr(testing::kErrorBox.size()));
    }
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(tally.items, static_cast<int>(c.items.size()));
    EXPECT_EQ(tally.started, c.started);
    EXPECT_EQ(tally.failed, c.failed);
    EXPECT_EQ(tally.skipped(), c.skipped);
    EXPECT_EQ(RunStopped(), c.stopped);
  }
  ClearStopRequest();
}

// A wait looks at its target and at a stop every slice, never sleeping past the end.
TEST(RunOptionsInARun, AWaitPausesInShortSlicesAndEndsOnTime) {
  testing::FakeSystemInfo system;
  std::vector<int64_t> times;
  system.duringPause = [&](int64_t now) { times.push_back(now); };
  ClearStopRequest();
  EXPECT_TRUE(PauseUnlessStopped(120, system));
  EXPECT_THAT(times, ::testing::ElementsAre(50, 100, 120));
}

}  // namespace
}  // namespace tavrin
