// Starting items and running a collection, against a recording shell.
#include "launch/launch.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using Strings = std::vector<std::string>;

const std::string kSep(1, kNativeSeparator);

std::string Seen(const ShellRequest& r) {
  return r.verb + " " + r.file + " in '" + r.folder + "' with " + r.params + " show " +
         std::to_string(r.show) + " from " + r.fullPath + " base " + r.baseFolder;
}
std::string Seen(const WaitedStart& w) {
  return "wait " + w.program + " in '" + w.folder + "' with " + w.params + " show " +
         std::to_string(w.show) + " base " + w.baseFolder;
}

// A bare name has no folder, an address goes whole; the collection's folder goes with every
// start, and the shell's results are passed on.
TEST(LaunchItem, StartsThroughTheShellOrWaitsAndExplainsFailures) {
  testing::RecordingShell shell;
  const std::string full = "/opt/tools" + kSep + "edit";
  const std::string base = "/home/me" + kSep + "lists";
  shell.results = {kShellSuccess, 0, 2, -1, kShellSuccess};
  EXPECT_EQ(LaunchItem(full, "-a \"b c\"", kStyleMinimizedNoFocus, kFalse, base, shell),
            kShellSuccess);
  EXPECT_EQ(LaunchItem(full, "", kStyleMaximized, kTrue, base, shell), 0);
  EXPECT_EQ(LaunchItem("notes.txt", "", kStyleNormal, kFalse, "", shell), 2);
  EXPECT_EQ(LaunchItem("sh", "-x", kStyleNormal, kTrue, base, shell), -1);
  const std::string address = "https://example.org/docs" + kSep + "page?a=1#top";
  EXPECT_EQ(LaunchItem(address, "", kStyleNormal, kFalse, base, shell), kShellSuccess);
  Strings seen;
  for (const auto& r : shell.shellStarts) seen.push_back(Seen(r));
  for (const auto& w : shell.waitedStarts) seen.push_back(Seen(w));
  EXPECT_EQ(
      seen,
      (Strings{"Open edit in '/opt/tools' with -a \"b c\" show 7 from " + full + " base " + base,
               "Open notes.txt in '' with  show 1 from notes.txt base ",
               "Open " + address + " in '' with  show 1 from " + address + " base " + base,
               "wait " + full + " in '/opt/tools' with  show 3 base " + base,
               "wait sh in '' with -x show 1 base " + base}));
  // A drive letter is no scheme; a scheme has letters, digits, '+', '-' and '.'.
  EXPECT_EQ(AddressScheme("C:" + kSep + "x"), "");
  EXPECT_EQ(AddressScheme("svn+ssh://host/x"), "svn+ssh");
  // Exactly 32 is a success (31, and the waited results, in the run below).
  EXPECT_FALSE(LaunchFailed(32, false));
}

struct RunAll : ::testing::Test {
  testing::FakePlatform fake;
  CollectionState state;
};

// Every item starts in order, an empty record too; each failure has its box, the file in
// the case the system shows paths in; events are passed twice an item.
TEST_F(RunAll, StartsEveryItemInOrderAndReportsEachFailure) {
  struct Shouting : testing::FakeSystemInfo {
    std::string PathCase(const std::string& path) override { return "<" + path + ">"; }
  } system;
  Platform platform{fake.toolkit, fake.shell, fake.files, system, fake.registry};
  state.Items = {Item("1", kSep + "a" + kSep + "first"),
                 Item("2", kSep + "a" + kSep + "Missing.EXE"),
                 Item("3", kSep + "p" + kSep + "prog", "", 1, kTrue),
                 Item("4", kSep + "doc"),
                 CollItem{},
                 Item("6", "https://example.org/docs" + kSep + "page")};
  fake.shell.results = {42, 2, 53, 26, 2, 31};
  EXPECT_EQ(RunAllItems(state, platform), 5);
  EXPECT_EQ(fake.shell.calls,
            (Strings{"shell:first", "shell:Missing.EXE", "wait:" + kSep + "p" + kSep + "prog",
                     "shell:doc", "shell:", "shell:https://example.org/docs" + kSep + "page"}));
  EXPECT_EQ(fake.toolkit.boxes,
            (Strings{testing::kErrorBox + "<Missing.EXE>\n\nFile Not Found",
                     testing::kErrorBox + "<prog>\n\nruntime error 53",
                     testing::kErrorBox + "<doc>\n\n", testing::kErrorBox + "<>\n\nFile Not Found",
                     testing::kErrorBox + "<https://example.org/docs" + kSep +
                         "page>\n\nNo application found for this file"}));
  EXPECT_GE(fake.toolkit.eventPasses, 10);
  // An empty collection's placeholder starts nothing; a lone item that is not empty does.
  fake.shell.calls.clear();
  state.ResetItems();
  EXPECT_EQ(RunAllItems(state, platform), 0);
  state.Items[0].Options = {{"Delay", "5"}};  // options of the placeholder have nothing to act on
  EXPECT_EQ(RunAllItems(state, platform), 0);
  state.Items[0].Options.clear();
  state.Items[0].ItemName = "named, but with no file";
  EXPECT_EQ(RunAllItems(state, platform), 0);
  EXPECT_EQ(fake.shell.calls, Strings{"shell:"});
  EXPECT_EQ(fake.toolkit.boxes.size(), 5u);
}

