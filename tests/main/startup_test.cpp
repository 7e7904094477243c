// The command line and the three ways of starting, with the platform faked.
#include "main/startup.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;

// Windows: "/run" anywhere, in any case, is the switch; the file part is the text before
// the first " /", without one pair of quotes round it (a Windows name holds no quote).
TEST(CommandLine, TheWindowsSubstringRule) {
  const std::pair<const char*, const char*> cases[] = {
      {"c:\\x\\a.tavrin", "c:\\x\\a.tavrin|"},
      {" spaced  \"quoted\" ", " spaced  \"quoted\" |"},
      {"a.tavrin /running", "a.tavrin|RUN"},
      {"c:\\x/run\\y.tavrin", "|RUN"},
      {"\"C:\\My Colls\\Good Games.tavrin\" /run", "C:\\My Colls\\Good Games.tavrin|RUN"},
      {"\"a\" b.tavrin", "\"a\" b.tavrin|"},
      {"\"unclosed.tavrin /run", "\"unclosed.tavrin|RUN"}};
  for (const auto& [line, parts] : cases) {
    EXPECT_EQ(ParseCommandLine(line, 1) + "|" + ParseCommandLine(line, 2), parts) << line;
    EXPECT_EQ(ParseCommandLine(line, 3), "") << line;
  }
  const auto r = RequestFromCommandLine("\"c:\\x\\a.tavrin\" /Run");
  EXPECT_TRUE(r.Run);
  EXPECT_EQ(r.FilePart, "c:\\x\\a.tavrin");
  EXPECT_EQ(r.CommandLine, "\"c:\\x\\a.tavrin\" /Run");
  // The command line is the text after the program's path and the blanks that follow it.
  const std::pair<const char*, const char*> afterProgram[] = {
      {"tavrin.exe \t  \"my file.tavrin\" /RUN  ", "\"my file.tavrin\" /RUN  "},
      {"\"c:\\t\\tavrin.exe\" c:\\My Games\\a.tavrin /run", "c:\\My Games\\a.tavrin /run"},
      {"\"c:\\t\\tavrin.exe\"a.tavrin /run", "a.tavrin /run"},
      {"\"c:\\t\\tavrin.exe a.tavrin", ""}};  // a quote never closed takes the whole line
  for (const auto& [line, rest] : afterProgram) {
    EXPECT_EQ(CommandLineAfterProgram(line), rest) << line;
  }
  // The path of the program itself is never taken for the run switch.
  EXPECT_FALSE(RequestFromCommandLine(CommandLineAfterProgram("\"c:\\run\\tavrin.exe\" a")).Run);
}

// The line run mode writes as a wait begins says its limit in seconds.
TEST(CommandLine, AWaitLineSaysItsLimitInSeconds) {
  const struct {
    const char* name;
    RunWait wait;
    const char* line;
  } cases[] = {
      {"a port, half a minute by default",
       {"c", 1, 2, "Server", "tcp:127.0.0.1:8080", 0, 30000},
       "tavrin: /c/c.tavrin: item 1 of 2 \"Server\": waiting for tcp:127.0.0.1:8080, at most 30 s"},
      {"a delay, to the nearest second",
       {"c", 2, 2, "Browser", "", 0, 1500},
       "tavrin: /c/c.tavrin: item 2 of 2 \"Browser\": waiting 2 s before its start"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunWaitLine("/c/c.tavrin", c.wait), c.line) << c.name;
  }
}

struct MainTest : ::testing::Test {
  testing::TempDir dir;
  testing::FakePlatform fake;
  std::vector<std::string>& boxes = fake.toolkit.boxes;
  CollectionState state;
  int windowOpened = 0;
  StartRequest seen;
  std::string path = dir.file("two.tavrin");

  MainTest() {
    testing::WriteFile(
        path, testing::CollectionText({Item("One", testing::BinPath("one")),
                                       Item("Two", testing::BinPath("two"), "-x", 2, kTrue)}));
  }
  int Start(const StartRequest& request) {
    return Main(request, state, fake.platform, [this](const StartRequest& r, CollectionState& s) {
      ++windowOpened;
      seen = r;
      EXPECT_FALSE(s.StartingUp);
      return 0;
    });
  }
};

TEST_F(MainTest, PlainAndOpenStartsOpenTheWindowFailedLoadsDoNot) {
  state.Items.resize(3);
  EXPECT_EQ(Start(RequestFromArguments({})), 0);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.CurrentCollFile, "");

  EXPECT_EQ(Start(RequestFromArguments({path})), 0);
  EXPECT_EQ(seen.CommandLine, path);
  ASSERT_EQ(state.Items.size(), 2u);
  EXPECT_EQ(state.Items[1].ItemName, "Two");
  EXPECT_EQ(state.CurrentCollFile, path);
  // A collection that cannot be loaded shows its box, and no window opens.
  testing::WriteFile(dir.file("other.tavrin"), "\"tavrin file 1.2\"\r\n0\r\n");
  const std::pair<StartRequest, std::string> cases[] = {
      {RequestFromArguments({dir.file("other.tavrin")}),
       dir.file("other.tavrin") + "\n\nThis file is not a Tavrin Collection!!"},
      // Windows command line "a.tavrin/run": the file part is empty.
      {RequestFromCommandLine("a.tavrin/run"),
       "\n\nThe Tavrin was unable to load the Collection!!"}};
  for (const auto& [request, text] : cases) {
    EXPECT_EQ(Start(request), kExitNotLoaded) << text;
    EXPECT_EQ(fake.toolkit.boxes.back(), testing::kErrorBox + text);
  }
  EXPECT_EQ(boxes.size(), 2u);  // the failed loads' only
  EXPECT_EQ(windowOpened, 2);   // the plain and open starts only
  EXPECT_TRUE(fake.shell.calls.empty());
}

}  // namespace
}  // namespace tavrin
