// The options of the command line: how they are told apart from the three starts,
// what each prints, and the run-mode line of a failed start.
#include "main/options.h"

#include <gtest/gtest.h>

#include <sstream>

#include "collection/collfile.h"
#include "fakes.h"
#include "launch/launch.h"
#include "main/startup.h"
#include "platform/text_encoding.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::Json;
using testing::Lines;
using testing::SplitAt;
using testing::Unescaped;
using Args = std::vector<std::string>;

// A path as the messages show it (escaped: a backslash is written twice).
std::string Shown(const std::string& path) { return EscapeControls(path); }

// What ParseArguments made of a command line, in one line: the action with its
// flags and operand, or the error; then the other words.
std::string Seen(const ParsedArguments& p) {
  std::string text;
  if (p.option.action != nullptr) {
    text = p.option.action->name;
    for (const auto& flag : p.option.flags) text += " " + flag;
    if (!p.option.operand.empty()) text += " <" + p.option.operand + ">";
  } else if (!p.option.error.empty()) {
    text = "error: " + p.option.error;
  } else {
    text = "no option";
  }
  text += " |";
  for (const auto& w : p.words) text += " " + w;
  text += " |";
  for (const auto& w : p.literal) text += " " + w;
  return text;
}

TEST(ParseArguments, OnlyDoubleDashWordsAndHvAreOptionsAndDoubleDashEndsThem) {
  const struct {
    const char* name;
    Args args;
    std::string seen;
  } cases[] = {
      {"help", {"--help"}, "--help | |"},
      {"short version", {"-v"}, "--version | |"},
      {"help wins over an action", {"--list", "a", "--version", "--help"}, "--help | a |"},
      {"unknown option", {"--bogus"}, "error: unknown option '--bogus' | |"},
      {"control characters of an unknown option are escaped",
       {"--\x1b[2J"},
       "error: unknown option '--\\x1b[2J' | |"},
      {"an operand is not glued on",
       {"--list=a.tavrin"},
       "error: unknown option '--list=a.tavrin' | |"},
      {"Qt's single-dash options are no options of ours",
       {"-style", "fusion", "-x", "-help"},
       "no option | -style fusion -x -help |"},
      {"the three starts have no option", {"a.tavrin", "/run"}, "no option | a.tavrin /run |"},
      {"-- ends the options", {"--", "--help", "-h"}, "no option | | --help -h"},
      {"list", {"--list", "a.tavrin"}, "--list <a.tavrin> | a.tavrin |"},
      {"flags in any order", {"--json", "a", "--list"}, "--list --json <a> | a |"},
      {"a file named like an option after --",
       {"--list", "--", "--x.tavrin"},
       "--list <--x.tavrin> | | --x.tavrin"},
      {"list needs a file", {"--list"}, "error: --list needs a FILE | |"},
      {"list takes one file", {"--list", "a", "b"}, "error: --list takes one FILE | a b |"},
      {"a flag without its action", {"--json", "a"}, "error: --json goes with --list | a |"},
      {"two actions",
       {"--list", "a", "--autostart"},
       "error: --list and --autostart cannot be combined | a |"},
      {"autostart", {"--autostart", "x.tavrin"}, "--autostart <x.tavrin> | x.tavrin |"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Seen(ParseArguments(c.args)), c.seen);
  }
}

