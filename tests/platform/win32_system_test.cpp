// Program information on Windows (folders, the executable, file type descriptions)
// and the event pump.
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"

#include <gtest/gtest.h>
#include <windows.h>

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

// --- The event pump (message boxes are modal and are not shown in tests) ----------

int g_received = 0;
bool g_repost = false;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  ++g_received;
  if (g_repost) PostMessageA(window, WM_APP, 0, 0);
  return 0;
}

// A pass runs the pending messages and returns; a request to end is left for the loop
// that owns it; a window that keeps posting to itself does not hold the pass.
TEST(Win32Toolkit, DoEventsRunsThePendingMessagesAndReturns) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TavrinTestCounter";
  RegisterClassA(&wc);
  const HWND window = CreateWindowExA(0, "TavrinTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  Win32Toolkit toolkit;
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP, 0, 0);
  PostQuitMessage(5);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);

  g_repost = true;
  PostMessageA(window, WM_APP, 0, 0);
  toolkit.DoEvents();
  EXPECT_GT(g_received, 4);
  g_repost = false;
  const int afterFirst = g_received;
  toolkit.DoEvents();  // the one still pending
  EXPECT_EQ(g_received, afterFirst + 1);
  DestroyWindow(window);
}

}  // namespace
}  // namespace tavrin::win32
