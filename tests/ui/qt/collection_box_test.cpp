// The collection box in Qt: which gestures pick an entry (and load it), which only change
// its text.

#include <QScrollBar>

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
};

// A click or Enter in the open list and an arrow key in the closed box pick and load.
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
  // A pick of the collection already shown reloads it, changes and all, once the user
  // said not to save them.
  form->CollChanged(true);
  fake.toolkit.answers = {kAnswerNo};
  ClickBoxEntry("Games");
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  EXPECT_EQ(boxes.size(), 1u);
}

// With more collections than the open list shows, it has a scroll bar.
TEST_F(CollectionBox, ALongListHasAScrollBar) {
  for (int i = 0; i < 14; ++i) Collection("c" + std::to_string(10 + i), {"x"});
  Open();
  Activate(window.get());
  Combo()->showPopup();
  ASSERT_TRUE(Combo()->view()->isVisible());
  EXPECT_TRUE(Combo()->view()->verticalScrollBar()->isVisible());
  Combo()->hidePopup();
}

// Typing a collection's name, then any other gesture, picks nothing: the unsaved changes
// stay, and what Execute runs is what the list shows.
TEST_F(CollectionBox, LeavingTheBoxPicksNothing) {
  FourCollections();
  Open();
  Activate(window.get());
  ClickBoxEntry("Alpha");
  form->CollChanged(true);  // unsaved changes
  const QPoint at = Combo()->rect().center();
  QWheelEvent wheel(at, Combo()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  const std::pair<const char*, std::function<void()>> gestures[] = {
      {"typing", [] {}},
      {"Tab", [&] { QTest::keyClick(Combo(), Qt::Key_Tab); }},
      {"the wheel", [&] { QApplication::sendEvent(Combo(), &wheel); }},
      {"Execute with Shift held, which hides the window for the run", [&] {
         QTest::keyPress(Combo(), Qt::Key_Shift);
         QTest::mouseClick(window->btnExec(), Qt::LeftButton);
         QTest::keyRelease(Combo(), Qt::Key_Shift);
         EXPECT_EQ(fake.shell.calls, (Strings{"shell:a1", "shell:a2"}));
       }}};
  for (const auto& [name, gesture] : gestures) {
    SCOPED_TRACE(name);
    TypeInBox("Games");
    gesture();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Seen(), "Games: a1 a2 [save exec]");
    EXPECT_EQ(state.CurrentCollFile, dir.file("Alpha.tavrin"));
  }
  // Shift released, Enter in the box's text runs the list again and closes the window.
  QTest::keyClick(Combo(), Qt::Key_Return);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(fake.shell.calls.size(), 4u);
  EXPECT_EQ(state.CurrentCollFile, dir.file("Alpha.tavrin"));
}

}  // namespace
}  // namespace tavrin
