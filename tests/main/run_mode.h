// The built program in run mode, as a user or the shell's Run command starts it, with
// no display: what the run-mode tests of every platform share.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "collection/text.h"
#include "fakes.h"
#include "platform/traits.h"
#include "run_process.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {

using testing::CollectionText;
using testing::TavrinPath;
using testing::WriteFile;

struct RunModeTest : ::testing::Test {
  // The runtime folder is private to its user, as Qt wants it.
  RunModeTest() {
    std::filesystem::create_directories(dir.file("runtime"));
    std::filesystem::permissions(dir.file("runtime"), std::filesystem::perms::owner_all);
  }
  testing::TempDir dir;
  std::string record = dir.file("record.log");
  // No display (on Windows: boxes asked for on standard error), so that boxes are written
  // there; the stand-in program records its runs; runs keep what they started in runtime.
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"TAVRIN_BOXES_TO_STDERR", "1"},
                                         {"DISPLAY", ""},
                                         {"WAYLAND_DISPLAY", ""},
                                         {"QT_QPA_PLATFORM", ""},
                                         {"TAVRIN_HOME", dir.file("home")},
                                         {"XDG_DATA_HOME", dir.file("data")},
                                         {"XDG_CONFIG_HOME", dir.file("config")},
                                         {"TAVRIN_RUNNING", ""},
                                         {"XDG_RUNTIME_DIR", dir.file("runtime")},
                                         {"LOCALAPPDATA", dir.file("local")}};

  // Output in text mode ends its lines with CR LF on Windows; boxes use LF.
  testing::ProcessResult Start(const std::vector<std::string>& argv) {
    auto result = testing::RunProcess(argv, env);
    for (std::string* text : {&result.out, &result.err}) {
      for (auto at = text->find("\r\n"); at != std::string::npos; at = text->find("\r\n")) {
        text->erase(at, 1);
      }
    }
    return result;
  }
  // Runs a collection of `items` with the program at `tavrin` (the built one when empty).
  testing::ProcessResult Run(const std::vector<CollItem>& items, const std::string& tavrin = "") {
    WriteFile(dir.file("c.tavrin"), CollectionText(items));
    return Start({tavrin.empty() ? TavrinPath() : tavrin, dir.file("c.tavrin"), "/run"});
  }
  // The lines of standard error for a log: each failed start, and the count of the items.
  static std::vector<std::string> FailureLines(const testing::ProcessResult& result) {
    std::vector<std::string> lines;
    for (const auto& line : testing::Lines(result.err)) {
      if (line.rfind("tavrin: ", 0) == 0) lines.push_back(line);
    }
    return lines;
  }
};

}  // namespace tavrin
