// The built program opening its main window, as a user starts it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "process.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using namespace testing;

TEST(WindowMode, OpensAndClosesCleanly) {
  TempDir dir;
  mkdir(dir.file("runtime").c_str(), 0700);
  WriteFile(dir.file("Games.tavrin"),
            "\"Tavrin File 1.2\"\r\n0\r\n\"One\",\"/bin/true\",\"\",1,#FALSE#\r\n");
  StartedProcess p = StartProcess({TavrinPath(), dir.file("Games.tavrin")},
                                  {{"QT_QPA_PLATFORM", "offscreen"},
                                   {"TAVRIN_HOME", dir.str()},
                                   {"XDG_RUNTIME_DIR", dir.file("runtime")},
                                   {"XDG_CONFIG_HOME", dir.file("config")},
                                   {"XDG_DATA_HOME", dir.file("data")}});
  ASSERT_TRUE(p.failure.empty()) << p.failure;
  // A window that could not open ends the program at once; give it time to show.
  for (int i = 0; i < 100 && StillRunning(p); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const bool running = StillRunning(p);
  if (running) kill(p.pid, SIGTERM);
  const ProcessResult result = FinishProcess(p);
  EXPECT_TRUE(running) << result.err;
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST(WindowMode, WithoutADisplayItSaysSoAndEnds) {
  TempDir dir;
  const ProcessResult result = RunProcess(
      {TavrinPath()},
      {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"TAVRIN_HOME", dir.str()}});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("no display"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tavrin