// The three starts keep their meaning; Qt's options reach Qt in window mode, and
// what Qt leaves, with the words after "--", names the collection.
TEST(CommandLine, StartsKeepTheirMeaningAndQtSeesOnlyTheWordsBeforeDoubleDash) {
  const auto start = [](const StartRequest& r) { return (r.Run ? "run " : "open ") + r.FilePart; };
  const std::pair<Args, std::string> posix[] = {
      {{}, "open "},
      {{"/run/media/usb/a.tavrin"}, "open /run/media/usb/a.tavrin"},
      {{"/home/me/My Games.tavrin", "/RUN"}, "run /home/me/My Games.tavrin"},
      {{"/run"}, "open /run"},
      {{"/tmp/x/running.tavrin", "--", "--run"}, "open /tmp/x/running.tavrin --run"},
      {{"--", "--help"}, "open --help"},
      {{"--", "--odd.tavrin", "/run"}, "run --odd.tavrin"},
      {{"a.tavrin", "--", "/run"}, "run a.tavrin"},
      // A run takes one file: more words before the switch are a usage error, not a
      // choice; the window still takes the words as one name, and a run what stands
      // after the switch.
      {{"a.tavrin", "b.tavrin", "/run"}, "/run takes one FILE before it"},
      {{"a.tavrin", "--", "b.tavrin", "/RUN"}, "/run takes one FILE before it"},
      {{"-style", "fusion", "a.tavrin", "/run"}, "/run takes one FILE before it"},
      {{"a.tavrin", "/run", "b.tavrin"}, "run a.tavrin"},
      {{"My", "Games.tavrin"}, "open My Games.tavrin"}};
  for (const auto& [args, expected] : posix) {
    const CommandLine commandLine = CommandLineFromArguments(args);
    EXPECT_EQ(commandLine.parsed.HasOption() ? commandLine.parsed.option.error
                                             : start(commandLine.request),
              expected);
  }
  const CommandLine qt = CommandLineFromArguments({"-style", "fusion", "--", "-x.tavrin"});
  EXPECT_EQ(qt.qtWords, (Args{"-style", "fusion"}));
  EXPECT_EQ(start(RequestAfterQt(qt, {})), "open -x.tavrin");
  const CommandLine window = CommandLineFromArguments({"-platform", "offscreen", "a.tavrin"});
  EXPECT_EQ(start(window.request), "open -platform offscreen a.tavrin");  // before Qt
  EXPECT_EQ(start(RequestAfterQt(window, {"a.tavrin"})), "open a.tavrin");
  EXPECT_EQ(RequestAfterQt(window, {}).CommandLine, "");

  const std::pair<Args, std::string> platforms[] = {{{"-platform", "offscreen", "a"}, "offscreen"},
                                                    {{"a", "-platform"}, ""},
                                                    {{"--platform", "x"}, ""}};
  for (const auto& [words, platform] : platforms) EXPECT_EQ(QtPlatformArgument(words), platform);

  // Windows: the substring rule holds for every line that does not begin with an
  // option; the shell's unquoted paths may hold " --" without becoming options.
  const struct {
    std::string line;
    Args args;
    std::string seen;
  } windows[] = {{"c:\\My --x\\a.tavrin", {"c:\\My", "--x\\a.tavrin"}, "open c:\\My --x\\a.tavrin"},
                 {"c:\\a.tavrin --help", {"c:\\a.tavrin", "--help"}, "open c:\\a.tavrin --help"},
                 {"--  --x.tavrin /run", {"--", "--x.tavrin", "/run"}, "run --x.tavrin"},
                 {"\"--\" a.tavrin", {"--", "a.tavrin"}, "open a.tavrin"}};
  for (const auto& [line, args, seen] : windows) {
    const CommandLine commandLine = CommandLineFromWindows(line, args);
    EXPECT_FALSE(commandLine.parsed.HasOption()) << line;
    EXPECT_EQ(start(commandLine.request), seen);
    EXPECT_TRUE(commandLine.qtWords.empty());
  }
  const CommandLine list = CommandLineFromWindows("--list --json c:\\a b.tavrin",
                                                  {"--list", "--json", "c:\\a b.tavrin"});
  EXPECT_EQ(Seen(list.parsed), "--list --json <c:\\a b.tavrin> | c:\\a b.tavrin |");
}

