// The forms on POSIX: file names are bytes, whatever the encoding they were written in;
// a relative File is looked for through the real shell and system.
#include <stdlib.h>

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

// A name that is no valid UTF-8 (Latin-1 "café") is listed, picked, loaded and proposed
// for a save by the bytes the folder listing gave.
TEST_F(MainForm, NamesThatAreNoUtf8AreListedAndLoadedByTheirBytes) {
  const std::string latin1 = "caf\xe9";
  Collection(latin1, {"espresso"});
  Collection("Tools", {"make"});
  Open();
  EXPECT_THAT(view->entries, ElementsAre("<None>", latin1, "Tools"));
  form->cboColl_Click(1);
  EXPECT_EQ(Seen(), latin1 + ": espresso [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file(latin1 + ".tavrin"));
  EXPECT_THAT(boxes, ::testing::IsEmpty());
  dialogs.answers = {{true, dir.file(latin1)}};
  Click(MainControl::tbCollSave);
  EXPECT_EQ(dialogs.requests.at(0).initialName, latin1);
  EXPECT_EQ(Seen(), latin1 + ": espresso [save delete exec]");
}

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
  auto& opened = view->editorOpenedWith.at(0).texts;
  EXPECT_EQ(opened[EditControl::txtItem] + "|" + opened[EditControl::txtFile] + "|" +
                opened[EditControl::txtParams],
            shown + "|/srv/report\\xe2\\x80\\xaefdp.sh|-x\\x1b[2J");
  EXPECT_EQ(state.Items[0], Item(odd.ItemName, odd.File, odd.Params, kStyleMaximized));
  EXPECT_THAT(view->items, ElementsAre(shown, "b"));
  form->lstItems_DblClick();
  EXPECT_EQ(state.Items[0].ItemName + "|" + state.Items[0].File, "Notes|" + odd.File);
  EXPECT_THAT(view->items, ElementsAre("Notes", "b"));
}

// The details pane and the item editor look for a relative File where its start looks,
// in the collection's folder, never in the launcher's current folder.
TEST(RelativeFile, TheDetailsAndTheEditorLookWhereTheStartLooks) {
  testing::FormWorld world;
  const testing::TempDir& dir = world.dir;
  fs::create_directories(dir.file("lists"));
  WriteFile(dir.file("lists/notes.txt"), "hello\n");
  fs::copy_file(testing::RecorderPath(), dir.file("lists/tool"));
  // In the launcher's current folder the same names are a folder and a text file.
  fs::create_directories(dir.file("elsewhere/notes.txt"));
  WriteFile(dir.file("elsewhere/tool"), "no program\n");
  const fs::path before = fs::current_path();
  fs::current_path(dir.file("elsewhere"));
  setenv("TAVRIN_HOME", dir.file("lists").c_str(), 1);
  posix::PosixShell shell;
  posix::PosixSystemInfo system;
  Platform platform{world.fake.toolkit, shell, world.fake.files, system, world.fake.registry};
  world.state.Items = {Item("notes", "./notes.txt"), Item("same", dir.file("lists/notes.txt")),
                       Item("folder", dir.file("elsewhere/notes.txt"))};
  world.state.CurrentCollFile = dir.file("lists/c.tavrin");
  FrmMain form(world.Context(platform), world.state.CurrentCollFile);
  FakeMainView view;
  form.Form_Load(view);
  const auto typeLine = [&](int entry) {
    form.lstItems_Click(entry);
    const auto at = view.details.find("Type: ");
    return view.details.substr(at, view.details.find('\n', at) - at);
  };
  EXPECT_EQ(typeLine(0), typeLine(1));
  EXPECT_NE(typeLine(0), typeLine(2));
  for (const auto& [file, waitable] :
       {std::pair<std::string, bool>{"./tool", true}, {"./notes.txt", false}}) {
    SCOPED_TRACE(file);
    world.edit.EditItem = Item("x", file);
    FrmItemEdit editor(world.Context(platform));
    FakeItemEditView edit(editor);
    editor.Form_Load(edit);
    EXPECT_EQ(edit.Enabled(EditControl::cWait), waitable);
  }
  fs::current_path(before);
  unsetenv("TAVRIN_HOME");
}

}  // namespace
}  // namespace tavrin
