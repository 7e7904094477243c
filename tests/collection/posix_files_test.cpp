#include "platform/posix/posix_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

struct PosixFiles : ::testing::Test {
  testing::TempDir dir;
  PosixFileSystem files;
};

TEST_F(PosixFiles, ATemporaryFileIsHiddenBesideItsTargetAndReplacesIt) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, "old");
  std::string temp;
  auto out = files.CreateTempBeside(target, temp);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(fs::path(temp).parent_path(), dir.path());
  EXPECT_EQ(fs::path(temp).filename().string().rfind(".c.tavrin.", 0), 0u);
  const std::string big(3 << 20, 'z');
  EXPECT_TRUE(out->Write("first\r\n") && out->Write(big) && out->Flush() && out->Close());
  EXPECT_FALSE(out->Write("x"));  // closed
  EXPECT_FALSE(out->Flush());
  EXPECT_FALSE(out->Close());
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_TRUE(files.Rename(temp, target));
  EXPECT_EQ(ReadFile(target), "first\r\n" + big);
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_FALSE(files.Rename(temp, target));
  EXPECT_FALSE(files.Remove(temp));
  EXPECT_EQ(files.CreateTempBeside(dir.file("missing/c.tavrin"), temp), nullptr);
}

TEST_F(PosixFiles, ARelativeTargetGetsItsTemporaryFileInTheCurrentFolder) {
  const auto previous = fs::current_path();
  fs::current_path(dir.path());
  std::string temp;
  auto out = files.CreateTempBeside("c.tavrin", temp);
  fs::current_path(previous);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(fs::path(temp).parent_path(), ".");
  EXPECT_TRUE(files.Remove((dir.path() / fs::path(temp).filename()).string()));
}

TEST_F(PosixFiles, DeleteFileGivesARuntimeErrorNumber) {
  WriteFile(dir.file("a.tavrin"), "x");
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 0);
  EXPECT_FALSE(fs::exists(dir.file("a.tavrin")));
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(dir.file("missing/a.tavrin")), 53);
  fs::create_directory(dir.file("folder.tavrin"));
  EXPECT_EQ(files.DeleteFile(dir.file("folder.tavrin")), 75);
  if (::geteuid() == 0) return;  // root may delete anything
  WriteFile(dir.file("folder.tavrin/a.tavrin"), "x");
  fs::permissions(dir.file("folder.tavrin"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(files.DeleteFile(dir.file("folder.tavrin/a.tavrin")), 70);
}

TEST_F(PosixFiles, ListFilesGivesRegularFilesWithTheExtensionInAnyCase) {
  for (const char* name :
       {"a.tavrin", "B.TAVRIN", "c.Tavrin", "notes.txt", "d.tavrin.bak", "xtavrin"}) {
    WriteFile(dir.file(name), "");
  }
  fs::create_directory(dir.file("folder.tavrin"));
  fs::create_symlink("a.tavrin", dir.file("link.tavrin"));
  fs::create_symlink("nowhere", dir.file("dangling.tavrin"));
  fs::create_symlink("folder.tavrin", dir.file("dirlink.tavrin"));
  auto listed = files.ListFiles(dir.str(), ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin", "c.Tavrin", "link.tavrin"}));
  EXPECT_EQ(files.ListFiles(dir.str(), ".txt"), std::vector<std::string>{"notes.txt"});
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
}

TEST_F(PosixFiles, WriteTargetFollowsLinksToTheFileTheyName) {
  fs::create_directory(dir.file("real"));
  WriteFile(dir.file("real/c.tavrin"), "x");
  fs::create_symlink("real/c.tavrin", dir.file("one.tavrin"));
  fs::create_symlink(dir.file("one.tavrin"), dir.file("two.tavrin"));
  fs::create_symlink("real/new.tavrin", dir.file("dangling.tavrin"));
  fs::create_symlink("loop-b", dir.file("loop-a"));
  fs::create_symlink("loop-a", dir.file("loop-b"));
  EXPECT_EQ(files.WriteTarget(dir.file("real/c.tavrin")), dir.file("real/c.tavrin"));
  EXPECT_EQ(files.WriteTarget(dir.file("none.tavrin")), dir.file("none.tavrin"));
  EXPECT_EQ(fs::canonical(files.WriteTarget(dir.file("two.tavrin"))),
            fs::canonical(dir.file("real/c.tavrin")));
  EXPECT_EQ(files.WriteTarget(dir.file("dangling.tavrin")), dir.str() + "/real/new.tavrin");
  EXPECT_EQ(files.WriteTarget(dir.file("loop-a")), dir.file("loop-a"));
}

}  // namespace
}  // namespace tavrin
