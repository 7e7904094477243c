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
  EXPECT_EQ(r.initialName + r.initialDir, "");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_TRUE(r.fileMustExist && !r.overwritePrompt && !r.save);
  ASSERT_EQ(r.filters.size(), 3u);
  EXPECT_EQ(r.filters[1].description, "Executables");
  EXPECT_EQ(r.filters[2].patterns, "*.*");
  EXPECT_EQ(r.filters[1].programs, !kPathsIgnoreCase);  // files with execute permission too
  EXPECT_FALSE(r.filters[0].programs);
  EXPECT_EQ(record.lpstrFile.size(), 1025u);
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/chosen/file.exe");
}

// The caller's name is proposed in the caller's folder; no extension is added to a typed
// name. Cancelled, the buffer stays as it was.
TEST(ShowSaveDialog, ProposesTheCallersNameInTheCallersFolder) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = "/home/me/collections";
  dialogs.answers = {{true, "/home/me/collections/Games"}};
  ASSERT_TRUE(ShowSaveDialog(record, dialogs));
  const FileDialogRequest& r = dialogs.requests.at(0);
  EXPECT_EQ(r.initialName, "Games");
  EXPECT_EQ(r.initialDir, "/home/me/collections");
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_TRUE(r.save && r.overwritePrompt && !r.fileMustExist);
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[1].description, "All Files");
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/home/me/collections/Games");
  record.lpstrFile = "Games   ";
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(record.lpstrFile, "Games   ");
  EXPECT_FALSE(ShowOpenDialog(record, 1, dialogs));
  EXPECT_EQ(CutAtNull(record.lpstrFile), "");
}

}  // namespace
}  // namespace tavrin
