// The Open and Save As dialog records and what they ask the system's dialogs for.
#include "dialogs/common_dialog.h"

#include <gtest/gtest.h>

#include "collection/paths.h"
#include "fakes.h"

namespace tavrin {
namespace {

// Open starts empty in the system's folder, only for existing files, and gives the path
// before the first NUL of its buffer. Save As proposes the caller's name in the caller's
// folder and asks before replacing a file; it adds no extension to a typed name.
// Cancelled, a dialog leaves the buffer as it was.
TEST(FileDialogs, OpenAndSaveAs) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  record.lpstrFile = "/some/previous/path";
  dialogs.answers = {{true, "/chosen/file.exe"}, {true, "/home/me/collections/Games"}};
  ASSERT_TRUE(ShowOpenDialog(record, 2, dialogs));
  EXPECT_EQ(record.lpstrFile.size(), 1025u);
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/chosen/file.exe");
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = "/home/me/collections";
  ASSERT_TRUE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/home/me/collections/Games");
  const FileDialogRequest& open = dialogs.requests.at(0);
  EXPECT_EQ(open.initialName + open.initialDir, "");
  EXPECT_EQ(open.filterIndex, 2);
  EXPECT_TRUE(open.fileMustExist && !open.overwritePrompt && !open.save);
  ASSERT_EQ(open.filters.size(), 3u);
  EXPECT_EQ(open.filters[1].description, "Executables");
  EXPECT_EQ(open.filters[1].programs, !kPathsIgnoreCase);  // files with execute permission too
  const FileDialogRequest& save = dialogs.requests.at(1);
  EXPECT_EQ(save.initialName + " in " + save.initialDir, "Games in /home/me/collections");
  EXPECT_TRUE(save.save && save.overwritePrompt && !save.fileMustExist);
  ASSERT_EQ(save.filters.size(), 2u);
  EXPECT_EQ(save.filters[1].description + " " + save.filters[1].patterns, "All Files *.*");
  record.lpstrFile = "Games   ";
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(record.lpstrFile, "Games   ");
}

}  // namespace
}  // namespace tavrin
