// What the POSIX system knows of a file beyond its name, and the home the tests run in.
#include "platform/posix/posix_system.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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

// The tests leave the home of whoever runs them alone: each runs in a home of its own,
// and the folders that Qt, GIO and the program write to lie inside it.
TEST(TestEnvironment, EachTestHasAHomeOfItsOwn) {
  const passwd* user = ::getpwuid(::getuid());
  ASSERT_NE(user, nullptr);
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_NE(std::filesystem::path(home), std::filesystem::path(user->pw_dir));
  const std::string root = std::filesystem::path(home).parent_path().string() + "/";
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                           "XDG_RUNTIME_DIR"}) {
    const char* folder = std::getenv(name);
    ASSERT_NE(folder, nullptr) << name;
    EXPECT_EQ(std::string(folder).rfind(root, 0), 0u) << name << "=" << folder;
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << name;
  }
  struct stat runtime {};
  ASSERT_EQ(::stat(std::getenv("XDG_RUNTIME_DIR"), &runtime), 0);
  EXPECT_EQ(runtime.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace tavrin
