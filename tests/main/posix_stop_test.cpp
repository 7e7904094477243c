// `tavrin --stop FILE` on what runs of FILE started: each program's whole process group
// is ended, one that ignores SIGTERM only with --force, and a process that merely got a
// recorded number later is never touched.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "run_mode.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

// Whether the process runs: one that has ended and waits to be reaped does not.
bool Alive(pid_t pid) {
  const std::string stat = testing::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(") ");
  return close != std::string::npos && stat[close + 2] != 'Z';
}

// Waits (generously: a loaded machine may take seconds) until `path` holds at least
// `lines` lines, and gives them.
std::vector<std::string> LinesOnceThere(const std::string& path, std::size_t lines) {
  for (int i = 0; i < 6000; ++i) {
    const auto found = testing::Lines(testing::ReadFile(path));
    if (found.size() >= lines) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return testing::Lines(testing::ReadFile(path));
}

TEST_F(RunModeTest, StopEndsWhatRunsStartedButNeverAReusedNumber) {
  // A copy of its own, so that no other test's processes look like it.
  const std::string sleeper = dir.file("sleeper");
  std::filesystem::copy_file(testing::RecorderPath(), sleeper);
  const std::string children = dir.file("children");
  const std::string stubborn = dir.file("stubborn");
  const auto script = [&](const std::string& name, const std::string& body) {
    WriteFile(dir.file(name), "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(dir.file(name), std::filesystem::perms::owner_all);
    return dir.file(name);
  };
  WriteFile(
      dir.file("c.tavrin"),
      CollectionText(
          {With(Item("Sleeper", sleeper, "--sleep=300000"), {{"SkipIfRunning", "1"}}),
           Item("Helper", script("helper.sh", "sleep 300 & echo $! >> '" + children + "'\nwait")),
           With(Item("Stubborn", script("stubborn.sh", "trap '' TERM\necho up >> '" + stubborn +
                                                           "'\nwhile :; do sleep 1; done")),
                {{"SkipIfRunning", "1"}})}));
  ASSERT_EQ(Start({TavrinPath(), dir.file("c.tavrin"), "/run"}).exitCode, 0);
  ASSERT_EQ(LinesOnceThere(children, 1).size(), 1u);
  ASSERT_EQ(LinesOnceThere(stubborn, 1).size(), 1u);
  // The second run finds the sleeper, and the script through its interpreter, running and
  // starts them no second time.
  const auto check = Start({TavrinPath(), "--check", dir.file("c.tavrin")});
  EXPECT_EQ(check.out, "1\tSleeper\trunning\n2\tHelper\tok\n3\tStubborn\trunning\n");
  EXPECT_EQ(check.exitCode, 0);
  ASSERT_EQ(Start({TavrinPath(), dir.file("c.tavrin"), "/run"}).exitCode, 0);
  const auto helpers = LinesOnceThere(children, 2);
  ASSERT_EQ(helpers.size(), 2u);
  EXPECT_EQ(testing::ReadRecording(record).size(), 1u);
  EXPECT_EQ(testing::ReadFile(stubborn), "up\n");

  // A process that now has a recorded number: the record says another start time.
  std::fflush(nullptr);
  const pid_t decoy = fork();
  if (decoy == 0) {
    execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string recordFile;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("runtime/tavrin"))) {
    recordFile = entry.path().string();
  }
  ASSERT_FALSE(recordFile.empty());
  std::ofstream(recordFile, std::ios::app) << decoy << " 1 9 Decoy\n";

  const auto stop = Start({TavrinPath(), "--stop", "--force", dir.file("c.tavrin")});
  EXPECT_EQ(stop.exitCode, 0) << stop.err;
  EXPECT_EQ(stop.err, "");
  std::vector<std::string> lines = testing::Lines(stop.out);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"1\tSleeper\tstopped", "2\tHelper\tstopped",
                                             "2\tHelper\tstopped", "3\tStubborn\tstopped",
                                             "9\tDecoy\thad ended"}));
  // The helpers' own children went with them; the decoy lives.
  for (const std::string& child : helpers) EXPECT_FALSE(Alive(std::stoi(child))) << child;
  EXPECT_TRUE(Alive(decoy));
  kill(decoy, SIGKILL);
  waitpid(decoy, nullptr, 0);

  // Nothing is left to stop.
  const auto again = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, "");
  EXPECT_NE(again.err.find("no run of it has started a program that is known"), std::string::npos)
      << again.err;
}

}  // namespace
}  // namespace tavrin
