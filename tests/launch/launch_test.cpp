// Starting items and running a collection, against a recording shell.
#include "launch/launch.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrin {
namespace {

using testing::RecordingShell;
using testing::ScriptedToolkit;

CollItem Item(std::string file, int16_t wait = kFalse, std::string params = "",
              int16_t style = kStyleNormal) {
  CollItem it;
  it.File = std::move(file);
  it.ItemName = "name";
  it.Params = std::move(params);
  it.WinStyle = style;
  it.Wait = wait;
  return it;
}

// `path` with "/" turned into the separator of the platform the tests run on.
std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kNativeSeparator;
  }
  return path;
}

struct RunFixture : ::testing::Test {
  testing::FailingFileSystem files;
  testing::FakePlatform fake{files};
  ScriptedToolkit& toolkit = fake.toolkit;
  RecordingShell& shell = fake.shell;
  Platform& platform = fake.platform;
  CollectionState state;
};

TEST(ShowWindowValue, PassesCodesOnAndTurnsFiveIntoSeven) {
  EXPECT_EQ(ShowWindowValue(0), 0);
  EXPECT_EQ(ShowWindowValue(1), 1);
  EXPECT_EQ(ShowWindowValue(4), 4);
  EXPECT_EQ(ShowWindowValue(5), 7);
  EXPECT_EQ(ShowWindowValue(6), 6);
  EXPECT_EQ(ShowWindowValue(-3), -3);
}

TEST(LaunchItem, NotWaitedGoesToTheShellWithFileAndFolderParts) {
  RecordingShell shell;
  const std::string file = std::string("/opt/tools") + kNativeSeparator + "edit";
  const std::string full = kNativeSeparator == '/' ? "/opt/tools/edit" : "/opt/tools\\edit";
  EXPECT_EQ(LaunchItem(full, "-a \"b c\"", kStyleMinimizedNoFocus, kFalse, shell), kShellSuccess);
  ASSERT_EQ(shell.shellStarts.size(), 1u);
  const auto& r = shell.shellStarts[0];
  EXPECT_EQ(r.verb, "Open");
  EXPECT_EQ(r.file, "edit");
  EXPECT_EQ(r.folder, "/opt/tools");
  EXPECT_EQ(r.params, "-a \"b c\"");
  EXPECT_EQ(r.show, kSwShowMinNoActive);
  EXPECT_EQ(r.fullPath, full);
  EXPECT_TRUE(shell.waitedStarts.empty());
}

TEST(LaunchItem, WaitedStartsTheProgramDirectlyInItsFolder) {
  RecordingShell shell;
  shell.results = {0};
  const std::string full = std::string("dir") + kNativeSeparator + "prog";
  EXPECT_EQ(LaunchItem(full, "", kStyleMaximized, kTrue, shell), 0);
  ASSERT_EQ(shell.waitedStarts.size(), 1u);
  EXPECT_EQ(shell.waitedStarts[0].program, full);
  EXPECT_EQ(shell.waitedStarts[0].folder, "dir");
  EXPECT_EQ(shell.waitedStarts[0].params, "");
  EXPECT_EQ(shell.waitedStarts[0].show, kSwShowMaximized);
}

TEST(LaunchItem, BareNameGivesNoFolder) {
  RecordingShell shell;
  LaunchItem("notes.txt", "", kStyleNormal, kFalse, shell);
  LaunchItem("sh", "", kStyleNormal, kTrue, shell);
  EXPECT_EQ(shell.shellStarts[0].file, "notes.txt");
  EXPECT_EQ(shell.shellStarts[0].folder, "");
  EXPECT_EQ(shell.waitedStarts[0].folder, "");
}

TEST(LaunchItem, ResultOfTheShellIsPassedOn) {
  RecordingShell shell;
  shell.results = {2, -1};
  EXPECT_EQ(LaunchItem("x", "", 1, kFalse, shell), 2);
  EXPECT_EQ(LaunchItem("x", "", 1, kTrue, shell), -1);
}

TEST(LaunchErrorText, ShellTableTexts) {
  RecordingShell shell;
  EXPECT_EQ(LaunchErrorText(2, false, shell), "File Not Found");
  EXPECT_EQ(LaunchErrorText(31, false, shell), "No application found for this file");
  EXPECT_EQ(LaunchErrorText(0, false, shell),
            "The file could not be run due to insufficient system memory or a corrupt program "
            "file");
  EXPECT_EQ(LaunchErrorText(15, false, shell),
            "Windows prgram does not support protected memory mode");
  EXPECT_EQ(LaunchErrorText(6, false, shell).back(), ' ');
  EXPECT_EQ(LaunchErrorText(12, false, shell).back(), ' ');
  for (int code : {1, 4, 7, 9, 17, 18, 22, 26, 30, 32, 42, -1}) {
    EXPECT_EQ(LaunchErrorText(code, false, shell), "") << code;
  }
}

TEST(LaunchErrorText, WaitedItemsUseTheRuntimeText) {
  RecordingShell shell;
  EXPECT_EQ(LaunchErrorText(2, true, shell), "runtime error 2");
  EXPECT_EQ(LaunchErrorText(-1, true, shell), "runtime error -1");
}

TEST(LaunchFailed, ThresholdsOfBothWays) {
  EXPECT_FALSE(LaunchFailed(32, false));  // exactly 32 is success
  EXPECT_TRUE(LaunchFailed(31, false));
  EXPECT_TRUE(LaunchFailed(0, false));
  EXPECT_TRUE(LaunchFailed(-5, false));
  EXPECT_FALSE(LaunchFailed(0, true));
  EXPECT_TRUE(LaunchFailed(-1, true));
  EXPECT_TRUE(LaunchFailed(53, true));
}

TEST_F(RunFixture, StartsEveryItemInOrderAndReportsEachFailure) {
  state.Items = {Item(Native("/a/first")), Item(Native("/a/Missing.EXE")),
                 Item(Native("/a/third"))};
  shell.results = {42, 2, 42};
  EXPECT_EQ(RunAllItems(state, platform), 1);
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.shellStarts[0].fullPath, Native("/a/first"));
  EXPECT_EQ(shell.shellStarts[2].fullPath, Native("/a/third"));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  const std::string shown = kPathsIgnoreCase ? "missing.exe" : "Missing.EXE";
  EXPECT_EQ(toolkit.boxes[0].text, shown + "\n\nFile Not Found");
  EXPECT_EQ(toolkit.boxes[0].caption, "The Tavrin - Error:");
  EXPECT_EQ(toolkit.boxes[0].style, 16);
  EXPECT_GE(toolkit.eventPasses, 6);  // twice per item
}

TEST_F(RunFixture, WaitedFailureUsesRuntimeTextAndCodeWithoutTextGivesBareBox) {
  state.Items = {Item(Native("/p/prog"), kTrue), Item(Native("/p/doc"), kFalse)};
  shell.results = {53, 26};
  EXPECT_EQ(RunAllItems(state, platform), 2);
  ASSERT_EQ(toolkit.boxes.size(), 2u);
  EXPECT_EQ(toolkit.boxes[0].text, "prog\n\nruntime error 53");
  EXPECT_EQ(toolkit.boxes[1].text, "doc\n\n");
}

TEST_F(RunFixture, EmptyRecordsAreStartedToo) {
  // The placeholder of an empty collection is not skipped: it fails like any other.
  shell.results = {2};
  EXPECT_EQ(RunAllItems(state, platform), 1);
  EXPECT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, "\n\nFile Not Found");
}

}  // namespace
}  // namespace tavrin
