#include "ui/qt/main_window.h"

#include <algorithm>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "forms/keys.h"
#include "ui/qt/about_box.h"
#include "ui/qt/details_pane.h"
#include "ui/qt/fonts.h"
#include "ui/qt/item_editor.h"
#include "ui/qt/key_codes.h"
#include "ui/qt/run_options_dialog.h"
#include "ui/qt/run_progress_window.h"
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/ui_resources.h"
#include "ui/qt/window_builder.h"

namespace tavrin::qt {
namespace {

constexpr MainControl kCollButtons[] = {MainControl::tbCollOther, MainControl::tbCollSave,
                                        MainControl::tbCollDelete, MainControl::tbCollNew};
constexpr MainControl kItemButtons[] = {MainControl::tbItemUp, MainControl::tbItemEdit,
                                        MainControl::tbItemRemove, MainControl::tbItemOpen,
                                        MainControl::tbItemDown};

// The place of the keyboard, where the style itself shows none: a dotted frame in the
// highlight colour inside `rect`.
void DrawFocusFrame(QPainter* painter, const QStyleOption* option, const QRect& rect) {
  painter->save();
  QPen pen(option->palette.color(QPalette::Highlight));
  pen.setStyle(Qt::DotLine);
  painter->setPen(pen);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

// The application's style, with one picture less: the arrow of a menu bar's overflow
// button, which Qt's menu bar asks for as it is made and which is read from a picture
// file (loading every image plugin of Qt to find the one that reads it). The window's
// menu bar is of a fixed width and never overflows.
class MenuBarStyle : public QProxyStyle {
 public:
  QIcon standardIcon(StandardPixmap picture, const QStyleOption* option,
                     const QWidget* widget) const override {
    if (picture == SP_ToolBarHorizontalExtensionButton ||
        picture == SP_ToolBarVerticalExtensionButton) {
      return QIcon();
    }
    return QProxyStyle::standardIcon(picture, option, widget);
  }

  // A drop-down list opens as a list with a scroll bar when it holds more than it shows,
  // not as a menu scrolled by arrows.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }

  // The keyboard's place shows everywhere: on a focused button (the default one too, which
  // the style draws alike with the focus or without), and on the frame of a list or a text
  // area with the focus (an empty list draws no entry that could show it).
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if ((option->state & State_HasFocus) == 0) return;
    if (element == CE_PushButton) {
      DrawFocusFrame(painter, option, option->rect.adjusted(4, 4, -4, -4));
    } else if (element == CE_ShapedFrame && widget != nullptr && widget->hasFocus()) {
      DrawFocusFrame(painter, option, option->rect);
    }
  }
};

}  // namespace

MainWindow::MainWindow(FrmMain& form, ModalRunner runModal, QWidget* parent)
    : QMainWindow(parent), form_(form), runModal_(std::move(runModal)) {
  if (dynamic_cast<MenuBarStyle*>(QApplication::style()) == nullptr) {
    QApplication::setStyle(new MenuBarStyle);
  }
  setWindowTitle(MainWindowLayout().caption);
  setWindowIcon(BundledPixmap("tavrin"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  BuildMenus();
  BuildControls();
  // Key preview: the window sees every key before the control that has the focus.
  qApp->installEventFilter(this);
  form_.Form_Load(*this);
  // The window may grow, never shrink below its layout.
  setMinimumSize(sizeHint());
  resize(sizeHint());
  // Where it was closed last, on a screen that still shows it; otherwise in the centre
  // of the screen.
  std::vector<ScreenArea> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  if (const std::optional<WindowPlace> place = form_.PlaceToRestore(screens)) {
    setGeometry(place->left, place->top, std::max(place->width, minimumWidth()),
                std::max(place->height, minimumHeight()));
    if (place->maximized) setWindowState(Qt::WindowMaximized);
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  // Qt destroys the children after this body, and hiding them makes the box's text
  // field report its editing as finished: nothing of theirs may reach a window that
  // is no longer whole.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

// --- Building the window ------------------------------------------------------------

void MainWindow::BuildMenus() {
  for (const MenuLayout<MainMenu>& layout : MainWindowLayout().menus) {
    QMenu* menu = nullptr;
    // The item menus are shown only as popups over the item list, never in the bar.
    if (layout.popup) {
      menu = new QMenu(this);
      menu->setObjectName(layout.name);
      (layout.id == MainMenu::mnuPopItem1 ? mnuPopItem1_ : mnuPopItem2_) = menu;
    } else {
      menu = menuBar()->addMenu(layout.text);
    }
    for (int i = 0; i < static_cast<int>(layout.entries.size()); ++i) {
      const MenuEntryLayout& entry = layout.entries[i];
      QAction* action =
          std::string(entry.text) == "-" ? menu->addSeparator() : menu->addAction(entry.text);
      action->setObjectName(QString("%1_%2").arg(layout.name).arg(i));
      if (*entry.shortcut != '\0') action->setShortcut(QKeySequence::fromString(entry.shortcut));
      const MainMenu id = layout.id;
      connect(action, &QAction::triggered, this, [this, id, i] { form_.MenuClick(id, i); });
    }
  }
}

void MainWindow::BuildControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);
  const MainLayout& layout = MainWindowLayout();
  made_ = MakeControls(client, layout);
  madeSize_ = QSize(Twips(layout.width), Twips(layout.height) + made_.extraHeight);
  client->setMinimumSize(madeSize_);
  for (size_t i = 0; i < layout.controls.size(); ++i) {
    if (layout.controls[i].kind == ControlKind::ToolBar) toolBars_.push_back(made_.widgets[i]);
  }
  frameColl_ = client->findChild<QGroupBox*>("frameColl");
  frameItems_ = client->findChild<QGroupBox*>("frameItems");
  tbColl_ = client->findChild<QWidget*>("tbColl");
  picDetails_ = client->findChild<DetailsPane*>("picDetails");
  cboColl_ = static_cast<QComboBox*>(Control(MainControl::cboColl));
  lstItems_ = static_cast<QListWidget*>(Control(MainControl::lstItems));
  btnExec_ = static_cast<QPushButton*>(Control(MainControl::btnExec));
  btnExit_ = static_cast<QPushButton*>(Control(MainControl::btnExit));
  ConnectCollectionBox();
  ConnectItemList();
  ConnectButtons();
}

void MainWindow::ConnectCollectionBox() {
  // Qt's editable box also reports an entry as activated when the editing of a text
  // that names it ends (Tab, a click elsewhere, Enter, the window hiding). That is no
  // pick: only a pick from the open list or an arrow key in the closed box reaches
  // cboColl_Click. Slots run in the order they were connected, so the two around the
  // box's own connection mark the end of editing while the box reports it.
  auto* text = new QLineEdit;
  connect(text, &QLineEdit::editingFinished, this, [this] { boxEditEnding_ = true; });
  cboColl_->setLineEdit(text);
  connect(text, &QLineEdit::editingFinished, this, [this] { boxEditEnding_ = false; });
  cboColl_->setInsertPolicy(QComboBox::NoInsert);
  cboColl_->setCompleter(nullptr);
  // A screen reader reads the text field as a control of its own: named as the box.
  text->setAccessibleName(cboColl_->accessibleName());
  // Typing reaches the form; the texts the form sets do not come back to it.
  connect(text, &QLineEdit::textEdited, this,
          [this](const QString& typed) { form_.cboColl_Change(Typed(typed)); });
  connect(cboColl_, &QComboBox::activated, this, [this](int index) {
    if (!boxEditEnding_) form_.cboColl_Click(index);
  });
}

void MainWindow::ConnectItemList() {
  // A click or an arrow key selects; the form hears of every selection the user makes.
  connect(lstItems_, &QListWidget::itemSelectionChanged, this,
          [this] { form_.lstItems_Click(SelectedRow()); });
  connect(lstItems_, &QListWidget::itemClicked, this,
          [this] { form_.lstItems_Click(SelectedRow()); });
  connect(lstItems_, &QListWidget::itemDoubleClicked, this, [this] { form_.lstItems_DblClick(); });
}

void MainWindow::ConnectButtons() {
  connect(btnExec_, &QPushButton::clicked, this, [this] { form_.btnExec_Click(); });
  connect(btnExit_, &QPushButton::clicked, this, [this] { form_.btnExit_Click(); });
  for (MainControl control : kCollButtons) {
    connect(static_cast<QToolButton*>(Control(control)), &QToolButton::clicked, this,
            [this, control] { form_.tbColl_ButtonClick(control); });
  }
  for (MainControl control : kItemButtons) {
    connect(static_cast<QToolButton*>(Control(control)), &QToolButton::clicked, this,
            [this, control] { form_.tbItem_ButtonClick(control); });
  }
}

QToolButton* MainWindow::tbItemButton(int index) const {
  return static_cast<QToolButton*>(Control(kItemButtons[index]));
}

QToolButton* MainWindow::collButton(const std::string& key) const {
  return tbColl_->findChild<QToolButton*>(QString::fromStdString(key));
}

QWidget* MainWindow::Control(MainControl control) const {
  return made_.Control(static_cast<int>(control));
}

MainControl MainWindow::ControlOf(const QWidget* focus) const {
  if (focus == nullptr) return MainControl::None;
  // The box's text field is part of the box.
  if (cboColl_->isAncestorOf(focus)) return MainControl::cboColl;
  for (size_t id = 1; id < made_.byId.size(); ++id) {
    if (made_.byId[id] == focus) return static_cast<MainControl>(id);
  }
  return MainControl::None;
}

int MainWindow::SelectedRow() const {
  const auto selected = lstItems_->selectedItems();
  return selected.isEmpty() ? -1 : lstItems_->row(selected.first());
}

// --- What the form shows ------------------------------------------------------------

void MainWindow::SetCollEntries(const std::vector<std::string>& entries) {
  QSignalBlocker block(cboColl_);
  cboColl_->clear();
  for (const std::string& entry : entries) cboColl_->addItem(Shown(entry));
}

void MainWindow::ShowCollText(const std::string& text, int entry) {
  // The entry shown is the box's current one, so that the arrow keys go on from there.
  QSignalBlocker block(cboColl_);
  cboColl_->setCurrentIndex(entry);
  const QString shown = Shown(text);
  if (cboColl_->currentText() != shown) cboColl_->setEditText(shown);
}

void MainWindow::SetItems(const std::vector<std::string>& names) {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& name : names) shown << Shown(name);
  QSignalBlocker block(lstItems_);
  lstItems_->clear();
  lstItems_->addItems(shown);
  lstItems_->setCurrentRow(-1);
}

void MainWindow::InsertItem(int index, const std::string& name) {
  QSignalBlocker block(lstItems_);
  lstItems_->insertItem(index, Shown(name));
}

void MainWindow::RemoveItem(int index) {
  QSignalBlocker block(lstItems_);
  delete lstItems_->takeItem(index);
}

void MainWindow::SetItemText(int index, const std::string& name) {
  if (QListWidgetItem* item = lstItems_->item(index)) item->setText(Shown(name));
}

void MainWindow::SelectItem(int index) {
  QSignalBlocker block(lstItems_);
  lstItems_->setCurrentRow(index);
}

void MainWindow::ShowDetails(const std::string& text) {
  if (text.empty()) {
    picDetails_->Clear();
  } else {
    picDetails_->DrawText(text);
  }
}

void MainWindow::SetEnabled(MainControl control, bool enabled) {
  if (QWidget* widget = Control(control)) widget->setEnabled(enabled);
}

void MainWindow::SetMenuEnabled(MainMenu menu, int index, bool enabled) {
  for (const MenuLayout<MainMenu>& layout : MainWindowLayout().menus) {
    if (layout.id != menu) continue;
    if (auto* action = findChild<QAction*>(QString("%1_%2").arg(layout.name).arg(index))) {
      action->setEnabled(enabled);
    }
  }
}

void MainWindow::SetFocus(MainControl control) {
  if (QWidget* widget = Control(control)) widget->setFocus();
}

void MainWindow::ShowPopup(ItemPopup popup, PopupPlace place) {
  QMenu* menu = popup == ItemPopup::mnuPopItem1 ? mnuPopItem1_ : mnuPopItem2_;
  if (place == PopupPlace::AtPointer) {
    menu->popup(QCursor::pos());
    return;
  }
  // Below the selected entry, or at the list's corner when none is selected.
  const int row = SelectedRow();
  const QPoint at =
      row >= 0 ? lstItems_->visualItemRect(lstItems_->item(row)).bottomLeft() : QPoint(0, 0);
  menu->popup(lstItems_->viewport()->mapToGlobal(at));
}

void MainWindow::MakeFlatToolBars() {
  // Buttons without a raised frame, except while the mouse pointer is over them.
  for (QWidget* bar : toolBars_) {
    for (QToolButton* button : bar->findChildren<QToolButton*>()) button->setAutoRaise(true);
    bar->update();
  }
}

void MainWindow::SetCaption(const std::string& caption) { setWindowTitle(Shown(caption)); }

void MainWindow::SetWindowEnabled(bool enabled) { setEnabled(enabled); }

void MainWindow::SetBusy(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

void MainWindow::SetVisible(bool visible) {
  if (!visible) {
    hide();
    return;
  }
  show();
  activateWindow();
}

void MainWindow::Activate() { activateWindow(); }

void MainWindow::Unload() { close(); }

void MainWindow::ShowModal(FrmItemEdit& form) {
  ItemEditor editor(form, this);
  if (runModal_) {
    runModal_(editor);
  } else {
    editor.exec();
  }
}

void MainWindow::ShowModal(FrmRunOptions& form) {
  RunOptionsDialog dialog(form, this);
  if (runModal_) {
    runModal_(dialog);
  } else {
    dialog.exec();
  }
}

std::unique_ptr<RunProgressView> MainWindow::MakeProgressView(FrmRunProgress& form) {
  return std::make_unique<RunProgressWindow>(form);
}

void MainWindow::ShowModal(FrmAbout& form) {
  AboutBox about(form, this);
  if (runModal_) {
    runModal_(about);
  } else {
    about.exec();
  }
}

// --- What the user does ---------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  // A list or text area draws the focus on its frame (MenuBarStyle): drawn again as the
  // focus comes and goes.
  if ((type == QEvent::FocusIn || type == QEvent::FocusOut) &&
      qobject_cast<QAbstractScrollArea*>(watched) != nullptr) {
    static_cast<QWidget*>(watched)->update();
  }
  // The controls follow the window as it grows.
  if (type == QEvent::Resize && watched == centralWidget()) {
    made_.Follow(centralWidget()->size() - madeSize_);
    return false;
  }
  // The wheel over the closed box would step through the entries and pick them.
  if (watched == cboColl_ && type == QEvent::Wheel) return true;
  // The right button over the item list opens a popup menu and leaves the selection.
  if (watched == lstItems_->viewport() &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
       type == QEvent::MouseButtonDblClick) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    if (type == QEvent::MouseButtonRelease) form_.lstItems_MouseUp(kRightButton);
    return true;
  }
  if (type == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
    // The access key of a frame moves the focus to the frame's first control.
    if (watched == frameColl_ || watched == frameItems_) {
      (watched == frameColl_ ? static_cast<QWidget*>(cboColl_) : lstItems_)
          ->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
    // The access key of a button presses it at once, while Alt is still down (so that
    // Execute sees the modifier, as it sees Shift).
    if (watched == btnExec_ || watched == btnExit_) {
      static_cast<QPushButton*>(watched)->click();
      return true;
    }
  }
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only the keys of this window's own controls; an open list or menu handles its own.
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const int code = KeyCodeOf(key);
  const int mask = ModifierMask(key);
  if (type == QEvent::KeyRelease) {
    form_.Form_KeyUp(code, mask);
    return false;
  }
  // A key goes to the control that has the focus; one the form does not take goes on to
  // that control (and, unused, up to its parents, whose passing here changes nothing).
  return form_.Form_KeyDown(code, mask, ControlOf(widget));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close box asks the form first (unsaved changes); a close by the program or by a
  // termination signal ends it at once.
  if (!unloading_ && event->spontaneous() && !form_.Form_QueryUnload(kUnloadCloseBox)) {
    event->ignore();
    return;
  }
  event->accept();
  if (!unloading_) {
    unloading_ = true;
    const QRect place = normalGeometry();
    form_.Form_Unload({place.x(), place.y(), place.width(), place.height(), isMaximized()});
    QCoreApplication::quit();
  }
}

}  // namespace tavrin::qt
