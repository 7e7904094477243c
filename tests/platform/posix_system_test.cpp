// What the POSIX system knows of a file beyond its name.
#include "platform/posix/posix_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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
