// The options of the command line: how they are told apart from the three starts,
// what each prints, and the run-mode line of a failed start.
#include "main/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "collection/collfile.h"
#include "collection/run_options.h"
#include "fakes.h"
#include "launch/launch.h"
#include "main/startup.h"
#include "platform/text_encoding.h"
#include "run_process.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::Lines;
using Args = std::vector<std::string>;

// What ParseArguments made of a command line: the action with its flags and operand, or
// the error; then the other words and those after "--".
std::string Seen(const ParsedArguments& p) {
  std::string text = p.option.action == nullptr
                         ? p.option.error.empty() ? "no option" : "error: " + p.option.error
                         : p.option.action->name;
  for (const auto& flag : p.option.flags) text += " " + flag;
  if (!p.option.operand.empty()) text += " <" + p.option.operand + ">";
  text += " |";
  for (const auto& w : p.words) text += " " + w;
  text += " |";
  for (const auto& w : p.literal) text += " " + w;
  return text;
}

TEST(ParseArguments, OnlyDoubleDashWordsAndHvAreOptionsAndDoubleDashEndsThem) {
  const std::pair<Args, std::string> cases[] = {
      {{"-v"}, "--version | |"},
      {{"--list", "a", "--version", "--help"}, "--help | a |"},  // help wins
      {{"--\x1b[2J"}, "error: unknown option '--\\x1b[2J' | |"},
      {{"-style", "fusion", "-x", "-help"}, "no option | -style fusion -x -help |"},  // Qt's
      {{"--", "--help", "-h"}, "no option | | --help -h"},
      {{"--json", "a", "--list"}, "--list --json <a> | a |"},
      {{"--list", "--", "--x.tavrin"}, "--list <--x.tavrin> | | --x.tavrin"},
      {{"--list"}, "error: --list needs a FILE | |"},
      {{"--list", "a", "b"}, "error: --list takes one FILE | a b |"},
      {{"--json", "a"}, "error: --json goes with --list | a |"},
      {{"--list", "a", "--autostart"}, "error: --list and --autostart cannot be combined | a |"},
  };
  for (const auto& [args, seen] : cases) EXPECT_EQ(Seen(ParseArguments(args)), seen);
}

// What Qt leaves of the words before "--", with those after it, names the collection; a run
// takes one file, while the window takes the words as one name.
TEST(CommandLine, StartsKeepTheirMeaningAndQtSeesOnlyTheWordsBeforeDoubleDash) {
  const auto start = [](const StartRequest& r) { return (r.Run ? "run " : "open ") + r.FilePart; };
  const std::pair<Args, std::string> posix[] = {
      {{}, "open "},
      {{"/run/media/usb/a.tavrin"}, "open /run/media/usb/a.tavrin"},
      {{"/home/me/My Games.tavrin", "/RUN"}, "run /home/me/My Games.tavrin"},
      {{"/tmp/x/running.tavrin", "--", "--run"}, "open /tmp/x/running.tavrin --run"},
      {{"--", "--odd.tavrin", "/run"}, "run --odd.tavrin"},
      {{"a.tavrin", "--", "b.tavrin", "/RUN"}, "/run takes one FILE before it"},
      {{"a.tavrin", "/run", "b.tavrin"}, "run a.tavrin"},
      {{"My", "Games.tavrin"}, "open My Games.tavrin"}};
  for (const auto& [args, expected] : posix) {
    const CommandLine line = CommandLineFromArguments(args);
    EXPECT_EQ(line.parsed.HasOption() ? line.parsed.option.error : start(line.request), expected);
  }
  const CommandLine qt = CommandLineFromArguments({"-style", "fusion", "--", "-x.tavrin"});
  EXPECT_EQ(qt.qtWords, (Args{"-style", "fusion"}));
  EXPECT_EQ(start(RequestAfterQt(qt, {})), "open -x.tavrin");
  const CommandLine window = CommandLineFromArguments({"-platform", "offscreen", "a.tavrin"});
  EXPECT_EQ(start(RequestAfterQt(window, {"a.tavrin"})), "open a.tavrin");
  EXPECT_EQ(QtPlatformArgument({"-platform", "offscreen", "a"}), "offscreen");
  EXPECT_EQ(QtPlatformArgument({"a", "-platform"}), "");
  // Windows: the shell's unquoted paths may hold " --" without becoming options.
  const CommandLine path =
      CommandLineFromWindows("c:\\My --x\\a.tavrin", {"c:\\My", "--x\\a.tavrin"});
  EXPECT_FALSE(path.parsed.HasOption());
  EXPECT_EQ(start(path.request), "open c:\\My --x\\a.tavrin");
  EXPECT_EQ(
      start(CommandLineFromWindows("--  --x.tavrin /run", {"--", "--x.tavrin", "/run"}).request),
      "run --x.tavrin");
  const CommandLine list = CommandLineFromWindows("--list --json c:\\a b.tavrin",
                                                  {"--list", "--json", "c:\\a b.tavrin"});
  EXPECT_EQ(Seen(list.parsed), "--list --json <c:\\a b.tavrin> | c:\\a b.tavrin |");
}

