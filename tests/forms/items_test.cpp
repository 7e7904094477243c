// Items in the main form: adding, editing, removing, moving and opening them, the item
// buttons' enabling and the popup menus.
#include "forms/keys.h"
#include "main_form_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Item;
using testing::kErrorBox;
using ::testing::StartsWith;
using Items = MainFormTest;

CollItem It(const std::string& name, int16_t wait = kFalse) {
  return Item(name, BinPath(name), "", kStyleNormal, wait);
}

// Without a selection the popup offers Add, which appends; with one, Add inserts after
// it. The right button and the keyboard's popup keys leave the selection.
TEST_F(Items, AddFromThePopupAppendsOrInsertsAfterTheSelection) {
  Open({It("a"), It("b"), It("c")});
  form->lstItems_MouseUp(kRightButton);
  view->editorScripts = {Rename("d")};
  form->mnuPItem1_Click();
  ASSERT_EQ(view->editorOpenedWith.size(), 1u);
  EXPECT_EQ(view->editorOpenedWith[0].texts[EditControl::txtItem], "New Item");
  EXPECT_EQ(view->editorOpenedWith[0].texts[EditControl::txtFile], "");
  EXPECT_EQ(view->editorOpenedWith[0].style, kStyleNormal);
  EXPECT_EQ(Seen(), "<Current Collection>: a b c d [save exec]");
  Select(1);
  form->lstItems_MouseUp(kRightButton);
  form->lstItems_MouseUp(1);  // the left button opens nothing
  EXPECT_THAT(view->popups,
              ElementsAre("mnuPopItem1 at the pointer", "mnuPopItem2 at the pointer"));
  EXPECT_EQ(form->SelectedIndex(), 1);
  view->editorScripts = {Rename("b2")};
  form->mnuPitem2_Click(0);
  EXPECT_EQ(Seen(), "<Current Collection>: a b b2 c d [save exec]");
  EXPECT_EQ(view->selected, 1);
  // Inserted above the selection, the selection stays on its item.
  view->editorScripts = {Rename("top")};
  form->OpenItemEditor(-1, 0);
  EXPECT_EQ(Seen(), "<Current Collection>: top a b b2 c d [save exec]");
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_EQ(view->selected, 2);
  // A cancelled add changes nothing, not even the mark; adding to an empty collection
  // replaces its placeholder.
  Open({It("a")});
  form->mnuPItem1_Click();  // the script has run out: the editor is cancelled
  EXPECT_EQ(Seen(), "c: a [save delete exec]");
  EXPECT_FALSE(edit.EditCancelled);
  form->tbColl_ButtonClick(MainControl::tbCollNew);
  view->editorScripts = {Rename("first")};
  form->mnuPItem1_Click();
  EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
  EXPECT_TRUE(state.HasItems);
}

// The Edit button, the popup's Edit and the double click edit; the entry is replaced in
// place and selected again, its run options kept. The wait of the last edited item
// carries to the next new one, its run options do not.
TEST_F(Items, EditReplacesTheEntryInPlace) {
  CollItem c = It("c", kTrue);
  c.Options = {{"Delay", "2000"}, {"Env", "A=1"}};
  Open({It("a"), It("b"), c, It("d")});
  view->editorScripts = {Rename("C!"), Rename("cc"), Rename("ccc"), Rename("e")};
  Press(2, MainControl::tbItemEdit);
  EXPECT_EQ(Seen(), "<Current Collection>: a b C! d [save exec]");
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_EQ(view->selected, 2);
  EXPECT_EQ(view->focus, MainControl::lstItems);
  EXPECT_THAT(view->details, StartsWith("C!\n"));
  form->lstItems_DblClick();
  form->mnuPitem2_Click(1);
  EXPECT_EQ(view->items[2], "ccc");
  EXPECT_EQ(state.Items[2].Options, c.Options);
  EXPECT_EQ(view->editorOpenedWith[1].texts[EditControl::txtItem], "C!");
  form->mnuPItem1_Click();
  ASSERT_EQ(view->editorOpenedWith.size(), 4u);
  EXPECT_TRUE(view->editorOpenedWith[3].waitChecked);
  EXPECT_EQ(state.Items.back(), Item("e", "", "", kStyleNormal, kTrue));
}

