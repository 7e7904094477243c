// Runs with the real shell, inside this process: items that wait for a real port or file,
// and a long run that leaves no zombie and no descriptor.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "fakes.h"
#include "launch/launch.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

// A loopback socket bound to a free port, which starts to listen 300 ms later, noting when
// in `note` (as the stand-in program notes its start); until then a connection is refused.
struct LateListener {
  explicit LateListener(const std::string& note) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    thread = std::thread([this, note] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      testing::WriteFile(note, std::to_string(std::chrono::nanoseconds(now).count()));
      listen(fd, 16);
    });
  }
  ~LateListener() {
    thread.join();
    close(fd);
  }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  int port = 0;
  std::thread thread;
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
  int RunItems(const std::vector<CollItem>& items) {
    CollectionState state;
    state.Items = items;
    state.CurrentCollFile = collection;
    testing::WriteFile(collection, "");
    testing::FakePlatform fake;
    posix::PosixShell shell;
    posix::PosixSystemInfo system;
    Platform platform{fake.toolkit, shell, files, system, fake.registry};
    const int failures = RunAllItems(state, platform);
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
// collection) exists; Env and WorkDir reach every start, and a missing folder fails.
TEST_F(RealRun, ItemsWaitForThePortOrTheFileAndGetTheirVariablesAndFolder) {
  const LateListener server(dir.file("listening"));
  const std::string ready = "tcp:127.0.0.1:" + std::to_string(server.port);
  const std::string flag = dir.file("ready.flag");
  std::filesystem::create_directory(dir.file("sub"));
  const std::vector<ItemOption> options = {
      {"Env", "TAVRIN_GREETING=hello there"}, {"Env", "PATH=/nowhere"}, {"WorkDir", "sub"}};
  const std::string rec = testing::RecorderPath();
  EXPECT_EQ(
      RunItems({With(Item("Server", rec, "server"), {{"WaitReady", ready}, {"Timeout", "20000"}}),
                Item("Browser", rec, "browser"),
                With(Item("Writer", "/bin/sh", "-c \"sleep 0.3; : > '" + flag + "'\""),
                     {{"WaitReady", "file:ready.flag"}}),
                Item("Reader", "/bin/sh",
                     "-c \"test -e '" + flag + "' && : > '" + dir.file("saw") + "'\"", 1, kTrue),
                With(Item("Shell", rec, "--env=TAVRIN_GREETING"), options),
                With(Item("Waited", rec, "--env=PATH", 1, kTrue), options),
                With(Item("Lost", rec), {{"WorkDir", "gone"}})}),
      1);
  EXPECT_EQ(boxes, std::vector<std::string>{testing::kErrorBox +
                                            std::filesystem::path(rec).filename().string() +
                                            "\n\nWorking folder not found"});
  EXPECT_TRUE(std::filesystem::exists(dir.file("saw")));
  // By their first argument: a program not waited for may write its line after a later one.
  std::map<std::string, testing::RecordedRun> runs;
  for (const auto& run : testing::WaitForRecording(record, 4)) runs[run.args.at(0)] = run;
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_LT(std::stoll(testing::ReadFile(dir.file("listening"))), runs["browser"].startNs);
  EXPECT_EQ(runs["TAVRIN_GREETING=hello there"].cwd, dir.file("sub"));
  EXPECT_EQ(runs["PATH=/nowhere"].cwd, dir.file("sub"));
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
