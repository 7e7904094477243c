// Where the executable takes the windows module from: absolute folders only, so that a
// module planted in the folder the program was started from never runs.
#ifdef TAVRIN_TEST_PLANTED_MODULE
#include <gtest/gtest.h>

#include <filesystem>

#include "main/gui_host.h"
#include "script_output.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

// Without its own folder (no /proc), the executable takes the module from where it was
// installed, never from the current folder; with it, the module beside it.
TEST(GuiModule, IsLoadedFromTheProgramsFolderOrWhereItIsInstalledOnly) {
  const testing::TempDir dir;
  fs::remove_all(TAVRIN_GUI_INSTALLED_FULL_DIR);
  // Each load of the planted module adds a line to this file.
  const std::string mark = dir.file("loads");
  const auto Loads = [&] { return testing::Lines(testing::ReadFile(mark)).size(); };
  setenv("TAVRIN_TEST_PLANTED_MARK", mark.c_str(), 1);
  fs::create_directories(dir.file("bin"));
  fs::copy_file(TAVRIN_TEST_PLANTED_MODULE, dir.file("tavrin-gui.so"));
  fs::copy_file(TAVRIN_TEST_PLANTED_MODULE, dir.file("bin/tavrin-gui.so"));
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  for (const char* path : {"", "tavrin", "bin/tavrin", "./bin/tavrin"}) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_EQ(OpenGuiModule(path, error), nullptr);
    EXPECT_NE(error.find("the program's own folder is not known"), std::string::npos) << error;
    EXPECT_NE(error.find(TAVRIN_GUI_INSTALLED_FULL_DIR "/tavrin-gui.so"), std::string::npos)
        << error;
  }
  fs::current_path(before);
  EXPECT_EQ(Loads(), 0u);

  std::string error;
  EXPECT_EQ(OpenGuiModule(dir.file("bin/tavrin"), error), nullptr);
  EXPECT_EQ(error, dir.file("bin/tavrin-gui.so") + ": TavrinCreateGui is missing");
  EXPECT_EQ(Loads(), 1u);
  fs::create_directories(TAVRIN_GUI_INSTALLED_FULL_DIR);
  fs::copy_file(TAVRIN_TEST_PLANTED_MODULE, TAVRIN_GUI_INSTALLED_FULL_DIR "/tavrin-gui.so",
                fs::copy_options::overwrite_existing);
  EXPECT_EQ(OpenGuiModule("", error), nullptr);
  fs::remove_all(TAVRIN_GUI_INSTALLED_FULL_DIR);
  EXPECT_EQ(error, TAVRIN_GUI_INSTALLED_FULL_DIR "/tavrin-gui.so: TavrinCreateGui is missing");
  EXPECT_EQ(Loads(), 2u);
  unsetenv("TAVRIN_TEST_PLANTED_MARK");
}

}  // namespace
}  // namespace tavrin
#endif