// The selection and the details follow a moved item; at the ends nothing changes, not
// even the mark.
TEST_F(Items, MovesFollowTheItem) {
  Open({It("First"), It("Second"), It("Third")});
  Press(0, MainControl::tbItemUp);
  Press(2, MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "c: First Second Third [save delete exec]");
  Press(0, MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "<Current Collection>: Second First Third [save exec]");
  EXPECT_EQ(view->selected, 1);
  EXPECT_EQ(view->focus, MainControl::lstItems);
  EXPECT_THAT(view->details, StartsWith("First\n"));
  EXPECT_THAT(view->details, ::testing::HasSubstr("Position: 2"));
  Click(MainControl::tbItemUp);
  EXPECT_EQ(Seen(), "<Current Collection>: First Second Third [save exec]");  // still changed
  EXPECT_EQ(view->selected, 0);
  // In a collection of one item neither button changes anything.
  Open({It("only")});
  Press(0, MainControl::tbItemUp);
  Press(0, MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "c: only [save delete exec]");
}

// Without a selection every gesture is refused. The Remove button, the popup's Remove and
// the Delete key remove; the only item leaves <None> behind, and on the model the empty
// record.
TEST_F(Items, RemoveFirstLastAndOnly) {
  Open({It("a"), It("b"), It("c"), It("d")});
  form->lstItems_DblClick();
  Key(kKeyDelete, 0, MainControl::lstItems);
  form->tbItem_ButtonClick(MainControl::tbItemEdit);
  form->tbItem_ButtonClick(MainControl::tbItemOpen);
  form->mnuPitem2_Click(0);
  form->OpenItemEditor(-1, 7);
  form->OpenItemEditor(5, 5);
  EXPECT_THAT(view->editorOpenedWith, IsEmpty());
  EXPECT_THAT(fake.shell.calls, IsEmpty());
  EXPECT_EQ(Seen(), "c: a b c d [save delete exec]");
  Press(0, MainControl::tbItemRemove);
  EXPECT_EQ(Seen(), "<Current Collection>: b c d [save exec]");
  EXPECT_EQ(view->selected, 0);
  EXPECT_THAT(view->details, StartsWith("b\n"));
  Select(2);
  Key(kKeyDelete, kShiftMask, MainControl::lstItems);
  EXPECT_EQ(Seen(), "<Current Collection>: b c [save exec]");
  EXPECT_EQ(view->selected, 1);
  form->mnuPitem2_Click(2);
  EXPECT_EQ(Seen(), "<Current Collection>: b [save exec]");
  EXPECT_EQ(form->SelectedIndex(), 0);
  Press(0, MainControl::tbItemRemove);
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(ItemButtons(), "00000");
  state.Items = {It("only")};
  form->DeleteItem(0);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  EXPECT_FALSE(state.HasItems);
}

// The item buttons act on the selected item: without a selection they are disabled, with
// no collection, with an empty one and after its first item was added from the popup
// that the Menu key opens.
TEST_F(Items, ItemButtonsWaitForASelection) {
  Open();
  for (const char* start : {"no collection", "New"}) {
    SCOPED_TRACE(start);
    if (std::string(start) == "New") form->tbColl_ButtonClick(MainControl::tbCollNew);
    view->popups.clear();
    EXPECT_TRUE(form->Form_KeyDown(kKeyApps, 0, MainControl::lstItems));
    EXPECT_THAT(view->popups, ElementsAre("mnuPopItem1 at the selection"));
    view->editorScripts = {Rename("first")};
    form->mnuPItem1_Click();
    EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
    EXPECT_EQ(form->SelectedIndex(), -1);
    EXPECT_EQ(ItemButtons(), "00000");
    Select(0);
    EXPECT_EQ(ItemButtons(), "11111");
  }
}

// Whenever no entry is selected (a click below the last entry, a Ctrl+click on the
// selected one) the item buttons are disabled and the details pane is empty. The first
// Down or Up with nothing selected selects the first entry; then they move as the list
// moves them.
TEST_F(Items, NoSelectionMeansNoItemButtonsAndTheFirstArrowSelectsTheFirstEntry) {
  Open({It("chess"), It("go"), It("tetris")});
  Select(1);
  EXPECT_EQ(ItemButtons(), "11111");
  Select(-1);
  EXPECT_EQ(ItemButtons(), "00000");
  EXPECT_EQ(view->details, "");
  EXPECT_EQ(form->SelectedIndex(), -1);
  form->tbItem_ButtonClick(MainControl::tbItemRemove);
  EXPECT_EQ(Seen(), "c: chess go tetris [save delete exec]");
  for (const int key : {kKeyDown, kKeyUp}) {
    SCOPED_TRACE(key);
    Select(-1);
    EXPECT_TRUE(form->Form_KeyDown(key, 0, MainControl::lstItems));
    EXPECT_EQ(view->selected, 0);
    EXPECT_EQ(ItemButtons(), "11111");
    EXPECT_THAT(view->details, StartsWith("chess\n"));
    // With a selection the list moves it itself.
    EXPECT_FALSE(form->Form_KeyDown(key, 0, MainControl::lstItems));
  }
}

