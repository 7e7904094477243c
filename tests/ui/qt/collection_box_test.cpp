// The collection box as a user meets it in Qt: which gestures pick an entry (and so
// load a collection) and which only change its text, and where the arrow keys start
// from.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>

#include "collection/collfile.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

struct CollectionBox : WindowTest {
  // Four collections, listed after <None> in name order.
  void FourCollections() {
    Collection("Alpha", {"a1", "a2"});
    Collection("Games", {"chess", "go"});
    Collection("Tools", {"make"});
    Collection("zebra", {"z"});
  }
  QComboBox* Combo() const { return window->cboColl(); }
  // Focuses the box and types `text` over what it shows.
  void TypeInBox(const std::string& text) {
    Combo()->setFocus();
    Combo()->lineEdit()->selectAll();
    QTest::keyClicks(Combo(), QString::fromStdString(text));
  }
  QRect EntryRect(int row) const {
    return Combo()->view()->visualRect(Combo()->view()->model()->index(row, 0));
  }
  // Opens the list and clicks the entry named `name`.
  void ClickBoxEntry(const std::string& name) {
    Combo()->showPopup();
    ASSERT_TRUE(Combo()->view()->isVisible());
    QTest::mouseClick(Combo()->view()->viewport(), Qt::LeftButton, {},
                      EntryRect(EntryOf(name)).center());
  }
};

// A click on an entry of the open list, Enter on the highlighted entry of the open list
// and an arrow key in the closed box pick an entry, which loads its collection.
TEST_F(CollectionBox, PicksOfAnEntryLoadIt) {
  FourCollections();
  Open();
  ClickBoxEntry("Games");
  EXPECT_FALSE(Combo()->view()->isVisible());
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  // Alt+Down opens the list, Down highlights the next entry, Enter picks it.
  QTest::keyClick(Combo(), Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Combo()->view()->isVisible());
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  QTest::keyClick(Combo()->view(), Qt::Key_Down);
  QTest::keyClick(Combo()->view(), Qt::Key_Return);
  EXPECT_EQ(Seen(), "Tools: make [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Tools.tavrin"));
  // Arrow keys in the closed box pick the next and the previous entry.
  QTest::keyClick(Combo(), Qt::Key_Down);
  EXPECT_EQ(Seen(), "zebra: z [save delete exec]");
  QTest::keyClick(Combo(), Qt::Key_Down);  // the last entry: nothing further
  EXPECT_EQ(Seen(), "zebra: z [save delete exec]");
  QTest::keyClick(Combo(), Qt::Key_Up);
  QTest::keyClick(Combo(), Qt::Key_Up);
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  // A pick of the collection already shown reloads it, changes and all.
  form->CollChanged(true);
  ClickBoxEntry("Games");
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  EXPECT_TRUE(boxes.empty());
}