TEST(LaunchFailureLine, NamesFilePositionAndReasonWithTheTextsEscaped) {
  EXPECT_EQ(LaunchFailureLine("c\\a\tb.tavrin", 1, "two\nlines\x1b[2J", 31, "x"),
            "tavrin: c\\\\a\\tb.tavrin: item 1 \"two\\nlines\\x1b[2J\": x");
  // A code without an explanatory text still says what failed.
  EXPECT_EQ(LaunchFailureLine("a.tavrin", 3, "", 26, ""),
            "tavrin: a.tavrin: item 3 \"\": failure code 26");
  // A run refused as a whole names no item.
  EXPECT_EQ(LaunchFailureLine("a\x1b.tavrin", 0, "", 0, "Not run."),
            "tavrin: a\\x1b.tavrin: Not run.");
}

// The options against a real collection file, with their output caught.
struct OptionTest : ::testing::Test {
  // Records what it is asked to do and answers from its fields.
  struct FakeAutostart : Autostart {
    bool Enable(const std::string& program, const std::string& path, std::string& where,
                std::string& error) override {
      calls.push_back("enable " + program + " " + path);
      where = "/autostart/" + path;
      error = fail;
      return fail.empty();
    }
    bool Disable(const std::string& path, std::vector<std::string>& removed,
                 std::string& error) override {
      calls.push_back("disable " + path);
      removed = found;
      error = fail;
      return fail.empty();
    }
    std::vector<std::string> calls;
    std::vector<std::string> found;
    std::string fail;
  };

  testing::TempDir dir;
  std::ostringstream out;
  std::ostringstream err;
  FakeAutostart autostart;
  testing::NativeFileSystem files;
  testing::RecordingShell shell;
  testing::FakeSystemInfo system;
  OptionContext context{out, err, "/usr/bin/tavrin", &autostart, {}, files, shell, system};
  // Names, files and parameters with what a script must be able to split and read
  // back: tabs, line breaks, backslashes, quotes, escape sequences, other scripts.
  const std::vector<CollItem> items{
      Item("Notes", "/usr/bin/gedit", "", kStyleNormal),
      Item("Tab\there", "C:\\Tools\\x.exe", "-a 'two words'", kStyleMaximized, kTrue),
      Item("Two\r\nlines", "/tmp/\x1b[31mred", "\\\\server\\share", kStyleMinimizedNoFocus),
      Item("Caf\xc3\xa9 \xe6\x97\xa5", "https://example.org/?a=1&b=2", "\x7f", kStyleHidden,
           kTrue)};
  std::string path = dir.file("mixed.tavrin");

  OptionTest() { testing::WriteFile(path, testing::CollectionText(items)); }

  int Run(const Args& args) {
    out.str("");
    err.str("");
    return RunOption(ParseArguments(args).option, context);
  }
};

// --list gives one line per item that a script splits at the tabs and reads back, and
// --json the same items in valid JSON.
TEST_F(OptionTest, ListPrintsOneLinePerItemThatAScriptSplitsAndReadsBack) {
  EXPECT_EQ(Run({"--list", path}), kExitOk);
  EXPECT_EQ(err.str(), "");
  const auto lines = Lines(out.str());
  ASSERT_EQ(lines.size(), items.size()) << out.str();
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  const Json list = Json::Parse(out.str());
  ASSERT_EQ(list.items.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto fields = SplitAt(lines[i], '\t');
    ASSERT_EQ(fields.size(), 6u) << lines[i];
    const Json& item = list.items[i];
    EXPECT_EQ(item.members.size(), 7u);
    EXPECT_EQ(item["options"].items.size(), 0u);
    for (const std::string& position : {fields[0], item["position"].text}) {
      EXPECT_EQ(position, std::to_string(i + 1));
    }
    for (const std::string& name : {Unescaped(fields[1]), item["name"].text}) {
      EXPECT_EQ(name, items[i].ItemName);
    }
    for (const std::string& file : {Unescaped(fields[2]), item["file"].text}) {
      EXPECT_EQ(file, items[i].File);
    }
    for (const std::string& params : {Unescaped(fields[3]), item["parameters"].text}) {
      EXPECT_EQ(params, items[i].Params);
    }
    EXPECT_EQ(fields[4], items[i].Wait ? "true" : "false");
    EXPECT_EQ(item["wait"].boolean, items[i].Wait != 0);
    for (const std::string& style : {fields[5], item["style"].text}) {
      EXPECT_EQ(style, std::to_string(items[i].WinStyle));
    }
  }
  EXPECT_EQ(lines[2], "3\tTwo\\r\\nlines\t/tmp/\\x1b[31mred\t\\\\\\\\server\\\\share\tfalse\t5");
  // Text that is no valid UTF-8 still gives valid JSON, with U+FFFD in its place; where
  // the texts are in another code page, they are turned into UTF-8 first.
  testing::WriteFile(path, testing::CollectionText({Item("Bad \xff byte", "/x\xe9")}));
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_EQ(Json::Parse(out.str()).items[0]["name"].text, "Bad \xef\xbf\xbd byte");
  context.toUtf8 = [](const std::string& text) { return "<" + text + ">"; };
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_EQ(Json::Parse(out.str()).items[0]["file"].text, "</x\xef\xbf\xbd>");
}