// Controls are escaped; on Windows a path keeps its backslashes, to be pasted into cmd.
TEST(LaunchFailureLine, NamesFilePositionAndReasonWithTheTextsEscaped) {
  EXPECT_EQ(LaunchFailureLine("c\\a\tb.tavrin", 1, "two\nlines\x1b[2J", 31, "x"),
            std::string("tavrin: c") + (kWindowsRules ? "\\" : "\\\\") +
                "a\\tb.tavrin: item 1 \"two\\nlines\\x1b[2J\": x");
  // A code without an explanatory text still says what failed.
  EXPECT_EQ(LaunchFailureLine("a.tavrin", 3, "", 26, ""),
            "tavrin: a.tavrin: item 3 \"\": failure code 26");
}

// The options against a real collection file, with their output caught.
struct OptionTest : ::testing::Test {
  struct FakeAutostart : Autostart {
    bool Enable(const std::string& program, const std::string& path, std::string& where,
                std::string& error) override {
      calls.push_back("enable " + program + " " + path);
      where = "/autostart/" + path;
      return (error = fail).empty();
    }
    bool Disable(const std::string& path, Args& removed, std::string& error) override {
      calls.push_back("disable " + path);
      removed = found;
      return (error = fail).empty();
    }
    Args calls, found;
    std::string fail;
  } autostart;
  testing::TempDir dir;
  std::ostringstream out, err;
  testing::NativeFileSystem files;
  testing::RecordingShell shell;
  testing::FakeSystemInfo system;
  OptionContext context{out, err, "/usr/bin/tavrin", &autostart, {}, files, shell, system};
  // What a script must be able to split and read back: tabs, line breaks, backslashes,
  // quotes, escape sequences, other scripts.
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

// --list gives one line per item, its fields split by tabs and escaped (so that "report
// <U+202E>fdp.sh" does not show as "reporths.pdf"), each run option one more KEY=VALUE
// field; --json the same items in JSON.
TEST_F(OptionTest, ListPrintsOneLinePerItemThatAScriptSplitsAndReadsBack) {
  CollItem server = Item("Server", "/usr/bin/server");
  server.Options = {{"WaitReady", "tcp:127.0.0.1:8080"}, {"Env", "A=x\ty"}};
  struct Case {
    const char* name;
    std::string file;
    std::string listed;
    std::string told = "";
  };
  std::vector<Case> cases{
      {"texts a script must split", testing::CollectionText(items),
       "1\tNotes\t/usr/bin/gedit\t\tfalse\t1\n"
       "2\tTab\\there\tC:\\\\Tools\\\\x.exe\t-a 'two words'\ttrue\t3\n"
       "3\tTwo\\r\\nlines\t/tmp/\\x1b[31mred\t\\\\\\\\server\\\\share\tfalse\t5\n"
       "4\tCaf\xc3\xa9 \xe6\x97\xa5\thttps://example.org/?a=1&b=2\t\\x7f\ttrue\t0\n"},
      {"run options", testing::CollectionText({server, Item("Browser", "/usr/bin/browser")}),
       "1\tServer\t/usr/bin/server\t\tfalse\t1\tWaitReady=tcp:127.0.0.1:8080\tEnv=A=x\\ty\n"
       "2\tBrowser\t/usr/bin/browser\t\tfalse\t1\n"},
      {"a damaged run options section",
       testing::CollectionText({Item("Server", "/s")}) + "\"Tavrin Options 1\"\r\nx\r\n",
       "1\tServer\t/s\t\tfalse\t1\n",
       "tavrin: " + path + ": The run options could not be read from line 5 and are left out.\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::WriteFile(path, c.file);
    EXPECT_EQ(Run({"--list", path}), kExitOk);
    EXPECT_EQ(out.str(), c.listed);
    EXPECT_EQ(err.str(), c.told);
  }
  // --json: the same fields, in JSON strings, numbers and truth values.
  testing::WriteFile(path, testing::CollectionText({items[1], server}));
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_EQ(out.str(),
            "[\n  {\"position\": 1, \"name\": \"Tab\\there\", \"file\": \"C:\\\\Tools\\\\x.exe\", "
            "\"parameters\": \"-a 'two words'\", \"wait\": true, \"style\": 3, \"options\": []},\n"
            "  {\"position\": 2, \"name\": \"Server\", \"file\": \"/usr/bin/server\", "
            "\"parameters\": \"\", \"wait\": false, \"style\": 1, \"options\": [{\"key\": "
            "\"WaitReady\", \"value\": \"tcp:127.0.0.1:8080\"}, {\"key\": \"Env\", \"value\": "
            "\"A=x\\ty\"}]}\n]\n");
  // Where the texts are in another code page, they are turned into UTF-8 first; what is
  // still no valid UTF-8 gives valid JSON, with U+FFFD in its place.
  testing::WriteFile(path, testing::CollectionText({Item("Bad \xff byte", "/x")}));
  context.toUtf8 = [](const std::string& text) { return "<" + text + ">"; };
  EXPECT_EQ(Run({"--list", "--json", path}), kExitOk);
  EXPECT_NE(out.str().find("\"name\": \"<Bad \\ufffd byte>\""), std::string::npos) << out.str();
}

// The names of what --list and --list --json print of an item with every run option:
// the JSON members, and each option's key.
std::vector<std::string> ListedFields() {
  CollItem item = Item("Server", "/usr/bin/server");
  for (const auto key : kKnownOptionKeys) item.Options.push_back({std::string(key), "1"});
  testing::TempDir dir;
  testing::WriteFile(dir.file("c.tavrin"), testing::CollectionText({item}));
  std::ostringstream out;
  std::ostringstream err;
  testing::NativeFileSystem files;
  testing::RecordingShell shell;
  testing::FakeSystemInfo system;
  OptionContext context{out, err, "/usr/bin/tavrin", nullptr, {}, files, shell, system};
  RunOption(ParseArguments({"--list", "--json", dir.file("c.tavrin")}).option, context);
  std::vector<std::string> fields;
  const std::string json = out.str();
  for (auto quote = json.find("\": "); quote != std::string::npos;
       quote = json.find("\": ", quote + 1)) {
    const std::string member =
        json.substr(json.rfind('"', quote - 1) + 1, quote - json.rfind('"', quote - 1) - 1);
    if (std::find(fields.begin(), fields.end(), member) == fields.end()) fields.push_back(member);
  }
  for (const auto key : kKnownOptionKeys) fields.emplace_back(key);
  return fields;
}

// A load failure is status 2 and a line, never a box; the help names every option in lines
// that fit a terminal; a usage error is one line naming what is wrong and how to start.
TEST_F(OptionTest, LoadFailuresHelpAndUsageErrors) {
  EXPECT_EQ(Run({"--list", "--json", dir.file("none.tavrin")}), kExitNotLoaded);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "tavrin: " + dir.file("none.tavrin") +
                           ": The Tavrin was unable to load the Collection!!\n");
  EXPECT_EQ(Run({"--help"}), kExitOk);
  for (const auto& option : Options()) {
    const std::string name = option.shortName ? option.shortName : option.name;
    EXPECT_NE(out.str().find("  " + name), std::string::npos) << name;
  }
  for (const auto& line : Lines(out.str())) EXPECT_LE(line.size(), 79u) << line;
  // Each platform its own truth: Qt's options and the signals' statuses only where they
  // are; every run option named, and the fields --list prints.
  EXPECT_EQ(out.str().find("-style") != std::string::npos, !kWindowsRules);
  EXPECT_EQ(out.str().find("128+N") != std::string::npos, !kWindowsRules);
  const std::string help = out.str();
  for (const std::string& field : ListedFields()) {
    EXPECT_NE(help.find(field), std::string::npos) << field;
  }
  EXPECT_EQ(Run({"--json", "a"}), kExitUsage);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "tavrin: --json goes with --list; " + UsageLine() + ". Try 'tavrin --help'.\n");
}

