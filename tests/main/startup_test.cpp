// The command line and the three ways of starting, with the platform faked.
#include "main/startup.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "native_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(ParseCommandLine, RunSwitchInAnyLetterCase) {
  for (const std::string line :
       {"c:\\x\\a.tavrin /run", "c:\\x\\a.tavrin /RUN", "c:\\x\\a.tavrin /Run"}) {
    EXPECT_EQ(ParseCommandLine(line, 2), "RUN") << line;
    EXPECT_EQ(ParseCommandLine(line, 1), "c:\\x\\a.tavrin") << line;
  }
}

TEST(ParseCommandLine, WithoutTheSwitchTheWholeLineIsTheFile) {
  EXPECT_EQ(ParseCommandLine("c:\\x\\a.tavrin", 1), "c:\\x\\a.tavrin");
  EXPECT_EQ(ParseCommandLine("c:\\x\\a.tavrin", 2), "");
  EXPECT_EQ(ParseCommandLine("a.tavrin /x", 1), "a.tavrin /x");
  EXPECT_EQ(ParseCommandLine(" spaced  \"quoted\" ", 1), " spaced  \"quoted\" ");
}

TEST(ParseCommandLine, SubstringRuleAndFirstBlankSlash) {
  // The switch counts inside longer words and paths too.
  EXPECT_EQ(ParseCommandLine("a.tavrin /running", 2), "RUN");
  EXPECT_EQ(ParseCommandLine("c:\\x/run\\y.tavrin", 2), "RUN");
  EXPECT_EQ(ParseCommandLine("a.tavrin /x /run", 1), "a.tavrin");
  // No " /": the file part is empty.
  EXPECT_EQ(ParseCommandLine("a.tavrin/run", 1), "");
  EXPECT_EQ(ParseCommandLine("/run", 1), "");
  EXPECT_EQ(ParseCommandLine("a.tavrin /run", 0), "");
  EXPECT_EQ(ParseCommandLine("a.tavrin /run", 3), "");
}

TEST(RequestFromArguments, RunSwitchIsAnArgumentOfItsOwn) {
  auto r = RequestFromArguments({"/run/media/usb/a.tavrin"});
  EXPECT_FALSE(r.Run);
  EXPECT_EQ(r.FilePart, "/run/media/usb/a.tavrin");

  r = RequestFromArguments({"a.tavrin", "/RUN"});
  EXPECT_TRUE(r.Run);
  EXPECT_EQ(r.FilePart, "a.tavrin");
  EXPECT_EQ(r.CommandLine, "a.tavrin /RUN");

  r = RequestFromArguments({"/home/me/My Games.tavrin", "/run"});
  EXPECT_TRUE(r.Run);
  EXPECT_EQ(r.FilePart, "/home/me/My Games.tavrin");

  r = RequestFromArguments({"a.tavrin", "/x", "/run"});
  EXPECT_TRUE(r.Run);
  EXPECT_EQ(r.FilePart, "a.tavrin");

  // Alone, the switch is the file.
  r = RequestFromArguments({"/run"});
  EXPECT_FALSE(r.Run);
  EXPECT_EQ(r.FilePart, "/run");

  r = RequestFromArguments({"/tmp/x/running.tavrin", "--run"});
  EXPECT_FALSE(r.Run);
  EXPECT_EQ(r.FilePart, "/tmp/x/running.tavrin --run");

  r = RequestFromArguments({});
  EXPECT_FALSE(r.Run);
  EXPECT_EQ(r.CommandLine, "");
}

TEST(RequestFromCommandLine, FollowsTheWindowsRules) {
  const auto r = RequestFromCommandLine("c:\\x\\a.tavrin /Run");
  EXPECT_TRUE(r.Run);
  EXPECT_EQ(r.FilePart, "c:\\x\\a.tavrin");
  EXPECT_EQ(r.CommandLine, "c:\\x\\a.tavrin /Run");
}

