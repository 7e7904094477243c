// The built program started as a user would: `tavrin FILE /run`.
#include <gtest/gtest.h>

#include <filesystem>

#include "items.h"
#include "process.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::CollectionText;
using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::RunProcess;
using testing::TavrinPath;
using testing::WriteFile;
namespace fs = std::filesystem;

struct RunModeTest : ::testing::Test {
  testing::TempDir dir;
  std::string record = dir.file("record.log");
  // No display: boxes are written to standard error.
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"DISPLAY", ""},
                                         {"WAYLAND_DISPLAY", ""},
                                         {"QT_QPA_PLATFORM", ""},
                                         {"XDG_DATA_HOME", dir.file("data")},
                                         {"XDG_CONFIG_HOME", dir.file("config")},
                                         {"TAVRIN_HOME", dir.file("home")}};

  testing::ProcessResult Run(const std::vector<CollItem>& items, const std::string& tavrin = "") {
    WriteFile(dir.file("c.tavrin"), CollectionText(items));
    return RunProcess({tavrin.empty() ? TavrinPath() : tavrin, dir.file("c.tavrin"), "/run"}, env);
  }
  void ExpectBox(const testing::ProcessResult& result, const std::string& box) {
    EXPECT_NE(result.err.find(box), std::string::npos) << result.err;
  }
};

// A waited item has ended before the next one starts; a waited program that cannot be
// started is a failure that names the reason.
TEST_F(RunModeTest, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const auto result =
      Run({Item("First", RecorderPath(), "--sleep=300 first", 1, kTrue),
           Item("Gone", dir.file("Gone.bin")), Item("Nope", dir.file("nope"), "", 1, kTrue),
           Item("Third", RecorderPath(), "third", 1, kTrue)});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result, "The Tavrin - Error:\nGone.bin\n\nFile Not Found");
  ExpectBox(result, "The Tavrin - Error:\nnope\n\nFile not found");
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args.back(), "first");
  EXPECT_EQ(runs[1].args.back(), "third");
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

// A collection in a folder with blanks, the switch in capitals: every item starts, the
// status is 0 and nothing is written; a program not waited for outlives the launcher;
// the file association is neither checked nor written.
TEST_F(RunModeTest, EveryItemStartedGivesStatusZeroAndNoOutput) {
  fs::create_directories(dir.file("my collections"));
  const std::string path = dir.file("my collections/My Games.tavrin");
  WriteFile(path, CollectionText({Item("One", RecorderPath(), "a", 1, kTrue),
                                  Item("Bg", RecorderPath(), "--wait-for=" + dir.file("go"))}));
  const auto result = RunProcess({TavrinPath(), path, "/RUN"}, env);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  WriteFile(dir.file("go"), "");  // the launcher has ended; the program still waits for this
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[1].endNs, 0);
  for (const char* made :
       {"config/tavrin", "config/mimeapps.list", "data/applications", "data/mime"}) {
    EXPECT_FALSE(fs::exists(dir.file(made))) << made;
  }
}

