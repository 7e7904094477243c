// The item editor form: when OK becomes available, the wait box's rule, browsing and
// Find, what OK, Cancel and the close box store, and Enter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "collection/text.h"
#include "fake_views.h"
#include "fakes.h"
#include "forms/details.h"
#include "forms/keys.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::FakeItemEditView;
using testing::Item;

CollItem It(const std::string& name, int16_t wait = kFalse) {
  return Item(name, "/bin/" + name, "", kStyleNormal, wait);
}

struct ItemEditor : ::testing::Test {
  testing::FakePlatform fake;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  std::unique_ptr<FrmItemEdit> form;
  std::unique_ptr<FakeItemEditView> view;

  // Opens the editor on `item` as the main window does.
  FakeItemEditView& Open(CollItem item) {
    edit.EditItem = std::move(item);
    edit.EditCancelled = false;
    form = std::make_unique<FrmItemEdit>(FormContext{state, edit, fake.platform, dialogs});
    view = std::make_unique<FakeItemEditView>(*form);
    form->Form_Load(*view);
    return *view;
  }
  std::string File() { return view->texts[EditControl::txtFile]; }
};

// The dialog opens with the item's values, the name selected whole, and OK disabled.
TEST_F(ItemEditor, OpensWithTheItemAndTheNameSelected) {
  CollItem item = Item("Notes", "/bin/notes.exe", "-a -b", kStyleMaximized, kTrue);
  FakeItemEditView& e = Open(item);
  EXPECT_THAT(e.styles, ElementsAre("Hidden", "Normal", "Minimized", "Maximized", "Normal no focus",
                                    "Minimized no focus"));
  EXPECT_EQ(e.texts[EditControl::txtItem], "Notes");
  EXPECT_EQ(File(), "/bin/notes.exe");
  EXPECT_EQ(e.texts[EditControl::txtParams], "-a -b");
  EXPECT_EQ(e.style, kStyleMaximized);
  EXPECT_TRUE(e.waitChecked);
  EXPECT_TRUE(e.Enabled(EditControl::cWait));
  EXPECT_EQ(e.selectedWhole, EditControl::txtItem);
  EXPECT_FALSE(e.Enabled(EditControl::btnOk));
  EXPECT_TRUE(e.Enabled(EditControl::tbOpenFind));
  Ok(e);  // impossible at once
  EXPECT_FALSE(e.unloaded);
}

// Any change enables OK, a change of letter case too; typed back, OK stays.
TEST_F(ItemEditor, OkWaitsForAChangeAndStaysAvailable) {
  CollItem it = Item("notepad", "/bin/notepad.exe", "-a");
  struct Change {
    const char* name;
    std::function<void(FakeItemEditView&)> make;
  };
  const std::vector<Change> changes = {
      {"name typed and typed back",
       [](FakeItemEditView& e) {
         e.Type(EditControl::txtItem, "Notepad");
         e.Type(EditControl::txtItem, "notepad");
       }},
      {"parameters", [](FakeItemEditView& e) { e.Type(EditControl::txtParams, "-b"); }},
      {"file", [](FakeItemEditView& e) { e.Type(EditControl::txtFile, "/bin/vi"); }},
      {"style", [](FakeItemEditView& e) { e.PickStyle(3); }},
      {"wait", [](FakeItemEditView& e) { e.ClickWait(); }}};
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    FakeItemEditView& e = Open(it);
    change.make(e);
    EXPECT_TRUE(e.Enabled(EditControl::btnOk));
  }
}

// "Wait until finished" is for programs only, by the last three letters; a document
// whose wait is set opens with it checked but disabled.
TEST_F(ItemEditor, WaitIsOnlyForProgramsByTheLastThreeLetters) {
  FakeItemEditView& e = Open(It("x"));
  struct Case {
    const char* file;
    bool program;
  };
  for (const Case& c :
       {Case{"c:/tools/run.bat", true}, Case{"c:/data/telecom", true}, Case{"SETUP.EXE", true},
        Case{"c:/tools/readme.txt", false}, Case{"", false}}) {
    SCOPED_TRACE(c.file);
    e.Type(EditControl::txtFile, "c:/tools/setup.com");
    if (!e.waitChecked) e.ClickWait();
    ASSERT_TRUE(e.waitChecked);
    e.Type(EditControl::txtFile, c.file);
    EXPECT_EQ(e.Enabled(EditControl::cWait), c.program);
    EXPECT_EQ(e.waitChecked, c.program);
  }
  CollItem document = It("notes", kTrue);
  document.File = "notes.txt";
  FakeItemEditView& d = Open(document);
  EXPECT_TRUE(d.waitChecked);
  EXPECT_FALSE(d.Enabled(EditControl::cWait));
  EXPECT_FALSE(d.Enabled(EditControl::btnOk));
  // Beyond the name's ending, what the system knows: on Linux a file with execute
  // permission, or a name found on PATH.
  EXPECT_TRUE(CountsAsProgram("mytool", true));
  EXPECT_FALSE(CountsAsProgram("mytool", false));
  EXPECT_TRUE(CountsAsProgram("run.BaT", false));
}

