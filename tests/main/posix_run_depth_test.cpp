// Collections that start the launcher on themselves, run as the built program would be by
// a user, each in a cage of its own: a user id that nothing else has, a small process
// limit and a time limit, so that a run that multiplied itself could not take the machine
// down.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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

struct RunDepth : ::testing::Test {
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "a run that could multiply itself is only started where a user id of its "
                      "own and a process limit for it can contain it: run the tests as root";
    }
  }
  // Writes the collection `name` whose items start the launcher on each of `next`.
  std::string Collection(const std::string& name, const std::vector<std::string>& next) {
    std::vector<CollItem> items;
    for (const auto& n : next) items.push_back(Item(n, testing::TavrinPath(), File(n) + " /run"));
    testing::WriteFile(File(name), testing::CollectionText(items));
    return File(name);
  }
  std::string File(const std::string& name) const { return dir.file(name + ".tavrin"); }
  testing::ContainedRun Run(const std::string& file) {
    return testing::RunContained({testing::TavrinPath(), file, "/run"}, env, kProcesses);
  }
  // The lines that report a failed start, in any order.
  static std::vector<std::string> Reported(const testing::ContainedRun& run) {
    std::vector<std::string> lines;
    for (const auto& line : testing::Lines(run.output)) {
      if (line.rfind("tavrin: ", 0) == 0) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  static constexpr int kProcesses = 40;
  testing::TempDir dir;
  std::map<std::string, std::string> env{{"PATH", "/usr/bin:/bin"},
                                         {"HOME", dir.str()},
                                         {"TAVRIN_HOME", dir.str()},
                                         {"TAVRIN_BOXES_TO_STDERR", "1"}};
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

const std::string kAlready =
    ": This Collection is already running: it has started itself, directly or through other "
    "Collections, and is not run again.";

// One item that starts its own collection: the copy it starts refuses to run, says so (a
// box and the line of a failed start), and the chain ends. Two such items: both copies
// refuse, and the bomb never goes off.
TEST_F(RunDepth, ACollectionThatStartsItselfIsRefusedOneLevelDown) {
  const struct {
    const char* name;
    int items;
  } cases[] = {{"chain", 1}, {"bomb", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Collection(c.name, std::vector<std::string>(c.items, c.name));
    const testing::ContainedRun run = Run(file);
    EXPECT_TRUE(run.endedByItself) << run.mostProcesses << " processes at most\n" << run.output;
    // Under LeakSanitizer each copy ends with a helper process of its own beside it.
    EXPECT_LE(run.mostProcesses, kSanitized ? 2 * (c.items + 1) : c.items + 1);
    EXPECT_EQ(Reported(run), std::vector<std::string>(c.items, "tavrin: " + file + kAlready))
        << run.output;
    EXPECT_NE(run.output.find("The Tavrin - Error:\n" + file + "\n\nThis Collection is already"),
              std::string::npos);
  }
}

// Ten collections, each starting the next, the last the first: no collection comes back
// within eight runs, and the ninth refuses for the depth.
TEST_F(RunDepth, ACircleOfCollectionsStopsEightDeep) {
  for (int i = 0; i < 10; ++i) {
    Collection("c" + std::to_string(i), {"c" + std::to_string((i + 1) % 10)});
  }
  const testing::ContainedRun run = Run(File("c0"));
  EXPECT_TRUE(run.endedByItself) << run.output;
  EXPECT_EQ(Reported(run),
            std::vector<std::string>{"tavrin: " + File("c8") +
                                     ": Collections have started one another 8 deep: this one "
                                     "is not run."})
      << run.output;
}

}  // namespace
}  // namespace tavrin
