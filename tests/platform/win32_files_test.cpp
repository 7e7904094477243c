// The file system through the Win32 calls, on real files.
#include "platform/win32/win32_files.h"

#include <gtest/gtest.h>
#include <windows.h>
#undef DeleteFile

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace tavrin::win32 {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class Win32Files : public ::testing::Test {
 protected:
  std::string ReadOnly(const std::string& name, const std::string& text) {
    WriteFile(dir.file(name), text);
    SetFileAttributesA(dir.file(name).c_str(), FILE_ATTRIBUTE_READONLY);
    readOnly.push_back(dir.file(name));
    return dir.file(name);
  }
  // The folder can only be removed again once its files may be written.
  void TearDown() override {
    for (const auto& path : readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  testing::TempDir dir;
  Win32FileSystem files;
  std::vector<std::string> readOnly;
};

// Two temporary files for one target are apart, and neither is taken for a collection;
// a read-only target is not replaced.
TEST_F(Win32Files, ATemporaryFileBesideItsTargetReplacesIt) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, "old");
  std::string temp;
  std::string other;
  auto out = files.CreateTempBeside(target, temp);
  auto second = files.CreateTempBeside(target, other);
  ASSERT_TRUE(out && second);
  EXPECT_EQ(fs::path(temp).parent_path(), dir.path());
  EXPECT_NE(temp, other);
  const std::string big(3 << 20, 'z');
  EXPECT_TRUE(out->Write("first\r\n") && out->Write(big) && out->Flush() && out->Close());
  EXPECT_FALSE(out->Write("x"));  // closed
  EXPECT_FALSE(out->Close());
  EXPECT_EQ(files.ListFiles(dir.str(), ".tavrin"), std::vector<std::string>{"c.tavrin"});
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_TRUE(files.Rename(temp, target));
  EXPECT_EQ(ReadFile(target), "first\r\n" + big);
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(second->Close());
  EXPECT_FALSE(files.Rename(other, ReadOnly("kept.tavrin", "old")));
  EXPECT_EQ(ReadFile(dir.file("kept.tavrin")), "old");
  EXPECT_TRUE(files.Remove(other));
  EXPECT_FALSE(files.Remove(other));
  EXPECT_EQ(files.CreateTempBeside(dir.file("missing\\c.tavrin"), temp), nullptr);
  EXPECT_EQ(files.WriteTarget(target), target);
}

// A read-only or locked file is permission denied, a folder an access error.
TEST_F(Win32Files, DeleteFileGivesARuntimeErrorNumber) {
  WriteFile(dir.file("a.tavrin"), "x");
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 0);
  EXPECT_FALSE(fs::exists(dir.file("a.tavrin")));
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(dir.file("no folder\\a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(ReadOnly("ro.tavrin", "x")), 70);
  EXPECT_TRUE(fs::exists(dir.file("ro.tavrin")));
  WriteFile(dir.file("open.tavrin"), "x");
  const HANDLE held = CreateFileA(dir.file("open.tavrin").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 70);
  CloseHandle(held);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 0);
  fs::create_directory(dir.file("folder.tavrin"));
  const int code = files.DeleteFile(dir.file("folder.tavrin"));
  EXPECT_TRUE(code == 70 || code == 75) << code;
  EXPECT_TRUE(fs::is_directory(dir.file("folder.tavrin")));
}

TEST_F(Win32Files, ListFilesGivesFilesWithTheExtensionInAnyCase) {
  for (const char* name : {"a.tavrin", "B.TAVRIN", "c.tavrin.bak", "d.txt"}) {
    WriteFile(dir.file(name), "");
  }
  fs::create_directory(dir.file("folder.tavrin"));
  for (const std::string& folder : {dir.str(), dir.str() + "\\"}) {
    auto listed = files.ListFiles(folder, ".tavrin");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin"})) << folder;
  }
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  EXPECT_TRUE(files.ListFiles("", ".tavrin").empty());
}

}  // namespace
}  // namespace tavrin::win32
