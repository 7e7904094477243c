// The Win32 event pump. (Message boxes are modal and are not shown in tests.)
#include "platform/win32/win32_toolkit.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tavrin::win32 {
namespace {

int g_received = 0;
bool g_repost = false;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    ++g_received;
    if (g_repost) PostMessageA(window, WM_APP, 0, 0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class Win32ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received = 0;
    g_repost = false;
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavrinTestCounter";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "TavrinTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
  }

  HWND window = nullptr;
  Win32Toolkit toolkit;
};

TEST_F(Win32ToolkitTest, DoEventsRunsThePendingMessagesAndReturns) {
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP, 0, 0);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);
}

TEST_F(Win32ToolkitTest, ARequestToEndIsLeftForTheLoopThatOwnsIt) {
  PostMessageA(window, WM_APP, 0, 0);
  PostQuitMessage(5);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 1);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

TEST_F(Win32ToolkitTest, AWindowThatKeepsPostingToItselfDoesNotHoldThePass) {
  g_repost = true;
  PostMessageA(window, WM_APP, 0, 0);
  toolkit.DoEvents();
  EXPECT_GT(g_received, 1);
  g_repost = false;
  const int afterFirst = g_received;
  toolkit.DoEvents();  // the one still pending
  EXPECT_EQ(g_received, afterFirst + 1);
}

}  // namespace
}  // namespace tavrin::win32