TEST_F(RunModeTest, CollectionThatCannotBeLoadedGivesStatusTwo) {
  const auto missing = RunProcess({TavrinPath(), dir.file("none.tavrin"), "/run"}, env);
  EXPECT_EQ(missing.exitCode, 2);
  ExpectBox(missing, "none.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  WriteFile(dir.file("text.tavrin"), "just some text\n");
  const auto wrong = RunProcess({TavrinPath(), dir.file("text.tavrin"), "/run"}, env);
  EXPECT_EQ(wrong.exitCode, 2);
  ExpectBox(wrong, "text.tavrin\n\nThis file is not a Tavrin Collection!!");
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(RunModeTest, OldVersionQuestionIsAnsweredNoWithoutADisplayAndTheRunGoesOn) {
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  WriteFile(dir.file("old.tavrin"), text);
  const auto result = RunProcess({TavrinPath(), dir.file("old.tavrin"), "/run"}, env);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ExpectBox(result, "The Tavrin - Question:\n" + dir.file("old.tavrin") + "\n\nThis Tavrin");
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
}

// A display that does not answer never aborts the program: the box goes to standard
// error, and the dynamic loader, which lists every library it loads, loads none of Qt's.
TEST_F(RunModeTest, ADisplayThatDoesNotAnswerLoadsNoWindowLibraries) {
  env["DISPLAY"] = ":97";
  env["LD_DEBUG"] = "files";
  const auto result = Run({Item("Gone", dir.file("gone"))});
  EXPECT_EQ(result.exitCode, 1);
  ExpectBox(result, "The Tavrin - Error:\ngone\n\nFile Not Found");
  ExpectBox(result, "file=libc.so");
  EXPECT_EQ(result.err.find("libQt6"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("tavrin-gui"), std::string::npos);
}

// The executable copied away from its windows module still runs collections; the
// window, and a box on a display that answers, cannot open and it says why.
TEST_F(RunModeTest, WithoutItsWindowsModuleItRunsAndSaysWhyNoWindowOpens) {
  if (!fs::exists(fs::path(TavrinPath()).parent_path() / "tavrin-gui.so")) {
    GTEST_SKIP() << "this build has no windows module";
  }
  fs::copy_file(TavrinPath(), dir.file("tavrin"));
  env["QT_QPA_PLATFORM"] = "offscreen";
  const auto run = Run({Item("One", RecorderPath(), "a", 1, kTrue), Item("Gone", dir.file("gone"))},
                       dir.file("tavrin"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadRecording(record).size(), 1u);
  ExpectBox(run, "tavrin: the windows cannot be loaded: ");
  ExpectBox(run, "The Tavrin - Error:\ngone\n\nFile Not Found");
  const auto window = RunProcess({dir.file("tavrin"), dir.file("c.tavrin")}, env);
  EXPECT_EQ(window.exitCode, 2);
  ExpectBox(window, "tavrin: the windows cannot be loaded: ");
}

// Documents open with the desktop's default application for their type, in their folder;
// a type without one gives 31.
TEST_F(RunModeTest, DocumentsOpenWithTheirDefaultApplication) {
  fs::create_directories(dir.file("data/applications"));
  fs::create_directories(dir.file("docs"));
  fs::create_directories(dir.file("config"));
  WriteFile(dir.file("data/applications/tavrin-test-viewer.desktop"),
            "[Desktop Entry]\nType=Application\nName=Test Viewer\nExec=" + RecorderPath() +
                " viewer %f\nMimeType=text/plain;\n");
  WriteFile(dir.file("config/mimeapps.list"),
            "[Default Applications]\ntext/plain=tavrin-test-viewer.desktop\n");
  env["XDG_DATA_DIRS"] = "/usr/share";
  WriteFile(dir.file("docs/read me.txt"), "hello\n");
  WriteFile(dir.file("data.unknownblob"), std::string("\x00\x01\x02\x03\xff\xfe", 6));
  const auto result =
      Run({Item("Doc", dir.file("docs/read me.txt")), Item("Blob", dir.file("data.unknownblob"))});
  EXPECT_EQ(result.exitCode, 1);
  ExpectBox(result, "data.unknownblob\n\nNo application found for this file");
  const auto runs = testing::WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"viewer", dir.file("docs/read me.txt")}));
  EXPECT_EQ(runs[0].cwd, dir.file("docs"));
}

TEST(ExampleCollection, RunsCleanlyFromTheSourceFolder) {
  testing::TempDir dir;
  const auto result =
      RunProcess({TavrinPath(), "examples/welcome.tavrin", "/run"},
                 {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"TAVRIN_HOME", dir.str()}},
                 testing::SourcePath());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("The Tavrin - Error:"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("Hello from Tavrin! Parameters with blanks"), std::string::npos);
}

}  // namespace
}  // namespace tavrin
