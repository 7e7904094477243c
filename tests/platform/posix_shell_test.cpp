// Starting real programs on POSIX: arguments, working folders, waiting, detaching.
#include "platform/posix/posix_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "run_process.h"
#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::ReadRecording;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

WaitedStart Waited(std::string program, std::string params = "", std::string folder = "",
                   std::string base = "") {
  WaitedStart start;
  start.program = std::move(program);
  start.params = std::move(params);
  start.folder = std::move(folder);
  start.baseFolder = std::move(base);
  return start;
}

// Blanks separate, quotes group, '#' is ordinary, a backslash escapes only a quote, a blank
// or a backslash, nothing is expanded, and unbalanced quotes leave every character. Every
// list of arguments, quoted as a capture writes them, is split back into the same.
TEST(SplitParams, OneRuleWithoutExpansionAndWithoutLosingACharacter) {
  const struct {
    const char* name;
    std::string params;
    Args args;
  } cases[] = {
      {"nothing", "", {}},
      {"blanks, tabs and line ends separate", "a  b\tc\r\nd", {"a", "b", "c", "d"}},
      {"double quotes group", "-o \"two words\"", {"-o", "two words"}},
      {"quotes inside a word", "--name=\"My File\"x", {"--name=My Filex"}},
      {"empty quotes are an empty argument", "a \"\" ''", {"a", "", ""}},
      {"a Windows path", "C:\\temp\\x.txt", {"C:\\temp\\x.txt"}},
      {"backslash before a blank", "my\\ file.txt", {"my file.txt"}},
      {"backslash before quotes", "say \\\"hi\\\" it\\'s", {"say", "\"hi\"", "it's"}},
      {"single quotes keep backslashes", "'a\\\\b\\n'", {"a\\\\b\\n"}},
      {"a quote left open", "--title \"My notes", {"--title", "\"My", "notes"}},
      {"unbalanced, backslashes as typed", "\"C:\\My Dir\\\" /x", {"\"C:\\My", "Dir\\\"", "/x"}},
      {"nothing is expanded or run",
       "$(touch x) ; * ~ $HOME `id` | > y",
       {"$(touch", "x)", ";", "*", "~", "$HOME", "`id`", "|", ">", "y"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitParams(c.params), c.args) << "from: " << c.params;
    EXPECT_EQ(SplitParams(QuoteParams(c.args)), c.args) << "from: " << QuoteParams(c.args);
  }
}

struct PosixShellTest : ::testing::Test {
  void SetUp() override { setenv("TAVRIN_RECORD", record.c_str(), 1); }
  void TearDown() override {
    unsetenv("TAVRIN_RECORD");
    setenv("PATH", givenPath.c_str(), 1);
    EXPECT_EQ(fs::current_path(), before);
  }
  // A copy of the stand-in program at `relative` inside the test folder.
  std::string PlaceRecorder(const std::string& relative) {
    const fs::path target = dir.path() / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(testing::RecorderPath(), target, fs::copy_options::overwrite_existing);
    return target.string();
  }

  testing::TempDir dir;
  std::string record = dir.file("record.log");
  fs::path before = fs::current_path();
  std::string givenPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  PosixShell shell;
};

// Parameters are split, never interpreted; the folder is the program's alone. A relative
// program is taken from the collection's folder, else the launcher's. Any exit status has
// run; a missing program fails; a stop gives the wait up. (Documents: the dry run's tests.)
TEST_F(PosixShellTest, WaitedProgramGetsItsArgumentsAndFolderAndIsWaitedFor) {
  const std::string program = PlaceRecorder("my tools/the recorder");
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--sleep=200 \"two words\" $(touch pwned) ; #x",
                                      dir.file("my tools"))),
            kWaitEnded);
  EXPECT_EQ(shell.ShellAndWait(Waited(dir.file("nothing-here"))), kRuntimeFileNotFound);
  fs::current_path(dir.path());
  const int32_t relative = shell.ShellAndWait(Waited("my tools/the recorder", "", "my tools"));
  fs::current_path(before);
  EXPECT_EQ(relative, kWaitEnded);
  EXPECT_EQ(
      shell.ShellAndWait(Waited("./the recorder", "based --exit=3", ".", dir.file("my tools"))),
      kWaitEnded);
  const auto runs = ReadRecording(record);  // its end is recorded by the time the call returns
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].cwd, dir.file("my tools"));
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_EQ(runs[0].cwd, dir.file("my tools"));
  EXPECT_EQ(runs[0].args, (Args{"--sleep=200", "two words", "$(touch", "pwned)", ";", "#x"}));
  EXPECT_EQ(runs[2].args, (Args{"based", "--exit=3"}));
  EXPECT_EQ(fs::canonical(runs[2].cwd), fs::canonical(dir.file("my tools")));
  EXPECT_FALSE(fs::exists(dir.file("my tools/pwned")));
  // A stop asked for ends the wait at once; the program goes on.
  WaitedStart stopped = Waited(program, "--wait-for=" + dir.file("go"));
  stopped.stopRequested = [] { return true; };
  EXPECT_EQ(shell.ShellAndWait(stopped), kWaitStopped);
  testing::WriteFile(dir.file("go"), "");
  EXPECT_EQ(testing::WaitForRecording(record, 4).size(), 4u);
}

