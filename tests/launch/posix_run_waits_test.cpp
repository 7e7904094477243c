// Runs that wait for the real thing: a port a helper listens on after a while, a file a
// started program writes.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

// The browser starts only once the server's port answers; the reader only once the file
// that a started program writes, named relative to the collection's folder, exists; one
// that never comes is a failure once the time is up.
TEST_F(RealRun, TheNextItemWaitsUntilThePortAnswersOrTheFileExists) {
  const LateListener server(dir.file("listening"));
  const std::string ready = "tcp:127.0.0.1:" + std::to_string(server.port);
  const std::string flag = dir.file("ready.flag");
  EXPECT_EQ(
      RunItems(
          {With(Item("Server", testing::RecorderPath(), "server"),
                {{"WaitReady", ready}, {"Timeout", "20000"}}),
           Item("Browser", testing::RecorderPath(), "browser"),
           With(Item("Writer", "/bin/sh", "-c \"sleep 0.3; : > '" + flag + "'\""),
                {{"WaitReady", "file:ready.flag"}}),
           Item("Reader", "/bin/sh",
                "-c \"test -e '" + flag + "' && : > '" + dir.file("saw") + "'\"", 1, kTrue),
           With(Item("Never", "/bin/true"), {{"WaitReady", "file:never"}, {"Timeout", "200"}})}),
      1);
  EXPECT_EQ(boxes, std::vector<std::string>{testing::kErrorBox +
                                            "true\n\nNot ready after 1 s: file:never"});
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"browser"});
  EXPECT_LT(std::stoll(testing::ReadFile(dir.file("listening"))), runs[1].startNs);
  EXPECT_TRUE(std::filesystem::exists(dir.file("saw")));
}

// Env and WorkDir reach a program started through the shell and one that is waited for;
// a relative working folder is taken from the collection's folder.
TEST_F(RealRun, AnItemGetsItsVariablesAndItsWorkingFolder) {
  std::filesystem::create_directory(dir.file("sub"));
  const std::vector<ItemOption> options = {
      {"Env", "TAVRIN_GREETING=hello there"}, {"Env", "PATH=/nowhere"}, {"WorkDir", "sub"}};
  EXPECT_EQ(
      RunItems({With(Item("Shell", testing::RecorderPath(), "--env=TAVRIN_GREETING"), options),
                With(Item("Waited", testing::RecorderPath(), "--env=PATH", 1, kTrue), options),
                With(Item("Lost", testing::RecorderPath()), {{"WorkDir", "gone"}})}),
      1);
  EXPECT_EQ(boxes, std::vector<std::string>{
                       testing::kErrorBox +
                       std::filesystem::path(testing::RecorderPath()).filename().string() +
                       "\n\nWorking folder not found"});
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  // The program not waited for may write its line after the waited one.
  std::vector<std::string> seen;
  for (const auto& run : runs) {
    EXPECT_EQ(run.cwd, dir.file("sub"));
    seen.insert(seen.end(), run.args.begin(), run.args.end());
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"PATH=/nowhere", "TAVRIN_GREETING=hello there"}));
}

}  // namespace
}  // namespace tavrin
