// Program information on Windows: folders, the executable, file type descriptions.
#include "platform/win32/win32_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "process.h"
#include "temp_dir.h"

namespace tavrin::win32 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::ThisProgramFolder;
using testing::WriteFile;

class Win32SystemTest : public ::testing::Test {
 protected:
  void TearDown() override { _putenv_s("TAVRIN_HOME", ""); }

  TempDir dir;
  Win32SystemInfo system;
};

TEST_F(Win32SystemTest, TheCollectionFolderIsTheExecutablesFolder) {
  _putenv_s("TAVRIN_HOME", "");
  EXPECT_EQ(system.CollectionFolder(), ThisProgramFolder());
  const std::string exe = system.ExecutablePath();
  EXPECT_TRUE(fs::is_regular_file(exe)) << exe;
  EXPECT_EQ(fs::path(exe).filename(), "tavrin_platform_tests.exe");
  EXPECT_EQ(fs::path(exe).parent_path(), fs::path(system.CollectionFolder()));
}

TEST_F(Win32SystemTest, TavrinHomeNamesTheCollectionFolderAndIsCreated) {
  const std::string home = dir.file("portable\\collections");
  _putenv_s("TAVRIN_HOME", (home + "\\").c_str());
  EXPECT_EQ(system.CollectionFolder(), home);
  EXPECT_TRUE(fs::is_directory(home));
}

// Nothing of the file looked up before shows through for a missing one.
TEST_F(Win32SystemTest, KnownFilesHaveADescriptionAndAMissingFileNone) {
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const std::string text = system.FileTypeDescription(dir.file("notes.txt"));
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(system.FileTypeDescription(dir.file("missing.txt")), "");
  EXPECT_EQ(system.FileTypeDescription(""), "");
  const std::string program = system.FileTypeDescription(system.ExecutablePath());
  EXPECT_FALSE(program.empty());
  EXPECT_NE(program, text);
  EXPECT_EQ(system.FileTypeDescription(dir.file("gone\\notes.txt")), "");
}

TEST_F(Win32SystemTest, TheProcessCommandLineBeginsWithTheProgram) {
  EXPECT_NE(ProcessCommandLine().find("tavrin_platform_tests"), std::string::npos);
}

}  // namespace
}  // namespace tavrin::win32