TEST(CommandLineAfterProgram, IsTheTextAfterThePathQuotedOrNot) {
  EXPECT_EQ(
      CommandLineAfterProgram("\"C:\\Program Files\\Tavrin\\tavrin.exe\" c:\\x\\a.tavrin /run"),
      "c:\\x\\a.tavrin /run");
  EXPECT_EQ(CommandLineAfterProgram("c:\\tools\\tavrin.exe c:\\x\\a.tavrin"), "c:\\x\\a.tavrin");
  // Blanks and tabs between the path and the rest are skipped; the rest is kept as
  // it stands, quotes and trailing blanks included.
  EXPECT_EQ(CommandLineAfterProgram("tavrin.exe \t  \"my file.tavrin\" /RUN  "),
            "\"my file.tavrin\" /RUN  ");
  // A path with blanks handed over by the association's command, %1 unquoted.
  EXPECT_EQ(CommandLineAfterProgram("\"c:\\t\\tavrin.exe\" c:\\My Games\\a.tavrin /run"),
            "c:\\My Games\\a.tavrin /run");
}

TEST(CommandLineAfterProgram, NothingAfterThePathIsAPlainStart) {
  EXPECT_EQ(CommandLineAfterProgram("\"c:\\t\\tavrin.exe\""), "");
  EXPECT_EQ(CommandLineAfterProgram("tavrin.exe"), "");
  EXPECT_EQ(CommandLineAfterProgram("tavrin.exe   "), "");
  EXPECT_EQ(CommandLineAfterProgram(""), "");
  // A quote that is never closed takes the whole line as the path.
  EXPECT_EQ(CommandLineAfterProgram("\"c:\\t\\tavrin.exe a.tavrin"), "");
}

TEST(CommandLineAfterProgram, TheRestGoesThroughTheWindowsRules) {
  // The path of the program itself is never taken for the run switch.
  const auto r =
      RequestFromCommandLine(CommandLineAfterProgram("\"c:\\run\\tavrin.exe\" c:\\x\\a.tavrin"));
  EXPECT_FALSE(r.Run);
  EXPECT_EQ(r.FilePart, "c:\\x\\a.tavrin");
  // Right after a closing quote the rest begins, even without a blank.
  EXPECT_EQ(CommandLineAfterProgram("\"c:\\t\\tavrin.exe\"a.tavrin /run"), "a.tavrin /run");
}

struct MainTest : ::testing::Test {
  TempDir dir;
  testing::NativeFileSystem files;
  testing::FakePlatform fake{files};
  CollectionState state;
  int windowOpened = 0;
  StartRequest seen;
  WindowOpener opener = [this](const StartRequest& r, CollectionState& s) {
    ++windowOpened;
    seen = r;
    EXPECT_FALSE(s.StartingUp);
    return 0;
  };

  std::string Collection(const std::string& name, const std::string& body) {
    const std::string path = dir.file(name);
    WriteFile(path, body);
    return path;
  }
};

// A folder path of the platform the tests run on.
const std::string kBin = std::string(1, kNativeSeparator) + "bin" + kNativeSeparator;

const std::string kTwoItems = "\"Tavrin File 1.2\"\r\n1\r\n\"One\",\"" + kBin +
                              "one\",\"\",1,#FALSE#\r\n\"Two\",\"" + kBin +
                              "two\",\"-x\",2,#TRUE#\r\n";

TEST_F(MainTest, PlainStartOpensTheWindowWithTheEmptyCollection) {
  state.Items.resize(3);
  EXPECT_EQ(Main(RequestFromArguments({}), state, fake.platform, opener), 0);
  EXPECT_EQ(windowOpened, 1);
  ASSERT_EQ(state.Items.size(), 1u);
  EXPECT_EQ(state.Items[0], CollItem{});
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_TRUE(fake.shell.calls.empty());
}

