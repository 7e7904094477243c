#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "collection/collfile.h"
#include "fakes.h"
#include "native_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::kErrorBox;
using testing::ReadFile;
using testing::WriteFile;
using Strings = std::vector<std::string>;

const std::string kQuestion =
    "\n\nThis Tavrin Collections in of an old version.\nDo you want to upgrade it?";
const std::string kOld = "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n";
const std::string kUpgraded = "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n";

struct ReportLoad : ::testing::Test {
  testing::TempDir dir;
  testing::NativeFileSystem files;
  testing::FakePlatform fake{files};
  CollectionState state;
  std::string path = dir.file("old.tavrin");

  void ReadOld(const std::string& where, int answer) {
    WriteFile(where, kOld);
    ASSERT_EQ(ReadCollectionFile(state, where), LoadOldVersion);
    fake.toolkit.answers = {answer};
  }
};

TEST_F(ReportLoad, FailuresShowAnErrorAndStopOtherCodesShowNothing) {
  for (const int16_t code :
       std::initializer_list<int16_t>{LoadNotCollection, LoadFailed, LoadOk, 4, -1}) {
    EXPECT_FALSE(ReportLoadResult(code, "x.tavrin", state, fake.platform)) << code;
  }
  EXPECT_EQ(fake.toolkit.Shown(),
            (Strings{kErrorBox + "x.tavrin\n\nThis file is not a Tavrin Collection!!",
                     kErrorBox + "x.tavrin\n\nThe Tavrin was unable to load the Collection!!"}));
}

TEST_F(ReportLoad, AnOldVersionAsksAndGoesOnWhenTheAnswerIsNo) {
  ReadOld(path, kAnswerNo);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, fake.platform));
  EXPECT_EQ(fake.toolkit.Shown(), Strings{"The Tavrin - Question: (36) " + path + kQuestion});
  EXPECT_EQ(ReadFile(path), kOld);
}

// The box shows the name it is given; the upgrade writes to the path that was read. A file
// of another extension gets its upgrade beside it.
TEST_F(ReportLoad, UpgradingRewritesTheFileThatWasReadInTheCurrentVersion) {
  ReadOld(path, kAnswerYes);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform, path));
  EXPECT_EQ(fake.toolkit.boxes.at(0).text, "old.tavrin" + kQuestion);
  EXPECT_EQ(ReadFile(path), kUpgraded);
  std::filesystem::remove(path);
  ReadOld(dir.file("old.txt"), kAnswerYes);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, dir.file("old.txt"), state, fake.platform));
  EXPECT_EQ(ReadFile(dir.file("old.txt")), kOld);
  EXPECT_EQ(ReadFile(path), kUpgraded);
  EXPECT_EQ(fake.toolkit.boxes.size(), 2u);
}

TEST_F(ReportLoad, AnUpgradeThatCannotBeSavedSaysSoAndStillGoesOn) {
  fake.toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform,
                               dir.file("gone/old.tavrin")));
  EXPECT_EQ(fake.toolkit.Shown().at(1),
            kErrorBox + "old.tavrin\n\nThe Tavrin was unable to save this file!!");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

}  // namespace
}  // namespace tavrin
