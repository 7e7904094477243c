// A run that follows its items' run options, against a recording shell and a clock that
// moves only when the run pauses.
#include "launch/run_waits.h"

#include <gtest/gtest.h>

#include <csignal>

#include "fakes.h"
#include "launch/launch.h"
#include "launch/stop_request.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;
using Strings = std::vector<std::string>;

// What the run meets besides its shell.
struct World {
  int64_t readyAt = 0;  // when ports answer and windows show
  bool windowsKnown = true;
  int64_t stopAt = -1;  // the clock time at which a stop is asked for; -1: never
};

struct Case {
  const char* name;
  std::vector<CollItem> items;
  Strings starts;     // "FILE@TIME" in order
  Strings boxes;      // the failure boxes' texts
  std::string tally;  // "N started, N failed, N skipped", and ", stopped"
  World world = {};
  std::vector<int32_t> results = {};  // the shell's answers in order
};

TEST(RunOptionsInARun, EachItemFollowsItsOptions) {
  const std::string tcp = "tcp:127.0.0.1:8080";
  const Case cases[] = {
      {"a delay comes before its item",
       {Item("a", "a"), With(Item("b", "b"), {{"Delay", "1500"}})},
       {"a@0", "b@1500"},
       {},
       "2 started, 0 failed, 0 skipped"},
      {"not ready in time (half a minute by default) is a failure, and the run goes on",
       {With(Item("s", "s"), {{"WaitReady", tcp}}), Item("b", "b")},
       {"s@0", "b@30000"},
       {"s\n\nNot ready after 30 s: " + tcp},
       "1 started, 1 failed, 0 skipped",
       {.readyAt = 1 << 30}},
      {"a window where none can be asked for fails at once",
       {With(Item("e", "e"), {{"WaitReady", "window:Editor"}}), Item("b", "b")},
       {"e@0", "b@0"},
       {"e\n\nWaiting for a window is not possible on this desktop"},
       "1 started, 1 failed, 0 skipped",
       {.windowsKnown = false}},
      {"StopOnFailure after a failed start skips the rest, after a good one nothing",
       {With(Item("a", "a"), {{"StopOnFailure", "1"}}),
        With(Item("b", "b"), {{"StopOnFailure", "1"}}), Item("c", "c"), Item("d", "d")},
       {"a@0", "b@0"},
       {"b\n\nFile Not Found"},
       "1 started, 1 failed, 2 skipped",
       {},
       {kShellSuccess, 2}},
      {"StopOnFailure after a readiness timeout skips the rest",
       {With(Item("s", "s"), {{"StopOnFailure", "1"}, {"WaitReady", tcp}, {"Timeout", "1500"}}),
        Item("b", "b")},
       {"s@0"},
       {"s\n\nNot ready after 2 s: " + tcp},
       "0 started, 1 failed, 1 skipped",
       {.readyAt = 1 << 30}},
      {"a stop during a delay starts nothing more",
       {Item("a", "a"), With(Item("b", "b"), {{"Delay", "5000"}}), Item("c", "c")},
       {"a@0"},
       {},
       "1 started, 0 failed, 2 skipped, stopped",
       {.stopAt = 1000}},
      {"a stop while a waited program runs starts nothing more",
       {Item("a", "a", "", kStyleNormal, kTrue), Item("b", "b")},
       {"a@0"},
       {},
       "1 started, 0 failed, 1 skipped, stopped",
       {},
       {kWaitStopped}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearStopRequest();
    testing::FakePlatform fake;
    CollectionState state;
    state.Items = c.items;
    fake.shell.results.assign(c.results.begin(), c.results.end());
    fake.system.readyAt = c.world.readyAt;
    fake.system.windowsKnown = c.world.windowsKnown;
    Strings starts;
    fake.shell.during = [&] {
      const std::string& call = fake.shell.calls.back();  // "shell:FILE" or "wait:FILE"
      starts.push_back(call.substr(call.find(':') + 1) + "@" + std::to_string(fake.system.now));
    };
    fake.system.duringPause = [&](int64_t now) {
      if (c.world.stopAt >= 0 && now >= c.world.stopAt) RequestStop(SIGTERM);
    };
    RunTally tally;
    const int failed = RunAllItems(state, fake.platform, {}, &tally);
    EXPECT_EQ(starts, c.starts);
    Strings boxes;
    for (const std::string& box : fake.toolkit.boxes) {
      boxes.push_back(box.substr(testing::kErrorBox.size()));
    }
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(tally.items, static_cast<int>(c.items.size()));
    EXPECT_EQ(failed, tally.failed);
    EXPECT_EQ(std::to_string(tally.started) + " started, " + std::to_string(tally.failed) +
                  " failed, " + std::to_string(tally.skipped()) + " skipped" +
                  (RunStopped() ? ", stopped" : ""),
              c.tally);
  }
  ClearStopRequest();
}

}  // namespace
}  // namespace tavrin
