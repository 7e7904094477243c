#include "ui/qt/main_window.h"

#include <algorithm>

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
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/ui_resources.h"

namespace tavrin::qt {
namespace {

struct ButtonEntry {
  const char* key;
  const char* image;
  const char* tip;
  MainControl control;
};

constexpr ButtonEntry kCollButtons[] = {
    {"Other", "cOpen", "Browse for a collection", MainControl::tbCollOther},
    {"Save", "cSave", "Save current collection", MainControl::tbCollSave},
    {"Delete", "cDelete", "Delete the current collection", MainControl::tbCollDelete},
    {"New", "cNew", "Start over from scratch", MainControl::tbCollNew},
};

constexpr ButtonEntry kItemButtons[] = {
    {"Up", "iUp", "Move item up in list", MainControl::tbItemUp},
    {"Edit", "iEdit", "Edit the selected item", MainControl::tbItemEdit},
    {"Remove", "iRemove", "Remove item from list", MainControl::tbItemRemove},
    {"Open", "iOpen", "Open the selected item", MainControl::tbItemOpen},
    {"Down", "iDown", "Move item down in list", MainControl::tbItemDown},
};

constexpr int kItemBarTops[] = {180, 622, 1064, 1506, 1950};

// A toolbar: a row of tool buttons that fills its place without overflowing.
QWidget* MakeToolStrip(QWidget* parent, const QString& name, QRect rect) {
  auto* strip = new QWidget(parent);
  strip->setObjectName(name);
  strip->setGeometry(rect);
  auto* layout = new QHBoxLayout(strip);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return strip;
}

QToolButton* MakeToolButton(const ButtonEntry& entry, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(entry.key);
  button->setIcon(BundledIcon(entry.image));
  button->setIconSize(QSize(16, 16));
  button->setToolTip(entry.tip);
  button->setAccessibleName(entry.tip);  // it shows no text of its own
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  return button;
}

// The twips layout leaves a frame's caption the top 180 twips of the frame (its first
// control starts there).
constexpr int kFrameCaptionTwips = 180;

// A frame with its caption in the window's font.
QGroupBox* MakeFrame(const char* caption, QWidget* parent) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setFont(WindowFont(9.75));
  return frame;
}

// How much more room, in pixels, the frame's caption takes than the twips layout
// leaves it: Qt's frame title and border may need more.
int CaptionExtra(const QGroupBox* frame) {
  return std::max(0, frame->contentsMargins().top() - Twips(kFrameCaptionTwips));
}

// Trims what a control of the frame would cover of its border (a pixel or two, where
// Qt's border is wider than the twips layout allows for).
void KeepInside(QGroupBox* frame) {
  for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    control->setGeometry(control->geometry() & frame->contentsRect());
  }
}

// A frame's caption as a name for the control it holds: without the access key's mark.
QString AccessibleCaption(const QGroupBox* frame) { return QString(frame->title()).remove('&'); }

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
};

}  // namespace

