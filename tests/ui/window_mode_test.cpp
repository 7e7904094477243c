// The built program opening its main window, as a user starts it.
#include <gtest/gtest.h>

#include <filesystem>

#include "process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::RunProcess;
using testing::TavrinPath;

// A window that could not open ends the program at once; one that opened is still
// there a second later, and ends cleanly when it is asked to.
TEST(WindowMode, OpensAndClosesCleanly) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.file("runtime"));
  std::filesystem::permissions(dir.file("runtime"), std::filesystem::perms::owner_all);
  testing::WriteFile(dir.file("Games.tavrin"),
                     "\"Tavrin File 1.2\"\r\n0\r\n\"One\",\"/bin/true\",\"\",1,#FALSE#\r\n");
  const auto result = RunProcess(
      {"/bin/sh", "-c", "\"$0\" \"$1\" & sleep 1; kill -0 $! && echo running && kill $!; wait $!",
       TavrinPath(), dir.file("Games.tavrin")},
      {{"QT_QPA_PLATFORM", "offscreen"},
       {"TAVRIN_HOME", dir.str()},
       {"XDG_RUNTIME_DIR", dir.file("runtime")},
       {"XDG_CONFIG_HOME", dir.file("config")},
       {"XDG_DATA_HOME", dir.file("data")}});
  EXPECT_EQ(result.out, "running\n") << result.err;
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST(WindowMode, WithoutADisplayItSaysSoAndEnds) {
  testing::TempDir dir;
  const auto result = RunProcess({TavrinPath()}, {{"QT_QPA_PLATFORM", ""},
                                                  {"DISPLAY", ""},
                                                  {"WAYLAND_DISPLAY", ""},
                                                  {"TAVRIN_HOME", dir.str()}});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("no display"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tavrin
