// The item editor's Qt view: what the form fills in shows, and what the user does
// reaches the form.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <memory>

#include "collection/paths.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::Item;

struct ItemEditorView : ::testing::Test {
  testing::FakePlatform fake;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  std::unique_ptr<ItemEditor> editor;
  std::unique_ptr<FrmItemEdit> form;

  ItemEditor& Open(CollItem item) {
    editor.reset();
    edit.EditItem = std::move(item);
    edit.EditCancelled = false;
    form = std::make_unique<FrmItemEdit>(FormContext{state, edit, fake.platform, dialogs});
    editor = std::make_unique<ItemEditor>(*form, nullptr);
    editor->show();
    editor->activateWindow();
    QApplication::setActiveWindow(editor.get());
    return *editor;
  }
};

TEST_F(ItemEditorView, OpensWithTheNameSelectedAndLongTextsShowTheirStart) {
  ItemEditor& e = Open(Item("Notes", "/bin/notes", "-n", kStyleMaximized, kTrue));
  // What the form filled in: the item, the six styles, OK disabled, the name selected.
  EXPECT_EQ(e.txtItem()->text(), "Notes");
  EXPECT_EQ(e.txtFile()->text(), "/bin/notes");
  EXPECT_EQ(e.txtParams()->text(), "-n");
  EXPECT_EQ(e.cboStyle()->count(), 6);
  EXPECT_EQ(e.cboStyle()->currentText(), "Maximized");
  EXPECT_TRUE(e.cWait()->isChecked());
  EXPECT_FALSE(e.cWait()->isEnabled());  // no program
  EXPECT_FALSE(e.btnOk()->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), e.txtItem());
  EXPECT_EQ(e.txtItem()->selectedText(), "Notes");
  // Long texts show their start.
  for (const QLineEdit* box : {e.txtItem(), e.txtFile(), e.txtParams()}) {
    EXPECT_EQ(box->cursorPosition(), 0) << box->objectName().toStdString();
  }
  // Tab passes over what is disabled (the wait box and OK).
  Strings order;
  for (int i = 0; i < 8; ++i) {
    order.push_back(QApplication::focusWidget()->objectName().toStdString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_THAT(order, ElementsAre("txtItem", "txtFile", "txtParams", "cboStyle", "btnCancel", "Open",
                                 "Find", "txtItem"));
}

// Typing, the style list, the check box and the buttons reach the form; what it says
// shows in the controls.
TEST_F(ItemEditorView, GesturesReachTheForm) {
  ItemEditor& e = Open(Item("x", "/bin/x"));
  QTest::keyClick(e.txtFile(), Qt::Key_End);
  QTest::keyClicks(e.txtFile(), ".exe");
  EXPECT_EQ(form->FileText(), "/bin/x.exe");
  EXPECT_TRUE(e.cWait()->isEnabled());
  EXPECT_TRUE(e.btnOk()->isEnabled());
  QTest::mouseClick(e.cWait(), Qt::LeftButton);
  EXPECT_TRUE(form->WaitChecked());
  QTest::keyClicks(e.txtFile(), ".txt");
  EXPECT_FALSE(e.cWait()->isChecked());  // the form's rule, shown
  EXPECT_FALSE(e.cWait()->isEnabled());
  e.cboStyle()->setFocus();
  QTest::keyClick(e.cboStyle(), Qt::Key_Down);
  EXPECT_EQ(form->StyleIndex(), 2);
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

// Esc, the close box, Cancel and Enter on the focused Cancel store nothing.
TEST_F(ItemEditorView, CancelInEveryWay) {
  for (int how = 0; how < 4; ++how) {
    SCOPED_TRACE(how);
    ItemEditor& e = Open(Item("kept", "/bin/kept"));
    QTest::keyClicks(e.txtItem(), "changed");
    if (how == 0) QTest::keyClick(e.txtItem(), Qt::Key_Escape);
    if (how == 1) e.close();  // the close box
    if (how == 2) Cancel(e);
    if (how == 3) {
      e.btnCancel()->setFocus(Qt::TabFocusReason);
      QTest::keyClick(e.btnCancel(), Qt::Key_Return);
    }
    EXPECT_FALSE(e.isVisible());
    EXPECT_TRUE(edit.EditCancelled);
    EXPECT_EQ(edit.EditItem.ItemName, "kept");
  }
}

}  // namespace
}  // namespace tavrin
