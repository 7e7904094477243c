// The main window's Qt view: that each gesture of the mouse and of the keyboard reaches
// the form, the access keys, the item popup from the keyboard, and the names that
// assistive technology reads.
#include <QAccessible>
#include <QMenu>
#include <QMenuBar>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::Item;
using ::testing::StartsWith;

CollItem It(const std::string& name) { return Item(name, "/bin/" + name); }

struct MainWindowView : WindowTest {
  // What is enabled of the item buttons, in their order: Up, Edit, Remove, Open, Down.
  std::string ItemButtons() const {
    std::string seen;
    for (int i = 0; i < 5; ++i) seen += window->tbItemButton(i)->isEnabled() ? "1" : "0";
    return seen;
  }
  QWidget* Focus() const { return QApplication::focusWidget(); }
};

// Clicks, the right button, the double click, the toolbars and Delete reach the form, and
// the window shows what it says: while a waited item runs, that it waits.
TEST_F(MainWindowView, GesturesReachTheForm) {
  Collection("Games", {"chess", "go", "tetris"});
  std::string during;
  fake.shell.during = [this, &during] {
    during = window->windowTitle().toStdString() + (window->isEnabled() ? "" : " disabled") +
             (window->cursor().shape() == Qt::WaitCursor ? " waiting" : "");
  };
  Open();
  Pick("Games");
  ClickEntry(2);
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_THAT(window->picDetails()->text(), StartsWith("tetris\n"));
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
  state.Items[1].Wait = kTrue;
  QTest::mouseClick(window->tbItemButton(3), Qt::LeftButton);  // Open
  EXPECT_EQ(during, "The Tavrin - Waiting for program to finish... disabled waiting");
  EXPECT_EQ(window->windowTitle(), "The Tavrin");
  EXPECT_TRUE(window->isEnabled());
  EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
  QTest::mouseClick(window->collButton("New"), Qt::LeftButton);
  EXPECT_EQ(Seen(), "<New Collection>: []");
}

// The item buttons follow the selection: a click below the last entry or a Ctrl+click on
// the selected one leaves none. After a load, the first Down selects the first entry.
TEST_F(MainWindowView, TheItemButtonsFollowTheSelection) {
  Open({It("chess"), It("go")});
  Activate(window.get());
  QListWidget* list = window->lstItems();
  list->setFocus(Qt::TabFocusReason);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(form->SelectedIndex(), 0);
  EXPECT_EQ(ItemButtons(), "11111");
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(form->SelectedIndex(), 1);
  const QRect last = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, last.bottomLeft() + QPoint(4, 20));
  EXPECT_EQ(ItemButtons(), "00000");
  EXPECT_EQ(window->picDetails()->text(), "");
  ClickEntry(0);
  EXPECT_EQ(ItemButtons(), "11111");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(ItemButtons(), "00000");
}

// A long collection is laid out in batches once the window is shown; as soon as events
// run, End goes to the last item and shows it.
TEST_F(MainWindowView, EndReachesTheLastItemOfALongCollectionAtOnce) {
  std::vector<CollItem> items;
  for (int i = 0; i < 500; ++i) items.push_back(It("item" + std::to_string(i)));
  Open(items);
  Activate(window.get());
  QListWidget* list = window->lstItems();
  list->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  QTest::keyClick(list, Qt::Key_End);
  EXPECT_EQ(form->SelectedIndex(), 499);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(499))));
}

// The window's keys reach the form from the focused control, the box's text field too;
// the access keys of Execute and Exit press them.
TEST_F(MainWindowView, KeysReachTheFormFromTheFocusedControl) {
  Collection("Games", {"chess", "go"});
  const std::string games = "Games: chess go [save delete exec]";
  const Strings about = {"About The Tavrin... | Version 1.04.04"};
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* focus;  // a control's name, or "text" for the box's text field
    std::string after;  // what is seen, or "closed"
    std::size_t starts;
    Strings modal = {};
  } cases[] = {
      {"Enter runs and closes", Qt::Key_Return, {}, "lstItems", "closed", 2},
      {"Shift+Enter runs", Qt::Key_Return, Qt::ShiftModifier, "lstItems", games, 2},
      {"Shift+Enter on New", Qt::Key_Return, Qt::ShiftModifier, "New", "<New Collection>: []", 0},
      {"Esc closes", Qt::Key_Escape, {}, "lstItems", "closed", 0},
      {"Ctrl+X closes", Qt::Key_X, Qt::ControlModifier, "text", "closed", 0},
      {"F1 shows the About box", Qt::Key_F1, {}, "cboColl", games, 0, about},
      // Alt is a modifier: the window stays open after the run.
      {"Alt+T presses Execute", Qt::Key_T, Qt::AltModifier, "cboColl", games, 2},
      {"Alt+X presses Exit", Qt::Key_X, Qt::AltModifier, "cboColl", "closed", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake.shell.calls.clear();
    modalShown.clear();
    Open();
    Pick("Games");
    Activate(window.get());
    QWidget* focus = std::string(c.focus) == "text" ? window->cboColl()->lineEdit()
                                                    : window->findChild<QWidget*>(c.focus);
    focus->setFocus(Qt::TabFocusReason);
    QTest::keyClick(focus, c.key, c.modifiers);
    EXPECT_EQ(window->isVisible() ? Seen() : "closed", c.after);
    EXPECT_EQ(fake.shell.calls.size(), c.starts);
    EXPECT_EQ(modalShown, c.modal);
  }
}

