#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "collection/collfile.h"
#include "fakes.h"
#include "native_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::FakeSystemInfo;
using testing::ReadFile;
using testing::RecordingShell;
using testing::ScriptedToolkit;
using testing::TempDir;
using testing::WriteFile;

const std::string kUpgradeQuestion =
    "This Tavrin Collections in of an old version.\nDo you want to upgrade it?";

class ReportLoad : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedToolkit toolkit;
  RecordingShell shell;
  testing::NativeFileSystem files;
  FakeSystemInfo system;
  testing::MemoryRegistry registry;
  Platform platform{toolkit, shell, files, system, registry};
  CollectionState state;
};

TEST_F(ReportLoad, NotACollectionShowsAnErrorAndStops) {
  EXPECT_FALSE(ReportLoadResult(LoadNotCollection, "/home/u/x.tavrin", state, platform));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, "/home/u/x.tavrin\n\nThis file is not a Tavrin Collection!!");
  EXPECT_EQ(toolkit.boxes[0].style, 16);
  EXPECT_EQ(toolkit.boxes[0].caption, "The Tavrin - Error:");
}

TEST_F(ReportLoad, AFailedLoadShowsAnErrorAndStops) {
  EXPECT_FALSE(ReportLoadResult(LoadFailed, "x.tavrin", state, platform));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, "x.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  EXPECT_EQ(toolkit.boxes[0].style, 16);
  EXPECT_EQ(toolkit.boxes[0].caption, "The Tavrin - Error:");
}

TEST_F(ReportLoad, OtherCodesShowNothingAndStop) {
  for (const int16_t code : {int16_t{0}, int16_t{4}, int16_t{-1}, int16_t{32767}}) {
    EXPECT_FALSE(ReportLoadResult(code, "x.tavrin", state, platform)) << code;
  }
  EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(ReportLoad, AnOldVersionAsksAndGoesOnWhenTheAnswerIsNo) {
  const std::string path = dir.file("old.tavrin");
  const std::string old = "\"Tavrin File\"\r\n0\r\n\"A\",\"a\",3\r\n";
  WriteFile(path, old);
  toolkit.answers = {kAnswerNo};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, platform));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, path + "\n\n" + kUpgradeQuestion);
  EXPECT_EQ(toolkit.boxes[0].style, 36);
  EXPECT_EQ(toolkit.boxes[0].caption, "The Tavrin - Question:");
  EXPECT_EQ(ReadFile(path), old);
}

TEST_F(ReportLoad, UpgradingRewritesAnOldFileInTheCurrentVersion) {
  const std::string path = dir.file("old.tavrin");
  WriteFile(path, "\"Tavrin File\"\r\n1\r\n\"A\",\"C:\\A.EXE\",\"3\"\r\n\"B\",\"b\",2\r\n");
  ASSERT_EQ(ReadCollectionFile(state, path), LoadOldVersion);
  toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, platform));
  EXPECT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(ReadFile(path),
            "\"Tavrin File 1.2\"\r\n1\r\n"
            "\"A\",\"C:\\A.EXE\",\"\",3,#FALSE#\r\n"
            "\"B\",\"b\",\"\",2,#FALSE#\r\n");
  CollectionState reloaded;
  EXPECT_EQ(ReadCollectionFile(reloaded, path), LoadOk);
  EXPECT_EQ(reloaded.Items, state.Items);
}

TEST_F(ReportLoad, UpgradingWritesToTheGivenPathAndShowsTheName) {
  const std::string path = dir.file("old.tavrin");
  WriteFile(path, "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n");
  ASSERT_EQ(ReadCollectionFile(state, path), LoadOldVersion);
  toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, platform, path));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, "old.tavrin\n\n" + kUpgradeQuestion);
  EXPECT_EQ(ReadFile(path), "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n");
}

TEST_F(ReportLoad, UpgradingAFileWithAnotherExtensionWritesBesideIt) {
  const std::string path = dir.file("old.txt");
  const std::string old = "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n";
  WriteFile(path, old);
  ASSERT_EQ(ReadCollectionFile(state, path), LoadOldVersion);
  toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, platform));
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(ReadFile(dir.file("old.tavrin")),
            "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n");
}

TEST_F(ReportLoad, AnUpgradeThatCannotBeSavedSaysSoAndStillGoesOn) {
  const std::string path = dir.file("gone/old.tavrin");
  toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, platform, path));
  ASSERT_EQ(toolkit.boxes.size(), 2u);
  EXPECT_EQ(toolkit.boxes[1].text, "old.tavrin\n\nThe Tavrin was unable to save this file!!");
  EXPECT_EQ(toolkit.boxes[1].style, 16);
  EXPECT_EQ(toolkit.boxes[1].caption, "The Tavrin - Error:");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

}  // namespace
}  // namespace tavrin
