// Items in the main form: adding, editing, removing, moving and opening them, the item
// buttons' enabling and the popup menus.
#include "fake_views.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using Items = MainFormTest;

CollItem It(const std::string& name, int16_t wait = kFalse) {
  return Item(name, BinPath(name), "", kStyleNormal, wait);
}

// Add appends without a selection and inserts after one (at its place, the selection stays
// on its item); cancelled it changes nothing; an empty collection's placeholder goes.
TEST_F(Items, AddFromThePopupAppendsOrInsertsAfterTheSelection) {
  Open({It("a"), It("b"), It("c")});
  form->lstItems_MouseUp(kRightButton);
  view->editorScripts = {Rename("d"), Rename("b2"), Rename("top")};
  form->mnuPItem1_Click();
  EXPECT_EQ(view->editorOpenedWith.at(0).Boxes(), "New Item||");
  EXPECT_EQ(Seen(), "<Current Collection>: a b c d [save exec]");
  Select(1);
  form->lstItems_MouseUp(kRightButton);
  form->lstItems_MouseUp(1);  // the left button opens nothing
  EXPECT_THAT(view->popups,
              ElementsAre("mnuPopItem1 at the pointer", "mnuPopItem2 at the pointer"));
  form->mnuPitem2_Click(0);
  EXPECT_EQ(Seen(), "<Current Collection>: a *b b2 c d [save exec]");
  form->OpenItemEditor(-1, 1);
  EXPECT_EQ(Seen(), "<Current Collection>: a top *b b2 c d [save exec]");
  EXPECT_EQ(form->SelectedIndex(), 2);
  Open({It("a")});
  form->mnuPItem1_Click();  // the script has run out: the editor is cancelled
  EXPECT_EQ(Seen(), "c: a [save delete exec]");
  EXPECT_FALSE(edit.EditCancelled);
  Click(MainControl::tbCollNew);
  view->editorScripts = {Rename("first")};
  form->mnuPItem1_Click();
  EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
}

// Every way to edit replaces the entry in place, selected, its run options kept; the next
// new item takes the last edited one's wait, not its options.
TEST_F(Items, EditReplacesTheEntryInPlace) {
  CollItem c = It("c", kTrue);
  c.Options = {{"Delay", "2000"}, {"Env", "A=1"}};
  Open({It("a"), It("b"), c, It("d")});
  view->editorScripts = {Rename("C!"), Rename("cc"), Rename("ccc"), Rename("e")};
  Press(2, MainControl::tbItemEdit);
  EXPECT_EQ(Seen(), "<Current Collection>: a b *C! d [save exec]");
  EXPECT_EQ(view->focus, MainControl::lstItems);
  EXPECT_THAT(view->details, StartsWith("C!\n"));
  form->lstItems_DblClick();
  form->mnuPitem2_Click(1);
  EXPECT_EQ(Seen(), "<Current Collection>: a b *ccc d [save exec]");
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
  EXPECT_EQ(Seen(), "c: First Second *Third [save delete exec]");
  Press(0, MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "<Current Collection>: Second *First Third [save exec]");
  EXPECT_EQ(view->focus, MainControl::lstItems);
  EXPECT_THAT(view->details, ::testing::HasSubstr("Position: 2"));
  Click(MainControl::tbItemUp);
  EXPECT_EQ(Seen(), "<Current Collection>: *First Second Third [save exec]");
}

// Without a selection every gesture is refused. Each way to remove selects the entry that
// took the place, or the one above; the only item leaves <None> behind.
TEST_F(Items, RemoveFirstLastAndOnly) {
  Open({It("a"), It("b"), It("c"), It("d")});
  form->lstItems_DblClick();
  form->Form_KeyDown(kKeyDelete, 0, MainControl::lstItems);
  for (MainControl b :
       {MainControl::tbItemEdit, MainControl::tbItemOpen, MainControl::tbItemRemove}) {
    form->tbItem_ButtonClick(b);
  }
  form->mnuPitem2_Click(0);
  form->OpenItemEditor(-1, 7);
  form->OpenItemEditor(5, 5);
  EXPECT_THAT(view->editorOpenedWith, IsEmpty());
  EXPECT_THAT(fake.shell.calls, IsEmpty());
  EXPECT_EQ(Seen(), "c: a b c d [save delete exec]");
  Press(0, MainControl::tbItemRemove);
  EXPECT_EQ(Seen(), "<Current Collection>: *b c d [save exec]");
  EXPECT_THAT(view->details, StartsWith("b\n"));
  Select(2);
  form->Form_KeyDown(kKeyDelete, kShiftMask, MainControl::lstItems);
  EXPECT_EQ(Seen(), "<Current Collection>: b *c [save exec]");
  form->mnuPitem2_Click(2);
  EXPECT_EQ(Seen(), "<Current Collection>: *b [save exec]");
  Press(0, MainControl::tbItemRemove);
  EXPECT_EQ(Seen() + ItemButtons(), "<None>: []00000");
}

