// Run mode where only POSIX can show it: the libraries loaded, a missing windows
// module, documents opened by the desktop.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_mode.h"

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
