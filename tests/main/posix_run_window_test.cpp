// Waiting for a window on a real X server (Xvfb, no window manager): the next item starts
// once a window with the title shows.
#include <gtest/gtest.h>

#include "run_mode.h"

namespace tavrin {
namespace {

using testing::Item;

TEST_F(RunModeTest, AnItemWaitsForAWindowWhoseTitleHoldsTheText) {
  CollItem window =
      Item("Message", "/usr/bin/xmessage", "-title Tavrin-probe-window -timeout 20 hello");
  window.Options = {{"WaitReady", "window:probe-win"}, {"Timeout", "20000"}};
  WriteFile(dir.file("c.tavrin"),
            CollectionText({window, Item("Next", testing::RecorderPath(), "next", 1, kTrue)}));
  // The window is ended with the server, once the run is over.
  const auto result =
      Start({"xvfb-run", "-a", "-s", "-nolisten tcp", TavrinPath(), dir.file("c.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testing::ReadRecording(record).size(), 1u);
}

}  // namespace
}  // namespace tavrin
