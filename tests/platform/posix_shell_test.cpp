// Starting real programs on POSIX: arguments, working folders, waiting, detaching.
#include "platform/posix/posix_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/child_reaper.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::ReadRecording;
using testing::RecorderPath;
using testing::TempDir;
using testing::WaitForRecording;

namespace fs = std::filesystem;

std::string Cwd() { return fs::current_path().string(); }

// True when `pid` is a child of ours that has ended but was not reaped.
bool IsZombie(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string content;
  std::getline(stat, content);
  const auto close = content.rfind(')');
  return close != std::string::npos && content.size() > close + 2 && content[close + 2] == 'Z';
}

// Polls until no zombie child of ours is left, up to a generous limit.
bool ZombiesGone() {
  for (int i = 0; i < 500; ++i) {
    bool any = false;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string name = entry.path().filename();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      std::ifstream stat(entry.path() / "stat");
      std::string content;
      std::getline(stat, content);
      const auto close = content.rfind(')');
      if (close == std::string::npos) continue;
      char state = 0;
      int ppid = 0;
      std::istringstream rest(content.substr(close + 2));
      rest >> state >> ppid;
      if (ppid == getpid() && state == 'Z') any = true;
    }
    if (!any && TrackedChildCount() == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

struct PosixShellTest : ::testing::Test {
  void SetUp() override {
    record = dir.file("record.log");
    setenv("TAVRIN_RECORD", record.c_str(), 1);
  }
  void TearDown() override { unsetenv("TAVRIN_RECORD"); }

  // A copy of the stand-in program at `relative` inside the test folder.
  std::string PlaceRecorder(const std::string& relative) {
    const fs::path target = dir.path() / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(RecorderPath(), target, fs::copy_options::overwrite_existing);
    return target.string();
  }

  TempDir dir;
  std::string record;
  PosixShell shell;
};

TEST(SplitParams, ShellQuotingWithoutAnyExpansion) {
  EXPECT_TRUE(SplitParams("").empty());
  EXPECT_TRUE(SplitParams("   ").empty());
  EXPECT_EQ(SplitParams("a \"b c\" 'd  e'"), (std::vector<std::string>{"a", "b c", "d  e"}));
  EXPECT_EQ(SplitParams("$(touch x) ; * ~ $HOME `id` | > y"),
            (std::vector<std::string>{"$(touch", "x)", ";", "*", "~", "$HOME", "`id`", "|", ">",
                                      "y"}));
}

TEST(SplitParams, AnOpenQuoteIsClosedAtTheEnd) {
  EXPECT_EQ(SplitParams("--title \"My notes"),
            (std::vector<std::string>{"--title", "My notes"}));
  EXPECT_EQ(SplitParams("it's"), (std::vector<std::string>{"its"}));
}

TEST(FindOnPath, FindsProgramsAndNothingElse) {
  EXPECT_FALSE(FindOnPath("sh").empty());
  EXPECT_EQ(FindOnPath("no-such-program-tavrin"), "");
  EXPECT_EQ(FindOnPath("bin/sh"), "");
}

TEST_F(PosixShellTest, WaitedProgramGetsItsArgumentsAndFolderAndIsWaitedFor) {
  const std::string program = PlaceRecorder("tools/rec");
  const std::string before = Cwd();
  WaitedStart start;
  start.program = program;
  start.params = "--sleep=200 \"two words\" $(touch pwned) ;";
  start.folder = dir.file("tools");
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  // Waited for: its end is recorded by the time the call returns.
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_EQ(runs[0].cwd, dir.file("tools"));
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=200", "two words", "$(touch",
                                                    "pwned)", ";"}));
  EXPECT_FALSE(fs::exists(dir.file("tools/pwned")));
  EXPECT_FALSE(fs::exists(before + "/pwned)"));
  EXPECT_EQ(Cwd(), before);
}

TEST_F(PosixShellTest, WaitedProgramWithBlanksInItsPath) {
  const std::string program = PlaceRecorder("my tools/the recorder");
  WaitedStart start;
  start.program = program;
  start.folder = dir.file("my tools");
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].cwd, dir.file("my tools"));
}

TEST_F(PosixShellTest, QuickExitAndNonZeroStatusAreBothSuccess) {
  const std::string program = PlaceRecorder("rec");
  WaitedStart start;
  start.program = program;
  start.params = "--exit=3";
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  start.params = "";
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
}