TEST_F(MainTest, OpenStartLoadsTheFileAndOpensTheWindow) {
  const std::string path = Collection("two.tavrin", kTwoItems);
  EXPECT_EQ(Main(RequestFromArguments({path}), state, fake.platform, opener), 0);
  EXPECT_EQ(windowOpened, 1);
  EXPECT_EQ(seen.CommandLine, path);
  ASSERT_EQ(state.Items.size(), 2u);
  EXPECT_EQ(state.Items[1].ItemName, "Two");
  EXPECT_EQ(state.CurrentCollFile, path);
  EXPECT_TRUE(fake.shell.calls.empty());
  EXPECT_TRUE(fake.toolkit.boxes.empty());
}

TEST_F(MainTest, RunStartStartsEveryItemWithoutAWindow) {
  const std::string path = Collection("two.tavrin", kTwoItems);
  EXPECT_EQ(Main(RequestFromArguments({path, "/run"}), state, fake.platform, opener), kExitOk);
  EXPECT_EQ(windowOpened, 0);
  EXPECT_EQ(fake.shell.calls, (std::vector<std::string>{"shell:one", "wait:" + kBin + "two"}));
  EXPECT_EQ(state.CurrentCollFile, "");
}

TEST_F(MainTest, RunGoesOnAfterAFailureAndEndsWithStatusOne) {
  const std::string path = Collection("two.tavrin", kTwoItems);
  fake.shell.results = {2, 0};
  EXPECT_EQ(Main(RequestFromArguments({path, "/run"}), state, fake.platform, opener),
            kExitLaunchFailed);
  EXPECT_EQ(fake.shell.calls.size(), 2u);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "one\n\nFile Not Found");
}

TEST_F(MainTest, UnreadableFileShowsTheBoxAndEndsWithoutWindow) {
  const std::string path = dir.file("missing.tavrin");
  for (bool run : {false, true}) {
    fake.toolkit.boxes.clear();
    std::vector<std::string> args{path};
    if (run) args.push_back("/run");
    EXPECT_EQ(Main(RequestFromArguments(args), state, fake.platform, opener), kExitNotLoaded);
    ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
    EXPECT_EQ(fake.toolkit.boxes[0].text,
              path + "\n\nThe Tavrin was unable to load the Collection!!");
    EXPECT_EQ(fake.toolkit.boxes[0].caption, "The Tavrin - Error:");
  }
  EXPECT_EQ(windowOpened, 0);
  EXPECT_TRUE(fake.shell.calls.empty());
}

TEST_F(MainTest, NoCollectionShowsItsBox) {
  const std::string path = Collection("other.tavrin", "\"tavrin file 1.2\"\r\n0\r\n");
  EXPECT_EQ(Main(RequestFromArguments({path}), state, fake.platform, opener), kExitNotLoaded);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, path + "\n\nThis file is not a Tavrin Collection!!");
  EXPECT_EQ(windowOpened, 0);
}

TEST_F(MainTest, OldVersionAsksThenRunsWhateverTheAnswer) {
  const std::string old = "\"Tavrin File 1.1\"\r\n0\r\n\"One\",\"" + kBin + "one\",\"\",1\r\n";
  for (int answer : {kAnswerYes, kAnswerNo}) {
    const std::string path = Collection("old.tavrin", old);
    fake.shell.calls.clear();
    fake.toolkit.boxes.clear();
    fake.toolkit.answers = {answer};
    EXPECT_EQ(Main(RequestFromArguments({path, "/run"}), state, fake.platform, opener), kExitOk);
    ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
    EXPECT_EQ(fake.toolkit.boxes[0].style, 36);
    EXPECT_EQ(fake.shell.calls, (std::vector<std::string>{"shell:one"}));
    const bool upgraded = testing::ReadFile(path).rfind("\"Tavrin File 1.2\"", 0) == 0;
    EXPECT_EQ(upgraded, answer == kAnswerYes);
  }
}

TEST_F(MainTest, RunSwitchWithoutFileGivesTheLoadBox) {
  // Windows command line "a.tavrin/run": the file part is empty.
  const auto request = RequestFromCommandLine("a.tavrin/run");
  EXPECT_EQ(Main(request, state, fake.platform, opener), kExitNotLoaded);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "\n\nThe Tavrin was unable to load the Collection!!");
}

}  // namespace
}  // namespace tavrin
