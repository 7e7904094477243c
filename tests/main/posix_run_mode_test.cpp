// The built program started as a user would: `tavrin FILE /run`.
#include <gtest/gtest.h>

#include <filesystem>

#include "process.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::ProcessResult;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::RunProcess;
using testing::TavrinPath;
using testing::TempDir;
using testing::WaitForRecording;
using testing::WriteFile;

std::string Record(const std::string& name, const std::string& file, const std::string& params,
                   int wait) {
  return "\"" + name + "\",\"" + file + "\",\"" + params + "\",1," + (wait ? "#TRUE#" : "#FALSE#") +
         "\r\n";
}

std::string Collection(const std::vector<std::string>& records) {
  std::string text =
      "\"Tavrin File 1.2\"\r\n" + std::to_string(static_cast<int>(records.size()) - 1) + "\r\n";
  for (const auto& r : records) text += r;
  return text;
}

struct RunModeTest : ::testing::Test {
  TempDir dir;
  std::string record = dir.file("record.log");
  // No display: boxes are written to standard error.
  std::map<std::string, std::string> env{{"TAVRIN_RECORD", record},
                                         {"DISPLAY", ""},
                                         {"WAYLAND_DISPLAY", ""},
                                         {"QT_QPA_PLATFORM", ""},
                                         {"XDG_DATA_HOME", dir.file("data")},
                                         {"XDG_CONFIG_HOME", dir.file("config")},
                                         {"TAVRIN_HOME", dir.file("home")}};

  ProcessResult Run(const std::string& collectionText, const std::string& name = "c.tavrin") {
    const std::string path = dir.file(name);
    WriteFile(path, collectionText);
    return RunProcess({TavrinPath(), path, "/run"}, env);
  }
};

TEST_F(RunModeTest, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const std::string rec = RecorderPath();
  const auto result = Run(
      Collection({Record("First", rec, "--sleep=300 first", 1),
                  Record("Gone", dir.file("Gone.bin"), "", 0), Record("Third", rec, "third", 1)}));
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find("The Tavrin - Error:\nGone.bin\n\nFile Not Found"), std::string::npos)
      << result.err;
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args.back(), "first");
  EXPECT_EQ(runs[1].args.back(), "third");
  // The waited first item had ended before the third one started.
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
  EXPECT_NE(runs[0].endNs, 0);
}

TEST_F(RunModeTest, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const auto result = Run(Collection({Record("One", RecorderPath(), "a", 1)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadRecording(record).size(), 1u);
}

TEST_F(RunModeTest, RunModeNeitherChecksNorWritesTheFileAssociation) {
  const auto result = Run(Collection({Record("One", RecorderPath(), "a", 1)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("config/tavrin")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("config/mimeapps.list")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("data/applications")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("data/mime")));
}

TEST_F(RunModeTest, WaitedItemThatCannotStartIsReportedWithTheReason) {
  const auto result = Run(Collection({Record("Nope", dir.file("nope"), "", 1)}));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("nope\n\nFile not found"), std::string::npos) << result.err;
}

TEST_F(RunModeTest, CollectionThatCannotBeLoadedGivesStatusTwo) {
  const auto missing = RunProcess({TavrinPath(), dir.file("none.tavrin"), "/run"}, env);
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("none.tavrin\n\nThe Tavrin was unable to load the Collection!!"),
            std::string::npos)
      << missing.err;

  const auto wrong = Run("just some text\n", "text.tavrin");
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.err.find("This file is not a Tavrin Collection!!"), std::string::npos);
  EXPECT_TRUE(ReadRecording(record).empty());
}

TEST_F(RunModeTest, OldVersionQuestionIsAnsweredNoWithoutADisplayAndTheRunGoesOn) {
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  const auto result = Run(text, "old.tavrin");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("The Tavrin - Question:"), std::string::npos);
  EXPECT_NE(result.err.find("Do you want to upgrade it?"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(WaitForRecording(record, 1).size(), 1u);
}

TEST_F(RunModeTest, DisplayThatDoesNotAnswerNeverAbortsTheProgram) {
  env["DISPLAY"] = ":97";
  const auto result = Run(Collection({Record("Gone", dir.file("gone"), "", 0)}));
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find("gone\n\nFile Not Found"), std::string::npos) << result.err;
}

