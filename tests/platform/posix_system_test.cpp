// What the POSIX system knows of files and displays, and that asking never hangs on what
// someone put in their place.
#include "platform/posix/posix_system.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <fstream>
#include <iterator>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include <filesystem>
#include <vector>
#include "platform/posix/display_probe.h"
#include "platform/posix/posix_shell.h"
#include "run_process.h"

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

// A local socket at `path` (abstract when it begins with '@') that takes connections and
// never answers them, as a stopped server or a squatter's does; -1 when it cannot be made.
int SilentSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  if (path[0] == '@') address.sun_path[0] = '\0';
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 8) != 0) {
    return -1;
  }
  return fd;
}

// A display that takes the connection but never answers counts as not reachable once its
// time is up. Each question runs in a child that a hang could not hold beyond its guard.
TEST(PosixSystemInfo, NothingWaitsForADisplayThatNeverAnswers) {
  testing::TempDir dir;
  // A display number no server uses (in this process's network namespace).
  const std::string number = std::to_string(7000 + ::getpid() % 1000);
  const struct {
    const char* name;
    std::string socket;                 // the silent socket
    std::function<bool()> unreachable;  // true when the question ended with "not reachable"
  } cases[] = {
      {"an X display", "@/tmp/.X11-unix/X" + number,
       [&] {
         ::setenv("DISPLAY", (":" + number).c_str(), 1);
         posix::PosixSystemInfo system;
         return !posix::DisplayReachable("xcb") && !system.VisibleWindowTitled("x").has_value() &&
                !system.Windows().Can().style;
       }},
      {"a Wayland display", dir.file("wayland-silent"),
       [&] {
         ::setenv("WAYLAND_DISPLAY", dir.file("wayland-silent").c_str(), 1);
         return !posix::DisplayReachable("wayland");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int fd = c.socket.empty() ? 0 : SilentSocket(c.socket);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(testing::RunInChildWithin([&] { return c.unreachable() ? 0 : 1; }, 30), 0);
    if (fd > 0) ::close(fd);
  }
}

// A file that is swapped, again and again, with a FIFO (someone else's folder, a shared
// one): asking for its type, for the application of a document, or whether the program
// runs never opens the FIFO to wait for a writer. The swaps run beside 10000 questions
// (where one in a few thousand used to hang) in a child that a hang could not hold
// beyond its guard.
TEST(PosixSystemInfo, NoQuestionWaitsOnAFifoSwappedInForAFile) {
  testing::TempDir dir;
  const std::string name = dir.file("notes");
  const int answered = testing::RunInChildWithin(
      [&] {
        std::atomic<bool> done{false};
        std::thread swapper([&] {
          for (int i = 0; !done; ++i) {
            const std::string next = dir.file("next");
            if (i % 2 == 0) {
              testing::WriteFile(next, "#!/bin/sh\necho hello\n");
              ::chmod(next.c_str(), 0755);
            } else {
              ::mkfifo(next.c_str(), 0600);
            }
            ::rename(next.c_str(), name.c_str());
          }
        });
        posix::PosixSystemInfo system;
        posix::PosixShell shell;
        ShellRequest request;
        request.file = name;
        request.fullPath = name;
        for (int i = 0; i < 10000; ++i) {
          (void)system.FileTypeDescription(name);
          (void)shell.CheckShellExecute(request);
          if (i % 100 == 0) (void)system.ProgramRunning(name);
        }
        done = true;
        swapper.join();
        return 0;
      },
      30);
  EXPECT_EQ(answered, 0);
}

// The first start's example names what this system has: the home folder, the first
// terminal found on PATH; the window's place is kept in the configuration folder, made
// when missing.
TEST(PosixSystemInfo, TheExampleAndTheWindowPlaceFollowTheEnvironment) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.file("home"));
  std::filesystem::create_directories(dir.file("bin"));
  for (const char* terminal : {"xterm", "konsole"}) {
    testing::WriteFile(dir.file("bin/") + terminal, "#!/bin/sh\n");
    ::chmod(dir.file("bin/").append(terminal).c_str(), 0755);
  }
  const std::string home = std::getenv("HOME");
  const std::string path = std::getenv("PATH");
  const std::string config = std::getenv("XDG_CONFIG_HOME");
  const struct {
    const char* name;
    std::string home, path;
    std::vector<std::string> items;
  } rows[] = {
      {"a home and two terminals: the one of the common desktops first",
       dir.file("home/"),
       dir.file("bin"),
       {"Home folder " + dir.file("home"), "Terminal konsole"}},
      {"no home folder, no terminal", dir.file("gone"), dir.file("home"), {}},
  };
  posix::PosixSystemInfo system;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ::setenv("HOME", row.home.c_str(), 1);
    ::setenv("PATH", row.path.c_str(), 1);
    std::vector<std::string> items;
    for (const auto& item : system.ExampleItems()) items.push_back(item.name + " " + item.file);
    EXPECT_EQ(items, row.items);
  }
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("PATH", path.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  EXPECT_EQ(system.WindowPlaceFile(), dir.file("config/tavrin/window-place"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("config/tavrin")));
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

}  // namespace
}  // namespace tavrin
