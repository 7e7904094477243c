// The item editor form: OK's enabling, the wait box's rule, browsing, Find, what each way
// out stores, and Enter.
#include <memory>

#include "collection/text.h"
#include "fake_views.h"
#include "forms/details.h"

namespace tavrin {
namespace {

struct ItemEditor : ::testing::Test, testing::FormWorld {
  std::unique_ptr<FrmItemEdit> form;
  std::unique_ptr<FakeItemEditView> view;

  // Opens the editor on `item` as the main window does.
  FakeItemEditView& Open(CollItem item) {
    edit.EditItem = std::move(item);
    edit.EditCancelled = false;
    form = std::make_unique<FrmItemEdit>(Context());
    view = std::make_unique<FakeItemEditView>(*form);
    form->Form_Load(*view);
    return *view;
  }
};

const CollItem kNotes = Item("Notes", "/bin/notes.exe", "-a -b", kStyleMaximized, kTrue);

// It opens with the item's values, the name selected and OK disabled until any change.
TEST_F(ItemEditor, OpensWithTheItemAndOkWaitsForAChange) {
  FakeItemEditView& e = Open(kNotes);
  EXPECT_EQ(e.styles.at(e.style), "Maximized");
  EXPECT_EQ(e.Boxes(), "Notes|/bin/notes.exe|-a -b");
  EXPECT_TRUE(e.waitChecked);
  EXPECT_EQ(e.selectedWhole, EditControl::txtItem);
  const struct {
    const char* name;
    std::function<void(FakeItemEditView&)> make;
  } changes[] = {{"name typed and typed back",
                  [](FakeItemEditView& v) {
                    v.Type(EditControl::txtItem, "notes");
                    v.Type(EditControl::txtItem, "Notes");
                  }},
                 {"parameters", [](FakeItemEditView& v) { v.Type(EditControl::txtParams, "-b"); }},
                 {"file", [](FakeItemEditView& v) { v.Type(EditControl::txtFile, "/bin/vi"); }},
                 {"style", [](FakeItemEditView& v) { v.PickStyle(1); }},
                 {"wait", [](FakeItemEditView& v) { v.ClickWait(); }}};
  for (const auto& change : changes) {
    SCOPED_TRACE(change.name);
    FakeItemEditView& v = Open(kNotes);
    EXPECT_FALSE(v.Enabled(EditControl::btnOk));
    change.make(v);
    EXPECT_TRUE(v.Enabled(EditControl::btnOk));
  }
}

// "Wait until finished" is for programs only, by the last three letters or what the
// system knows; a document whose wait is set opens with it checked but disabled.
TEST_F(ItemEditor, WaitIsOnlyForPrograms) {
  FakeItemEditView& e = Open(Item("x", "/bin/x"));
  const struct {
    const char* file;
    bool program;
  } cases[] = {{"c:/tools/run.bat", true},
               {"c:/data/telecom", true},
               {"SETUP.EXE", true},
               {"c:/tools/readme.txt", false},
               {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    e.Type(EditControl::txtFile, "c:/tools/setup.com");
    if (!e.waitChecked) e.ClickWait();
    ASSERT_TRUE(e.waitChecked);
    e.Type(EditControl::txtFile, c.file);
    EXPECT_EQ(e.Enabled(EditControl::cWait), c.program);
    EXPECT_EQ(e.waitChecked, c.program);
  }
  FakeItemEditView& d = Open(Item("notes", "notes.txt", "", kStyleNormal, kTrue));
  EXPECT_TRUE(d.waitChecked);
  EXPECT_FALSE(d.Enabled(EditControl::cWait));
  EXPECT_TRUE(CountsAsProgram("mytool", true));
}

// Browsing fills File as the system shows paths (cancelled, nothing); Find follows File
// and opens its folder; for a bare name the folder of the program found on the search
// path, and nothing when none is found: never the program itself.
TEST_F(ItemEditor, BrowsingAndFind) {
  FakeItemEditView& e = Open(Item("x", ""));
  EXPECT_FALSE(e.Enabled(EditControl::tbOpenFind));
  const std::string folder = BinPath("App");
  const std::string chosen = folder + kNativeSeparator + "Main.EXE";
  dialogs.answers = {{true, chosen}};
  e.Click(EditControl::tbOpenOpen);
  e.Click(EditControl::tbOpenOpen);  // cancelled
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[0].filterIndex, 2);
  EXPECT_EQ(e.texts[EditControl::txtFile], kPathsIgnoreCase ? LowerAscii(chosen) : chosen);
  EXPECT_TRUE(e.Enabled(EditControl::btnOk));
  e.Click(EditControl::tbOpenFind);
  e.Type(EditControl::txtFile, "run.bat");
  e.Click(EditControl::tbOpenFind);
  fake.shell.onPath["cmd.exe"] = BinPath("Tools") + kNativeSeparator + "cmd.exe";
  e.Type(EditControl::txtFile, "cmd.exe");
  e.Click(EditControl::tbOpenFind);
  ASSERT_EQ(fake.shell.shellStarts.size(), 2u);
  const ShellRequest& r = fake.shell.shellStarts[0];
  EXPECT_EQ(r.verb + " " + r.file, "Open " + (kPathsIgnoreCase ? LowerAscii(folder) : folder));
  EXPECT_EQ(r.show, kSwShowNormal);
  EXPECT_EQ(fake.shell.shellStarts[1].file, BinPath("Tools"));
  e.Type(EditControl::txtFile, "");
  EXPECT_FALSE(e.Enabled(EditControl::tbOpenFind));
}

// OK stores the values, empty ones too, and the style picked (a style without an entry is
// kept); Cancel, Enter on Cancel and the close box store nothing.
TEST_F(ItemEditor, WhatOkCancelAndTheCloseBoxStore) {
  const struct {
    const char* name;
    int pick;  // -1: none
    int16_t stored;
  } styles[] = {{"no style picked", -1, 6}, {"Hidden", 0, 0}, {"Minimized no focus", 5, 5}};
  for (const auto& s : styles) {
    SCOPED_TRACE(s.name);
    FakeItemEditView& e = Open(Item("old", "/bin/old", "", 6));
    EXPECT_EQ(e.style, -1);
    e.Type(EditControl::txtItem, "");
    e.Type(EditControl::txtFile, "");
    e.Type(EditControl::txtParams, "p q");
    if (s.pick >= 0) e.PickStyle(s.pick);
    Ok(e);
    EXPECT_TRUE(e.unloaded);
    EXPECT_EQ(edit.EditItem, Item("", "", "p q", s.stored));
    EXPECT_FALSE(edit.EditCancelled);
  }
  const struct {
    const char* name;
    EditorScript cancel;
  } cancels[] = {{"Cancel", Cancel},
                 {"Enter on Cancel", [](FakeItemEditView& v) { v.Enter(EditControl::btnCancel); }},
                 {"the close box", [](FakeItemEditView& v) { v.CloseBox(); }}};
  for (const auto& way : cancels) {
    SCOPED_TRACE(way.name);
    FakeItemEditView& c = Open(Item("kept", "/bin/kept"));
    c.Type(EditControl::txtItem, "changed");
    way.cancel(c);
    EXPECT_TRUE(c.unloaded);
    EXPECT_TRUE(edit.EditCancelled);
    EXPECT_EQ(edit.EditItem.ItemName, "kept");
  }
  Open(Item("k", "/bin/k"));
  form->Form_QueryUnload(1);  // an unload by OK's own hand is no cancel
  EXPECT_FALSE(edit.EditCancelled);
}

// The boxes show control and direction characters escaped; OK stores the bytes the user
// did not edit as they were read, and what was typed as typed.
TEST_F(ItemEditor, OkStoresTheBytesNotTheirEscapes) {
  FakeItemEditView& e = Open(Item("tab\there", "/bin/x\\tools\x1b",
                                  "a\xe2\x80\xae"
                                  "b"));
  // A direction control is a character of UTF-8 only; the ANSI code page shows its bytes.
  EXPECT_EQ(e.Boxes(), kWindowsRules ? "tab\\there|/bin/x\\\\tools\\x1b|a\xe2\x80\xae"
                                       "b"
                                     : "tab\\there|/bin/x\\\\tools\\x1b|a\\xe2\\x80\\xaeb");
  e.Type(EditControl::txtItem, e.texts[EditControl::txtItem] + "!");
  e.Type(EditControl::txtFile, e.texts[EditControl::txtFile] + "\\t");
  e.Type(EditControl::txtParams, e.texts[EditControl::txtParams] + "Z");
  Ok(e);
  EXPECT_EQ(edit.EditItem.ItemName, "tab\there!");
  EXPECT_EQ(edit.EditItem.File, "/bin/x\\tools\x1b\\t");
  EXPECT_EQ(edit.EditItem.Params,
            "a\xe2\x80\xae"
            "bZ");
}

// Enter presses the focused button, and otherwise OK while it is enabled; with Ctrl or Alt
// it is not the dialog's.
TEST_F(ItemEditor, EnterPressesTheFocusedButtonOrOk) {
  FakeItemEditView& f = Open(Item("New Item", "/bin/tool.exe"));
  f.Enter(EditControl::cWait);  // OK is still disabled
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