// The Menu key and Shift+F10 open the popup at the selected entry, in the list only;
// F10 alone, and the keys elsewhere, open nothing.
TEST_F(Items, MenuKeyAndShiftF10OpenTheItemPopup) {
  Open({It("a"), It("b"), It("c")});
  Select(1);
  EXPECT_TRUE(form->Form_KeyDown(kKeyF10, kShiftMask, MainControl::lstItems));
  EXPECT_TRUE(form->Form_KeyDown(kKeyApps, 0, MainControl::lstItems));
  EXPECT_FALSE(form->Form_KeyDown(kKeyF10, 0, MainControl::lstItems));
  EXPECT_FALSE(form->Form_KeyDown(kKeyApps, 0, MainControl::cboColl));
  EXPECT_THAT(view->popups,
              ElementsAre("mnuPopItem2 at the selection", "mnuPopItem2 at the selection"));
  EXPECT_EQ(form->SelectedIndex(), 1);
}

// A waited Open shows that it waits while the program runs, and afterwards the window
// is itself again; a failure shows its box after that.
TEST_F(Items, WaitedOpenShowsItWaits) {
  Open(
      {Item("rec", BinPath("rec"), "one", 1, kTrue), Item("gone", dir.file("gone"), "", 1, kTrue)});
  const auto looks = [this] {
    return view->caption + (view->windowEnabled ? " enabled" : " disabled") +
           (view->busy ? " waiting" : "");
  };
  Strings during;
  fake.shell.during = [&] { during.push_back(looks()); };
  fake.shell.results = {kWaitEnded, kRuntimeFileNotFound};
  Press(0, MainControl::tbItemOpen);
  Press(1, MainControl::tbItemOpen);
  EXPECT_EQ(during, Strings(2, "The Tavrin - Waiting for program to finish... disabled waiting"));
  EXPECT_EQ(looks(), "The Tavrin enabled");
  EXPECT_EQ(view->activations, 2);
  EXPECT_THAT(fake.shell.calls, ElementsAre("wait:" + BinPath("rec"), "wait:" + dir.file("gone")));
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + "gone\n\nruntime error " +
                                 std::to_string(kRuntimeFileNotFound)));
}

// "Open Item" never waits and leaves the caption; a failure shows its box.
TEST_F(Items, OpenItemNeverWaitsAndNotWaitedItemsGoThroughTheShell) {
  Open({It("slow", kTrue), It("quick")});
  Select(0);
  fake.shell.results = {kShellSuccess, 31, 2};
  Strings during;
  fake.shell.during = [&] { during.push_back(view->caption + (view->busy ? " busy" : "")); };
  form->mnuPitem2_Click(4);
  form->mnuPitem2_Click(4);
  Press(1, MainControl::tbItemOpen);
  EXPECT_THAT(during, ElementsAre("The Tavrin", "The Tavrin", "The Tavrin busy"));
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:slow", "shell:slow", "shell:quick"));
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + "slow\n\nNo application found for this file",
                                 kErrorBox + "quick\n\nFile Not Found"));
}

// Open and Open Item name a failed file, and the details pane its file and folder, in
// the letter case the system shows paths in: lowered by its code page where file names
// ignore case, letters beyond ASCII too.
TEST_F(Items, FailuresAndTheDetailsShowPathsAsTheSystemDoes) {
  Open({Item("odd", BinPath("\xC0pps") + kNativeSeparator + "Gon\xC9.EXE")});
  Select(0);
  const bool lower = kPathsIgnoreCase;
  const std::string file = lower ? "gon\xE9.exe" : "Gon\xC9.EXE";
  EXPECT_THAT(view->details, ::testing::HasSubstr("\nFile: " + file + "\n"));
  EXPECT_THAT(view->details,
              ::testing::HasSubstr("\n" + BinPath(lower ? "\xE0pps" : "\xC0pps") + "\n"));
  fake.shell.results = {2, 2};
  form->tbItem_ButtonClick(MainControl::tbItemOpen);
  form->mnuPitem2_Click(4);
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + file + "\n\nFile Not Found",
                                 kErrorBox + file + "\n\nFile Not Found"));
}

}  // namespace
}  // namespace tavrin
