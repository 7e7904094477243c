// Runs with the real shell, inside this process: items that wait for a real port or file,
// and a long run that leaves no zombie and no descriptor.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "fakes.h"
#include "launch/launch.h"
#include "launch/run_waits.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

// A loopback socket bound to a free port, which listens only when asked to; until then a
// connection is refused.
struct Port {
  Port() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    number = ntohs(address.sin_port);
  }
  ~Port() { close(fd); }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;
  std::string Ready() const { return "tcp:127.0.0.1:" + std::to_string(number); }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int number = 0;
};

// The nanoseconds of the clock the stand-in program notes its start by.
long long Now() {
  return std::chrono::nanoseconds(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Does what is asked during an item's readiness wait once the wait has surely looked and
// found nothing ready: from its second slice on (the first comes before its first look),
// at each slice until the act says it is done.
struct DuringWaits : RunProgress {
  void Waiting(const RunWait& wait) override {
    if (wait.target.empty() || ++slices[wait.position] < 2) return;
    const auto act = acts.find(wait.position);
    if (act != acts.end() && act->second()) acts.erase(act);
  }
  void RunEnded() override {}
  std::map<int, std::function<bool()>> acts;  // by the item's position
  std::map<int, int> slices;
};

struct RealRun : ::testing::Test {
  void SetUp() override {
    ::setenv("TAVRIN_RECORD", record.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TAVRIN_RECORD");
    ::unsetenv("XDG_RUNTIME_DIR");
  }
  // Runs `items` of a collection in `dir` with the real shell and system.
  int RunItems(const std::vector<CollItem>& items, RunProgress* progress = nullptr) {
    CollectionState state;
    state.Items = items;
    state.CurrentCollFile = collection;
    testing::WriteFile(collection, "");
    testing::FakePlatform fake;
    posix::PosixShell shell;
    posix::PosixSystemInfo system;
    Platform platform{fake.toolkit, shell, files, system, fake.registry};
    const int failures = RunAllItems(state, platform, {}, nullptr, progress);
    boxes = fake.toolkit.boxes;
    return failures;
  }
  testing::TempDir dir;
  std::string record = dir.file("record.log");
  std::string collection = dir.file("c.tavrin");
  PosixFileSystem files;
  std::vector<std::string> boxes;
};

// The browser starts once the port answers, the reader once the file (relative to the
// collection) exists: both come only while the run waits for them. Env and WorkDir reach
// every start, and a missing folder fails.
TEST_F(RealRun, ItemsWaitForThePortOrTheFileAndGetTheirVariablesAndFolder) {
  const Port server;
  const std::string flag = dir.file("ready.flag");
  long long listening = 0;
  DuringWaits waits;
  waits.acts[1] = [&] {
    listening = Now();
    return listen(server.fd, 16) == 0;
  };
  waits.acts[3] = [&] { return testing::WriteFile(flag, ""), true; };
  std::filesystem::create_directory(dir.file("sub"));
  const std::vector<ItemOption> options = {
      {"Env", "TAVRIN_GREETING=hello there"}, {"Env", "PATH=/nowhere"}, {"WorkDir", "sub"}};
  const std::string rec = testing::RecorderPath();
  EXPECT_EQ(
      RunItems({With(Item("Server", rec, "server"),
                     {{"WaitReady", server.Ready()}, {"Timeout", "20000"}}),
                Item("Browser", rec, "browser"),
                With(Item("Writer", "/bin/true"), {{"WaitReady", "file:ready.flag"}}),
                Item("Reader", "/bin/sh",
                     "-c \"test -e '" + flag + "' && : > '" + dir.file("saw") + "'\"", 1, kTrue),
                With(Item("Shell", rec, "--env=TAVRIN_GREETING"), options),
                With(Item("Waited", rec, "--env=PATH", 1, kTrue), options),
                With(Item("Lost", rec), {{"WorkDir", "gone"}})},
               &waits),
      1);
  EXPECT_EQ(boxes, std::vector<std::string>{testing::kErrorBox +
                                            std::filesystem::path(rec).filename().string() +
                                            "\n\nWorking folder not found"});
  EXPECT_TRUE(std::filesystem::exists(dir.file("saw")));
  // By their first argument: a program not waited for may write its line after a later one.
  std::map<std::string, testing::RecordedRun> runs;
  for (const auto& run : testing::WaitForRecording(record, 4)) runs[run.args.at(0)] = run;
  ASSERT_EQ(runs.size(), 4u);
  ASSERT_NE(listening, 0);
  EXPECT_LT(listening, runs["browser"].startNs);
  EXPECT_EQ(runs["TAVRIN_GREETING=hello there"].cwd, dir.file("sub"));
  EXPECT_EQ(runs["PATH=/nowhere"].cwd, dir.file("sub"));
}

// Readiness is about the item's own program: one that fails before it is ready fails the
// wait at once, naming its status; one that ends well (it went to the background) is
// still waited for; a port that answers before the start is someone else's.
TEST_F(RealRun, AWaitIsAboutTheItemsOwnProgram) {
  const Port taken;
  listen(taken.fd, 16);
  const Port later;
  const std::string flag = dir.file("flag");
  DuringWaits waits;
  // Once the program has ended and is gone, the wait looks again (a slice), and then the
  // file comes.
  bool gone = false;
  waits.acts[4] = [&] {
    if (gone) return testing::WriteFile(flag, ""), true;
    const auto runs = testing::WaitForRecording(record, 1);
    for (int i = 0; i < 1000 && !runs.empty() && ::kill(runs[0].pid, 0) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    gone = true;
    return false;
  };
  const std::string rec = testing::RecorderPath();
  EXPECT_EQ(RunItems({With(Item("Failing", "/bin/sh", "-c \"exit 3\""),
                           {{"WaitReady", later.Ready()}, {"Timeout", "600000"}}),
                      With(Item("Killed", "/bin/sh", "-c \"kill -9 $$\""),
                           {{"WaitReady", "file:never"}, {"Timeout", "600000"}}),
                      With(Item("Someone else's", rec, "taken"), {{"WaitReady", taken.Ready()}}),
                      With(Item("Backgrounded", rec, "background"),
                           {{"WaitReady", "file:flag"}, {"Timeout", "600000"}})},
                     &waits),
            3);
  EXPECT_EQ(
      boxes,
      (std::vector<std::string>{
          testing::kErrorBox + "sh\n\nEnded with status 3 before it was ready: " + later.Ready(),
          testing::kErrorBox + "sh\n\nEnded by signal 9 before it was ready: file:never",
          testing::kErrorBox + std::filesystem::path(rec).filename().string() +
              "\n\nSomething else already answers at 127.0.0.1:" + std::to_string(taken.number)}));
  EXPECT_TRUE(std::filesystem::exists(flag));  // the last wait went on until it was there
  // The item whose port was taken never started.
  const auto runs = testing::ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"background"});
}

// Inside a network and mount namespace of its own (root only): the loopback interface up,
// and a resolver at 127.0.0.1 that takes every question and never answers, for names that
// only it could know. False when they cannot be made.
bool BehindASilentResolver(const testing::TempDir& dir) {
  if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return false;
  }
  ifreq loopback{};
  std::strcpy(loopback.ifr_name, "lo");
  const int control = socket(AF_INET, SOCK_DGRAM, 0);
  loopback.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
  if (ioctl(control, SIOCSIFFLAGS, &loopback) != 0) return false;
  testing::WriteFile(dir.file("resolv.conf"),
                     "nameserver 127.0.0.1\noptions timeout:30 attempts:5\n");
  testing::WriteFile(dir.file("nsswitch.conf"), "hosts: dns\n");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(53);
  const int silent = socket(AF_INET, SOCK_DGRAM, 0);
  return bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
         ::mount(dir.file("resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) ==
             0 &&
         ::mount(dir.file("nsswitch.conf").c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND,
                 nullptr) == 0;
}

// A name that never resolves is waited for no longer than the item's Timeout, and the wait
// keeps telling how long it has waited meanwhile (what the progress window shows, with
// its Cancel). The resolver alone would take minutes: a guard of 30 s ends a hang.
TEST(RealWait, ANameThatNeverResolvesIsWaitedForNoLongerThanTheTimeout) {
  testing::TempDir dir;
  const int result = testing::RunInChildWithin(
      [&] {
        if (!BehindASilentResolver(dir)) return 77;
        RunOptions options;
        if (!ReadRunOptions(
                 With(Item("s", "s"), {{"WaitReady", "tcp:silent.test:80"}, {"Timeout", "1000"}}),
                 options)
                 .empty()) {
          return 1;
        }
        posix::PosixSystemInfo system;
        PosixFileSystem files;
        int64_t told = 0;
        const ReadyWait wait =
            WaitUntilReady(options, "", system, files, [&](int64_t waited) { told = waited; });
        return wait.failure == "Not ready after 1 s: tcp:silent.test:80" && told > 0 ? 0 : 1;
      },
      30);
  if (result == 77) GTEST_SKIP() << "no namespaces of its own here (it needs root)";
  EXPECT_EQ(result, 0);
}

// The descriptors this process holds, without the one that lists them.
long OpenDescriptors() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}) - 1;
}

TEST(RunHygiene, AThousandItemsNotWaitedForLeaveNoZombieAndNoDescriptor) {
  CollectionState state;
  state.Items.assign(1000, testing::Item("True", "/bin/true"));
  // A waited start among the others is not disturbed by the reaping.
  state.Items[500] = testing::Item("Waited", "true", "", 1, kTrue);
  state.Items[501] = testing::Item("Bare", "true");
  posix::PosixShell shell;
  testing::FakePlatform fake;
  Platform platform{fake.toolkit, shell, fake.files, fake.system, fake.registry};
  ASSERT_TRUE(testing::Children().empty());
  const long descriptors = OpenDescriptors();

  EXPECT_EQ(RunAllItems(state, platform), 0);
  EXPECT_TRUE(fake.toolkit.boxes.empty());
  // Every program ends at once: what stays listed is a zombie the launcher failed to reap.
  auto children = testing::Children();
  for (int i = 0; i < 1500 && !children.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    children = testing::Children();
  }
  EXPECT_TRUE(children.empty()) << children.size() << " children left, the first in state "
                                << children.front().state;
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace tavrin