TEST_F(PosixShellTest, WaitedStartThatCannotHappenSaysWhy) {
  WaitedStart missing;
  missing.program = dir.file("nothing-here");
  EXPECT_EQ(shell.ShellAndWait(missing), kRuntimeFileNotFound);
  EXPECT_EQ(shell.RuntimeErrorText(kRuntimeFileNotFound), "File not found");

  testing::WriteFile(dir.file("notes.txt"), "hello");
  WaitedStart document;
  document.program = dir.file("notes.txt");
  const int32_t r = shell.ShellAndWait(document);
  EXPECT_NE(r, kWaitEnded);
  EXPECT_FALSE(shell.RuntimeErrorText(r).empty());

  WaitedStart folder;
  folder.program = dir.str();
  EXPECT_NE(shell.ShellAndWait(folder), kWaitEnded);

  WaitedStart unknown;
  unknown.program = "no-such-program-tavrin";
  EXPECT_EQ(shell.ShellAndWait(unknown), kRuntimeFileNotFound);
}

TEST_F(PosixShellTest, RelativeProgramPathIsTakenFromTheLaunchersFolder) {
  PlaceRecorder("sub/rec");
  const std::string before = Cwd();
  fs::current_path(dir.path());
  WaitedStart start;
  start.program = "sub/rec";
  start.folder = "sub";
  const int32_t r = shell.ShellAndWait(start);
  fs::current_path(before);
  EXPECT_EQ(r, kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].cwd, dir.file("sub"));
}

TEST_F(PosixShellTest, BareProgramNameIsLookedUpOnPath) {
  WaitedStart start;
  start.program = "true";
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  ShellRequest request;
  request.file = "true";
  EXPECT_GE(shell.ShellExecute(request), 33);
  EXPECT_TRUE(ZombiesGone());
}

TEST_F(PosixShellTest, ShellStartOfAProgramIsDetachedInItsFolder) {
  const std::string program = PlaceRecorder("apps/rec");
  const std::string before = Cwd();
  ShellRequest request;
  request.file = "rec";
  request.folder = dir.file("apps");
  request.fullPath = program;
  request.params = "'one arg' two ~ *";
  EXPECT_GE(shell.ShellExecute(request), 33);
  const auto runs = WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].cwd, dir.file("apps"));
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"one arg", "two", "~", "*"}));
  EXPECT_EQ(Cwd(), before);
  // Once it has ended nothing of it stays behind.
  EXPECT_TRUE(ZombiesGone());
  EXPECT_FALSE(IsZombie(runs[0].pid));
}

TEST_F(PosixShellTest, ShellStartReturnsWhileTheProgramStillRuns) {
  const std::string program = PlaceRecorder("rec");
  const std::string release = dir.file("release");
  ShellRequest request;
  request.fullPath = program;
  request.file = "rec";
  request.folder = dir.str();
  request.params = "--wait-for=" + release;
  // The program cannot end before `release` exists, so returning proves it was not
  // waited for.
  EXPECT_GE(shell.ShellExecute(request), 33);
  testing::WriteFile(release, "");
  const auto runs = WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_TRUE(ZombiesGone());
}

TEST_F(PosixShellTest, ShellFailuresGiveTheShellCodes) {
  ShellRequest missing;
  missing.fullPath = dir.file("gone.exe");
  EXPECT_EQ(shell.ShellExecute(missing), kShellFileNotFound);
  ShellRequest noFolder;
  noFolder.fullPath = dir.file("no/such/folder/app");
  EXPECT_EQ(shell.ShellExecute(noFolder), kShellPathNotFound);
  ShellRequest bare;
  bare.file = "no-such-program-tavrin";
  EXPECT_EQ(shell.ShellExecute(bare), kShellFileNotFound);
  ShellRequest empty;
  EXPECT_EQ(shell.ShellExecute(empty), kShellFileNotFound);

  testing::WriteFile(dir.file("broken"), "\x7f" "ELF garbage");
  chmod(dir.file("broken").c_str(), 0755);
  ShellRequest broken;
  broken.fullPath = dir.file("broken");
  EXPECT_EQ(shell.ShellExecute(broken), kShellInvalidProgram);
}

TEST_F(PosixShellTest, ManyDetachedProgramsLeaveNoZombie) {
  for (int i = 0; i < 200; ++i) {
    ShellRequest request;
    request.fullPath = "/bin/true";
    request.file = "true";
    request.folder = "/bin";
    ASSERT_GE(shell.ShellExecute(request), 33);
  }
  // A waited start in between is not disturbed by the reaping.
  WaitedStart start;
  start.program = "/bin/true";
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  EXPECT_TRUE(ZombiesGone());
}

}  // namespace
}  // namespace tavrin::posix
