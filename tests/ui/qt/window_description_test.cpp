// Each Qt window is made from its description: every control with its text, tool tip,
// picture and label, Tab through them in their order, and the menus with their keys.
#include <QAbstractButton>
#include <QAction>
#include <QFontInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>

#include "ui/qt/run_options_dialog.h"
#include "ui/qt/run_progress_window.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

QString TextOf(const QWidget* w) {
  if (auto* frame = qobject_cast<const QGroupBox*>(w)) return frame->title();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  // A bar's text is the name a screen reader reads for it.
  if (auto* bar = qobject_cast<const QProgressBar*>(w)) return bar->accessibleName();
  // An empty list's text is its hint, which it gives to assistive technology too.
  if (auto* list = qobject_cast<const QListWidget*>(w)) return list->accessibleDescription();
  return {};
}

template <class Id, class Menu>
void ExpectMadeFrom(QWidget& window, const WindowLayout<Id, Menu>& layout) {
  EXPECT_EQ(window.windowTitle().toStdString(), layout.caption);
  std::vector<std::string> tabOrder;
  const char* labelled = nullptr;  // the label before the control
  for (const ControlLayout<Id>& c : layout.controls) {
    SCOPED_TRACE(c.name);
    const QWidget* w = window.findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr);
    if (c.text != nullptr) {
      EXPECT_EQ(TextOf(w).toStdString(), c.text);
    }
    EXPECT_EQ(w->toolTip().toStdString(), c.tip != nullptr ? c.tip : "");
    if (labelled != nullptr) {
      auto* label = window.findChild<QLabel*>(labelled);
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->buddy(), w) << "the label's access key leads to the control after it";
    }
    labelled = c.kind == ControlKind::Label ? c.name : nullptr;
    if (TakesTab(c.kind) || c.kind == ControlKind::Link) tabOrder.push_back(c.name);
    for (const ToolButtonLayout<Id>& b : c.buttons) {
      auto* button = w->findChild<QToolButton*>(b.key);
      ASSERT_NE(button, nullptr) << b.key;
      EXPECT_EQ(button->toolTip().toStdString(), b.tip);
      EXPECT_EQ(button->accessibleName().toStdString(), b.tip);  // it shows no text of its own
      EXPECT_FALSE(button->icon().isNull()) << b.key;
      tabOrder.push_back(b.key);
    }
  }
  // Tab goes through the window as the description lists its controls.
  auto* first = window.findChild<QWidget*>(QString::fromStdString(tabOrder.front()));
  std::vector<std::string> chain;
  for (QWidget* w = first; chain.size() < tabOrder.size(); w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) != 0 && window.isAncestorOf(w)) {
      chain.push_back(w->objectName().toStdString());
    }
    if (w->nextInFocusChain() == first) break;
  }
  EXPECT_EQ(chain, tabOrder);
}

struct WindowDescription : WindowTest {};

TEST_F(WindowDescription, TheMainWindowAndItsMenus) {
  Open();
  const MainLayout& layout = MainWindowLayout();
  ExpectMadeFrom(*window, layout);
  // Times New Roman or a font of its metrics, Courier New or one of its for the details.
  const auto family = [this](const char* name) {
    return QFontInfo(window->findChild<QWidget*>(name)->font()).family();
  };
  EXPECT_TRUE(
      QStringList({"Times New Roman", "Liberation Serif", "Tinos"}).contains(family("frameColl")));
  EXPECT_TRUE(
      QStringList({"Courier New", "Liberation Mono", "Cousine"}).contains(family("picDetails")));
  // The menus of the bar in their order, and the popups, each with its entries and keys.
  const auto bar = window->menuBar()->actions();
  qsizetype inBar = 0;
  for (const MenuLayout<MainMenu>& menu : layout.menus) {
    SCOPED_TRACE(menu.name);
    const QMenu* shown = menu.popup ? window->findChild<QMenu*>(menu.name) : nullptr;
    if (!menu.popup && inBar < bar.size()) {
      EXPECT_EQ(bar[inBar]->text().toStdString(), menu.text);
      shown = bar[inBar++]->menu();
    }
    ASSERT_NE(shown, nullptr);
    std::vector<std::string> entries, described;
    for (const QAction* a : shown->actions()) {
      entries.push_back(a->isSeparator() ? "-"
                                         : a->text().toStdString() + " " +
                                               a->shortcut().toString().toStdString());
    }
    for (const MenuEntryLayout& entry : menu.entries) {
      const std::string text = entry.text;
      described.push_back(text == "-" ? text : text + " " + entry.shortcut);
    }
    EXPECT_EQ(entries, described);
  }
  EXPECT_EQ(inBar, bar.size());  // a popup is no menu of the bar
}

TEST_F(WindowDescription, TheDialogs) {
  FrmItemEdit editForm(Context());
  ItemEditor editor(editForm, nullptr);
  ExpectMadeFrom(editor, ItemEditorLayout());
  FrmAbout aboutForm(Context());
  qt::AboutBox about(aboutForm, nullptr);
  ExpectMadeFrom(about, AboutBoxLayout());
  FrmRunOptions optionsForm(Context());
  qt::RunOptionsDialog options(optionsForm, nullptr);
  ExpectMadeFrom(options, RunOptionsDialogLayout());
  FrmRunProgress progressForm(fake.toolkit, {}, {});
  qt::RunProgressWindow progress(progressForm);
  ExpectMadeFrom(progress, RunProgressWindowLayout());
}

}  // namespace
}  // namespace tavrin
