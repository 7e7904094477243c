// A long run with the real shell, inside this process: programs that are not waited
// for are reaped as they end, and the launcher keeps no file descriptor of theirs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#include "fakes.h"
#include "launch/launch.h"
#include "platform/posix/posix_shell.h"
#include "run_process.h"

namespace tavrin {
namespace {

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
