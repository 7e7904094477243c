// The built program run on a collection, as a user or the shell's Run command starts it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes.h"
#include "process.h"
#include "temp_dir.h"

namespace tavrin {

struct RunModeTest : ::testing::Test {
  testing::TempDir dir;
  std::string record = dir.file("record.log");
  // No display (on Windows: boxes to standard error), so that boxes are written to
  // standard error; the stand-in program records its runs.
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"TAVRIN_BOXES_TO_STDERR", "1"},
                                         {"DISPLAY", ""},
                                         {"WAYLAND_DISPLAY", ""},
                                         {"QT_QPA_PLATFORM", ""},
                                         {"TAVRIN_HOME", dir.file("home")},
                                         {"XDG_DATA_HOME", dir.file("data")},
                                         {"XDG_CONFIG_HOME", dir.file("config")}};

  // Standard error in text mode ends its lines with CR LF on Windows; boxes use LF.
  testing::ProcessResult Start(const std::vector<std::string>& argv) {
    auto result = testing::RunProcess(argv, env);
    for (auto at = result.err.find("\r\n"); at != std::string::npos; at = result.err.find("\r\n")) {
      result.err.erase(at, 1);
    }
    return result;
  }
  // Runs a collection of `items` with the program at `tavrin` (the built one when empty).
  testing::ProcessResult Run(const std::vector<CollItem>& items, const std::string& tavrin = "") {
    testing::WriteFile(dir.file("c.tavrin"), testing::CollectionText(items));
    return Start({tavrin.empty() ? testing::TavrinPath() : tavrin, dir.file("c.tavrin"), "/run"});
  }
  static void ExpectBox(const testing::ProcessResult& result, const std::string& box) {
    EXPECT_NE(result.err.find(box), std::string::npos) << result.err;
  }
};

}  // namespace tavrin