// The dynamic loader lists every library it loads; a run that shows no window, its
// error boxes written to standard error for want of a display, loads none of Qt's.
TEST_F(RunModeTest, ARunWithoutAWindowLoadsNoWindowLibraries) {
  env["LD_DEBUG"] = "files";
  const auto clean = Run(Collection({Record("One", RecorderPath(), "a", 1)}));
  EXPECT_EQ(clean.exitCode, 0);
  const auto failing = Run(Collection({Record("Gone", dir.file("gone"), "", 0)}));
  EXPECT_EQ(failing.exitCode, 1);
  EXPECT_NE(failing.err.find("gone\n\nFile Not Found"), std::string::npos);
  for (const auto& result : {clean, failing}) {
    EXPECT_NE(result.err.find("file=libc.so"), std::string::npos) << "no loader trace";
    EXPECT_EQ(result.err.find("libQt6"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("tavrin-gui"), std::string::npos);
  }
}

// The executable copied away from its windows module still runs collections; the
// window, and a box on a display that answers, cannot open and it says why.
TEST_F(RunModeTest, WithoutItsWindowsModuleItRunsAndSaysWhyNoWindowOpens) {
  const std::filesystem::path built = TavrinPath();
  if (!std::filesystem::exists(built.parent_path() / "tavrin-gui.so")) {
    GTEST_SKIP() << "this build has no windows module";
  }
  const std::string alone = dir.file("tavrin");
  std::filesystem::copy_file(built, alone);
  env["QT_QPA_PLATFORM"] = "offscreen";

  const std::string path = dir.file("c.tavrin");
  WriteFile(path, Collection({Record("One", RecorderPath(), "a", 1),
                              Record("Gone", dir.file("gone"), "", 0)}));
  const auto run = RunProcess({alone, path, "/run"}, env);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadRecording(record).size(), 1u);
  EXPECT_NE(run.err.find("tavrin: the windows cannot be loaded: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("The Tavrin - Error:\ngone\n\nFile Not Found"), std::string::npos)
      << run.err;

  const auto window = RunProcess({alone, path}, env);
  EXPECT_EQ(window.exitCode, 2);
  EXPECT_NE(window.err.find("tavrin: the windows cannot be loaded: "), std::string::npos)
      << window.err;
}

TEST_F(RunModeTest, PathWithBlanksGivenAsOneArgument) {
  const std::string folder = dir.file("my collections");
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/My Games.tavrin";
  WriteFile(path, Collection({Record("One", RecorderPath(), "x", 1)}));
  const auto result = RunProcess({TavrinPath(), path, "/RUN"}, env);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadRecording(record).size(), 1u);
}

TEST_F(RunModeTest, ProgramsNotWaitedForOutliveTheLauncher) {
  const std::string release = dir.file("release");
  const auto result = Run(Collection({Record("Bg", RecorderPath(), "--wait-for=" + release, 0)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // The launcher has ended; the program is still waiting for its release.
  WriteFile(release, "");
  const auto runs = WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);
}

// Documents open with the desktop's default application for their type.
struct DocumentTest : RunModeTest {
  void SetUp() override {
    const std::string apps = dir.file("data/applications");
    std::filesystem::create_directories(apps);
    std::filesystem::create_directories(dir.file("config"));
    WriteFile(apps + "/tavrin-test-viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Test Viewer\nExec=" + RecorderPath() +
                  " viewer %f\nMimeType=text/plain;\n");
    WriteFile(dir.file("config/mimeapps.list"),
              "[Default Applications]\ntext/plain=tavrin-test-viewer.desktop\n");
    env["XDG_DATA_DIRS"] = "/usr/share";
  }
};

TEST_F(DocumentTest, DocumentOpensWithItsDefaultApplicationInItsFolder) {
  std::filesystem::create_directories(dir.file("docs"));
  const std::string doc = dir.file("docs/read me.txt");
  WriteFile(doc, "hello\n");
  const auto result = Run(Collection({Record("Doc", doc, "", 0)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto runs = WaitForRecording(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"viewer", doc}));
  EXPECT_EQ(runs[0].cwd, dir.file("docs"));
}

TEST_F(DocumentTest, DocumentWithoutApplicationGivesThirtyOne) {
  const std::string blob = dir.file("data.unknownblob");
  WriteFile(blob, std::string("\x00\x01\x02\x03\xff\xfe", 6));
  const auto result = Run(Collection({Record("Blob", blob, "", 0)}));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("data.unknownblob\n\nNo application found for this file"),
            std::string::npos)
      << result.err;
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST(ExampleCollection, RunsCleanlyFromTheSourceFolder) {
  const std::string source = testing::SourcePath();
  TempDir dir;
  const auto result =
      RunProcess({TavrinPath(), "examples/welcome.tavrin", "/run"},
                 {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"TAVRIN_HOME", dir.str()}}, source);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("The Tavrin - Error:"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("Hello from Tavrin! Parameters with blanks"), std::string::npos)
      << result.out;
}

}  // namespace
}  // namespace tavrin