MainWindow::MainWindow(FrmMain& form, ModalRunner runModal, QWidget* parent)
    : QMainWindow(parent), form_(form), runModal_(std::move(runModal)) {
  if (dynamic_cast<MenuBarStyle*>(QApplication::style()) == nullptr) {
    QApplication::setStyle(new MenuBarStyle);
  }
  setWindowTitle("The Tavrin");
  setWindowIcon(BundledPixmap("tavrin"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  BuildMenus();
  BuildControls();
  // Key preview: the window sees every key before the control that has the focus.
  qApp->installEventFilter(this);
  form_.Form_Load(*this);
  setFixedSize(sizeHint());
  // Opens in the centre of the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

// --- Building the window ------------------------------------------------------------

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  QAction* exit = file->addAction("E&xit");
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  connect(exit, &QAction::triggered, this, [this] { form_.mnuFile_Click(0); });

  QMenu* options = menuBar()->addMenu("O&ptions");
  QAction* registry = options->addAction("&Registry...");
  connect(registry, &QAction::triggered, this, [this] { form_.mnuOption_Click(0); });

  QMenu* help = menuBar()->addMenu("&?");
  QAction* about = help->addAction("&About");
  about->setShortcut(QKeySequence(Qt::Key_F1));
  connect(about, &QAction::triggered, this, [this] { form_.mnuHelp_Click(0); });

  // The item menus are shown only as popups over the item list, never in the bar.
  mnuPopItem1_ = new QMenu(this);
  mnuPopItem1_->setObjectName("mnuPopItem1");
  QAction* add = mnuPopItem1_->addAction("&Add...");
  add->setObjectName("mnuPItem1");
  connect(add, &QAction::triggered, this, [this] { form_.mnuPItem1_Click(); });
  mnuPopItem2_ = new QMenu(this);
  mnuPopItem2_->setObjectName("mnuPopItem2");
  const char* entries[] = {"&Add...", "&Edit...", "&Remove", "-", "&Open Item"};
  for (int i = 0; i < 5; ++i) {
    QAction* action = std::string(entries[i]) == "-" ? mnuPopItem2_->addSeparator()
                                                     : mnuPopItem2_->addAction(entries[i]);
    action->setObjectName(QString("mnuPitem2_%1").arg(i));
    connect(action, &QAction::triggered, this, [this, i] { form_.mnuPitem2_Click(i); });
  }
}

void MainWindow::BuildControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);
  // The controls stand where the twips layout puts them, except that each row of
  // frames moves down and grows by the room its captions take beyond what the layout
  // leaves them, so that no control covers a frame's border or caption; the window
  // grows by as much.
  frameColl_ = MakeFrame("Tavrin &Collection", client);
  frameItems_ = MakeFrame("Tavrin &Items", client);
  frameDetails_ = MakeFrame("Item Details", client);
  const int collExtra = CaptionExtra(frameColl_);
  const int itemsExtra = std::max(CaptionExtra(frameItems_), CaptionExtra(frameDetails_));
  frameColl_->setGeometry(TwipsRect(60, 30, 7725, 705).adjusted(0, 0, 0, collExtra));
  frameItems_->setGeometry(
      TwipsRect(60, 750, 4155, 2445).translated(0, collExtra).adjusted(0, 0, 0, itemsExtra));
  frameDetails_->setGeometry(
      TwipsRect(4290, 750, 3495, 2445).translated(0, collExtra).adjusted(0, 0, 0, itemsExtra));
  BuildCollectionFrame(collExtra);
  BuildItemFrame(itemsExtra);
  BuildDetailsFrame(itemsExtra);
  BuildButtons(client, collExtra + itemsExtra);
  client->setFixedSize(Twips(7860), Twips(3780) + collExtra + itemsExtra);
  for (QGroupBox* frame : {frameColl_, frameItems_, frameDetails_}) KeepInside(frame);
  BuildTabOrder();
}

void MainWindow::BuildCollectionFrame(int extra) {
  cboColl_ = new QComboBox(frameColl_);
  cboColl_->setObjectName("cboColl");
  cboColl_->setGeometry(TwipsRect(120, 240, 5955, 345).translated(0, extra));
  cboColl_->setFont(WindowFont(9.75));
  cboColl_->setEditable(true);
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
  cboColl_->setToolTip("Avalible collections");
  cboColl_->setAccessibleName(AccessibleCaption(frameColl_));
  // A screen reader reads the text field as a control of its own: named as the box.
  text->setAccessibleName(AccessibleCaption(frameColl_));
  // Typing reaches the form; the texts the form sets do not come back to it.
  connect(text, &QLineEdit::textEdited, this,
          [this](const QString& typed) { form_.cboColl_Change(Typed(typed)); });
  connect(cboColl_, &QComboBox::activated, this, [this](int index) {
    if (!boxEditEnding_) form_.cboColl_Click(index);
  });

  tbColl_ =
      MakeToolStrip(frameColl_, "tbColl", TwipsRect(6150, 240, 1485, 390).translated(0, extra));
  for (const auto& entry : kCollButtons) {
    QToolButton* button = MakeToolButton(entry, tbColl_);
    tbColl_->layout()->addWidget(button);
    const MainControl control = entry.control;
    connect(button, &QToolButton::clicked, this,
            [this, control] { form_.tbColl_ButtonClick(control); });
  }
}