// The access keys of the menus and the frames work from every control, the box included.
TEST_F(MainWindowView, AccessKeysWorkFromEveryControl) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  ClickEntry(0);
  const std::vector<std::pair<std::string, QWidget*>> controls = {
      {"box", window->cboColl()},
      {"list", window->lstItems()},
      {"Up button", window->tbItemButton(0)},
      {"Execute", window->btnExec()}};
  for (const auto& [name, control] : controls) {
    SCOPED_TRACE(name);
    Activate(window.get());
    control->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(Focus(), control);
    QTest::keyClick(Focus(), Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(Focus(), window->lstItems());
    EXPECT_EQ(Box(), "Games");  // nothing typed into the box
    QTest::keyClick(Focus(), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(Focus(), window->cboColl());
    control->setFocus(Qt::TabFocusReason);
    for (const auto& [key, menu] : {std::pair{Qt::Key_F, "&File"}, {Qt::Key_P, "O&ptions"}}) {
      QTest::keyClick(Focus(), key, Qt::AltModifier);
      QMenuBar* bar = window->menuBar();
      ASSERT_NE(bar->activeAction(), nullptr) << menu;
      EXPECT_EQ(bar->activeAction()->text().toStdString(), menu);
      if (QMenu* open = bar->activeAction()->menu()) open->close();
      Activate(window.get());
      control->setFocus(Qt::TabFocusReason);
    }
    EXPECT_EQ(Box(), "Games");
  }
}

// The Menu key and Shift+F10 open the item popup below the selected entry, or the one of
// an empty selection; its entries work from the keyboard.
TEST_F(MainWindowView, MenuKeyAndShiftF10OpenTheItemPopup) {
  Open({It("a"), It("b"), It("c")});
  Activate(window.get());
  QListWidget* list = window->lstItems();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Menu);
  ASSERT_TRUE(window->mnuPopItem1()->isVisible());
  EXPECT_FALSE(window->mnuPopItem2()->isVisible());
  editorScripts = {Rename("d")};
  QTest::keyClick(window->mnuPopItem1(), Qt::Key_A);  // "&Add..."
  EXPECT_FALSE(window->mnuPopItem1()->isVisible());
  EXPECT_EQ(Seen(), "<Current Collection>: a b c d [save exec]");

  Activate(window.get());
  ClickEntry(1);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
  QMenu* popup = window->mnuPopItem2();
  ASSERT_TRUE(popup->isVisible());
  const QRect entry = list->visualItemRect(list->item(1));
  EXPECT_EQ(popup->pos().y(), list->viewport()->mapToGlobal(entry.bottomLeft()).y());
  QTest::keyClick(popup, Qt::Key_R);  // "&Remove"
  EXPECT_EQ(Seen(), "<Current Collection>: a c d [save exec]");
}

// Assistive technology reads a name for every control (the frames' captions, which label
// the box's text field too) and the details pane's text.
TEST_F(MainWindowView, ScreenReadersFindNamesAndTheDetailsText) {
  Open({It("chess"), It("go")});
  const auto name = [](QObject* o) {
    return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name).toStdString();
  };
  std::string labels;
  for (const auto& [label, relation] :
       QAccessible::queryAccessibleInterface(window->cboColl())->relations(QAccessible::Label)) {
    labels += label->text(QAccessible::Name).toStdString() + ";";
  }
  EXPECT_EQ(labels, "Tavrin Collection;");
  EXPECT_EQ(name(window->cboColl()->lineEdit()), "Tavrin Collection");
  EXPECT_EQ(name(window->lstItems()), "Tavrin Items");
  EXPECT_EQ(name(window->picDetails()), "Item Details");
  EXPECT_EQ(name(window->btnExec()), "Execute Tavrin");

  QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(window->picDetails());
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->role(), QAccessible::StaticText);
  EXPECT_EQ(pane->text(QAccessible::Value).toStdString(), "");
  ClickEntry(1);
  const std::string details = window->picDetails()->text();
  ASSERT_THAT(details, StartsWith("go\n"));
  EXPECT_EQ(pane->text(QAccessible::Value).toStdString(), details);
  EXPECT_EQ(pane->text(QAccessible::Description).toStdString(), details);
  QAccessibleTextInterface* text = pane->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(0, text->characterCount()).toStdString(), details);
}

}  // namespace
}  // namespace tavrin
