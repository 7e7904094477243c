// The forms on POSIX: direction controls in UTF-8 texts are shown escaped and kept as
// they are; a relative File is looked for through the real shell and system.
#include <cstdlib>
#include <filesystem>

#include "fake_views.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "run_process.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::WriteFile;
using MainForm = MainFormTest;

// A direction control shows the characters around it in another order: the list and the
// editor show it escaped, as they show control characters. An edit of another box keeps
// it as it was; the box a user types in holds what the user saw.
TEST_F(MainForm, DirectionControlsAreShownEscapedAndKeptAsTheyAre) {
  const std::string rlo = "\xe2\x80\xae";
  const CollItem odd = Item("Notes" + rlo + "txt.exe", "/srv/report" + rlo + "fdp.sh", "-x\x1b[2J");
  Open({odd, Item("b", "/bin/b")});
  const std::string shown = "Notes\\xe2\\x80\\xaetxt.exe";
  EXPECT_THAT(view->items, ElementsAre(shown, "b"));
  Select(0);
  view->editorScripts = {[](FakeItemEditView& e) {
                           e.PickStyle(kStyleMaximized);
                           Ok(e);
                         },
                         Rename("Notes")};
  form->lstItems_DblClick();
  EXPECT_EQ(view->editorOpenedWith.at(0).Boxes(),
            shown + "|/srv/report\\xe2\\x80\\xaefdp.sh|-x\\x1b[2J");
  EXPECT_EQ(state.Items[0], Item(odd.ItemName, odd.File, odd.Params, kStyleMaximized));
  EXPECT_THAT(view->items, ElementsAre(shown, "b"));
  form->lstItems_DblClick();
  EXPECT_EQ(state.Items[0].ItemName + "|" + state.Items[0].File, "Notes|" + odd.File);
  EXPECT_THAT(view->items, ElementsAre("Notes", "b"));
}

// The details pane and the item editor look for a relative File where its start looks,
// in the collection's folder, never in the launcher's current folder.
TEST_F(MainForm, ARelativeFileIsLookedForWhereItsStartLooks) {
  fs::create_directories(dir.file("lists"));
  WriteFile(dir.file("lists/notes.txt"), "hello\n");
  fs::copy_file(testing::RecorderPath(), dir.file("lists/tool"));
  // In the launcher's current folder the same names are a folder and a text file.
  fs::create_directories(dir.file("elsewhere/notes.txt"));
  WriteFile(dir.file("elsewhere/tool"), "no program\n");
  const fs::path before = fs::current_path();
  fs::current_path(dir.file("elsewhere"));
  posix::PosixShell shell;
  posix::PosixSystemInfo system;
  Platform real{fake.toolkit, shell, fake.files, system, fake.registry};
  platform = &real;
  state.Items = {Item("notes", "./notes.txt"), Item("same", dir.file("lists/notes.txt")),
                 Item("folder", dir.file("elsewhere/notes.txt")), Item("tool", "./tool")};
  state.CurrentCollFile = dir.file("lists/c.tavrin");
  Open(state.CurrentCollFile);
  const auto typeLine = [&](int entry) {
    Select(entry);
    const auto at = view->details.find("Type: ");
    return view->details.substr(at, view->details.find('\n', at) - at);
  };
  EXPECT_EQ(typeLine(0), typeLine(1));
  EXPECT_NE(typeLine(0), typeLine(2));
  for (const int entry : {0, 3}) Press(entry, MainControl::tbItemEdit);
  ASSERT_EQ(view->editorOpenedWith.size(), 2u);
  EXPECT_FALSE(view->editorOpenedWith[0].Enabled(EditControl::cWait));
  EXPECT_TRUE(view->editorOpenedWith[1].Enabled(EditControl::cWait));
  fs::current_path(before);
}

// Delete puts the collection in the desktop's trash, from which it can be taken back, and
// asks nothing; where the folder has no trash it asks first (No keeps the file).
TEST_F(MainForm, DeleteMovesTheCollectionToTheTrash) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  Click(MainControl::tbCollDelete);
  EXPECT_THAT(boxes, ::testing::IsEmpty());
  EXPECT_FALSE(fs::exists(dir.file("Games.tavrin")));
  const char* data = std::getenv("XDG_DATA_HOME");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(testing::ReadFile(std::string(data) + "/Trash/files/Games.tavrin"),
            testing::CollectionOfNames({"chess"}));
  EXPECT_EQ(Seen(), "<None>: [save]");

  struct NoTrash : PosixFileSystem {
    int TrashFile(const std::string&) override { return kNoTrash; }
  } noTrash;
  Platform real{fake.toolkit, fake.shell, noTrash, fake.system, fake.registry};
  platform = &real;
  for (const int answer : {kAnswerNo, kAnswerYes}) {
    SCOPED_TRACE(answer == kAnswerYes ? "Yes" : "No");
    Collection("Games", {"chess"});
    Open();
    Pick("Games");
    boxes.clear();
    fake.toolkit.answers = {answer};
    Click(MainControl::tbCollDelete);
    EXPECT_THAT(boxes, ElementsAre("The Tavrin - Question: (292) " + dir.file("Games.tavrin") +
                                   "\n\nThis folder has no trash: the file would be deleted for "
                                   "good.\nDo you want to delete it?"));
    EXPECT_EQ(fs::exists(dir.file("Games.tavrin")), answer == kAnswerNo);
  }
}

}  // namespace
}  // namespace tavrin