// Run options follow an item's fields, one KEY=VALUE field each (escaped as the others),
// and in JSON as a list of key and value in the file's order; the dry run says which a
// run could not follow; a damaged section is told on standard error and the records are
// listed.
TEST_F(OptionTest, ListAndCheckShowTheRunOptions) {
  CollectionState state;
  state.Items = {Item("Server", "/usr/bin/server"), Item("Browser", "/usr/bin/browser")};
  state.Items[0].Options = {{"WaitReady", "tcp:127.0.0.1:8080"}, {"Env", "A=x\ty"}};
  ASSERT_FALSE(SaveCollectionFile(state, path, files));
  EXPECT_EQ(Run({"--list", path}), kExitOk);
  EXPECT_EQ(out.str(),
            "1\tServer\t/usr/bin/server\t\tfalse\t1\tWaitReady=tcp:127.0.0.1:8080\tEnv=A=x\\ty\n"
            "2\tBrowser\t/usr/bin/browser\t\tfalse\t1\n");
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  const Json options = Json::Parse(out.str()).items.at(0)["options"];
  ASSERT_EQ(options.items.size(), 2u);
  EXPECT_EQ(options.items[1]["key"].text, "Env");
  EXPECT_EQ(options.items[1]["value"].text, "A=x\ty");
  state.Items[1].Options = {{"Delay", "soon"}};
  state.Items.push_back(Item("Editor", "/usr/bin/editor"));
  state.Items[2].Options = {{"WaitReady", "window:Notes"}};
  system.windowsKnown = false;
  ASSERT_FALSE(SaveCollectionFile(state, path, files));
  shell.results = {kShellSuccess, kShellSuccess, kShellSuccess};
  EXPECT_EQ(Run({"--check", path}), kExitLaunchFailed);
  EXPECT_EQ(Lines(out.str()),
            (std::vector<std::string>{
                "1\tServer\tok",
                "2\tBrowser\tDelay \"soon\" is no number of milliseconds from 0 to 3600000",
                "3\tEditor\tWaiting for a window is not possible on this desktop"}));
  std::vector<CollItem> bare = state.Items;
  for (CollItem& item : bare) item.Options.clear();
  testing::WriteFile(path, testing::CollectionText(bare) + "\"Tavrin Options 1\"\r\nx\r\n");
  EXPECT_EQ(Run({"--list", path}), kExitOk);
  EXPECT_EQ(Lines(out.str()).size(), 3u);
  EXPECT_EQ(err.str(), "tavrin: " + Shown(path) +
                           ": The run options could not be read from line 7 and are left out.\n");
}

