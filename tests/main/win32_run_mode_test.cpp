// The built tavrin.exe started as the shell's Run command starts it:
// "<tavrin.exe>" <file> /run, with message boxes written to standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/win32_shell.h"
#include "process.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::ProcessResult;
using testing::ReadFile;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::RunProcess;
using testing::TavrinPath;
using testing::TempDir;
using testing::WaitForRecording;
using testing::WriteFile;

std::string Record(const std::string& name, const std::string& file, const std::string& params,
                   int wait, int style = 1) {
  return "\"" + name + "\",\"" + file + "\",\"" + params + "\"," + std::to_string(style) + "," +
         (wait ? "#TRUE#" : "#FALSE#") + "\r\n";
}

std::string Collection(const std::vector<std::string>& records) {
  std::string text =
      "\"Tavrin File 1.2\"\r\n" + std::to_string(static_cast<int>(records.size()) - 1) + "\r\n";
  for (const auto& r : records) text += r;
  return text;
}

// Standard error in text mode ends its lines with CR LF; the boxes' texts use LF.
ProcessResult WithLf(ProcessResult result) {
  std::string text;
  for (std::size_t i = 0; i < result.err.size(); ++i) {
    if (!(result.err[i] == '\r' && i + 1 < result.err.size() && result.err[i + 1] == '\n')) {
      text += result.err[i];
    }
  }
  result.err = text;
  return result;
}

struct Win32RunMode : ::testing::Test {
  TempDir dir;
  std::string record = dir.file("record.log");
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"TAVRIN_BOXES_TO_STDERR", "1"},
                                         {"TAVRIN_HOME", dir.file("home")}};

  // The command line after the program is "<path> /run" with the path unquoted, as
  // the association's Run command builds it.
  ProcessResult Run(const std::string& text, const std::string& name = "c.tavrin") {
    const std::string path = dir.file(name);
    WriteFile(path, text);
    return Start({TavrinPath(), path, "/run"});
  }

  ProcessResult Start(const std::vector<std::string>& argv) {
    return WithLf(RunProcess(argv, env));
  }
};

TEST_F(Win32RunMode, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const std::string rec = RecorderPath();
  const auto result = Run(
      Collection({Record("First", rec, "--sleep=300 first", 1),
                  Record("Gone", dir.file("Gone.bin"), "", 0), Record("Third", rec, "third", 1)}));
  EXPECT_EQ(result.exitCode, 1) << result.err;
  // File names are shown in lower case on Windows.
  EXPECT_NE(result.err.find("The Tavrin - Error:\ngone.bin\n\nFile Not Found"), std::string::npos)
      << result.err;
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=300", "first"}));
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"third"});
  // The waited first item had ended before the third one started.
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

TEST_F(Win32RunMode, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const auto result = Run(Collection(
      {Record("One", RecorderPath(), "a", 1), Record("Two", RecorderPath(), "b", 0, 5)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto runs = WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"a"});
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"b"});
}

TEST_F(Win32RunMode, ItemsStartInTheirOwnFolder) {
  const std::string tools = dir.file("my tools");
  std::filesystem::create_directories(tools);
  const std::string rec = tools + "\\rec.exe";
  std::filesystem::copy_file(RecorderPath(), rec);
  const auto result =
      Run(Collection({Record("Waited", rec, "w", 1), Record("Shell", rec, "s", 0)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto runs = WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& run : runs) {
    EXPECT_EQ(std::filesystem::path(run.cwd), std::filesystem::path(tools));
    EXPECT_EQ(std::filesystem::path(run.program), std::filesystem::path(rec));
  }
}

TEST_F(Win32RunMode, AWaitedItemThatCannotStartIsReportedWithTheSystemsReason) {
  const auto result = Run(Collection({Record("Nope", dir.file("Nope.exe"), "", 1)}));
  EXPECT_EQ(result.exitCode, 1);
  win32::Win32Shell shell;
  const std::string why = shell.RuntimeErrorText(2);  // the file cannot be found
  EXPECT_NE(result.err.find("The Tavrin - Error:\nnope.exe\n\n" + why), std::string::npos)
      << result.err;
}

TEST_F(Win32RunMode, ACollectionThatCannotBeLoadedGivesStatusTwo) {
  const auto missing = Start({TavrinPath(), dir.file("none.tavrin"), "/run"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("none.tavrin\n\nThe Tavrin was unable to load the Collection!!"),
            std::string::npos)
      << missing.err;

  const auto wrong = Run("just some text\r\n", "text.tavrin");
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.err.find("This file is not a Tavrin Collection!!"), std::string::npos);
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(Win32RunMode, TheOldVersionQuestionIsAnsweredNoAndTheRunGoesOn) {
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  const auto result = Run(text, "old.tavrin");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("The Tavrin - Question:"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(WaitForRecording(record, 1).size(), 1u);
}

TEST_F(Win32RunMode, APathWithBlanksAndTheSwitchInAnyCase) {
  const std::string folder = dir.file("my collections");
  std::filesystem::create_directories(folder);
  const std::string path = folder + "\\My Games.tavrin";
  WriteFile(path, Collection({Record("One", RecorderPath(), "x", 1)}));
  const auto result = Start({TavrinPath(), path, "/RUN"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadRecording(record).size(), 1u);
}

TEST_F(Win32RunMode, TheRunSwitchCountsAnywhereInTheCommandLine) {
  // "c.tavrin/run" holds the switch but no " /": the file part is empty.
  const std::string path = dir.file("c.tavrin");
  WriteFile(path, Collection({Record("One", RecorderPath(), "x", 1)}));
  const auto glued = Start({TavrinPath(), path + "/run"});
  EXPECT_EQ(glued.exitCode, 2);
  EXPECT_NE(glued.err.find("\n\nThe Tavrin was unable to load the Collection!!"), std::string::npos)
      << glued.err;
  EXPECT_TRUE(ReadRecording(record).empty());
}

}  // namespace
}  // namespace tavrin