// What a File names, resolved from the collection's folder and never from the launcher's:
// a program by its execute permission, or by a bare name on PATH's absolute folders alone
// (an empty or relative entry would name the current folder, where anybody may have
// planted a program of that name); anything else that exists a document in its folder;
// an address whole. What the launcher's current folder holds changes nothing.
TEST_F(PosixShellTest, ResolvesAFileFromTheCollectionsFolder) {
  using Kind = ResolvedFile::Kind;
  const std::string base = dir.file("lists");
  fs::create_directories(dir.file("lists/docs"));
  testing::WriteFile(dir.file("lists/notes.txt"), "hello");
  testing::WriteFile(dir.file("lists/tavrin-script"), "#!/bin/sh\n");
  PlaceRecorder("lists/tool");
  const std::string real = PlaceRecorder("real/tavrin-path-rec");
  PlaceRecorder("elsewhere/tavrin-path-rec");
  PlaceRecorder("elsewhere/bin/tavrin-path-rec");
  fs::create_directories(dir.file("elsewhere/notes.txt"));
  fs::current_path(dir.file("elsewhere"));
  const std::string onPath = dir.file("real");
  const std::string none = dir.file("none");
  const struct {
    const char* name;
    std::string path;  // PATH
    std::string file;
    Kind kind;
    std::string resolved;
    std::string folder;
  } cases[] = {
      {"a document beside the collection", onPath, "./notes.txt", Kind::kDocument,
       dir.file("lists/./notes.txt"), dir.file("lists/.")},
      {"a program beside the collection", onPath, "./tool", Kind::kProgram,
       dir.file("lists/./tool"), dir.file("lists/.")},
      {"a bare name beside the collection, not on PATH", onPath, "tavrin-script", Kind::kMissing,
       "tavrin-script", ""},
      {"the same by its path, without execute permission", onPath, "./tavrin-script",
       Kind::kDocument, dir.file("lists/./tavrin-script"), dir.file("lists/.")},
      {"a folder", onPath, "./docs", Kind::kDocument, dir.file("lists/./docs"),
       dir.file("lists/./docs")},
      {"an address", onPath, "https://example.org/a b", Kind::kAddress, "https://example.org/a b",
       ""},
      {"a file address, never a program", onPath, "file://" + dir.file("lists/tool"),
       Kind::kDocument, dir.file("lists/tool"), dir.file("lists")},
      {"a bare name on PATH", onPath, "tavrin-path-rec", Kind::kProgram, real, ""},
      {"PATH's empty entry", none + ":", "tavrin-path-rec", Kind::kMissing, "tavrin-path-rec", ""},
      {"PATH's relative entry", "bin:" + onPath, "tavrin-path-rec", Kind::kProgram, real, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    setenv("PATH", c.path.c_str(), 1);
    const ResolvedFile resolved = shell.Resolve(c.file, base);
    EXPECT_EQ(resolved.kind, c.kind);
    EXPECT_EQ(resolved.path, c.resolved);
    EXPECT_EQ(resolved.folder, c.folder);
  }
  // Without PATH, the folders every system has.
  unsetenv("PATH");
  EXPECT_EQ(SearchFolders(), (std::vector<std::string>{"/usr/local/bin", "/usr/bin", "/bin"}));
  fs::current_path(before);
}

// A relative program path is taken from the collection's folder, and the program starts
// there. It cannot end before `release` exists, so returning proves it was not waited for.
// (That nothing of it stays behind: see the launch tests.)
TEST_F(PosixShellTest, ShellStartOfAProgramIsDetachedInItsFolder) {
  PlaceRecorder("lists/apps/rec");
  fs::create_directories(dir.file("elsewhere"));
  fs::current_path(dir.file("elsewhere"));
  const std::string release = dir.file("release");
  ShellRequest request;
  request.file = "rec";
  request.folder = "apps";
  request.fullPath = "apps/rec";
  request.baseFolder = dir.file("lists");
  request.params = "--wait-for=" + release + " 'one arg' ~ *";
  EXPECT_GE(shell.ShellExecute(request), 33);
  testing::WriteFile(release, "");
  const auto runs = testing::WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_EQ(runs[0].cwd, dir.file("lists/apps"));
  EXPECT_EQ(runs[0].args, (Args{"--wait-for=" + release, "one arg", "~", "*"}));
  // Failures give the shell codes; without a collection's folder a relative path is
  // taken from the launcher's.
  testing::WriteFile(dir.file("broken"), std::string("\x7f") + "ELF garbage");
  chmod(dir.file("broken").c_str(), 0755);
  const std::pair<std::string, int32_t> cases[] = {
      {dir.file("gone.exe"), kShellFileNotFound},
      {dir.file("no/such/folder/app"), kShellPathNotFound},
      {"apps/rec", kShellPathNotFound},
      {dir.file("broken"), kShellInvalidProgram}};
  request = ShellRequest();
  for (const auto& [path, code] : cases) {
    request.fullPath = path;
    EXPECT_EQ(shell.ShellExecute(request), code) << path;
  }
  fs::current_path(before);
}

}  // namespace
}  // namespace tavrin::posix
