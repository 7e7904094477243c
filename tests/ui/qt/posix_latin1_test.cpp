// Texts whose bytes are no valid UTF-8 (a Latin-1 "caf\xe9" on Linux) are shown the same
// way in every control, and come back as the same bytes: a pick loads the file, an edit
// of other characters keeps the byte, a save writes it.
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using Latin1Name = WindowTest;

// The byte 0xE9 as every control shows it.
const QString kCafe = QString("caf") + QChar(0xDCE9);

TEST_F(Latin1Name, IsShownWithoutLossAndLoadsWhenPicked) {
  Collection("caf\xe9", {"espresso"});
  Collection("Tools", {"make"});
  Open();
  QComboBox* box = window->cboColl();
  EXPECT_EQ(box->itemText(1), kCafe);
  box->showPopup();
  ASSERT_TRUE(box->view()->isVisible());
  const QRect entry = box->view()->visualRect(box->view()->model()->index(1, 0));
  QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, entry.center());
  EXPECT_EQ(Seen(), "caf\xe9: espresso [save delete exec]");
  EXPECT_EQ(box->currentText(), kCafe);
  EXPECT_EQ(state.CurrentCollFile, dir.file("caf\xe9.tavrin"));
  EXPECT_TRUE(boxes.empty());
}

// The list and the details pane show the name alike; the editor shows it too, and a
// character typed after it keeps the byte in the item and in the saved file.
TEST_F(Latin1Name, SurvivesAnEditAndASave) {
  Open({testing::Item("caf\xe9", "/opt/caf\xe9")});
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
  ASSERT_EQ(editorOpenedWith.size(), 1u);
  EXPECT_EQ(state.Items[0].ItemName,
            "caf\xe9"
            "2");
  EXPECT_EQ(state.Items[0].File,
            "/opt/caf\xe9"
            "2");
  EXPECT_EQ(Listed(), std::vector<std::string>{"caf\xe9"
                                               "2"});
  dialogs.answers = {{true, dir.file("Saved")}};
  QTest::mouseClick(window->collButton("Save"), Qt::LeftButton);
  EXPECT_EQ(testing::ReadFile(dir.file("Saved.tavrin")),
            testing::CollectionText({testing::Item("caf\xe9"
                                                   "2",
                                                   "/opt/caf\xe9"
                                                   "2")}));
}

}  // namespace
}  // namespace tavrin
