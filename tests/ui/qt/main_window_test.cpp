// The main window's Qt view: that each gesture of the mouse and of the keyboard reaches
// the form, and the names that assistive technology reads.
#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QMenu>

#include "ui/qt/details_pane.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::Item;
using ::testing::StartsWith;

CollItem It(const std::string& name) { return Item(name, "/bin/" + name); }

using MainWindowView = WindowTest;

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

// A long collection is laid out in batches once the window is shown; End pressed before
// any event has run goes to the last item and shows it.
TEST_F(MainWindowView, EndReachesTheLastItemOfALongCollectionAtOnce) {
  std::vector<CollItem> items;
  for (int i = 0; i < 500; ++i) items.push_back(It("item" + std::to_string(i)));
  Open(items);
  Activate(window.get());
  QListWidget* list = window->lstItems();
  list->setFocus(Qt::TabFocusReason);
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
      {"Ctrl+X closes", Qt::Key_X, Qt::ControlModifier, "text", "closed", 0},
      {"F1 shows the About box", Qt::Key_F1, {}, "cboColl", games, 0, about},
      // Alt is a modifier: the window stays open after the run.
      {"Alt+T presses Execute", Qt::Key_T, Qt::AltModifier, "cboColl", games, 2},
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

// The keyboard's place shows on an empty item list and on the focused default button.
TEST_F(MainWindowView, TheFocusIsVisible) {
  Open();
  Activate(window.get());
  for (const char* name : {"lstItems", "btnExec"}) {
    SCOPED_TRACE(name);
    auto* control = window->findChild<QWidget*>(name);
    control->setEnabled(true);
    window->findChild<QWidget*>("btnExit")->setFocus(Qt::TabFocusReason);
    const QImage without = control->grab().toImage();
    control->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->hasFocus());
    EXPECT_NE(control->grab().toImage(), without);
  }
}

// Assistive technology reads a name for every control (the frame's caption names the
// box's text field too) and the details pane's text.
TEST_F(MainWindowView, ScreenReadersFindNamesAndTheDetailsText) {
  Open({It("chess"), It("go")});
  const auto name = [](QObject* o) {
    return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name).toStdString();
  };
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

  // The empty list's hint is its description while it is empty.
  const auto description = [this] {
    return QAccessible::queryAccessibleInterface(window->lstItems())
        ->text(QAccessible::Description)
        .toStdString();
  };
  EXPECT_EQ(description(), "");
  QTest::mouseClick(window->collButton("New"), Qt::LeftButton);
  EXPECT_EQ(description(), "Right-click here to add an item");
  editorScripts = {Rename("first")};
  form->mnuPItem1_Click();
  EXPECT_EQ(description(), "");
}

// The Options menu's "Run Options..." follows the selection and opens the dialog.
TEST_F(MainWindowView, RunOptionsFromTheOptionsMenu) {
  Open({It("chess"), It("go")});
  auto* entry = window->findChild<QAction*>("mnuOption_1");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text().toStdString(), "Run &Options...");
  EXPECT_FALSE(entry->isEnabled());
  ClickEntry(1);
  EXPECT_TRUE(entry->isEnabled());
  entry->trigger();
  EXPECT_THAT(modalShown, ::testing::ElementsAre("The Tavrin - Run Options"));
}

// The File menu: "Capture Open Windows..." shows what the desktop's windows hold as a new
// collection, and "Stop Started Programs" needs a collection's file.
TEST_F(MainWindowView, CaptureAndStopFromTheFileMenu) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  auto* capture = window->findChild<QAction*>("mnuFile_0");
  auto* stop = window->findChild<QAction*>("mnuFile_1");
  ASSERT_NE(capture, nullptr);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(capture->text().toStdString() + "|" + stop->text().toStdString(),
            "&Capture Open Windows...|&Stop Started Programs");
  EXPECT_TRUE(stop->isEnabled());
  OpenWindow editor;
  editor.title = "notes - Editor";
  editor.program = "/usr/bin/editor";
  fake.system.programWindows.open = std::vector<OpenWindow>{editor};
  capture->trigger();
  EXPECT_EQ(Seen(), "<Current Collection>: notes - Editor [save exec]");
  EXPECT_FALSE(stop->isEnabled());
}

// The list and the details pane take the room of a grown window; at the smallest size
// and at 1920 x 1080 no two controls overlap and every one stays inside its parent.
TEST_F(MainWindowView, TheListAndTheDetailsTakeTheRoomOfAGrownWindow) {
  Open({It("chess"), It("go")});
  const QSize smallest = window->size();
  const auto inWindow = [this](QWidget* w) {
    return QRect(w->mapTo(window.get(), QPoint()), w->size());
  };
  const QRect list = inWindow(window->lstItems());
  const QRect details = inWindow(window->picDetails());
  const auto fromCorner = [&](QWidget* w) {
    return QPoint(window->width(), window->height()) - inWindow(w).bottomRight();
  };
  const QPoint exit = fromCorner(window->btnExit());
  const auto expectNoOverlap = [this](const char* size) {
    SCOPED_TRACE(size);
    for (QWidget* parent : window->centralWidget()->findChildren<QWidget*>()) {
      if (qobject_cast<QGroupBox*>(parent) == nullptr) continue;
      for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(parent->rect().contains(child->geometry()))
            << child->objectName().toStdString();
      }
    }
    for (QWidget* parent : {window->centralWidget()}) {
      const auto children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      for (QWidget* a : children) {
        EXPECT_TRUE(parent->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : children) {
          if (a != b && a->isVisible() && b->isVisible()) {
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " and " << b->objectName().toStdString();
          }
        }
      }
    }
  };
  expectNoOverlap("smallest");
  window->resize(1920, 1080);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->size(), QSize(1920, 1080));
  const QRect grownList = inWindow(window->lstItems());
  const QRect grownDetails = inWindow(window->picDetails());
  EXPECT_GT(grownList.width(), list.width() + 600);
  EXPECT_GT(grownList.height(), list.height() + 600);
  EXPECT_GT(grownDetails.width(), details.width() + 600);
  EXPECT_EQ(grownList.topLeft(), list.topLeft());
  // The Exit button keeps its place at the window's bottom right corner.
  EXPECT_EQ(fromCorner(window->btnExit()), exit);
  expectNoOverlap("1920 x 1080");
  window->resize(10, 10);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->size(), smallest);
  EXPECT_EQ(inWindow(window->lstItems()), list);
}

}  // namespace
}  // namespace tavrin