// The manual page names every field --list prints (each run option's key, each member of
// --json's objects); the Windows zip's README.txt every run option and how to end a run.
TEST(Manuals, NameEveryFieldThatListPrintsAndEveryRunOption) {
  if (kWindowsRules) GTEST_SKIP() << "the source folder is read on the building system";
  const std::string page = testing::ReadFile(testing::SourcePath() + "/resources/tavrin.1.in");
  for (const std::string& field : ListedFields()) {
    EXPECT_TRUE(page.find(".B " + field + "\n") != std::string::npos ||
                page.find(".BR " + field + " ") != std::string::npos)
        << field;
  }
  const std::string readme =
      testing::ReadFile(testing::SourcePath() + "/resources/windows/README.txt");
  for (const auto key : kKnownOptionKeys) {
    EXPECT_NE(readme.find("    " + std::string(key) + " "), std::string::npos) << key;
  }
  for (const char* said : {"Run Options...", "--stop FILE", "--force", "\\Tavrin\\runs\\"}) {
    EXPECT_NE(readme.find(said), std::string::npos) << said;
  }
}

// A dry run asks the shell, from the collection's folder, what each start would give and
// starts nothing: "ok" or a run's reason per item, status 1 when any would not start.
TEST_F(OptionTest, CheckDecidesEveryItemAsARunWouldAndStartsNothing) {
  system.windowsKnown = false;
  const struct {
    const char* name;
    std::vector<CollItem> items;
    std::deque<int32_t> results;  // Notes, Tab (waited), Two, Cafe (waited)
    int status;
    std::string checked;
    std::string counted;  // the last line, on standard error
  } cases[] = {
      {"starts that fail",
       items,
       {kShellSuccess, 53, 26, kWaitEnded},
       kExitLaunchFailed,
       "1\tNotes\tok\n2\tTab\\there\truntime error 53\n3\tTwo\\r\\nlines\tfailure code 26\n"
       "4\tCaf\xc3\xa9 \xe6\x97\xa5\tok\n",
       "2 of 4 items would start, 0 skipped, 2 failed"},
      {"options a run cannot follow",
       {Item("Server", "/s"), testing::With(Item("Browser", "/b"), {{"Delay", "soon"}}),
        testing::With(Item("Editor", "/e"), {{"WaitReady", "window:Notes"}})},
       {},
       kExitLaunchFailed,
       "1\tServer\tok\n2\tBrowser\tDelay \"soon\" is no number of milliseconds from 0 to "
       "3600000\n3\tEditor\tWaiting for a window is not possible on this desktop\n",
       "1 of 3 items would start, 0 skipped, 2 failed"},
      {"a failure that stops the run",
       {Item("Server", "/s"), testing::With(Item("Data\tbase", "/d"), {{"stoponfailure", "1"}}),
        Item("Browser", "/b"), testing::With(Item("Mail", "/m"), {{"StopOnFailure", "1"}})},
       {kShellSuccess, 26},
       kExitLaunchFailed,
       "1\tServer\tok\n2\tData\\tbase\tfailure code 26\n"
       "3\tBrowser\twould not start: item 2 \"Data\\tbase\" fails and has StopOnFailure\n"
       "4\tMail\twould not start: item 2 \"Data\\tbase\" fails and has StopOnFailure\n",
       "1 of 4 items would start, 2 skipped, 1 failed"},
      {"no stop where nothing fails",
       {testing::With(Item("Server", "/s"), {{"StopOnFailure", "1"}}), Item("Browser", "/b")},
       {},
       kExitOk,
       "1\tServer\tok\n2\tBrowser\tok\n",
       ""},
      {"a program that runs already, an address that answers already",
       {testing::With(Item("Again", "/runs"), {{"SkipIfRunning", "0"}}),
        testing::With(Item("Once", "/runs"), {{"SkipIfRunning", "1"}, {"WaitReady", "tcp:h:1"}}),
        testing::With(Item("Server", "/s"), {{"WaitReady", "tcp:h:1"}})},
       {},
       kExitLaunchFailed,
       "1\tAgain\tok\n2\tOnce\trunning\n3\tServer\tSomething else already answers at h:1\n",
       "2 of 3 items would start, 0 skipped, 1 failed"},
  };
  system.running = {"/runs"};
  system.portTaken = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::WriteFile(path, testing::CollectionText(c.items));
    shell = testing::RecordingShell();
    shell.results = c.results;
    EXPECT_EQ(Run({"--check", path}), c.status);
    EXPECT_EQ(out.str(), c.checked);
    EXPECT_EQ(err.str(), c.counted.empty() ? "" : "tavrin: " + path + ": " + c.counted + "\n");
    EXPECT_EQ(shell.calls.size(), Lines(c.checked).size());
    for (const auto& call : shell.calls) EXPECT_EQ(call.rfind("check ", 0), 0u) << call;
    for (const auto& request : shell.shellStarts) EXPECT_EQ(request.baseFolder, dir.str());
    for (const auto& start : shell.waitedStarts) EXPECT_EQ(start.baseFolder, dir.str());
  }
}

// Autostart takes the full path of a collection that loads; one that is gone can be removed.
TEST_F(OptionTest, AutostartTakesTheFullPathOfACollectionThatLoads) {
  EXPECT_EQ(Run({"--autostart", path}), kExitOk);
  EXPECT_EQ(out.str(), "/autostart/" + path + "\n");
  EXPECT_EQ(Run({"--autostart", dir.file("none.tavrin")}), kExitNotLoaded);
  EXPECT_EQ(Run({"--no-autostart", dir.file("gone.tavrin")}), kExitOk);
  EXPECT_EQ(err.str(), "tavrin: " + dir.file("gone.tavrin") + ": not run at login\n");
  autostart.found = {"/autostart/a.desktop", "/autostart/b.desktop"};
  EXPECT_EQ(Run({"--no-autostart", path}), kExitOk);
  EXPECT_EQ(out.str(), "/autostart/a.desktop\n/autostart/b.desktop\n");
  EXPECT_EQ(autostart.calls, (Args{"enable /usr/bin/tavrin " + path,
                                   "disable " + dir.file("gone.tavrin"), "disable " + path}));
}

}  // namespace
}  // namespace tavrin
