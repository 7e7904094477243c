// The dry run against the real POSIX shell: for a mix of items that start and items that
// cannot, the check gives exactly what the start gives, and starts nothing itself.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "fakes.h"
#include "launch/launch.h"
#include "platform/posix/posix_shell.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::WriteFile;
using Args = std::vector<std::string>;

// A desktop of its own for this process, set before GIO first reads the XDG folders (once):
// the stand-in program views text and handles "tavrin-test:" addresses.
struct ThrowAwayDesktop {
  ThrowAwayDesktop() {
    fs::create_directories(dir.file("data/applications"));
    fs::create_directories(dir.file("config"));
    fs::create_directories(dir.file("bin"));
    const std::string entry =
        "[Desktop Entry]\nType=Application\nNoDisplay=true\nExec=" + testing::RecorderPath();
    WriteFile(dir.file("data/applications/tavrin-test-viewer.desktop"),
              entry + " viewer %f\nName=Viewer\nMimeType=text/plain;\n");
    WriteFile(dir.file("data/applications/tavrin-test-handler.desktop"),
              entry + " handler %u\nName=Handler\nMimeType=x-scheme-handler/tavrin-test;\n");
    // A viewer named without a folder, as most desktop entries name their program.
    WriteFile(dir.file("data/applications/tavrin-test-bare.desktop"),
              "[Desktop Entry]\nType=Application\nNoDisplay=true\nExec=tavrin-check-viewer "
              "bare %f\nName=Bare\nMimeType=text/csv;\n");
    WriteFile(dir.file("config/mimeapps.list"),
              "[Default Applications]\ntext/plain=tavrin-test-viewer.desktop\n"
              "text/csv=tavrin-test-bare.desktop\n"
              "x-scheme-handler/tavrin-test=tavrin-test-handler.desktop\n");
    fs::copy_file(testing::RecorderPath(), dir.file("bin/tavrin-check-rec"));
    fs::copy_file(testing::RecorderPath(), dir.file("bin/tavrin-check-viewer"));
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    setenv("XDG_DATA_DIRS", "/usr/share", 1);
    setenv("XDG_CONFIG_DIRS", dir.file("none").c_str(), 1);
    setenv("XDG_CURRENT_DESKTOP", "", 1);
    setenv("TAVRIN_RECORD", dir.file("record.log").c_str(), 1);
    const char* path = std::getenv("PATH");
    setenv("PATH", (dir.file("bin") + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
  }
  testing::TempDir dir;
};

ThrowAwayDesktop& Desktop() {
  static ThrowAwayDesktop desktop;
  return desktop;
}

TEST(CheckAgainstStart, TheDryRunGivesWhatTheStartGivesAndStartsNothing) {
  const testing::TempDir& dir = Desktop().dir;
  const std::string record = dir.file("record.log");
  fs::create_directories(dir.file("c/apps"));
  fs::create_directories(dir.file("c/docs"));
  fs::copy_file(testing::RecorderPath(), dir.file("c/apps/rec"));
  WriteFile(dir.file("c/docs/read me.txt"), "hello\n");
  WriteFile(dir.file("c/data.unknownblob"), std::string("\x00\x01\x02\x03\xff\xfe", 6));
  const std::string base = dir.file("c");
  using testing::Item;
  const struct {
    const char* name;
    CollItem item;
    bool starts;
  } cases[] = {
      {"a program beside the collection", Item("", "./apps/rec", "relative"), true},
      {"a waited program", Item("", "apps/rec", "waited", 1, kTrue), true},
      {"a program on PATH", Item("", "tavrin-check-rec", "bare"), true},
      {"a document", Item("", "docs/read me.txt"), true},
      {"an address", Item("", "tavrin-test://host/page?q=1#top"), true},
      {"a missing file", Item("", "gone.bin"), false},
      {"a document without an application", Item("", "data.unknownblob"), false},
      {"an address without a handler", Item("", "tavrin-none:x"), false},
      {"a file address of another machine",
       Item("", "file://otherhost" + dir.file("c/docs/read%20me.txt")), false},
      {"a waited document", Item("", "docs/read me.txt", "", 1, kTrue), false},
      {"nothing", Item("x", ""), false},
  };
  posix::PosixShell shell;
  std::vector<int32_t> checked;
  for (const auto& c : cases) {
    const auto& i = c.item;
    checked.push_back(CheckItem(i.File, i.Params, i.WinStyle, i.Wait, base, shell));
  }
  // Nothing has started: the stand-in program would have recorded itself at once.
  EXPECT_TRUE(testing::WaitForRecording(record, 1, 300).empty());
  std::size_t starts = 0;
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(c.name);
    const auto& i = c.item;
    const int32_t started = LaunchItem(i.File, i.Params, i.WinStyle, i.Wait, base, shell);
    EXPECT_EQ(checked[k], started);
    EXPECT_EQ(!LaunchFailed(started, i.Wait != 0), c.starts) << started;
    starts += c.starts ? 1 : 0;
  }
  std::vector<Args> args;
  for (const auto& run : testing::WaitForRecording(record, starts)) args.push_back(run.args);
  std::sort(args.begin(), args.end());
  EXPECT_EQ(args, (std::vector<Args>{{"bare"},
                                     {"handler", "tavrin-test://host/page?q=1#top"},
                                     {"relative"},
                                     {"viewer", dir.file("c/docs/read me.txt")},
                                     {"waited"}}));
}

// A document's application named without a folder is looked for in PATH's absolute
// entries only, so that a program planted beside the document does not run instead.
TEST(CheckAgainstStart, ADocumentsApplicationComesFromPathsOwnFolders) {
  const testing::TempDir& dir = Desktop().dir;
  const std::string record = dir.file("bare.log");
  fs::create_directories(dir.file("shared/bin"));
  WriteFile(dir.file("shared/table.csv"), "a,b\n");
  for (const char* planted : {"shared/tavrin-check-viewer", "shared/bin/tavrin-check-viewer"}) {
    fs::copy_file(testing::RecorderPath(), dir.file(planted));
  }
  const std::string path = std::getenv("PATH");
  setenv("TAVRIN_RECORD", record.c_str(), 1);
  posix::PosixShell shell;
  for (const std::string& slip : {":" + path, "bin:" + path}) {
    SCOPED_TRACE(slip);
    setenv("PATH", slip.c_str(), 1);
    EXPECT_GE(LaunchItem("./table.csv", "", 1, kFalse, dir.file("shared"), shell), 33);
  }
  setenv("PATH", path.c_str(), 1);
  setenv("TAVRIN_RECORD", dir.file("record.log").c_str(), 1);
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& run : runs) {
    EXPECT_EQ(run.program, dir.file("bin/tavrin-check-viewer"));
    EXPECT_EQ(run.args, (Args{"bare", dir.file("shared/table.csv")}));
    EXPECT_EQ(run.cwd, dir.file("shared"));
  }
}

}  // namespace
}  // namespace tavrin
