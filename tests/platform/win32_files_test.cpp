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
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class Win32Files : public ::testing::Test {
 protected:
  void MakeReadOnly(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    readOnly.push_back(path);
  }
  // The folder can only be removed again once its files may be written.
  void TearDown() override {
    for (const auto& path : readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  TempDir dir;
  Win32FileSystem files;
  std::vector<std::string> readOnly;
};

TEST_F(Win32Files, ATemporaryFileBesideItsTargetReplacesIt) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, "old");
  std::string temp;
  auto out = files.CreateTempBeside(target, temp);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(fs::path(temp).parent_path(), dir.path());
  EXPECT_NE(fs::path(temp).filename(), "c.tavrin");
  const std::string big(3 << 20, 'z');
  EXPECT_TRUE(out->Write("first\r\n"));
  EXPECT_TRUE(out->Write(big));
  EXPECT_TRUE(out->Flush());
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_TRUE(files.Rename(temp, target));
  EXPECT_EQ(ReadFile(target), "first\r\n" + big);
  EXPECT_FALSE(fs::exists(temp));
  // The temporary file is not taken for a collection.
  EXPECT_EQ(files.ListFiles(dir.str(), ".tavrin"), std::vector<std::string>{"c.tavrin"});
}

TEST_F(Win32Files, TwoTemporaryFilesForOneTargetAreApart) {
  std::string first;
  std::string second;
  auto a = files.CreateTempBeside(dir.file("c.tavrin"), first);
  auto b = files.CreateTempBeside(dir.file("c.tavrin"), second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(first, second);
  EXPECT_TRUE(a->Close());
  EXPECT_TRUE(b->Close());
}

TEST_F(Win32Files, WritingAfterCloseFails) {
  std::string temp;
  auto out = files.CreateTempBeside(dir.file("c.tavrin"), temp);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Close());
  EXPECT_FALSE(out->Write("x"));
  EXPECT_FALSE(out->Flush());
  EXPECT_FALSE(out->Close());
  EXPECT_TRUE(files.Remove(temp));
  EXPECT_FALSE(files.Remove(temp));
}

TEST_F(Win32Files, NoTemporaryFileInAFolderThatDoesNotExist) {
  std::string temp;
  EXPECT_EQ(files.CreateTempBeside(dir.file("missing\\c.tavrin"), temp), nullptr);
  EXPECT_FALSE(files.Rename(dir.file("nothing"), dir.file("c.tavrin")));
}

TEST_F(Win32Files, AReadOnlyTargetIsNotReplaced) {
  const std::string target = dir.file("kept.tavrin");
  WriteFile(target, "old");
  MakeReadOnly(target);
  std::string temp;
  auto out = files.CreateTempBeside(target, temp);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Write("new"));
  EXPECT_TRUE(out->Close());
  EXPECT_FALSE(files.Rename(temp, target));
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_TRUE(files.Remove(temp));
}

TEST_F(Win32Files, DeleteFileGivesARuntimeErrorNumber) {
  WriteFile(dir.file("a.tavrin"), "x");
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 0);
  EXPECT_FALSE(fs::exists(dir.file("a.tavrin")));
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(dir.file("no folder\\a.tavrin")), 53);
}

TEST_F(Win32Files, AReadOnlyOrLockedFileIsPermissionDenied) {
  WriteFile(dir.file("ro.tavrin"), "x");
  MakeReadOnly(dir.file("ro.tavrin"));
  EXPECT_EQ(files.DeleteFile(dir.file("ro.tavrin")), 70);
  EXPECT_TRUE(fs::exists(dir.file("ro.tavrin")));

  WriteFile(dir.file("open.tavrin"), "x");
  const HANDLE held = CreateFileA(dir.file("open.tavrin").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 70);
  CloseHandle(held);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 0);
}

TEST_F(Win32Files, DeletingAFolderIsAnAccessError) {
  fs::create_directory(dir.file("folder.tavrin"));
  const int code = files.DeleteFile(dir.file("folder.tavrin"));
  EXPECT_TRUE(code == 70 || code == 75) << code;
  EXPECT_TRUE(fs::is_directory(dir.file("folder.tavrin")));
}

TEST_F(Win32Files, ListFilesGivesFilesWithTheExtensionInAnyCase) {
  WriteFile(dir.file("a.tavrin"), "");
  WriteFile(dir.file("B.TAVRIN"), "");
  WriteFile(dir.file("c.tavrin.bak"), "");
  WriteFile(dir.file("d.txt"), "");
  fs::create_directory(dir.file("folder.tavrin"));
  const std::vector<std::string> expected{"B.TAVRIN", "a.tavrin"};
  EXPECT_EQ(Sorted(files.ListFiles(dir.str(), ".tavrin")), expected);
  EXPECT_EQ(Sorted(files.ListFiles(dir.str() + "\\", ".tavrin")), expected);
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  EXPECT_TRUE(files.ListFiles("", ".tavrin").empty());
}

TEST_F(Win32Files, APlainOrMissingFileIsItsOwnWriteTarget) {
  WriteFile(dir.file("c.tavrin"), "");
  EXPECT_EQ(files.WriteTarget(dir.file("c.tavrin")), dir.file("c.tavrin"));
  EXPECT_EQ(files.WriteTarget(dir.file("new.tavrin")), dir.file("new.tavrin"));
}

}  // namespace
}  // namespace tavrin::win32
