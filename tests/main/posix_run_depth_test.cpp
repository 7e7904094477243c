// Collections that start the launcher on themselves, run as the built program would be by
// a user, each in a cage of its own: a user id that nothing else has, a small process
// limit and a time limit, so that a run that multiplied itself could not take the machine
// down.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "fakes.h"
#include "run_process.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// One item that starts its own collection: the copy it starts refuses to run, says so (a
// box and the line of a failed start), and the chain ends. Two such items: both copies
// refuse, and the bomb never goes off. Ten collections, each starting the next, the last
// the first: no collection comes back within eight runs, and the ninth refuses for the
// depth.
TEST(RunDepth, ACollectionThatStartsItselfIsRefused) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "a run that could multiply itself is only started where a user id of its "
                    "own and a process limit for it can contain it: run the tests as root";
  }
  constexpr int kProcesses = 40;
  const testing::TempDir dir;
  const std::map<std::string, std::string> env{{"PATH", "/usr/bin:/bin"},
                                               {"HOME", dir.str()},
                                               {"TAVRIN_HOME", dir.str()},
                                               {"TAVRIN_BOXES_TO_STDERR", "1"}};
  const auto file = [&](const std::string& name) { return dir.file(name + ".tavrin"); };
  // Writes the collection `name` whose items start the launcher on each of `next`.
  const auto collection = [&](const std::string& name, const std::vector<std::string>& next) {
    std::vector<CollItem> items;
    for (const auto& n : next) items.push_back(Item(n, testing::TavrinPath(), file(n) + " /run"));
    testing::WriteFile(file(name), testing::CollectionText(items));
  };
  for (int i = 0; i < 10; ++i) {
    collection("c" + std::to_string(i), {"c" + std::to_string((i + 1) % 10)});
  }
  const std::string already =
      "This Collection is already running: it has started itself, directly or through other "
      "Collections, and is not run again.";
  const struct {
    const char* name;
    int items;  // 0: the circle
    const char* refused;
    std::string why;
    std::size_t refusals;
  } cases[] = {
      {"chain", 1, "chain", already, 1},
      {"bomb", 2, "bomb", already, 2},
      {"c0", 0, "c8", "Collections have started one another 8 deep: this one is not run.", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.items > 0) collection(c.name, std::vector<std::string>(c.items, c.name));
    const testing::ContainedRun run =
        testing::RunContained({testing::TavrinPath(), file(c.name), "/run"}, env, kProcesses);
    EXPECT_TRUE(run.endedByItself) << run.mostProcesses << " processes at most\n" << run.output;
    // Under LeakSanitizer each copy ends with a helper process of its own beside it.
    EXPECT_LE(run.mostProcesses, c.items == 0 ? kProcesses : (kSanitized ? 2 : 1) * (c.items + 1));
    // The lines that report a failed start, and the box, name the collection refused.
    std::vector<std::string> reported;
    for (const auto& line : testing::Lines(run.output)) {
      if (line.rfind("tavrin: ", 0) == 0) reported.push_back(line);
    }
    EXPECT_EQ(reported,
              std::vector<std::string>(c.refusals, "tavrin: " + file(c.refused) + ": " + c.why))
        << run.output;
    EXPECT_NE(run.output.find("The Tavrin - Error:\n" + file(c.refused) + "\n\n" + c.why),
              std::string::npos);
  }
}

}  // namespace
}  // namespace tavrin
