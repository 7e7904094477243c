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
  form->tbColl_ButtonClick("Save");
  EXPECT_EQ(dialogs.requests.at(0).initialName, latin1);
  EXPECT_EQ(Seen(), latin1 + ": espresso [save delete exec]");
}

}  // namespace
}  // namespace tavrin