void MainWindow::BuildItemFrame(int extra) {
  lstItems_ = new QListWidget(frameItems_);
  lstItems_->setObjectName("lstItems");
  lstItems_->setGeometry(TwipsRect(120, 210, 3585, 2100).translated(0, extra));
  lstItems_->setFont(WindowFont(9.75));
  lstItems_->setToolTip("Items in the current collection");
  lstItems_->setAccessibleName(AccessibleCaption(frameItems_));
  lstItems_->setSelectionMode(QAbstractItemView::SingleSelection);
  // A click or an arrow key selects; the form hears of every selection the user makes.
  connect(lstItems_, &QListWidget::itemSelectionChanged, this,
          [this] { form_.lstItems_Click(SelectedRow()); });
  connect(lstItems_, &QListWidget::itemClicked, this,
          [this] { form_.lstItems_Click(SelectedRow()); });
  connect(lstItems_, &QListWidget::itemDoubleClicked, this, [this] { form_.lstItems_DblClick(); });

  for (int i = 0; i < 5; ++i) {
    tbItemBars_[i] = MakeToolStrip(frameItems_, QString("tbItem_%1").arg(i),
                                   TwipsRect(3750, kItemBarTops[i], 375, 405).translated(0, extra));
    tbItem_[i] = MakeToolButton(kItemButtons[i], tbItemBars_[i]);
    tbItemBars_[i]->layout()->addWidget(tbItem_[i]);
    const MainControl control = kItemButtons[i].control;
    connect(tbItem_[i], &QToolButton::clicked, this,
            [this, control] { form_.tbItem_ButtonClick(control); });
  }
}

void MainWindow::BuildDetailsFrame(int extra) {
  picDetails_ = new DetailsPane(frameDetails_);
  picDetails_->setObjectName("picDetails");
  picDetails_->setAccessibleName(AccessibleCaption(frameDetails_));
  picDetails_->setGeometry(TwipsRect(90, 240, 3360, 2145).translated(0, extra));
}

void MainWindow::BuildButtons(QWidget* client, int below) {
  btnExec_ = new QPushButton("Execute &Tavrin", client);
  btnExec_->setObjectName("btnExec");
  btnExec_->setGeometry(TwipsRect(60, 3300, 3015, 405).translated(0, below));
  btnExec_->setFont(WindowFont(12, true));
  btnExec_->setToolTip("Run all items in current collection. (Shift-Click to prevent exiting)");
  btnExec_->setDefault(true);
  btnExec_->setEnabled(false);
  connect(btnExec_, &QPushButton::clicked, this, [this] { form_.btnExec_Click(); });

  btnExit_ = new QPushButton("E&xit", client);
  btnExit_->setObjectName("btnExit");
  btnExit_->setGeometry(TwipsRect(4770, 3300, 3015, 405).translated(0, below));
  btnExit_->setFont(WindowFont(12, true));
  btnExit_->setToolTip("Exit Tavrin");
  connect(btnExit_, &QPushButton::clicked, this, [this] { form_.btnExit_Click(); });
}

void MainWindow::BuildTabOrder() {
  // Tab goes through the window as it reads: the box and its toolbar, the list and
  // its buttons, Execute and Exit.
  QList<QWidget*> order{cboColl_};
  for (QToolButton* button : tbColl_->findChildren<QToolButton*>()) order << button;
  order << lstItems_;
  for (QToolButton* button : tbItem_) order << button;
  order << btnExec_ << btnExit_;
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QToolButton* MainWindow::collButton(const std::string& key) const {
  return tbColl_->findChild<QToolButton*>(QString::fromStdString(key));
}

QWidget* MainWindow::Control(MainControl control) const {
  for (const auto& entry : kCollButtons) {
    if (entry.control == control) return collButton(entry.key);
  }
  for (int i = 0; i < 5; ++i) {
    if (kItemButtons[i].control == control) return tbItem_[i];
  }
  switch (control) {
    case MainControl::cboColl:
      return cboColl_;
    case MainControl::lstItems:
      return lstItems_;
    case MainControl::btnExec:
      return btnExec_;
    case MainControl::btnExit:
      return btnExit_;
    default:
      return nullptr;
  }
}

MainControl MainWindow::ControlOf(const QWidget* focus) const {
  // The box's text field is part of the box.
  if (focus != nullptr && cboColl_->isAncestorOf(focus)) return MainControl::cboColl;
  for (MainControl control :
       {MainControl::cboColl, MainControl::tbCollOther, MainControl::tbCollSave,
        MainControl::tbCollDelete, MainControl::tbCollNew, MainControl::lstItems,
        MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
        MainControl::tbItemOpen, MainControl::tbItemDown, MainControl::btnExec,
        MainControl::btnExit}) {
    if (focus != nullptr && Control(control) == focus) return control;
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
  QWidget* bars[] = {tbColl_,        tbItemBars_[0], tbItemBars_[1],
                     tbItemBars_[2], tbItemBars_[3], tbItemBars_[4]};
  for (QWidget* bar : bars) {
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
  // Closing the window by any way ends the program at once; nothing is asked.
  event->accept();
  if (!unloading_) {
    unloading_ = true;
    QCoreApplication::quit();
  }
}

}  // namespace tavrin::qt
