// A termination signal during a run, as the window's handler takes it (it asks for a
// stop): the run ends at once, even while it waits for a program, and starts nothing more.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "fakes.h"
#include "launch/launch.h"
#include "launch/stop_request.h"
#include "platform/posix/posix_shell.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;

// Exit statuses of the child that runs the collection.
constexpr int kRunStopped = 3;
constexpr int kRunEnded = 4;

void AskForAStop(int signal) { RequestStop(signal); }

TEST(RunStop, ATerminationSignalEndsTheRunWhileItWaits) {
  testing::TempDir dir;
  const std::string record = dir.file("record.log");
  const std::string go = dir.file("go");
  ::setenv("TAVRIN_RECORD", record.c_str(), 1);
  CollectionState state;
  state.Items = {Item("Waited", testing::RecorderPath(), "--wait-for=" + go, 1, kTrue),
                 Item("Next", testing::RecorderPath(), "next")};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);  // a run that missed the stop ends here, not in the test's wait
    struct sigaction action {};
    action.sa_handler = &AskForAStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    testing::FakePlatform fake;
    posix::PosixShell shell;
    Platform platform{fake.toolkit, shell, fake.files, fake.system, fake.registry};
    RunAllItems(state, platform);
    ::_exit(RunStopped() ? kRunStopped : kRunEnded);
  }
  // Once the waited program runs, the signal comes.
  std::vector<testing::RecordedRun> runs;
  for (int i = 0; i < 6000 && runs.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    runs = testing::ReadRecording(record);
  }
  ASSERT_EQ(runs.size(), 1u);
  ::kill(child, SIGTERM);
  // The run ends while its program still runs.
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kRunStopped) << status;
  EXPECT_EQ(testing::ReadRecording(record).at(0).endNs, 0);
  testing::WriteFile(go, "");
  runs = testing::WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);  // and nothing after it started
  EXPECT_NE(runs[0].endNs, 0);
  ::unsetenv("TAVRIN_RECORD");
}

}  // namespace
}  // namespace tavrin