// Without a selection the item buttons are disabled and the details empty. The Menu key and
// Shift+F10 open the popup at the selection, in the list only; Down or Up selects the first.
TEST_F(Items, ItemButtonsWaitForASelection) {
  Open();
  EXPECT_TRUE(form->Form_KeyDown(kKeyApps, 0, MainControl::lstItems));
  EXPECT_THAT(view->popups, ElementsAre("mnuPopItem1 at the selection"));
  view->editorScripts = {Rename("first")};
  form->mnuPItem1_Click();
  EXPECT_EQ(Seen() + ItemButtons(), "<Current Collection>: first [save exec]00000");
  Open({It("chess"), It("go"), It("tetris")});
  Select(1);
  view->popups.clear();
  EXPECT_TRUE(form->Form_KeyDown(kKeyF10, kShiftMask, MainControl::lstItems));
  EXPECT_TRUE(form->Form_KeyDown(kKeyApps, 0, MainControl::lstItems));
  EXPECT_FALSE(form->Form_KeyDown(kKeyF10, 0, MainControl::lstItems));
  EXPECT_FALSE(form->Form_KeyDown(kKeyApps, 0, MainControl::cboColl));
  EXPECT_THAT(view->popups,
              ElementsAre("mnuPopItem2 at the selection", "mnuPopItem2 at the selection"));
  for (const int key : {kKeyDown, kKeyUp}) {
    SCOPED_TRACE(key);
    Select(-1);
    EXPECT_EQ(ItemButtons() + view->details, "00000");
    EXPECT_TRUE(form->Form_KeyDown(key, 0, MainControl::lstItems));
    EXPECT_EQ(Seen() + ItemButtons(), "c: *chess go tetris [save delete exec]11111");
    EXPECT_FALSE(form->Form_KeyDown(key, 0, MainControl::lstItems));  // the list moves it
  }
}

// The Options menu's "Run Options..." opens the popup's dialog on the selected item, and
// is disabled while none is selected.
TEST_F(Items, RunOptionsFromTheOptionsMenu) {
  const std::pair<MainMenu, int> entry{MainMenu::mnuOption, 1};
  Open({It("chess"), It("go")});
  EXPECT_FALSE(view->menuEnabled.at(entry));
  form->MenuClick(MainMenu::mnuOption, 1);
  EXPECT_EQ(view->runOptionsShown, 0);
  Select(1);
  EXPECT_TRUE(view->menuEnabled.at(entry));
  form->MenuClick(MainMenu::mnuOption, 1);
  EXPECT_EQ(view->runOptionsShown, 1);
  EXPECT_EQ(edit.EditItem.ItemName, "go");
  form->MenuClick(MainMenu::mnuPopItem2, 5);
  EXPECT_EQ(view->runOptionsShown, 2);
  Click(MainControl::tbCollNew);
  EXPECT_FALSE(view->menuEnabled.at(entry));
  EXPECT_THAT(boxes, IsEmpty());
}

// A waited Open shows that it waits while the program runs; "Open Item" never waits. Each
// failure shows its box afterwards.
TEST_F(Items, OpeningAnItemWaitsOnlyWhereAsked) {
  Open({It("rec", kTrue), It("quick")});
  const auto looks = [this] {
    return view->caption + (view->windowEnabled ? "" : " disabled") + (view->busy ? " busy" : "");
  };
  std::vector<std::string> during;
  fake.shell.during = [&] { during.push_back(looks()); };
  fake.shell.results = {kRuntimeFileNotFound, kShellSuccess, 31, 2};
  Press(0, MainControl::tbItemOpen);
  EXPECT_EQ(looks(), "The Tavrin");
  EXPECT_EQ(view->activations, 1);
  form->mnuPitem2_Click(4);
  form->mnuPitem2_Click(4);
  Press(1, MainControl::tbItemOpen);
  EXPECT_THAT(during, ElementsAre("The Tavrin - Waiting for program to finish... disabled busy",
                                  "The Tavrin", "The Tavrin", "The Tavrin busy"));
  EXPECT_THAT(fake.shell.calls,
              ElementsAre("wait:" + BinPath("rec"), "shell:rec", "shell:rec", "shell:quick"));
  EXPECT_THAT(
      boxes, ElementsAre(kErrorBox + "rec\n\nruntime error " + std::to_string(kRuntimeFileNotFound),
                         kErrorBox + "rec\n\nNo application found for this file",
                         kErrorBox + "quick\n\nFile Not Found"));
}

}  // namespace
}  // namespace tavrin
