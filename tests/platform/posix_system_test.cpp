// What the POSIX system knows of a file beyond its name: whether it is a program.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/posix_system.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

// A file with execute permission, or a bare name found on PATH; not a folder.
TEST(PosixSystemInfo, ProgramsByPermissionOrOnThePath) {
  testing::TempDir dir;
  posix::PosixSystemInfo system;
  const std::string tool = dir.file("tool");
  testing::WriteFile(tool, "#!/bin/sh\n");
  EXPECT_FALSE(system.IsProgramFile(tool));
  std::filesystem::permissions(tool, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  EXPECT_TRUE(system.IsProgramFile(tool));
  EXPECT_TRUE(system.IsProgramFile("sh"));
  EXPECT_FALSE(system.IsProgramFile("no-such-program-tavrin"));
  EXPECT_FALSE(system.IsProgramFile(dir.str()));
}

}  // namespace
}  // namespace tavrin
