// What the POSIX system knows of a file beyond its name.
#include "platform/posix/posix_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
}  // namespace tavrin
