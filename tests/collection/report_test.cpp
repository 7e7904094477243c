#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "collection/collfile.h"
#include "fakes.h"
#include "native_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::ReadFile;
using testing::WriteFile;

const std::string kQuestion =
    "\n\nThis Tavrin Collections in of an old version.\nDo you want to upgrade it?";
const std::string kOld = "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n";
const std::string kUpgraded = "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n";

struct ReportLoad : ::testing::Test {
  testing::TempDir dir;
  testing::NativeFileSystem files;
  testing::FakePlatform fake{files};
  std::vector<testing::ShownBox>& boxes = fake.toolkit.boxes;
  CollectionState state;
  std::string path = dir.file("old.tavrin");

  void ReadOld(const std::string& where) {
    WriteFile(where, kOld);
    ASSERT_EQ(ReadCollectionFile(state, where), LoadOldVersion);
  }
};

TEST_F(ReportLoad, FailuresShowAnErrorAndStopOtherCodesShowNothing) {
  const std::pair<int16_t, std::string> cases[] = {
      {LoadNotCollection, "x.tavrin\n\nThis file is not a Tavrin Collection!!"},
      {LoadFailed, "x.tavrin\n\nThe Tavrin was unable to load the Collection!!"},
      {LoadOk, ""},
      {4, ""},
      {-1, ""},
      {32767, ""}};
  for (const auto& [code, text] : cases) {
    boxes.clear();
    EXPECT_FALSE(ReportLoadResult(code, "x.tavrin", state, fake.platform)) << code;
    ASSERT_EQ(boxes.size(), text.empty() ? 0u : 1u) << code;
    if (text.empty()) continue;
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].style, 16);
    EXPECT_EQ(boxes[0].caption, "The Tavrin - Error:");
  }
}

TEST_F(ReportLoad, AnOldVersionAsksAndGoesOnWhenTheAnswerIsNo) {
  ReadOld(path);
  fake.toolkit.answers = {kAnswerNo};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, fake.platform));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, path + kQuestion);
  EXPECT_EQ(boxes[0].style, 36);
  EXPECT_EQ(boxes[0].caption, "The Tavrin - Question:");
  EXPECT_EQ(ReadFile(path), kOld);
}

// The box shows the name it is given; the upgrade writes to the path that was read.
TEST_F(ReportLoad, UpgradingRewritesTheFileThatWasReadInTheCurrentVersion) {
  ReadOld(path);
  fake.toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform, path));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "old.tavrin" + kQuestion);
  EXPECT_EQ(ReadFile(path), kUpgraded);

  std::filesystem::remove(path);
  ReadOld(dir.file("old.txt"));  // another extension: the upgrade is written beside it
  fake.toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, dir.file("old.txt"), state, fake.platform));
  EXPECT_EQ(ReadFile(dir.file("old.txt")), kOld);
  EXPECT_EQ(ReadFile(dir.file("old.tavrin")), kUpgraded);
}

TEST_F(ReportLoad, AnUpgradeThatCannotBeSavedSaysSoAndStillGoesOn) {
  fake.toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform,
                               dir.file("gone/old.tavrin")));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "old.tavrin\n\nThe Tavrin was unable to save this file!!");
  EXPECT_EQ(boxes[1].style, 16);
  EXPECT_EQ(boxes[1].caption, "The Tavrin - Error:");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

}  // namespace
}  // namespace tavrin