// Relative paths are taken from the collection file's folder, or, with no file yet, from
// the collection folder, where saving would put it.
TEST_F(RunAll, ItemsTakeRelativePathsFromTheCollectionsFolder) {
  fake.system.collectionFolder = kSep + "home" + kSep + "collections";
  state.Items = {Item("doc", "docs" + kSep + "a.txt"),
                 Item("tool", "bin" + kSep + "t", "", 1, kTrue)};
  const std::pair<std::string, std::string> cases[] = {
      {kSep + "srv" + kSep + "lists" + kSep + "c.tavrin", kSep + "srv" + kSep + "lists"},
      {"c.tavrin", ""},  // a bare name from the command line: the current folder
      {"", fake.system.collectionFolder}};
  for (const auto& [file, base] : cases) {
    SCOPED_TRACE("collection file '" + file + "'");
    fake.shell = testing::RecordingShell();
    state.CurrentCollFile = file;
    EXPECT_EQ(RunAllItems(state, fake.platform), 0);
    ASSERT_EQ(fake.shell.shellStarts.size(), 1u);
    ASSERT_EQ(fake.shell.waitedStarts.size(), 1u);
    EXPECT_EQ(fake.shell.shellStarts[0].baseFolder, base);
    EXPECT_EQ(fake.shell.waitedStarts[0].baseFolder, base);
    EXPECT_EQ(ItemBaseFolder(state, fake.system), base);
  }
}

// What a run starts learns which collections run above it, this one last. One already
// running above, or eight deep, is refused: one box, one log line at 0, one failure.
TEST_F(RunAll, ARunNamesItselfForWhatItStartsAndRefusesToRunInsideItself) {
  testing::TempDir dir;
  state.CurrentCollFile = dir.file("c.tavrin");
  testing::WriteFile(state.CurrentCollFile, "");
  const std::string self = fake.files.FileIdentity(state.CurrentCollFile);
  ASSERT_FALSE(self.empty());
  state.Items = {Item("a", "a"), Item("b", "b", "", 1, kTrue)};
  Strings seen;  // what each start is given
  // The launcher's own startup notification and activation token are its own, not its
  // items'.
  fake.system.SetEnvironment("DESKTOP_STARTUP_ID", "tavrin-1");
  fake.system.SetEnvironment("XDG_ACTIVATION_TOKEN", "token");
  fake.shell.during = [&] {
    seen.push_back(fake.system.GetEnvironment(kRunningVariable) +
                   fake.system.GetEnvironment("DESKTOP_STARTUP_ID") +
                   fake.system.GetEnvironment("XDG_ACTIVATION_TOKEN"));
  };
  std::vector<std::pair<int, std::string>> logged;
  const LaunchFailureLog log = [&](int position, const CollItem&, int32_t, const std::string& t) {
    logged.emplace_back(position, t);
  };

  const std::string seven = "1:1;?;1:3;1:4;1:5;1:6;1:7";
  fake.system.SetEnvironment(kRunningVariable, seven);
  EXPECT_EQ(RunAllItems(state, fake.platform, log), 0);
  EXPECT_EQ(seen, (Strings{seven + ";" + self, seven + ";" + self}));
  EXPECT_EQ(fake.system.GetEnvironment(kRunningVariable), seven);
  EXPECT_TRUE(logged.empty());

  const std::string already =
      "This Collection is already running: it has started itself, directly or through other "
      "Collections, and is not run again.";
  const std::string deep = "Collections have started one another 8 deep: this one is not run.";
  const struct {
    const char* name;
    std::string above;
    std::string why;
  } refused[] = {{"started by itself", self, already}, {"eight above", seven + ";1:8", deep}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    fake.shell.calls.clear();
    fake.toolkit.boxes.clear();
    logged.clear();
    fake.system.SetEnvironment(kRunningVariable, c.above);
    EXPECT_EQ(RunAllItems(state, fake.platform, log), 1);
    EXPECT_TRUE(fake.shell.calls.empty());
    EXPECT_EQ(fake.toolkit.boxes,
              Strings{testing::kErrorBox + state.CurrentCollFile + "\n\n" + c.why});
    EXPECT_EQ(logged, (std::vector<std::pair<int, std::string>>{{0, c.why}}));
    EXPECT_EQ(fake.system.GetEnvironment(kRunningVariable), c.above);
  }
}

}  // namespace
}  // namespace tavrin
