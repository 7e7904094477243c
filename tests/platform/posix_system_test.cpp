// What the POSIX system knows of a file beyond its name.
#include "platform/posix/posix_system.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "temp_dir.h"

namespace tavrin {
namespace {

// What no process can run is never running, and asking does not wait on it: a FIFO is
// not opened for a "#!" line, nor is a missing file looked for.
TEST(PosixSystemInfo, NoProcessRunsAFifoOrAMissingFile) {
  testing::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  posix::PosixSystemInfo system;
  EXPECT_FALSE(system.ProgramRunning(dir.file("pipe")));
  EXPECT_FALSE(system.ProgramRunning(dir.file("missing")));
}

// Whether the process runs (one that has ended and waits to be reaped does not).
bool Alive(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// A process group whose leader has ended is the run's only while its number cannot have
// been given to another process since the leader was last seen: a process of it that
// already ran then says so; one that started later may belong to a group that took the
// number afterwards. A mark of another boot, or of another start, matches nothing.
TEST(PosixSystemInfo, ALeaderlessGroupIsTheRunsOnlyWhileItsNumberCannotHaveBeenReused) {
  posix::PosixSystemInfo system;
  for (const bool memberFirst : {true, false}) {
    SCOPED_TRACE(memberFirst ? "a member that ran when the leader was seen" : "a later member");
    int ready[2];
    int go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    std::fflush(nullptr);
    const pid_t leader = ::fork();
    if (leader == 0) {
      ::setpgid(0, 0);
      const auto member = [] {
        const pid_t pid = ::fork();
        if (pid == 0) {
          ::execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
          ::_exit(127);
        }
        return pid;
      };
      pid_t pid = memberFirst ? member() : 0;
      char byte = 0;
      if (::write(ready[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) != 1) ::_exit(1);
      if (!memberFirst) {
        const timespec later{0, 200 * 1000 * 1000};
        ::nanosleep(&later, nullptr);
        pid = member();
      }
      ::_exit(::write(ready[1], &pid, sizeof pid) == sizeof pid ? 0 : 1);
    }
    ASSERT_GT(leader, 0);
    ::setpgid(leader, leader);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const std::string mark = system.ProcessStartMark(leader);
    ASSERT_EQ(::write(go[1], &byte, 1), 1);
    pid_t member = 0;
    ASSERT_EQ(::read(ready[0], &member, sizeof member), static_cast<ssize_t>(sizeof member));
    ::waitpid(leader, nullptr, 0);
    for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
    EXPECT_EQ(system.StartRuns(leader, mark), memberFirst);
    const std::string otherBoot = mark.substr(0, mark.rfind(':') + 1) + "another-boot";
    EXPECT_FALSE(system.StartRuns(leader, otherBoot));
    system.EndStart(leader, mark, /*force=*/true);
    for (int i = 0; i < 500 && Alive(member) && memberFirst; ++i) ::usleep(10000);
    EXPECT_EQ(Alive(member), !memberFirst);
    ::kill(member, SIGKILL);
  }
}

}  // namespace
}  // namespace tavrin
