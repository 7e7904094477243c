// What a run waits for on Windows, against the real thing: a window this test opens and
// a port it listens on.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h:
#include <windows.h>

#include "platform/win32/win32_system.h"

namespace tavrin::win32 {
namespace {

TEST(Win32Ready, AVisibleWindowIsFoundByWhatItsTitleHolds) {
  Win32SystemInfo system;
  const std::string title = "Tavrin ready probe " + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(system.VisibleWindowTitled(title), std::optional<bool>(false));
  HWND window = CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(system.VisibleWindowTitled(title), std::optional<bool>(false));  // not yet shown
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_EQ(system.VisibleWindowTitled("ready probe"), std::optional<bool>(true));
  DestroyWindow(window);
  EXPECT_EQ(system.VisibleWindowTitled(title), std::optional<bool>(false));
}

TEST(Win32Ready, APortAnswersWhileSomethingListensOnIt) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  int length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  Win32SystemInfo system;
  EXPECT_FALSE(system.TcpAnswers("127.0.0.1", port, 250));  // bound, not listening
  ASSERT_EQ(listen(listener, 4), 0);
  EXPECT_TRUE(system.TcpAnswers("127.0.0.1", port, 2000));
  closesocket(listener);
  EXPECT_FALSE(system.TcpAnswers("127.0.0.1", port, 250));
  WSACleanup();
}

}  // namespace
}  // namespace tavrin::win32
