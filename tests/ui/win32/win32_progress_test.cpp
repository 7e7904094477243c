// The progress window of a run in Win32, as a run that waits shows it: the collection,
// the item and the wait, and every way of cancelling reaches the form from the run's own
// passes over the window's messages, the keys too (the window has no loop of its own).
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "forms/frm_run_progress.h"
#include "platform/win32/win32_toolkit.h"
#include "ui/win32/run_progress_window.h"
#include "win32_user.h"

namespace tavrin {
namespace {

using testing::ScreenUser;
using Window = win32::RunProgressWindow;

struct CountedCancel : FrmRunProgress {
  using FrmRunProgress::FrmRunProgress;
  int cancels = 0;
  void btnCancel_Click() override { ++cancels; }
};

std::string Label(HWND window, ProgressControl label) {
  return ScreenUser::Text(GetDlgItem(window, Window::kIdControl + static_cast<int>(label)));
}

TEST(Win32ProgressWindow, ShowsTheWaitAndEveryCancelReachesTheForm) {
  win32::Win32Toolkit toolkit;
  CountedCancel form(toolkit, win32::MakeRunProgressWindow, {});
  const RunWait wait{"Work & play", 2, 3, "Server", "tcp:127.0.0.1:9", 12000, 30000};
  form.Waiting(wait);
  HWND window = FindWindowA(nullptr, "The Tavrin - Running");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Label(window, ProgressControl::lblColl), "Work & play");
  EXPECT_EQ(Label(window, ProgressControl::lblItem), "Starting 2 of 3: Server");
  EXPECT_EQ(Label(window, ProgressControl::lblWait), "Waiting for tcp:127.0.0.1:9, 12 s of 30 s");
  HWND cancel = GetDlgItem(window, IDCANCEL);
  EXPECT_EQ(GetFocus(), cancel);

  const struct {
    const char* name;
    std::function<void()> gesture;
  } kCancels[] = {
      {"Esc", [&] { ScreenUser::Key(cancel, VK_ESCAPE); }},
      {"Enter", [&] { ScreenUser::Key(cancel, VK_RETURN); }},
      {"the button", [&] { ScreenUser::Click(cancel); }},
      {"the close box", [&] { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  int cancels = 0;
  for (const auto& row : kCancels) {
    SCOPED_TRACE(row.name);
    row.gesture();
    form.Waiting(wait);  // the run's next slice lets the messages run
    EXPECT_EQ(form.cancels, ++cancels);
    EXPECT_TRUE(IsWindowVisible(window)) << "it stays until the run has stopped";
  }
  form.RunEnded();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace tavrin
