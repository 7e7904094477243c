// Starting programs on Windows for real: the shell, process creation and waiting.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "process.h"
#include "temp_dir.h"

namespace tavrin::win32 {
namespace {

namespace fs = std::filesystem;
using testing::ReadRecording;
using Args = std::vector<std::string>;

WaitedStart Waited(std::string program, std::string params, std::string folder) {
  return {std::move(program), std::move(params), std::move(folder)};
}

class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { _putenv_s("TAVRIN_RECORD", record.c_str()); }
  void TearDown() override {
    _putenv_s("TAVRIN_RECORD", "");
    EXPECT_EQ(fs::current_path(), before);  // the launcher's own folder (and drive) never moves
  }
  // A copy of the stand-in program at `path`, its folders created.
  std::string Recorder(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(testing::RecorderPath(), path, fs::copy_options::overwrite_existing);
    return path;
  }

  testing::TempDir dir;
  std::string record = dir.file("record.log");
  fs::path before = fs::current_path();
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

// Parameters reach the program as the Windows rules split them; a missing file, program
// or document, gives 2. A waited program has ended on return, and one that ends at once
// is success whatever its status; a folder that does not exist leaves the launcher's.
// (Folders with blanks: see the run-mode tests.)
TEST_F(Win32ShellTest, StartsProgramsWithTheirParametersInTheirFolders) {
  const std::string folder = dir.file("tools");
  const std::string program = Recorder(folder + "\\rec.exe");
  ShellRequest request;
  request.file = "rec.exe";
  request.params = "one \"two words\"";
  request.folder = folder;
  request.fullPath = program;
  EXPECT_GE(shell.ShellExecute(request), 33);
  ASSERT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--sleep=300 \"two words\"", folder)), kWaitEnded);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--exit=3", dir.file("gone"))), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].args, (Args{"one", "two words"}));
  EXPECT_EQ(runs[1].args, (Args{"--sleep=300", "two words"}));
  EXPECT_NE(runs[1].endNs, 0) << "returned before the program had ended";
  EXPECT_EQ(fs::path(runs[0].cwd), fs::path(folder));
  EXPECT_EQ(fs::path(runs[1].cwd), fs::path(folder));
  EXPECT_EQ(fs::path(runs[2].cwd), before);
  for (const char* missing : {"missing.exe", "missing.txt"}) {
    request.file = missing;
    request.fullPath = dir.file(missing);
    EXPECT_EQ(shell.ShellExecute(request), 2) << missing;
  }
}

// A document is no program; the system's text names no insert. Every number has a text.
TEST_F(Win32ShellTest, AProgramThatCannotStartSaysWhy) {
  const int32_t missing = shell.ShellAndWait(Waited(dir.file("nope.exe"), "", dir.str()));
  EXPECT_NE(missing, kWaitEnded);
  EXPECT_NE(missing, kWaitFailed);
  const std::string why = shell.RuntimeErrorText(missing);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(why.rfind("Error ", 0), std::string::npos) << why;
  EXPECT_NE(why.back(), '\n');
  testing::WriteFile(dir.file("notes.txt"), "hello\r\n");
  const int32_t document = shell.ShellAndWait(Waited(dir.file("notes.txt"), "", dir.str()));
  EXPECT_NE(document, kWaitEnded);
  EXPECT_NE(document, missing);
  const std::string notProgram = shell.RuntimeErrorText(document);
  EXPECT_EQ(notProgram.find("%1"), std::string::npos) << notProgram;
  EXPECT_NE(notProgram, why);
  EXPECT_NE(shell.ShellAndWait(Waited("", "", "")), kWaitEnded);
  EXPECT_TRUE(ReadRecording(record).empty());
  EXPECT_EQ(shell.RuntimeErrorText(kWaitFailed), "The program could not be waited for");
  EXPECT_EQ(shell.RuntimeErrorText(0x7ffffff0), "Error 2147483632");
}

}  // namespace
}  // namespace tavrin::win32