// A NUL inside a field ends its text for every use alike: the listing shows, and the run
// starts, "/bin/echo" with "-n" (the window's details read the same loaded fields), never
// the "readme.txt" hidden behind the NUL.
TEST_F(OptionTest, ANulEndsAFieldForTheListAndTheStartAlike) {
  const std::string nul(1, '\0');
  testing::WriteFile(path, "\"Tavrin File 1.2\"\r\n0\r\n\"Notes\",\"/bin/echo" + nul +
                               "/readme.txt\",\"-n" + nul + " secret\",1,#FALSE#\r\n");
  EXPECT_EQ(Run({"--list", path}), kExitOk);
  EXPECT_EQ(out.str(), "1\tNotes\t/bin/echo\t-n\tfalse\t1\n");
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_EQ(Json::Parse(out.str()).items.at(0)["file"].text, "/bin/echo");
  testing::FakePlatform fake;
  CollectionState state;
  ASSERT_EQ(ReadCollectionFile(state, path, files), LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("Notes", "/bin/echo", "-n")});
  EXPECT_EQ(RunAllItems(state, fake.platform), 0);
  ASSERT_EQ(fake.shell.shellStarts.size(), 1u);
  EXPECT_EQ(fake.shell.shellStarts[0].fullPath, "/bin/echo");
  EXPECT_EQ(fake.shell.shellStarts[0].params, "-n");
}

// What is shown is what runs: a direction control, which would show a File
// "report<U+202E>fdp.sh" as "reporths.pdf", is escaped by --list and --check as control
// characters are, and written as \u202e in JSON, which reads back to the same bytes.
TEST_F(OptionTest, DirectionControlsAreListedAndCheckedEscaped) {
  if (kNativeEncoding != TextEncoding::kUtf8) GTEST_SKIP() << "direction controls are UTF-8";
  const std::string rlo = "\xe2\x80\xae";
  const std::string file = "/srv/report" + rlo + "fdp.sh";
  testing::WriteFile(path, testing::CollectionText({Item("Report" + rlo + "fdp.sh", file, rlo)}));
  EXPECT_EQ(Run({"--list", path}), kExitOk);
  EXPECT_EQ(out.str(),
            "1\tReport\\xe2\\x80\\xaefdp.sh\t/srv/"
            "report\\xe2\\x80\\xaefdp.sh\t\\xe2\\x80\\xae\tfalse\t1\n");
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_NE(out.str().find("\"file\": \"/srv/report\\u202efdp.sh\""), std::string::npos)
      << out.str();
  EXPECT_EQ(Json::Parse(out.str()).items.at(0)["file"].text, file);
  shell.results = {kShellSuccess};
  EXPECT_EQ(Run({"--check", path}), kExitOk);
  EXPECT_EQ(out.str(), "1\tReport\\xe2\\x80\\xaefdp.sh\tok\n");
}

// A collection that cannot be loaded gives status 2 and one line on standard error,
// as run mode would, but never a box; an old version is listed without the question.
TEST_F(OptionTest, ListOfACollectionThatCannotBeLoaded) {
  testing::WriteFile(dir.file("old.tavrin"), "\"Tavrin File\"\r\n0\r\n\"Old\",\"/bin/x\",3\r\n");
  const struct {
    std::string file;
    int status;
    std::string out;
    std::string err;
  } cases[] = {
      {dir.file("none.tavrin"), kExitNotLoaded, "",
       "tavrin: " + Shown(dir.file("none.tavrin")) +
           ": The Tavrin was unable to load the Collection!!\n"},
      {dir.file("old.tavrin"), kExitOk, "1\tOld\t/bin/x\t\tfalse\t3\n", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({"--list", c.file}), c.status);
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.err);
    EXPECT_EQ(Run({"--list", "--json", c.file}), c.status);
    EXPECT_EQ(out.str().empty(), c.status != kExitOk);
    EXPECT_EQ(err.str(), c.err);
  }
}