// Typing, Tab, a click elsewhere, Enter in the box's text, opening and closing the list
// and Execute hiding the window pick nothing, even when the text is a collection's name:
// the unsaved changes stay.
TEST_F(CollectionBox, LeavingTheBoxPicksNothing) {
  FourCollections();
  Open();
  window->activateWindow();
  QApplication::setActiveWindow(window.get());
  ClickBoxEntry("Alpha");
  form->CollChanged(true);  // unsaved changes
  const std::string changed = "<Current Collection>: a1 a2 [save exec]";
  ASSERT_EQ(Seen(), changed);

  TypeInBox("Games");
  EXPECT_EQ(Seen(), "Games: a1 a2 [save exec]");  // typing changes the text only
  QTest::keyClick(Combo(), Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), Combo());
  EXPECT_EQ(Seen(), "Games: a1 a2 [save exec]");

  TypeInBox("Tools");
  QTest::mouseClick(window->lstItems()->viewport(), Qt::LeftButton, {}, QPoint(2, 200));
  EXPECT_EQ(Seen(), "Tools: a1 a2 [save exec]");
  // The arrow button opens the list; Esc closes it again.
  QTest::mouseClick(Combo(), Qt::LeftButton, {}, QPoint(Combo()->width() - 4, 4));
  ASSERT_TRUE(Combo()->view()->isVisible());
  QTest::keyClick(Combo()->view(), Qt::Key_Escape);
  EXPECT_EQ(Seen(), "Tools: a1 a2 [save exec]");

  TypeInBox("Games");
  QTest::keyClick(Combo(), Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Combo()->view()->isVisible());
  QTest::keyClick(Combo()->view(), Qt::Key_Escape);
  EXPECT_FALSE(Combo()->view()->isVisible());
  EXPECT_TRUE(window->isVisible());  // Esc closed the list, not the window
  EXPECT_EQ(Seen(), "Games: a1 a2 [save exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Alpha.tavrin"));
  EXPECT_TRUE(fake.shell.calls.empty());

  // Execute with Shift held hides the window for the run: what runs is what the list
  // shows, and the collection typed into the box is not loaded on the way.
  QTest::keyPress(Combo(), Qt::Key_Shift);
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  ASSERT_TRUE(window->isVisible());
  EXPECT_EQ(fake.shell.calls, (Strings{"shell:a1", "shell:a2"}));
  EXPECT_EQ(Seen(), "Games: a1 a2 [save exec]");
  QTest::keyRelease(Combo(), Qt::Key_Shift);
}

// From <None>, a collection's name typed and Enter: nothing is loaded, and Execute, which
// the typed text enabled, starts nothing, as the list shows nothing.
TEST_F(CollectionBox, EnterInTheTextLoadsNothingAndRunsNothing) {
  FourCollections();
  Open();
  TypeInBox("Games");
  EXPECT_EQ(Seen(), "Games: [exec]");
  QTest::keyClick(Combo(), Qt::Key_Return);
  EXPECT_TRUE(fake.shell.calls.empty());
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(state.HasItems);
}

// The arrow keys go on from the entry the box shows, after a start with a file, after a
// save and after a collection from elsewhere that has a namesake in the folder.
TEST_F(CollectionBox, ArrowKeysStartFromTheEntryShown) {
  FourCollections();
  ASSERT_EQ(ReadCollectionFile(state, dir.file("Games.tavrin"), fake.files), LoadOk);
  Open(dir.file("Games.tavrin"));
  EXPECT_EQ(Combo()->currentIndex(), EntryOf("Games"));
  QTest::keyClick(Combo(), Qt::Key_Down);
  EXPECT_EQ(Seen(), "Tools: make [save delete exec]");

  dialogs.answers = {{true, dir.file("Beta")}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(Seen(), "Beta: make [save delete exec]");
  EXPECT_EQ(Combo()->currentIndex(), EntryOf("Beta"));
  QTest::keyClick(Combo(), Qt::Key_Up);
  EXPECT_EQ(Seen(), "Alpha: a1 a2 [save delete exec]");

  // A text that is no entry has no current entry: Down picks the first one.
  form->tbColl_ButtonClick(MainControl::tbCollNew);
  EXPECT_EQ(Combo()->currentIndex(), -1);
  QTest::keyClick(Combo(), Qt::Key_Down);
  EXPECT_EQ(Seen(), "<None>: []");
  QTest::keyClick(Combo(), Qt::Key_Down);
  EXPECT_EQ(Seen(), "Alpha: a1 a2 [save delete exec]");
}

// The mouse wheel over the closed box picks nothing either.
TEST_F(CollectionBox, TheWheelPicksNothing) {
  FourCollections();
  Open();
  ClickBoxEntry("Games");
  form->CollChanged(true);
  const QPoint at = Combo()->rect().center();
  QWheelEvent wheel(at, Combo()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Combo(), &wheel);
  EXPECT_EQ(Seen(), "<Current Collection>: chess go [save exec]");
}

}  // namespace
}  // namespace tavrin
