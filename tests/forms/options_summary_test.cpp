// The details pane's eleventh line: what an item's run options ask of a run.
#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "forms/details.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

TEST(DetailsText, AnItemWithRunOptionsHasAnOptionsLine) {
  const struct {
    const char* name;
    std::vector<ItemOption> options;
    std::string line;  // the eleventh line; empty: the pane has ten lines
  } rows[] = {
      {"no options: the pane of an item as it always was", {}, ""},
      {"a delay in whole seconds", {{"Delay", "2000"}}, "Options: delay 2 s"},
      {"keys in any letter case, a delay that is no whole second",
       {{"delay", "1500"}, {"SKIPIFRUNNING", "1"}},
       "Options: delay 1500 ms, skip..."},
      {"a readiness wait with its own timeout, in the order of the run",
       {{"Timeout", "60000"}, {"WaitReady", "tcp:h:1"}},
       "Options: ready tcp:h:1, time..."},
      {"flags set to 0 say nothing",
       {{"SkipIfRunning", "0"}, {"StopOnFailure", "1"}},
       "Options: stop on failure"},
      {"variables counted", {{"Env", "A=1"}, {"Env", "B=2"}}, "Options: 2 variables"},
      {"keys this version does not know are counted", {{"Colour", "red"}}, "Options: 1 other key"},
      {"a value that is not valid is named",
       {{"Delay", "soon"}},
       "Options: Delay \"soon\" is no ..."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testing::FakeSystemInfo system;
    std::vector<std::string> lines;
    std::istringstream in(DetailsText(With(Item("a", "b"), row.options), 0, "x", system));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), row.line.empty() ? 10U : 11U);
    EXPECT_EQ(lines[9], "Position: 1");
    if (!row.line.empty()) {
      EXPECT_EQ(lines[10], row.line);
    }
  }
  // The whole account, before the pane cuts it to its line.
  EXPECT_EQ(OptionsSummary(With(Item("a", "b"), {{"WorkDir", "/srv"},
                                                 {"WaitReady", "file:/run/x"},
                                                 {"Delay", "0"},
                                                 {"StopOnFailure", "1"},
                                                 {"Env", "A=1"},
                                                 {"X", "1"},
                                                 {"Y", "2"}})),
            "ready file:/run/x, stop on failure, 1 variable, folder /srv, 2 other keys");
}

}  // namespace
}  // namespace tavrin
