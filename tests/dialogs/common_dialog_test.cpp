// The Open and Save As dialog records and what they ask the system's dialogs for.
#include "dialogs/common_dialog.h"

#include <gtest/gtest.h>

#include "collection/paths.h"
#include "fakes.h"

namespace tavrin {
namespace {

TEST(ShowOpenDialog, StartsEmptyAndGivesThePathBeforeTheFirstNul) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  record.lpstrFile = "/some/previous/path";
  dialogs.answers = {{true, "/chosen/file.exe"}};
  ASSERT_TRUE(ShowOpenDialog(record, 2, dialogs));
  const FileDialogRequest& r = dialogs.requests.at(0);
  EXPECT_EQ(r.initialName, "");
  EXPECT_EQ(r.initialDir, "");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_TRUE(r.fileMustExist);
  EXPECT_FALSE(r.overwritePrompt);
  EXPECT_EQ(record.Flags, 0x281004u);
  EXPECT_EQ(record.nMaxFile, 1025u);
  ASSERT_EQ(r.filters.size(), 3u);
  EXPECT_EQ(r.filters[1].description, "Executables");
  EXPECT_EQ(r.filters[2].patterns, "*.*");
  EXPECT_EQ(r.filters[1].programs, !kPathsIgnoreCase);
  EXPECT_FALSE(r.filters[0].programs);
  EXPECT_EQ(record.lpstrFile.size(), 1025u);
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/chosen/file.exe");
}

TEST(ShowSaveDialog, ProposesTheCallersNameInTheCallersFolder) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = "/home/me/collections";
  dialogs.answers = {{true, "/home/me/collections/Games"}};
  ASSERT_TRUE(ShowSaveDialog(record, dialogs));
  const FileDialogRequest& r = dialogs.requests.at(0);
  EXPECT_TRUE(r.save);
  EXPECT_EQ(r.initialName, "Games");
  EXPECT_EQ(r.initialDir, "/home/me/collections");
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_TRUE(r.overwritePrompt);
  EXPECT_FALSE(r.fileMustExist);
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[1].description, "All Files");
  EXPECT_EQ(record.Flags, 0x28000Eu);
  EXPECT_EQ(record.nMaxFile, 1024u);
  // No extension is added to a typed name.
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/home/me/collections/Games");
}

TEST(ShowDialogs, CancelReturnsFalseAndLeavesTheBuffer) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  record.lpstrFile = "Games   ";
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(record.lpstrFile, "Games   ");
  EXPECT_FALSE(ShowOpenDialog(record, 1, dialogs));
  EXPECT_EQ(CutAtNull(record.lpstrFile), "");
}

}  // namespace
}  // namespace tavrin
