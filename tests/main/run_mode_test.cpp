// The built program started as a user, or the shell's Run command, starts it:
// `tavrin FILE /run`, with no display, so that message boxes go to standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "collection/text.h"
#include "platform/system.h"
#include "run_mode.h"
#ifdef _WIN32
#include "platform/win32/win32_shell.h"
#endif

namespace tavrin {
namespace {

using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
namespace fs = std::filesystem;

// File names are shown in lower case where they ignore case.
std::string Shown(const std::string& name) { return kPathsIgnoreCase ? LowerAscii(name) : name; }

// A waited item has ended before the next one starts; a waited program that cannot be
// started is a failure that names the reason.
TEST_F(RunModeTest, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const auto result =
      Run({Item("First", RecorderPath(), "--sleep=300 first", 1, kTrue),
           Item("Gone", dir.file("Gone.bin")), Item("Nope", dir.file("Nope.exe"), "", 1, kTrue),
           Item("Third", RecorderPath(), "third", 1, kTrue)});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result, "The Tavrin - Error:\n" + Shown("Gone.bin") + "\n\nFile Not Found");
#ifdef _WIN32
  const std::string why = win32::Win32Shell().RuntimeErrorText(2);  // the file cannot be found
#else
  const std::string why = "File not found";
#endif
  ExpectBox(result, "The Tavrin - Error:\n" + Shown("Nope.exe") + "\n\n" + why);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=300", "first"}));
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"third"});
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

// A collection in a folder with blanks, the switch in capitals: every item starts in its
// program's folder (a path with blanks starts that program and no other), the status is
// 0 and nothing is written; a program not waited for outlives the launcher; the file
// association is neither checked nor written.
TEST_F(RunModeTest, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const std::string exe = kPathsIgnoreCase ? ".exe" : "";
  const std::string tools = dir.file("my tools");
  const std::string rec = tools + kNativeSeparator + "rec" + exe;
  fs::create_directories(tools);
  fs::copy_file(RecorderPath(), rec);
  fs::copy_file(RecorderPath(), dir.file("my" + exe));  // what "my tools..." unquoted names
  fs::create_directories(dir.file("my collections"));
  const std::string path = dir.file("my collections") + kNativeSeparator + "My Games.tavrin";
  testing::WriteFile(path,
                     testing::CollectionText({Item("Waited", rec, "w", 1, kTrue),
                                              Item("Bg", rec, "--wait-for=" + dir.file("go"), 5)}));
  const auto result = Start({testing::TavrinPath(), path, "/RUN"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  testing::WriteFile(dir.file("go"), "");  // the launcher has ended; Bg still waits for this
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"w"});
  EXPECT_NE(runs[1].endNs, 0);
  for (const auto& run : runs) {
    EXPECT_EQ(fs::path(run.cwd), fs::path(tools));
    EXPECT_EQ(fs::path(run.program), fs::path(rec));
  }
  for (const char* made :
       {"config/tavrin", "config/mimeapps.list", "data/applications", "data/mime"}) {
    EXPECT_FALSE(fs::exists(dir.file(made))) << made;
  }
}

// Missing, no collection, or, on Windows, "c.tavrin/run": the switch without a " /"
// before it, which leaves no file part.
TEST_F(RunModeTest, ACollectionThatCannotBeLoadedGivesStatusTwo) {
  const auto missing = Start({testing::TavrinPath(), dir.file("none.tavrin"), "/run"});
  EXPECT_EQ(missing.exitCode, 2);
  ExpectBox(missing, "none.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  testing::WriteFile(dir.file("text.tavrin"), "just some text\r\n");
  const auto wrong = Start({testing::TavrinPath(), dir.file("text.tavrin"), "/run"});
  EXPECT_EQ(wrong.exitCode, 2);
  ExpectBox(wrong, "text.tavrin\n\nThis file is not a Tavrin Collection!!");
  testing::WriteFile(dir.file("c.tavrin"),
                     testing::CollectionText({Item("One", RecorderPath(), "x", 1, kTrue)}));
  const auto glued = Start({testing::TavrinPath(), dir.file("c.tavrin") + "/run"});
  EXPECT_EQ(glued.exitCode, 2);
  ExpectBox(glued, "\n\nThe Tavrin was unable to load the Collection!!");
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(RunModeTest, OldVersionQuestionIsAnsweredNoWithoutADisplayAndTheRunGoesOn) {
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  testing::WriteFile(dir.file("old.tavrin"), text);
  const auto result = Start({testing::TavrinPath(), dir.file("old.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ExpectBox(result, "The Tavrin - Question:\n");
  ExpectBox(result, "old.tavrin\n\nThis Tavrin Collections in of an old version.");
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
}

}  // namespace
}  // namespace tavrin
