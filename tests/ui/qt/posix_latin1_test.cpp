// Bytes of no valid UTF-8 (a Latin-1 "caf\xe9") show alike in every control and come back
// whole: a pick loads the file, an edit keeps the byte, a save writes it.
#include <QAccessible>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using Latin1Name = WindowTest;
using testing::Item;

// The byte 0xE9 as every control shows it.
const QString kCafe = QString("caf") + QChar(0xDCE9);

TEST_F(Latin1Name, IsShownWithoutLossAndLoadsWhenPicked) {
  Collection("caf\xe9", {"espresso"});
  Collection("Tools", {"make"});
  Open();
  EXPECT_EQ(window->cboColl()->itemText(1), kCafe);
  ClickBoxEntry("caf\xe9");
  EXPECT_EQ(Seen(), "caf\xe9: espresso [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("caf\xe9.tavrin"));
  EXPECT_TRUE(boxes.empty());
}

// The list, the details and the editor show it; a character typed after it keeps the byte.
TEST_F(Latin1Name, SurvivesAnEditAndASave) {
  Open({Item("caf\xe9", "/opt/caf\xe9")});
  ClickEntry(0);
  EXPECT_EQ(window->lstItems()->item(0)->text(), kCafe);
  QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(window->picDetails());
  EXPECT_TRUE(pane->text(QAccessible::Value).startsWith(kCafe + "\n"));
  editorScripts = {[](ItemEditor& e) {
    EXPECT_EQ(e.txtItem()->text(), kCafe);
    for (QLineEdit* field : {e.txtItem(), e.txtFile()}) {
      field->end(false);
      QTest::keyClicks(field, "2");
    }
    Ok(e);
  }};
  QTest::mouseClick(window->tbItemButton(1), Qt::LeftButton);  // Edit
  const CollItem edited = Item(
      "caf\xe9"
      "2",
      "/opt/caf\xe9"
      "2");
  ASSERT_EQ(editorOpenedWith.size(), 1u);
  EXPECT_EQ(state.Items, std::vector<CollItem>{edited});
  EXPECT_EQ(Listed(), std::vector<std::string>{edited.ItemName});
  dialogs.answers = {{true, dir.file("Saved")}};
  QTest::mouseClick(window->collButton("Save"), Qt::LeftButton);
  EXPECT_EQ(testing::ReadFile(dir.file("Saved.tavrin")), testing::CollectionText({edited}));
}

}  // namespace
}  // namespace tavrin
