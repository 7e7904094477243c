// The item editor's Qt view: what the form fills in shows, and what the user does
// reaches the form.
#include <QCheckBox>
#include <memory>

#include "collection/paths.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::Item;

struct ItemEditorView : ::testing::Test, testing::FormWorld {
  std::unique_ptr<ItemEditor> editor;
  std::unique_ptr<FrmItemEdit> form;

  ItemEditor& Open(CollItem item) {
    editor.reset();
    edit.EditItem = std::move(item);
    edit.EditCancelled = false;
    form = std::make_unique<FrmItemEdit>(Context());
    editor = std::make_unique<ItemEditor>(*form, nullptr);
    editor->show();
    Activate(editor.get());
    return *editor;
  }
};

// Typing, the style list, the check box and the buttons reach the form, and it shows.
TEST_F(ItemEditorView, GesturesReachTheForm) {
  ItemEditor& e = Open(Item("x", "/bin/x"));
  QTest::keyClick(e.txtFile(), Qt::Key_End);
  QTest::keyClicks(e.txtFile(), ".exe");
  EXPECT_TRUE(e.cWait()->isEnabled());  // the form's rules, shown
  EXPECT_TRUE(e.btnOk()->isEnabled());
  QTest::mouseClick(e.cWait(), Qt::LeftButton);
  EXPECT_TRUE(form->WaitChecked());
  e.cboStyle()->setFocus();
  QTest::keyClick(e.cboStyle(), Qt::Key_Down);
  QTest::keyClicks(e.txtParams(), "-v");
  dialogs.answers = {{true, testing::BinPath("tool")}};
  e.tbOpenButton("Open")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(e.tbOpenButton("Open"), Qt::Key_Return);  // Enter on a button presses it
  EXPECT_EQ(e.txtFile()->text().toStdString(), testing::BinPath("tool"));
  QTest::mouseClick(e.tbOpenButton("Find"), Qt::LeftButton);
  ASSERT_EQ(fake.shell.shellStarts.size(), 1u);
  EXPECT_EQ(fake.shell.shellStarts[0].file, FolderPart(testing::BinPath("tool")));
  e.txtItem()->setFocus();
  e.txtItem()->selectAll();
  QTest::keyClicks(e.txtItem(), "Renamed");
  QTest::keyClick(e.txtItem(), Qt::Key_Return);  // Enter in a text box presses OK
  EXPECT_FALSE(e.isVisible());
  EXPECT_FALSE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem, Item("Renamed", testing::BinPath("tool"), "-v", kStyleMinimized));
}

// Esc, the close box and Cancel store nothing.
TEST_F(ItemEditorView, CancelInEveryWay) {
  const std::pair<const char*, void (*)(ItemEditor&)> ways[] = {
      {"Esc", [](ItemEditor& e) { QTest::keyClick(e.txtItem(), Qt::Key_Escape); }},
      {"the close box", [](ItemEditor& e) { e.close(); }},
      {"Cancel", Cancel}};
  for (const auto& [name, cancel] : ways) {
    SCOPED_TRACE(name);
    ItemEditor& e = Open(Item("kept", "/bin/kept"));
    QTest::keyClicks(e.txtItem(), "changed");
    cancel(e);
    EXPECT_FALSE(e.isVisible());
    EXPECT_TRUE(edit.EditCancelled);
    EXPECT_EQ(edit.EditItem.ItemName, "kept");
  }
}

}  // namespace
}  // namespace tavrin
