// Collections started at login through desktop entries in a throw-away
// $XDG_CONFIG_HOME/autostart.
#include "platform/posix/autostart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "temp_dir.h"

namespace tavrin::posix {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

struct XdgAutostartTest : ::testing::Test {
  testing::TempDir dir;
  XdgAutostart autostart{XdgFolders{dir.file("config"), dir.file("data"), {}}};
  std::string folder = dir.file("config") + "/autostart";
  std::string where;
  std::string error;

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Writing again replaces the collection's own entry; another's of the same name, or the
// user's, stays and the new one gets a number; removing takes the collection's alone.
TEST_F(XdgAutostartTest, EntriesOfOtherCollectionsAndOfTheUserAreLeftAlone) {
  std::vector<std::string> removed;
  ASSERT_TRUE(autostart.Enable("/usr/bin/tavrin", "/c/Games.tavrin", where, error)) << error;
  EXPECT_EQ(where, folder + "/tavrin-Games.desktop");
  EXPECT_EQ(ReadFile(where), AutostartEntry("/usr/bin/tavrin", "/c/Games.tavrin"));
  ASSERT_TRUE(autostart.Enable("/opt/tavrin", "/c/Games.tavrin", where, error));
  EXPECT_EQ(where, folder + "/tavrin-Games.desktop");
  EXPECT_EQ(ReadFile(where), AutostartEntry("/opt/tavrin", "/c/Games.tavrin"));

  ASSERT_TRUE(autostart.Enable("/usr/bin/tavrin", "/d/Games.tavrin", where, error));
  EXPECT_EQ(where, folder + "/tavrin-Games-2.desktop");
  const std::string mine = "[Desktop Entry]\nType=Application\nName=Mine\nExec=true\n";
  WriteFile(folder + "/tavrin-Work.desktop", mine);
  WriteFile(folder + "/other.desktop", AutostartEntry("/usr/bin/tavrin", "/c/Work.tavrin"));
  ASSERT_TRUE(autostart.Enable("/usr/bin/tavrin", "/c/Work.tavrin", where, error));
  EXPECT_EQ(where, folder + "/tavrin-Work-2.desktop");
  ASSERT_TRUE(autostart.Disable("/c/Games.tavrin", removed, error));
  EXPECT_EQ(removed, std::vector<std::string>{folder + "/tavrin-Games.desktop"});
  removed.clear();
  ASSERT_TRUE(autostart.Disable("/c/Work.tavrin", removed, error));
  EXPECT_EQ(removed, std::vector<std::string>{folder + "/tavrin-Work-2.desktop"});
  EXPECT_EQ(ReadFile(folder + "/tavrin-Work.desktop"), mine);
  EXPECT_EQ(Files(), (std::vector<std::string>{"other.desktop", "tavrin-Games-2.desktop",
                                               "tavrin-Work.desktop"}));
}

// Paths an entry cannot hold are refused, and a folder that cannot be made. (A '%' in the
// program's path: the run mode's tests.)
TEST_F(XdgAutostartTest, PathsADesktopEntryCannotHoldAreRefused) {
  for (const char* path : {"/c/bad\xff.tavrin", "/c/line\nbreak.tavrin"}) {
    error.clear();
    EXPECT_FALSE(autostart.Enable("/usr/bin/tavrin", path, where, error));
    EXPECT_NE(error.find("valid UTF-8 without control characters"), std::string::npos);
  }
  EXPECT_TRUE(Files().empty());
  WriteFile(dir.file("config"), "a file where the folder would be");
  EXPECT_FALSE(autostart.Enable("/usr/bin/tavrin", "/c/a.tavrin", where, error));
  EXPECT_EQ(error, "cannot write " + folder + "/tavrin-a.desktop");
}

}  // namespace
}  // namespace tavrin::posix
