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
  const auto previous = fs::current_path();
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
  // A relative target gets its temporary file in the current folder.
  fs::current_path(dir.path());
  out = files.CreateTempBeside("c.tavrin", temp);
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

// Listing takes regular files, and links to them, with the extension in any case; writing
// through a link, or a chain of them, goes to the file they name, even one still to come;
// a loop is no target of its own.
TEST_F(PosixFiles, ListingAndWritingFollowLinksToFiles) {
  for (const char* name : {"a.tavrin", "B.TAVRIN", "notes.txt", "d.tavrin.bak", "xtavrin"}) {
    WriteFile(dir.file(name), "");
  }
  fs::create_directory(dir.file("folder.tavrin"));
  fs::create_symlink("a.tavrin", dir.file("link.tavrin"));
  fs::create_symlink(dir.file("link.tavrin"), dir.file("chain"));
  fs::create_symlink("nowhere/new.tavrin", dir.file("dangling.tavrin"));
  fs::create_symlink("folder.tavrin", dir.file("dirlink.tavrin"));
  fs::create_symlink("loop-b", dir.file("loop-a"));
  fs::create_symlink("loop-a", dir.file("loop-b"));
  auto listed = files.ListFiles(dir.str(), ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin", "link.tavrin"}));
  EXPECT_EQ(files.ListFiles(dir.str(), ".txt"), std::vector<std::string>{"notes.txt"});
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  EXPECT_EQ(files.WriteTarget(dir.file("a.tavrin")), dir.file("a.tavrin"));
  EXPECT_EQ(files.WriteTarget(dir.file("none.tavrin")), dir.file("none.tavrin"));
  EXPECT_EQ(fs::canonical(files.WriteTarget(dir.file("chain"))),
            fs::canonical(dir.file("a.tavrin")));
  EXPECT_EQ(files.WriteTarget(dir.file("dangling.tavrin")), dir.str() + "/nowhere/new.tavrin");
  EXPECT_EQ(files.WriteTarget(dir.file("loop-a")), dir.file("loop-a"));
}

}  // namespace
}  // namespace tavrin
