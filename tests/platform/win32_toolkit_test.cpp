// The Win32 event pump. (Message boxes are modal and are not shown in tests.)
#include "platform/win32/win32_toolkit.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tavrin::win32 {
namespace {

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
