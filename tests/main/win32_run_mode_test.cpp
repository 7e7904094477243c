// The built tavrin.exe started as the shell's Run command starts it:
// "<tavrin.exe>" <file> /run, with message boxes written to standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "items.h"
#include "platform/win32/win32_shell.h"
#include "process.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::CollectionText;
using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::TavrinPath;
using testing::WriteFile;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

struct Win32RunMode : ::testing::Test {
  testing::TempDir dir;
  std::string record = dir.file("record.log");
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"TAVRIN_BOXES_TO_STDERR", "1"},
                                         {"TAVRIN_HOME", dir.file("home")}};

  // The command line after the program is "<path> /run" with the path unquoted, as the
  // association's Run command builds it. Standard error ends its lines with CR LF.
  testing::ProcessResult Start(const Args& argv) {
    auto result = testing::RunProcess(argv, env);
    for (auto at = result.err.find("\r\n"); at != std::string::npos; at = result.err.find("\r\n")) {
      result.err.erase(at, 1);
    }
    return result;
  }
  testing::ProcessResult Run(const std::string& text, const std::string& name = "c.tavrin") {
    WriteFile(dir.file(name), text);
    return Start({TavrinPath(), dir.file(name), "/run"});
  }
  void ExpectBox(const testing::ProcessResult& result, const std::string& box) {
    EXPECT_NE(result.err.find(box), std::string::npos) << result.err;
  }
};

// File names are shown in lower case on Windows.
TEST_F(Win32RunMode, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const auto result = Run(CollectionText(
      {Item("First", RecorderPath(), "--sleep=300 first", 1, kTrue),
       Item("Gone", dir.file("Gone.bin")), Item("Nope", dir.file("Nope.exe"), "", 1, kTrue),
       Item("Third", RecorderPath(), "third", 1, kTrue)}));
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result, "The Tavrin - Error:\ngone.bin\n\nFile Not Found");
  win32::Win32Shell shell;
  ExpectBox(result, "The Tavrin - Error:\nnope.exe\n\n" + shell.RuntimeErrorText(2));
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (Args{"--sleep=300", "first"}));
  EXPECT_EQ(runs[1].args, Args{"third"});
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

// A collection in a folder with blanks, the switch in capitals; programs in a folder
// with blanks start there, waited or not.
TEST_F(Win32RunMode, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const std::string tools = dir.file("my tools");
  fs::create_directories(tools);
  fs::create_directories(dir.file("my collections"));
  const std::string rec = tools + "\\rec.exe";
  fs::copy_file(RecorderPath(), rec);
  const std::string path = dir.file("my collections") + "\\My Games.tavrin";
  WriteFile(path, CollectionText({Item("Waited", rec, "w", 1, kTrue), Item("Shell", rec, "s", 5)}));
  const auto result = Start({TavrinPath(), path, "/RUN"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, Args{"w"});
  EXPECT_EQ(runs[1].args, Args{"s"});
  for (const auto& run : runs) {
    EXPECT_EQ(fs::path(run.cwd), fs::path(tools));
    EXPECT_EQ(fs::path(run.program), fs::path(rec));
  }
}

TEST_F(Win32RunMode, ACollectionThatCannotBeLoadedGivesStatusTwo) {
  const auto missing = Start({TavrinPath(), dir.file("none.tavrin"), "/run"});
  EXPECT_EQ(missing.exitCode, 2);
  ExpectBox(missing, "none.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  const auto wrong = Run("just some text\r\n", "text.tavrin");
  EXPECT_EQ(wrong.exitCode, 2);
  ExpectBox(wrong, "This file is not a Tavrin Collection!!");
  // "c.tavrin/run" holds the switch but no " /": the file part is empty.
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("One", RecorderPath(), "x", 1, kTrue)}));
  const auto glued = Start({TavrinPath(), dir.file("c.tavrin") + "/run"});
  EXPECT_EQ(glued.exitCode, 2);
  ExpectBox(glued, "The Tavrin - Error:\n\n\nThe Tavrin was unable to load the Collection!!");
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(Win32RunMode, TheOldVersionQuestionIsAnsweredNoAndTheRunGoesOn) {
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  const auto result = Run(text, "old.tavrin");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ExpectBox(result, "The Tavrin - Question:");
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
}

}  // namespace
}  // namespace tavrin