// Browsing puts the chosen path into the File box (a cancelled one changes nothing);
// Find follows the File box and opens the file's folder, or a bare name itself.
TEST_F(ItemEditor, BrowsingAndFind) {
  FakeItemEditView& e = Open(Item("x", ""));
  EXPECT_FALSE(e.Enabled(EditControl::tbOpenFind));
  const std::string sep(1, kNativeSeparator);
  // A name with a letter beyond ASCII: lowered as the system lowers it.
  const std::string chosen = sep + "Program Files" + sep + "App" + sep + "Main\xC9.EXE";
  dialogs.answers = {{true, chosen}};
  e.Click(EditControl::tbOpenOpen);
  e.Click(EditControl::tbOpenOpen);  // cancelled
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[0].filterIndex, 2);
  EXPECT_EQ(dialogs.requests[0].initialName, "");
  EXPECT_EQ(File(),
            kPathsIgnoreCase ? sep + "program files" + sep + "app" + sep + "main\xE9.exe" : chosen);
  EXPECT_TRUE(e.Enabled(EditControl::tbOpenFind));
  EXPECT_TRUE(e.Enabled(EditControl::cWait));
  EXPECT_TRUE(e.Enabled(EditControl::btnOk));
  e.Click(EditControl::tbOpenFind);
  e.Type(EditControl::txtFile, "run.bat");
  e.Click(EditControl::tbOpenFind);
  ASSERT_EQ(fake.shell.shellStarts.size(), 2u);
  const std::string folder = sep + "Program Files" + sep + "App";
  EXPECT_EQ(fake.shell.shellStarts[0].file, kPathsIgnoreCase ? LowerAscii(folder) : folder);
  EXPECT_EQ(fake.shell.shellStarts[0].verb, "Open");
  EXPECT_EQ(fake.shell.shellStarts[0].show, kSwShowNormal);
  EXPECT_EQ(fake.shell.shellStarts[1].file, "run.bat");
  e.Type(EditControl::txtFile, "");
  EXPECT_FALSE(e.Enabled(EditControl::tbOpenFind));
}

// OK stores the values, even empty ones; a style without an entry is kept unless one is
// picked. Cancel and the close box store nothing.
TEST_F(ItemEditor, WhatOkCancelAndTheCloseBoxStore) {
  CollItem odd = It("old");
  odd.WinStyle = 9;
  FakeItemEditView& e = Open(odd);
  EXPECT_EQ(e.style, -1);
  e.Type(EditControl::txtItem, "");
  e.Type(EditControl::txtFile, "");
  e.Type(EditControl::txtParams, "p q");
  Ok(e);
  EXPECT_TRUE(e.unloaded);
  EXPECT_EQ(edit.EditItem, Item("", "", "p q", 9));
  EXPECT_FALSE(edit.EditCancelled);
  FakeItemEditView& picked = Open(odd);
  picked.PickStyle(5);
  Ok(picked);
  EXPECT_EQ(edit.EditItem.WinStyle, 5);
  for (int how : {0, 1}) {
    SCOPED_TRACE(how == 0 ? "Cancel" : "the close box");
    FakeItemEditView& c = Open(It("kept"));
    c.Type(EditControl::txtItem, "changed");
    if (how == 0) Cancel(c);
    if (how == 1) c.CloseBox();
    EXPECT_TRUE(c.unloaded);
    EXPECT_TRUE(edit.EditCancelled);
    EXPECT_EQ(edit.EditItem.ItemName, "kept");
  }
  // An unload by OK's own hand is no cancel.
  FakeItemEditView& k = Open(It("k"));
  form->Form_QueryUnload(1);
  EXPECT_FALSE(edit.EditCancelled);
  (void)k;
}

// Enter presses the focused button (Cancel stores nothing), and otherwise OK while it is
// enabled; with Ctrl or Alt it is not the dialog's.
TEST_F(ItemEditor, EnterPressesTheFocusedButtonOrOk) {
  FakeItemEditView& e = Open(It("name"));
  e.Type(EditControl::txtItem, "Renamed");
  e.Enter(EditControl::btnCancel);
  EXPECT_TRUE(e.unloaded);
  EXPECT_TRUE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem.ItemName, "name");

  FakeItemEditView& f = Open(Item("New Item", "/bin/tool.exe"));
  f.Enter(EditControl::cWait);  // OK is still disabled
  EXPECT_FALSE(f.unloaded);
  f.Enter(EditControl::tbOpenOpen);
  EXPECT_EQ(dialogs.requests.size(), 1u);
  EXPECT_FALSE(f.unloaded);
  f.Type(EditControl::txtParams, "-x");
  EXPECT_FALSE(form->Form_KeyDown(kKeyReturn, kCtrlMask, EditControl::txtParams));
  EXPECT_FALSE(form->Form_KeyDown(kKeyReturn, kAltMask, EditControl::txtParams));
  EXPECT_FALSE(f.unloaded);
  f.Enter(EditControl::cWait, kShiftMask);
  EXPECT_TRUE(f.unloaded);
  EXPECT_FALSE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem, Item("New Item", "/bin/tool.exe", "-x"));
}

}  // namespace
}  // namespace tavrin
