// File names on POSIX are bytes, whatever the encoding they were written in.
#include "main_form_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using MainForm = MainFormTest;

// Collection names are bytes: a name that is no valid UTF-8 (Latin-1 "café") is listed,
// picked and loaded as the folder listing gave it.
TEST_F(MainForm, NamesThatAreNoUtf8AreListedAndLoadedByTheirBytes) {
  const std::string latin1 = "caf\xe9";
  Collection(latin1, {"espresso"});
  Collection("Tools", {"make"});
  Open();
  EXPECT_THAT(view->entries, ElementsAre("<None>", latin1, "Tools"));
  form->cboColl_Click(1);
  EXPECT_EQ(Seen(), latin1 + ": espresso [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file(latin1 + ".tavrin"));
  EXPECT_THAT(boxes, IsEmpty());
  // Saved under its name again, it is proposed by those bytes.
  dialogs.answers = {{true, dir.file(latin1)}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(dialogs.requests.at(0).initialName, latin1);
  EXPECT_EQ(Seen(), latin1 + ": espresso [save delete exec]");
}

// A direction control in a text shows the characters around it in another order
// ("report<U+202E>fdp.sh" as "reporths.pdf"): the list and the editor show it escaped,
// as they show control characters (the details pane: see DetailsText). An edit of
// another box keeps it as it was; the box a user types in holds what the user saw.
TEST_F(MainForm, DirectionControlsAreShownEscapedAndKeptAsTheyAre) {
  const std::string rlo = "\xe2\x80\xae";
  const std::string file = "/srv/report" + rlo + "fdp.sh";
  Open({testing::Item("Notes" + rlo + "txt.exe", file, "-x\x1b[2J"), testing::Item("b", "/bin/b")});
  const std::string shown = "Notes\\xe2\\x80\\xaetxt.exe";
  EXPECT_THAT(view->items, ElementsAre(shown, "b"));
  Select(0);
  view->editorScripts = {[](testing::FakeItemEditView& e) {
                           e.PickStyle(kStyleMaximized);
                           Ok(e);
                         },
                         Rename("Notes")};
  form->lstItems_DblClick();
  const auto& opened = view->editorOpenedWith.at(0).texts;
  EXPECT_EQ(opened.at(EditControl::txtItem), shown);
  EXPECT_EQ(opened.at(EditControl::txtFile), "/srv/report\\xe2\\x80\\xaefdp.sh");
  EXPECT_EQ(opened.at(EditControl::txtParams), "-x\\x1b[2J");
  EXPECT_EQ(state.Items[0],
            testing::Item("Notes" + rlo + "txt.exe", file, "-x\x1b[2J", kStyleMaximized));
  EXPECT_THAT(view->items, ElementsAre(shown, "b"));
  form->lstItems_DblClick();
  EXPECT_EQ(state.Items[0].ItemName, "Notes");
  EXPECT_EQ(state.Items[0].File, file);
  EXPECT_THAT(view->items, ElementsAre("Notes", "b"));
}

}  // namespace
}  // namespace tavrin
