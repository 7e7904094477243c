// The windows without a mouse and for a screen reader: access keys from every control,
// Enter and Shift+Enter, the item popup from the keyboard, the item buttons' enabling,
// the item editor's keys, and the names that assistive technology reads.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::Item;

CollItem It(const std::string& name) { return Item(name, "/bin/" + name); }

struct Keyboard : WindowTest {
  // The window takes keys as the active window does.
  void Activate(QWidget* w) {
    w->activateWindow();
    QApplication::setActiveWindow(w);
  }
  // What is enabled of the item buttons, in their order: Up, Edit, Remove, Open, Down.
  std::string ItemButtons() const {
    std::string seen;
    for (int i = 0; i < 5; ++i) seen += window->tbItemButton(i)->isEnabled() ? "1" : "0";
    return seen;
  }
  QWidget* Focus() const { return QApplication::focusWidget(); }
};

// From the keyboard alone: the Menu key's popup adds the first item, and an arrow key
// selects it, which enables the item buttons.
TEST_F(Keyboard, AddAndSelectWithoutTheMouse) {
  Open();
  EXPECT_EQ(ItemButtons(), "00000");
  Activate(window.get());
  window->lstItems()->setFocus(Qt::TabFocusReason);
  editorScripts = {Rename("first")};
  QTest::keyClick(window->lstItems(), Qt::Key_Menu);
  QTest::keyClick(window->mnuPopItem1(), Qt::Key_A);  // "&Add..."
  EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
  EXPECT_EQ(ItemButtons(), "00000");
  QTest::keyClick(window->lstItems(), Qt::Key_Down);
  EXPECT_EQ(form->SelectedIndex(), 0);
  EXPECT_EQ(ItemButtons(), "11111");
}

// The item buttons follow the list's selection whichever way it goes: a click below the
// last entry or a Ctrl+click on the selected one leaves none, and nothing to act on.
// After a load, the first Down into the list selects the first entry.
TEST_F(Keyboard, TheItemButtonsFollowTheSelection) {
  Open({It("chess"), It("go")});
  Activate(window.get());
  QListWidget* list = window->lstItems();
  ClickEntry(1);
  EXPECT_EQ(ItemButtons(), "11111");
  const QRect last = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, last.bottomLeft() + QPoint(4, 20));
  EXPECT_EQ(ItemButtons(), "00000");
  EXPECT_EQ(window->picDetails()->text(), "");
  ClickEntry(0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(ItemButtons(), "00000");
  Open({It("chess"), It("go")});
  Activate(window.get());
  window->lstItems()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(window->lstItems(), Qt::Key_Down);
  EXPECT_EQ(form->SelectedIndex(), 0);
  EXPECT_EQ(ItemButtons(), "11111");
  QTest::keyClick(window->lstItems(), Qt::Key_Down);
  EXPECT_EQ(form->SelectedIndex(), 1);
}

// Every access key works from every control of the main window, the editable
// collection box included: the menus open, the frames take the focus, the buttons press.
TEST_F(Keyboard, AccessKeysWorkFromEveryControl) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  ClickEntry(0);
  const std::vector<std::pair<std::string, QWidget*>> controls = {
      {"box", window->cboColl()},
      {"list", window->lstItems()},
      {"Save button", window->collButton("Save")},
      {"Up button", window->tbItemButton(0)},
      {"Execute", window->btnExec()},
      {"Exit", window->btnExit()}};
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
  // Alt+T presses Execute; Alt is a modifier, so the window stays open after the run.
  Activate(window.get());
  window->cboColl()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Focus(), Qt::Key_T, Qt::AltModifier);
  EXPECT_EQ(fake.shell.calls, Strings{"shell:chess"});
  EXPECT_TRUE(window->isVisible());
  Activate(window.get());
  window->cboColl()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Focus(), Qt::Key_X, Qt::AltModifier);
  EXPECT_FALSE(window->isVisible());
}

// Enter presses Execute, or the focused button; Shift+Enter runs the collection and
// keeps the window open, as a Shift-click does.
TEST_F(Keyboard, ShiftEnterRunsAndKeepsTheWindow) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  Activate(window.get());
  window->lstItems()->setFocus();
  QTest::keyClick(window->lstItems(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(fake.shell.calls, (Strings{"shell:chess", "shell:go"}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  // Shift+Enter on a focused button presses that button.
  Activate(window.get());
  window->collButton("New")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Focus(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(Seen(), "<New Collection>: []");
  EXPECT_EQ(fake.shell.calls.size(), 2u);
}

// The Menu key and Shift+F10 open the item popup at the selected entry, or the one of
// an empty selection; its entries work from the keyboard.
TEST_F(Keyboard, MenuKeyAndShiftF10OpenTheItemPopup) {
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
  const QPoint at = list->viewport()->mapToGlobal(entry.bottomLeft());
  EXPECT_EQ(popup->pos().y(), at.y());
  EXPECT_EQ(form->SelectedIndex(), 1);
  QTest::keyClick(popup, Qt::Key_R);  // "&Remove"
  EXPECT_EQ(Seen(), "<Current Collection>: a c d [save exec]");
  // F10 alone is not the popup's key.
  Activate(window.get());
  list->setFocus();
  QTest::keyClick(list, Qt::Key_F10);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_FALSE(window->mnuPopItem1()->isVisible());
}

// Assistive technology reads a name for every control: the list and the details pane
// their frames' captions; the details pane gives its text. A combo box is named by its
// text on Linux and labelled by its frame.
TEST_F(Keyboard, ScreenReadersFindNamesAndTheDetailsText) {
  Open({It("chess"), It("go")});
  const auto name = [](QObject* o) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a ? a->text(QAccessible::Name).toStdString() : std::string("<none>");
  };
  const auto labels = [](QObject* o) {
    std::string seen;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    for (const auto& [label, relation] : a->relations(QAccessible::Label)) {
      seen += (seen.empty() ? "" : ", ") + label->text(QAccessible::Name).toStdString();
    }
    return seen;
  };
  EXPECT_EQ(name(window->cboColl()), "c");
  EXPECT_EQ(labels(window->cboColl()), "Tavrin Collection");
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
  ASSERT_EQ(details.substr(0, 3), "go\n");
  EXPECT_EQ(pane->text(QAccessible::Value).toStdString(), details);
  EXPECT_EQ(pane->text(QAccessible::Description).toStdString(), details);
  QAccessibleTextInterface* text = pane->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->characterCount(), static_cast<int>(details.size()));
  EXPECT_EQ(text->text(0, text->characterCount()).toStdString(), details);
  int start = 0;
  int end = 0;
  EXPECT_EQ(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end).toStdString(), "go\n");
}

}  // namespace
}  // namespace tavrin
