// Starting programs on Windows for real: the shell, process creation and waiting.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "recording.h"
#include "temp_dir.h"

namespace tavrin::win32 {
namespace {

namespace fs = std::filesystem;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::TempDir;
using testing::WaitForRecording;
using testing::WriteFile;

class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { _putenv_s("TAVRIN_RECORD", record.c_str()); }
  void TearDown() override { _putenv_s("TAVRIN_RECORD", ""); }

  // A copy of the stand-in program at `path`, its folders created.
  std::string Recorder(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(RecorderPath(), path, fs::copy_options::overwrite_existing);
    return path;
  }

  WaitedStart Waited(const std::string& program, const std::string& params,
                     const std::string& folder) {
    WaitedStart start;
    start.program = program;
    start.params = params;
    start.folder = folder;
    return start;
  }

  TempDir dir;
  std::string record = dir.file("record.log");
  Win32Shell shell;
};

TEST(WaitedCommandLine, QuotesAProgramPathWithABlankAndKeepsTheParameters) {
  EXPECT_EQ(WaitedCommandLine("C:\\My Tools\\x.exe", "-a \"b c\""),
            "\"C:\\My Tools\\x.exe\" -a \"b c\"");
  EXPECT_EQ(WaitedCommandLine("C:\\Tools\\x.exe", "-a"), "C:\\Tools\\x.exe -a");
  // Empty parameters leave the blank after the program.
  EXPECT_EQ(WaitedCommandLine("C:\\Tools\\x.exe", ""), "C:\\Tools\\x.exe ");
  EXPECT_EQ(WaitedCommandLine("\"C:\\My Tools\\x.exe\"", ""), "\"C:\\My Tools\\x.exe\" ");
}

TEST_F(Win32ShellTest, AShellStartOfAMissingFileGivesTwo) {
  ShellRequest request;
  request.file = "missing.exe";
  request.folder = dir.str();
  request.fullPath = dir.file("missing.exe");
  EXPECT_EQ(shell.ShellExecute(request), 2);
  request.file = "missing.txt";
  EXPECT_EQ(shell.ShellExecute(request), 2);
}

TEST_F(Win32ShellTest, AShellStartRunsTheProgramInItsFolderWithItsParameters) {
  const std::string folder = dir.file("tools");
  Recorder(folder + "\\rec.exe");
  ShellRequest request;
  request.file = "rec.exe";
  request.params = "one \"two words\"";
  request.folder = folder;
  request.fullPath = folder + "\\rec.exe";
  const auto before = fs::current_path();
  EXPECT_GE(shell.ShellExecute(request), 33);
  EXPECT_EQ(fs::current_path(), before);
  const auto runs = WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(fs::path(runs[0].cwd), fs::path(folder));
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"one", "two words"}));
}

TEST_F(Win32ShellTest, AWaitedStartRunsInTheProgramsFolderAndHasEndedOnReturn) {
  const std::string folder = dir.file("work");
  const std::string program = Recorder(folder + "\\rec.exe");
  const auto before = fs::current_path();
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--sleep=300 x \"two words\"", folder)), kWaitEnded);
  // The launcher's own current folder (and drive) did not move.
  EXPECT_EQ(fs::current_path(), before);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0) << "returned before the program had ended";
  EXPECT_EQ(fs::path(runs[0].cwd), fs::path(folder));
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=300", "x", "two words"}));
}

TEST_F(Win32ShellTest, AProgramThatEndsAtOnceIsSuccessWhateverItsStatus) {
  const std::string program = Recorder(dir.file("rec.exe"));
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "", dir.str())), kWaitEnded);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--exit=3", dir.str())), kWaitEnded);
  EXPECT_EQ(ReadRecording(record).size(), 2u);
}

TEST_F(Win32ShellTest, AFolderThatDoesNotExistLeavesTheLaunchersFolder) {
  const std::string program = Recorder(dir.file("rec.exe"));
  const auto before = fs::current_path();
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "", dir.file("gone"))), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(fs::path(runs[0].cwd), before);
}

TEST_F(Win32ShellTest, AProgramPathWithABlankStartsThatProgramAndNoOther) {
  // Unquoted, "...\my tools\rec.exe" would start "...\my.exe" first.
  Recorder(dir.file("my.exe"));
  const std::string program = Recorder(dir.file("my tools\\rec.exe"));
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "arg", dir.file("my tools"))), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(fs::path(runs[0].program), fs::path(program));
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"arg"});
}

TEST_F(Win32ShellTest, AProgramThatCannotStartSaysWhy) {
  const int32_t missing = shell.ShellAndWait(Waited(dir.file("nope.exe"), "", dir.str()));
  EXPECT_NE(missing, kWaitEnded);
  EXPECT_NE(missing, kWaitFailed);
  const std::string why = shell.RuntimeErrorText(missing);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(why.rfind("Error ", 0), std::string::npos) << why;

  // A document is no program; the system's text names no insert.
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const int32_t document = shell.ShellAndWait(Waited(dir.file("notes.txt"), "", dir.str()));
  EXPECT_NE(document, kWaitEnded);
  EXPECT_NE(document, missing);
  const std::string notProgram = shell.RuntimeErrorText(document);
  EXPECT_EQ(notProgram.find("%1"), std::string::npos) << notProgram;
  EXPECT_NE(notProgram, why);

  EXPECT_NE(shell.ShellAndWait(Waited("", "", "")), kWaitEnded);
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(Win32ShellTest, EveryNumberHasAText) {
  EXPECT_EQ(shell.RuntimeErrorText(kWaitFailed), "The program could not be waited for");
  EXPECT_EQ(shell.RuntimeErrorText(0x7ffffff0), "Error 2147483632");
  const std::string text = shell.RuntimeErrorText(2);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
}

}  // namespace
}  // namespace tavrin::win32
