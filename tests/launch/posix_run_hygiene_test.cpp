// A long run with the real shell, inside this process: programs that are not waited
// for are reaped as they end, and the launcher keeps no file descriptor of theirs.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "fakes.h"
#include "launch/launch.h"
#include "memory_registry.h"
#include "platform/posix/posix_shell.h"

namespace tavrin {
namespace {

// Our children as /proc lists them, alive or ended but not reaped ("Z").
struct Child {
  int pid = 0;
  char state = '?';
};

std::vector<Child> Children() {
  std::vector<Child> children;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return children;
  const int self = static_cast<int>(getpid());
  while (const dirent* entry = readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in("/proc/" + name + "/stat");
    std::string line;
    if (!std::getline(in, line)) continue;  // it has gone meanwhile
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    Child child;
    int ppid = 0;
    rest >> child.state >> ppid;
    if (ppid != self) continue;
    child.pid = std::stoi(name);
    children.push_back(child);
  }
  closedir(proc);
  return children;
}

int Zombies(const std::vector<Child>& children) {
  int n = 0;
  for (const Child& c : children) n += c.state == 'Z' ? 1 : 0;
  return n;
}

// The descriptors this process holds, without the one that lists them.
int OpenDescriptors() {
  DIR* fds = opendir("/proc/self/fd");
  if (fds == nullptr) return -1;
  int n = 0;
  while (const dirent* entry = readdir(fds)) {
    if (entry->d_name[0] != '.') ++n;
  }
  closedir(fds);
  return n - 1;
}

TEST(RunHygiene, AThousandItemsNotWaitedForLeaveNoZombieAndNoDescriptor) {
  constexpr int kItems = 1000;
  CollectionState state;
  CollItem item;
  item.ItemName = "True";
  item.File = "/bin/true";
  item.Wait = kFalse;
  state.Items.assign(kItems, item);

  posix::PosixShell shell;
  testing::ScriptedToolkit toolkit;
  testing::FailingFileSystem files;
  testing::FakeSystemInfo system;
  testing::MemoryRegistry registry;
  Platform platform{toolkit, shell, files, system, registry};

  ASSERT_TRUE(Children().empty());
  const int descriptors = OpenDescriptors();
  ASSERT_GT(descriptors, 0);

  EXPECT_EQ(RunAllItems(state, platform), 0);
  EXPECT_TRUE(toolkit.boxes.empty());

  // Every program ends at once; what stays listed after that is a zombie the
  // launcher failed to reap. The wait is bounded, and its length is no measure.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::vector<Child> children = Children();
  while (!children.empty() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    children = Children();
  }
  EXPECT_EQ(Zombies(children), 0);
  EXPECT_TRUE(children.empty()) << children.size() << " children left, first pid "
                                << children.front().pid;
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace tavrin
