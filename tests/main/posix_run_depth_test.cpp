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
const std::string kDeep = ": Collections have started one another 8 deep: this one is not run.";

// One item that starts its own collection: the copy it starts refuses to run, says so (a
// box and the line of a failed start), and the chain ends. Two such items: both copies
// refuse, and the bomb never goes off. Ten collections, each starting the next, the last
// the first: no collection comes back within eight runs, and the ninth refuses for the
// depth.
TEST_F(RunDepth, ACollectionThatStartsItselfIsRefused) {
  for (int i = 0; i < 10; ++i) {
    Collection("c" + std::to_string(i), {"c" + std::to_string((i + 1) % 10)});
  }
  const struct {
    const char* name;
    int items;  // 0: the circle
    std::vector<std::string> reported;
  } cases[] = {
      {"chain", 1, {"tavrin: " + File("chain") + kAlready}},
      {"bomb", 2, {"tavrin: " + File("bomb") + kAlready, "tavrin: " + File("bomb") + kAlready}},
      {"c0", 0, {"tavrin: " + File("c8") + kDeep}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file =
        c.items == 0 ? File(c.name) : Collection(c.name, std::vector<std::string>(c.items, c.name));
    const testing::ContainedRun run = Run(file);
    EXPECT_TRUE(run.endedByItself) << run.mostProcesses << " processes at most\n" << run.output;
    // Under LeakSanitizer each copy ends with a helper process of its own beside it.
    EXPECT_LE(run.mostProcesses, c.items == 0 ? kProcesses : (kSanitized ? 2 : 1) * (c.items + 1));
    EXPECT_EQ(Reported(run), c.reported) << run.output;
    // The box names the collection that is refused.
    const std::string& line = c.reported[0];
    EXPECT_NE(run.output.find("The Tavrin - Error:\n" + line.substr(8, line.find(": ", 8) - 8) +
                              "\n\n" + line.substr(line.find(": ", 8) + 2)),
              std::string::npos);
  }
}

}  // namespace
}  // namespace tavrin
