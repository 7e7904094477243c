// The main window's Qt view: its frames, and that each gesture reaches the form.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using MainWindowView = WindowTest;

// Every control of a frame lies inside the frame's contents, below its caption, and the
// frames lie above Execute and Exit.
TEST_F(MainWindowView, ControlsLieInsideTheirFrames) {
  Open();
  int framesBottom = 0;
  for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
    SCOPED_TRACE(frame->title().toStdString());
    const QRect inside = frame->contentsRect();
    const auto controls = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(controls.isEmpty());
    for (const QWidget* control : controls) {
      EXPECT_TRUE(inside.contains(control->geometry()))
          << control->objectName().toStdString() << " covers the frame's border or caption";
    }
    framesBottom = std::max(framesBottom, frame->geometry().bottom());
  }
  EXPECT_LT(framesBottom, window->btnExec()->geometry().top());
  EXPECT_EQ(window->btnExec()->geometry().top(), window->btnExit()->geometry().top());
}

// What the user does reaches the form, and the window shows what the form says: typing,
// a click on an entry, the right button, the double click, the toolbars, Delete.
TEST_F(MainWindowView, GesturesReachTheForm) {
  Collection("Games", {"chess", "go", "tetris"});
  Open();
  EXPECT_EQ(Seen(), "<None>: []");
  window->cboColl()->lineEdit()->clear();
  QTest::keyClicks(window->cboColl()->lineEdit(), "anything");
  EXPECT_EQ(Seen(), "anything: [exec]");
  EXPECT_EQ(form->CollText(), "anything");
  window->cboColl()->showPopup();
  QTest::keyClick(window->cboColl()->view(), Qt::Key_Down);
  QTest::keyClick(window->cboColl()->view(), Qt::Key_Return);
  EXPECT_EQ(Seen(), "Games: chess go tetris [save delete exec]");
  EXPECT_FALSE(window->tbItemButton(1)->isEnabled());
  ClickEntry(2);
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_TRUE(window->tbItemButton(1)->isEnabled());
  EXPECT_EQ(window->lstItems()->currentRow(), 2);
  // The right button opens the popup of a selected item and leaves the selection.
  QTest::mouseClick(window->lstItems()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(window->mnuPopItem2()->isVisible());
  EXPECT_EQ(window->lstItems()->currentRow(), 2);
  window->mnuPopItem2()->close();
  // The double click edits; the editor's result shows in the list.
  editorScripts = {Rename("Tetris!")};
  emit window->lstItems()->itemDoubleClicked(window->lstItems()->item(2));
  EXPECT_EQ(Seen(), "<Current Collection>: chess go Tetris! [save exec]");
  EXPECT_EQ(window->lstItems()->currentRow(), 2);
  QTest::mouseClick(window->tbItemButton(0), Qt::LeftButton);  // Up
  EXPECT_EQ(Seen(), "<Current Collection>: chess Tetris! go [save exec]");
  EXPECT_EQ(window->lstItems()->currentRow(), 1);
  QTest::keyClick(window->lstItems(), Qt::Key_Delete);
  EXPECT_EQ(Seen(), "<Current Collection>: chess go [save exec]");
  QTest::mouseClick(window->collButton("New"), Qt::LeftButton);
  EXPECT_EQ(Seen(), "<New Collection>: []");
  // Without a selection the popup offers Add.
  QTest::mouseClick(window->lstItems()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(window->mnuPopItem1()->isVisible());
  editorScripts = {Rename("first")};
  window->mnuPopItem1()->actions().at(0)->trigger();
  EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
  EXPECT_THAT(editorOpenedWith, ElementsAre(::testing::Field(&CollItem::ItemName, "tetris"),
                                            ::testing::Field(&CollItem::ItemName, "New Item")));
  // The details pane shows the selected item.
  ClickEntry(0);
  EXPECT_THAT(window->picDetails()->text(), StartsWith("first\n"));
}

// Execute closes the window unless a modifier key is held; F1 shows the About box;
// Ctrl+X and Esc close the window.
TEST_F(MainWindowView, ExecuteKeysAndTheAboutBox) {
  Collection("Games", {"chess", "go"});
  Open();
  window->cboColl()->showPopup();
  QTest::keyClick(window->cboColl()->view(), Qt::Key_Down);
  QTest::keyClick(window->cboColl()->view(), Qt::Key_Return);
  QTest::keyPress(window->lstItems(), Qt::Key_Shift);
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_TRUE(window->isVisible());
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess", "shell:go"));
  QTest::keyRelease(window->lstItems(), Qt::Key_Shift);
  QTest::keyClick(window->lstItems(), Qt::Key_Return);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(fake.shell.calls.size(), 4u);
  Open();
  window->activateWindow();
  QTest::keyClick(window.get(), Qt::Key_F1);
  EXPECT_THAT(modalShown, ElementsAre("About The Tavrin... | Version 1.04.04"));
  QTest::keyClick(window->cboColl()->lineEdit(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
  Open();
  QTest::keyClick(window->lstItems(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

// While a waited item runs, the window shows that it waits; afterwards it is itself
// again.
TEST_F(MainWindowView, AWaitedOpenShowsItWaits) {
  Open({testing::Item("rec", "/bin/rec", "", kStyleNormal, kTrue)});
  std::string during;
  fake.shell.during = [this, &during] {
    during = window->windowTitle().toStdString() +
             (window->isEnabled() ? " enabled" : " disabled") +
             (window->cursor().shape() == Qt::WaitCursor ? " waiting" : "");
  };
  ClickEntry(0);
  QTest::mouseClick(window->tbItemButton(3), Qt::LeftButton);
  EXPECT_EQ(during, "The Tavrin - Waiting for program to finish... disabled waiting");
  EXPECT_EQ(window->windowTitle(), "The Tavrin");
  EXPECT_TRUE(window->isEnabled());
  EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
}

// The About box: Enter and Esc close it; a click on the address reaches the form.
TEST(AboutBoxView, KeysCloseItAndTheAddressMails) {
  testing::FakePlatform fake;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  for (auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    FrmAbout form({state, edit, fake.platform, dialogs});
    qt::AboutBox about(form, nullptr);
    EXPECT_EQ(about.lblVer()->text(), "Version 1.04.04");
    about.show();
    QTest::keyClick(&about, key);
    EXPECT_FALSE(about.isVisible()) << key;
  }
  FrmAbout form({state, edit, fake.platform, dialogs});
  qt::AboutBox about(form, nullptr);
  about.show();
  // From the keyboard: OK has the focus, Tab reaches the link, Enter and Space press it.
  about.activateWindow();
  QApplication::setActiveWindow(&about);
  EXPECT_EQ(QApplication::focusWidget(), about.btnOK());
  QTest::keyClick(about.btnOK(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), about.lblMail());
  QTest::keyClick(about.lblMail(), Qt::Key_Return);
  QTest::keyClick(about.lblMail(), Qt::Key_Space);
  ASSERT_EQ(fake.shell.shellStarts.size(), 2u);
  EXPECT_THAT(fake.shell.shellStarts[0].file,
              StartsWith("mailto:" + about.lblMail()->text().toStdString()));
  QTest::mouseClick(about.lblMail(), Qt::LeftButton);
  EXPECT_EQ(fake.shell.shellStarts.size(), 3u);
  EXPECT_TRUE(about.isVisible());
  // A screen reader finds a link named by the address, and its press action mails.
  QAccessibleInterface* link = QAccessible::queryAccessibleInterface(about.lblMail());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_EQ(link->text(QAccessible::Name), about.lblMail()->text());
  ASSERT_NE(link->actionInterface(), nullptr);
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(fake.shell.shellStarts.size(), 4u);
}

}  // namespace
}  // namespace tavrin
