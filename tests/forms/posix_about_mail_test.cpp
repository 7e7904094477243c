// The About box's feedback mail through the real POSIX shell, to a recording mail
// handler of a throw-away desktop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "fake_views.h"
#include "fakes.h"
#include "forms/frm_about.h"
#include "platform/posix/posix_shell.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::WriteFile;

// The address reaches the desktop's handler of "mailto:" whole, subject and all: the
// collection folder that comes with it is no part of it.
TEST(AboutForm, TheFeedbackMailReachesTheDesktopsMailHandler) {
  testing::TempDir dir;
  fs::create_directories(dir.file("data/applications"));
  fs::create_directories(dir.file("config"));
  fs::create_directories(dir.file("collections"));
  WriteFile(dir.file("data/applications/tavrin-test-mail.desktop"),
            "[Desktop Entry]\nType=Application\nNoDisplay=true\nName=Mail\nExec=" +
                testing::RecorderPath() + " mail %u\nMimeType=x-scheme-handler/mailto;\n");
  WriteFile(dir.file("config/mimeapps.list"),
            "[Default Applications]\nx-scheme-handler/mailto=tavrin-test-mail.desktop\n");
  // GIO reads these once, at its first question; this process asks it nothing before.
  setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  setenv("XDG_DATA_DIRS", "/usr/share", 1);
  setenv("XDG_CONFIG_DIRS", dir.file("none").c_str(), 1);
  setenv("XDG_CURRENT_DESKTOP", "", 1);
  setenv("TAVRIN_RECORD", dir.file("record.log").c_str(), 1);

  testing::FakePlatform fake;
  fake.system.collectionFolder = dir.file("collections");
  posix::PosixShell shell;
  Platform platform{fake.toolkit, shell, fake.files, fake.system, fake.registry};
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  FrmAbout about({state, edit, platform, dialogs});
  testing::FakeAboutView view;
  about.Form_Load(view);
  about.lblMail_Click();

  const auto runs = testing::WaitForRecording(dir.file("record.log"), 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_THAT(runs[0].args,
              ::testing::ElementsAre("mail", std::string("mailto:") + FrmAbout::kFeedbackAddress +
                                                 "?subject=Tavrin Feedback!!"));
  EXPECT_THAT(fake.toolkit.boxes, ::testing::IsEmpty());
  EXPECT_FALSE(view.unloaded);
  unsetenv("TAVRIN_RECORD");
}

}  // namespace
}  // namespace tavrin
