// Starting items and running a collection, against a recording shell.
#include "launch/launch.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrin {
namespace {

using testing::Item;
using Strings = std::vector<std::string>;

const std::string kSep(1, kNativeSeparator);

// A bare name has no folder; the results of the shell are passed on.
TEST(LaunchItem, StartsThroughTheShellOrWaitsAndExplainsFailures) {
  testing::RecordingShell shell;
  const std::string full = "/opt/tools" + kSep + "edit";
  shell.results = {kShellSuccess, 0, 2, -1};
  EXPECT_EQ(LaunchItem(full, "-a \"b c\"", kStyleMinimizedNoFocus, kFalse, shell), kShellSuccess);
  EXPECT_EQ(LaunchItem(full, "", kStyleMaximized, kTrue, shell), 0);
  EXPECT_EQ(LaunchItem("notes.txt", "", kStyleNormal, kFalse, shell), 2);
  EXPECT_EQ(LaunchItem("sh", "-x", kStyleNormal, kTrue, shell), -1);
  Strings seen;
  for (const auto& r : shell.shellStarts) {
    seen.push_back(r.verb + " " + r.file + " in '" + r.folder + "' with " + r.params + " show " +
                   std::to_string(r.show) + " from " + r.fullPath);
  }
  for (const auto& w : shell.waitedStarts) {
    seen.push_back("wait " + w.program + " in '" + w.folder + "' with " + w.params + " show " +
                   std::to_string(w.show));
  }
  EXPECT_EQ(seen, (Strings{"Open edit in '/opt/tools' with -a \"b c\" show 7 from " + full,
                           "Open notes.txt in '' with  show 1 from notes.txt",
                           "wait " + full + " in '/opt/tools' with  show 3",
                           "wait sh in '' with -x show 1"}));
  // Show values, failure thresholds and error texts.
  for (const int16_t code : std::initializer_list<int16_t>{0, 1, 4, 6, -3}) {
    EXPECT_EQ(ShowWindowValue(code), code);
  }
  EXPECT_EQ(ShowWindowValue(5), 7);
  EXPECT_FALSE(LaunchFailed(32, false));  // exactly 32 is success
  EXPECT_TRUE(LaunchFailed(31, false));
  EXPECT_TRUE(LaunchFailed(-5, false));
  EXPECT_FALSE(LaunchFailed(0, true));
  EXPECT_TRUE(LaunchFailed(-1, true));
  EXPECT_TRUE(LaunchFailed(53, true));
  EXPECT_EQ(LaunchErrorText(2, false, shell), "File Not Found");
  EXPECT_EQ(LaunchErrorText(31, false, shell), "No application found for this file");
  EXPECT_EQ(
      LaunchErrorText(0, false, shell),
      "The file could not be run due to insufficient system memory or a corrupt program file");
  EXPECT_EQ(LaunchErrorText(15, false, shell),
            "Windows prgram does not support protected memory mode");
  EXPECT_EQ(LaunchErrorText(6, false, shell).back(), ' ');
  EXPECT_EQ(LaunchErrorText(12, false, shell).back(), ' ');
  for (int code : {1, 4, 7, 9, 17, 18, 22, 26, 30, 32, 42, -1}) {
    EXPECT_EQ(LaunchErrorText(code, false, shell), "") << code;
  }
  EXPECT_EQ(LaunchErrorText(2, true, shell), "runtime error 2");
}

struct RunAll : ::testing::Test {
  testing::FakePlatform fake;
  CollectionState state;
};

// Every item starts in order and each failure has its box: a waited one the runtime's
// text, a code without a text a bare box; the placeholder of an empty collection is not
// skipped but fails like any other. The run goes on, and passes the events twice an item.
TEST_F(RunAll, StartsEveryItemInOrderAndReportsEachFailure) {
  state.Items = {
      Item("1", kSep + "a" + kSep + "first"), Item("2", kSep + "a" + kSep + "Missing.EXE"),
      Item("3", kSep + "p" + kSep + "prog", "", 1, kTrue), Item("4", kSep + "doc"), CollItem{}};
  fake.shell.results = {42, 2, 53, 26, 2};
  EXPECT_EQ(RunAllItems(state, fake.platform), 4);
  EXPECT_EQ(fake.shell.calls,
            (Strings{"shell:first", "shell:Missing.EXE", "wait:" + kSep + "p" + kSep + "prog",
                     "shell:doc", "shell:"}));
  EXPECT_EQ(fake.toolkit.boxes,
            (Strings{testing::kErrorBox + (kPathsIgnoreCase ? "missing.exe" : "Missing.EXE") +
                         "\n\nFile Not Found",
                     testing::kErrorBox + "prog\n\nruntime error 53",
                     testing::kErrorBox + "doc\n\n", testing::kErrorBox + "\n\nFile Not Found"}));
  EXPECT_GE(fake.toolkit.eventPasses, 10);
}

}  // namespace
}  // namespace tavrin
