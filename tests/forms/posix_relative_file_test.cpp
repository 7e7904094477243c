// What the details pane and the item editor say of a relative File, on the real POSIX
// shell and system: they look where its start looks, in the collection's folder, never
// in the launcher's current folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "fake_views.h"
#include "form_world.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "run_process.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::Item;

TEST(RelativeFile, TheDetailsAndTheEditorLookWhereTheStartLooks) {
  testing::FormWorld world;
  const testing::TempDir& dir = world.dir;
  fs::create_directories(dir.file("lists"));
  testing::WriteFile(dir.file("lists/notes.txt"), "hello\n");
  fs::copy_file(testing::RecorderPath(), dir.file("lists/tool"));
  // In the launcher's current folder the same names are a folder and a text file.
  fs::create_directories(dir.file("elsewhere/notes.txt"));
  testing::WriteFile(dir.file("elsewhere/tool"), "no program\n");
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
  testing::FakeMainView view;
  form.Form_Load(view);
  // The pane's type of "./notes.txt" is that of the text beside the collection.
  const auto typeLine = [&](int entry) {
    form.lstItems_Click(entry);
    const auto at = view.details.find("Type: ");
    return view.details.substr(at, view.details.find('\n', at) - at);
  };
  EXPECT_EQ(typeLine(0), typeLine(1));
  EXPECT_NE(typeLine(0), typeLine(2));

  // The wait box is offered for the program beside the collection, not for the text.
  for (const auto& [file, waitable] :
       {std::pair<std::string, bool>{"./tool", true}, {"./notes.txt", false}}) {
    SCOPED_TRACE(file);
    world.edit.EditItem = Item("x", file);
    FrmItemEdit editor(world.Context(platform));
    testing::FakeItemEditView edit(editor);
    editor.Form_Load(edit);
    EXPECT_EQ(edit.Enabled(EditControl::cWait), waitable);
  }
  fs::current_path(before);
  unsetenv("TAVRIN_HOME");
}

}  // namespace
}  // namespace tavrin
