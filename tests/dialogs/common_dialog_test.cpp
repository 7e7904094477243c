// The Open and Save As dialog records and what they ask the system's dialogs for.
#include "dialogs/common_dialog.h"

#include <gtest/gtest.h>

#include "collection/paths.h"
#include "fakes.h"

namespace tavrin {
namespace {

// Open offers collections, programs (on POSIX, files with execute permission too) and all
// files, for existing files only, and gives the path before the first NUL of its buffer.
// Save As asks before replacing a file, adds no extension to a typed name and leaves the
// current folder alone. Cancelled, a dialog leaves the buffer as it was.
TEST(FileDialogs, OpenAndSaveAs) {
  testing::ScriptedFileDialogs dialogs;
  OpenFileName record;
  dialogs.answers = {{true, "/chosen/file.exe"}, {true, "/home/me/Games"}};
  ASSERT_TRUE(ShowOpenDialog(record, 2, dialogs));
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/chosen/file.exe");
  const FileDialogRequest& open = dialogs.requests.at(0);
  EXPECT_TRUE(open.fileMustExist && !open.overwritePrompt && !open.save && !open.keepCurrentDir);
  ASSERT_EQ(open.filters.size(), 3u);
  EXPECT_EQ(open.filters[1].description, "Executables");
  EXPECT_EQ(open.filters[1].programs, !kPathsIgnoreCase);
  record.lpstrFile = "Games" + std::string(1019, ' ');
  ASSERT_TRUE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(CutAtNull(record.lpstrFile), "/home/me/Games");
  const FileDialogRequest& save = dialogs.requests.at(1);
  EXPECT_TRUE(save.save && save.overwritePrompt && save.keepCurrentDir && !save.fileMustExist);
  EXPECT_EQ(save.initialName, "Games");
  EXPECT_EQ(save.filters.size(), 2u);
  record.lpstrFile = "Games   ";
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  EXPECT_EQ(record.lpstrFile, "Games   ");
}

}  // namespace
}  // namespace tavrin
