// Waiting for a window on a real X server (Xvfb, no window manager): the next item starts
// once a window with the title shows; without a display the wait fails at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_mode.h"

namespace tavrin {
namespace {

using testing::Item;

TEST_F(RunModeTest, AnItemWaitsForAWindowWhoseTitleHoldsTheText) {
  struct Case {
    const char* name;
    bool display;
    int exitCode;
    bool nextStarted;
  };
  for (const Case& c :
       {Case{"under an X server", true, 0, true}, Case{"without a display", false, 1, true}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(record);
    CollItem window =
        Item("Message", "/usr/bin/xmessage", "-title Tavrin-probe-window -timeout 20 hello");
    window.Options = {{"WaitReady", "window:probe-win"}, {"Timeout", "20000"}};
    WriteFile(dir.file("c.tavrin"),
              CollectionText({window, Item("Next", testing::RecorderPath(), "next", 1, kTrue)}));
    std::vector<std::string> argv = {TavrinPath(), dir.file("c.tavrin"), "/run"};
    // The window is ended with the server, once the run is over.
    if (c.display) argv.insert(argv.begin(), {"xvfb-run", "-a", "-s", "-nolisten tcp"});
    const auto result = Start(argv);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(testing::ReadRecording(record).size() == 1, c.nextStarted);
    if (!c.display) {
      ExpectBox(result, "Waiting for a window is not possible on this desktop");
      EXPECT_EQ(FailureLines(result, true),
                std::vector<std::string>{"tavrin: " + dir.file("c.tavrin") +
                                         ": 1 of 2 items started, 0 skipped, 1 failed"});
    }
  }
}

}  // namespace
}  // namespace tavrin