// A dry run asks the shell what each start would give, from the collection's folder,
// and starts nothing: one line per item, "ok" or the reason a run would report, and
// status 1 when any item would not start.
TEST_F(OptionTest, CheckDecidesEveryItemAsARunWouldAndStartsNothing) {
  // In call order: Notes, Tab (waited), Two lines, Cafe (waited).
  shell.results = {kShellSuccess, 53, 26, kWaitEnded};
  EXPECT_EQ(Run({"--check", path}), kExitLaunchFailed);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(Lines(out.str()),
            (std::vector<std::string>{"1\tNotes\tok", "2\tTab\\there\truntime error 53",
                                      "3\tTwo\\r\\nlines\tfailure code 26",
                                      "4\tCaf\xc3\xa9 \xe6\x97\xa5\tok"}));
  ASSERT_EQ(shell.calls.size(), items.size());
  for (const auto& call : shell.calls) EXPECT_EQ(call.rfind("check ", 0), 0u) << call;
  for (const auto& request : shell.shellStarts) EXPECT_EQ(request.baseFolder, dir.str());
  for (const auto& start : shell.waitedStarts) EXPECT_EQ(start.baseFolder, dir.str());
  // Every item would start: status 0. An empty collection checks nothing, as a run
  // starts nothing.
  EXPECT_EQ(Run({"--check", path}), kExitOk);
  testing::WriteFile(path, testing::CollectionText({CollItem{}}));
  shell.calls.clear();
  EXPECT_EQ(Run({"--check", path}), kExitOk);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(shell.calls.empty());
}

// The help names every option in lines that fit a terminal; a usage error is one line that names
// what is wrong and the ways of starting.
TEST_F(OptionTest, HelpAndUsageErrors) {
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_EQ(err.str(), "");
  for (const auto& option : Options()) {
    EXPECT_NE(
        out.str().find(std::string("  ") + (option.shortName ? option.shortName : option.name)),
        std::string::npos)
        << option.name;
  }
  for (const auto& line : Lines(out.str())) EXPECT_LE(line.size(), 79u) << line;
  for (const Args& args : {Args{"--bogus"}, Args{"--list"}, Args{"--json", "a"}}) {
    EXPECT_EQ(Run(args), kExitUsage);
    EXPECT_EQ(out.str(), "");
    ASSERT_EQ(Lines(err.str()).size(), 1u) << err.str();
    EXPECT_NE(err.str().find("; " + UsageLine() + ". Try 'tavrin --help'.\n"), std::string::npos)
        << err.str();
  }
}

// Autostart gets the collection's path (made full: see the run-mode tests); a file that cannot be
// loaded is not registered, while one that is gone can still be removed.
TEST_F(OptionTest, AutostartTakesTheFullPathOfACollectionThatLoads) {
  EXPECT_EQ(Run({"--autostart", path}), kExitOk);
  EXPECT_EQ(out.str(), Shown("/autostart/" + path) + "\n");
  EXPECT_EQ(Run({"--autostart", dir.file("none.tavrin")}), kExitNotLoaded);
  EXPECT_NE(err.str().find("unable to load"), std::string::npos);
  EXPECT_EQ(Run({"--no-autostart", dir.file("gone.tavrin")}), kExitOk);
  EXPECT_EQ(err.str(), "tavrin: " + Shown(dir.file("gone.tavrin")) + ": not run at login\n");
  autostart.found = {"/autostart/a.desktop", "/autostart/b.desktop"};
  EXPECT_EQ(Run({"--no-autostart", path}), kExitOk);
  EXPECT_EQ(out.str(), "/autostart/a.desktop\n/autostart/b.desktop\n");
  EXPECT_EQ(autostart.calls, (Args{"enable /usr/bin/tavrin " + path,
                                   "disable " + dir.file("gone.tavrin"), "disable " + path}));
  autostart.fail = "cannot write /autostart/x";
  EXPECT_EQ(Run({"--autostart", path}), kExitLaunchFailed);
  EXPECT_EQ(err.str(), "tavrin: " + Shown(path) + ": cannot write /autostart/x\n");
  // Where the system has no way to start programs at login, the options say so.
  context.autostart = nullptr;
  EXPECT_EQ(Run({"--autostart", path}), kExitUsage);
  EXPECT_EQ(err.str(), "tavrin: --autostart is not available on this system\n");
}

}  // namespace
}  // namespace tavrin
