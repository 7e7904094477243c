// A run that follows its items' run options, against a recording shell and a clock that
// moves only when the run pauses.
#include "launch/run_waits.h"

#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <map>
#include <set>

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
  int64_t readyAt = 0;  // when ports answer (once something started) and windows show
  bool windowsKnown = true;
  int64_t stopAt = -1;                 // the clock time at which a stop is asked for; -1: never
  bool portTaken = false;              // something else answers at the port from the first
  std::set<std::string> running = {};  // the programs that already run
  // The numbers the started programs get, and when and how they end.
  std::deque<int64_t> pids = {};
  std::map<int64_t, std::pair<int64_t, SystemInfo::ChildEnd>> ends = {};
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
  const SystemInfo::ChildEnd status3{false, 3}, signal9{true, 9}, status0{false, 0};
  const Case cases[] = {
      {"a key given twice counts with its first value",
       {With(
            Item("a", "a"),
            {{"Delay", "1500"}, {"delay", "4000"}, {"StopOnFailure", "1"}, {"StopOnFailure", "0"}}),
        Item("b", "b")},
       {"a@1500"},
       {"a\n\nFile Not Found"},
       "0 started, 1 failed, 1 skipped",
       {},
       {2}},
      {"SkipIfRunning 0 starts a program that runs already, 1 does not",
       {With(Item("a", "a"), {{"SkipIfRunning", "0"}}),
        With(Item("b", "b"), {{"SkipIfRunning", "1"}}), Item("c", "c")},
       {"a@0", "c@0"},
       {},
       "3 started, 0 failed, 0 skipped",
       {.running = {"a", "b"}}},
      {"an item not started because it runs is still waited for until ready",
       {With(Item("e", "e"), {{"SkipIfRunning", "1"}, {"WaitReady", "window:Editor"}}),
        Item("b", "b")},
       {"b@2000"},
       {},
       "2 started, 0 failed, 0 skipped",
       {.readyAt = 2000, .running = {"e"}}},
      {"an address that answers before the start fails the item, unless it runs already",
       {With(Item("s", "s"), {{"WaitReady", tcp}}),
        With(Item("t", "t"), {{"WaitReady", tcp}, {"SkipIfRunning", "1"}}), Item("b", "b")},
       {"b@0"},
       {"s\n\nSomething else already answers at 127.0.0.1:8080"},
       "2 started, 1 failed, 0 skipped",
       {.portTaken = true, .running = {"t"}}},
      {"a program that fails before it is ready fails the wait at once, naming its status",
       {With(Item("s", "s"), {{"WaitReady", tcp}}),
        With(Item("t", "t"), {{"WaitReady", "window:T"}, {"StopOnFailure", "1"}}), Item("b", "b")},
       {"s@0", "t@1200"},
       {"s\n\nEnded with status 3 before it was ready: " + tcp,
        "t\n\nEnded by signal 9 before it was ready: window:T"},
       "0 started, 2 failed, 1 skipped",
       {.readyAt = 1 << 30, .pids = {7, 8}, .ends = {{7, {1200, status3}}, {8, {1500, signal9}}}}},
      {"a program that ends with status 0 is still waited for",
       {With(Item("s", "s"), {{"WaitReady", tcp}}), Item("b", "b")},
       {"s@0", "b@2000"},
       {},
       "2 started, 0 failed, 0 skipped",
       {.readyAt = 2000, .pids = {7}, .ends = {{7, {100, status0}}}}},
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
    fake.system.portTaken = c.world.portTaken;
    fake.system.running = c.world.running;
    fake.system.ends = c.world.ends;
    fake.shell.pids = c.world.pids;
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
    EXPECT_EQ(failed, static_cast<int>(c.boxes.size()));  // a box for each failed item
    EXPECT_EQ(std::to_string(tally.started) + " started, " + std::to_string(tally.failed) +
                  " failed, " + std::to_string(tally.skipped()) + " skipped" +
                  (RunStopped() ? ", stopped" : ""),
              c.tally);
  }
  ClearStopRequest();
}

}  // namespace
}  // namespace tavrin
