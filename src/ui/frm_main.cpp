#include "ui/frm_main.h"

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
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "collection/collfile.h"
#include "collection/paths.h"
#include "collection/text.h"
#include "launch/launch.h"
#include "shellreg/association.h"
#include "tavrin/version.h"
#include "ui/details.h"
#include "ui/details_pane.h"
#include "ui/enter_key.h"
#include "ui/fonts.h"
#include "ui/frm_about.h"
#include "ui/frm_item_edit.h"
#include "ui/twips.h"

namespace tavrin {
namespace {

const char* const kNone = "<None>";
const char* const kNewCollection = "<New Collection>";
const char* const kCurrentCollection = "<Current Collection>";

struct ButtonEntry {
  const char* key;
  const char* image;
  const char* tip;
};

constexpr ButtonEntry kCollButtons[] = {
    {"Other", "cOpen", "Browse for a collection"},
    {"Save", "cSave", "Save current collection"},
    {"Delete", "cDelete", "Delete the current collection"},
    {"New", "cNew", "Start over from scratch"},
};

constexpr ButtonEntry kItemButtons[] = {
    {"Up", "iUp", "Move item up in list"},          {"Edit", "iEdit", "Edit the selected item"},
    {"Remove", "iRemove", "Remove item from list"}, {"Open", "iOpen", "Open the selected item"},
    {"Down", "iDown", "Move item down in list"},
};

constexpr int kItemBarTops[] = {180, 622, 1064, 1506, 1950};

QIcon BundledIcon(const QString& name) {
  QIcon icon;
  icon.addFile(":/icons/" + name + "-16.png", QSize(16, 16));
  icon.addFile(":/icons/" + name + ".png", QSize(32, 32));
  return icon;
}

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
  button->setAutoRaise(true);
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

// The codes of the keys the window's handlers tell apart, by the system's numbers.
int KeyCodeOf(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kKeyReturn;
    case Qt::Key_Delete:
      return kKeyDelete;
    case Qt::Key_Menu:
      return kKeyApps;
    case Qt::Key_F10:
      return kKeyF10;
    default:
      return 0;
  }
}

// The modifier mask of a key event: 1 Shift, 2 Ctrl, 4 Alt. A modifier key counts
// for itself, whatever the system reports while it goes down.
int ModifierMask(const QKeyEvent* event) {
  int mask = 0;
  const auto mods = event->modifiers();
  if (mods & Qt::ShiftModifier || event->key() == Qt::Key_Shift) mask |= 1;
  if (mods & Qt::ControlModifier || event->key() == Qt::Key_Control) mask |= 2;
  if (mods & Qt::AltModifier || event->key() == Qt::Key_Alt) mask |= 4;
  return mask;
}

}  // namespace

void InitUiResources();

int RunModal(const UiContext& context, QDialog& dialog) {
  return context.runModal ? context.runModal(dialog) : dialog.exec();
}

FrmMain::FrmMain(UiContext context, std::string commandLine, QWidget* parent)
    : QMainWindow(parent), ctx_(context), commandLine_(std::move(commandLine)) {
  InitUiResources();
  setWindowTitle("The Tavrin");
  setWindowIcon(QIcon(":/icons/tavrin.png"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  BuildMenus();
  BuildControls();
  // Key preview: the window sees every key before the control that has the focus.
  qApp->installEventFilter(this);
  Form_Load();
  if (!commandLine_.empty()) {
    // Opened with a collection file: it can be saved and deleted.
    SetCollButtonEnabled("Delete", true);
    SetCollButtonEnabled("Save", true);
  }
  setFixedSize(sizeHint());
  // Opens in the centre of the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

FrmMain::~FrmMain() { qApp->removeEventFilter(this); }

void FrmMain::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  QAction* exit = file->addAction("E&xit");
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  connect(exit, &QAction::triggered, this, [this] { mnuFile_Click(0); });

  QMenu* options = menuBar()->addMenu("O&ptions");
  QAction* registry = options->addAction("&Registry...");
  connect(registry, &QAction::triggered, this, [this] { mnuOption_Click(0); });

  QMenu* help = menuBar()->addMenu("&?");
  QAction* about = help->addAction("&About");
  about->setShortcut(QKeySequence(Qt::Key_F1));
  connect(about, &QAction::triggered, this, [this] { mnuHelp_Click(0); });

  // The item menus are shown only as popups over the item list, never in the bar.
  mnuPopItem1_ = new QMenu(this);
  mnuPopItem1_->setObjectName("mnuPopItem1");
  QAction* add = mnuPopItem1_->addAction("&Add...");
  add->setObjectName("mnuPItem1");
  connect(add, &QAction::triggered, this, [this] { mnuPItem1_Click(); });
  mnuPopItem2_ = new QMenu(this);
  mnuPopItem2_->setObjectName("mnuPopItem2");
  const char* entries[] = {"&Add...", "&Edit...", "&Remove", "-", "&Open Item"};
  for (int i = 0; i < 5; ++i) {
    QAction* action = std::string(entries[i]) == "-" ? mnuPopItem2_->addSeparator()
                                                     : mnuPopItem2_->addAction(entries[i]);
    action->setObjectName(QString("mnuPitem2_%1").arg(i));
    connect(action, &QAction::triggered, this, [this, i] { mnuPitem2_Click(i); });
  }
}

void FrmMain::BuildControls() {
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

  // Tab goes through the window as it reads: the box and its toolbar, the list and
  // its buttons, Execute and Exit.
  QList<QWidget*> order{cboColl_};
  for (QToolButton* button : tbColl_->findChildren<QToolButton*>()) order << button;
  order << lstItems_;
  for (QToolButton* button : tbItem_) order << button;
  order << btnExec_ << btnExit_;
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void FrmMain::BuildCollectionFrame(int extra) {
  cboColl_ = new QComboBox(frameColl_);
  cboColl_->setObjectName("cboColl");
  cboColl_->setGeometry(TwipsRect(120, 240, 5955, 345).translated(0, extra));
  cboColl_->setFont(WindowFont(9.75));
  cboColl_->setEditable(true);
  // Qt's editable box also reports an entry as activated when the editing of a text
  // that names it ends (Tab, a click elsewhere, Enter, the window hiding). That is no
  // pick: only a pick from the open list or an arrow key in the closed box calls
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
  connect(cboColl_, &QComboBox::editTextChanged, this, [this] { cboColl_Change(); });
  connect(cboColl_, &QComboBox::activated, this, [this](int index) {
    if (!boxEditEnding_) cboColl_Click(index);
  });

  tbColl_ =
      MakeToolStrip(frameColl_, "tbColl", TwipsRect(6150, 240, 1485, 390).translated(0, extra));
  for (const auto& entry : kCollButtons) {
    QToolButton* button = MakeToolButton(entry, tbColl_);
    tbColl_->layout()->addWidget(button);
    const std::string key = entry.key;
    connect(button, &QToolButton::clicked, this, [this, key] { tbColl_ButtonClick(key); });
  }
  SetCollButtonEnabled("Save", false);
  SetCollButtonEnabled("Delete", false);
}

void FrmMain::BuildItemFrame(int extra) {
  lstItems_ = new QListWidget(frameItems_);
  lstItems_->setObjectName("lstItems");
  lstItems_->setGeometry(TwipsRect(120, 210, 3585, 2100).translated(0, extra));
  lstItems_->setFont(WindowFont(9.75));
  lstItems_->setToolTip("Items in the current collection");
  lstItems_->setAccessibleName(AccessibleCaption(frameItems_));
  lstItems_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(lstItems_, &QListWidget::itemSelectionChanged, this, [this] {
    if (SelectedIndex() >= 0) lstItems_Click();
  });
  connect(lstItems_, &QListWidget::itemClicked, this, [this] { lstItems_Click(); });
  connect(lstItems_, &QListWidget::itemDoubleClicked, this, [this] { lstItems_DblClick(); });

  for (int i = 0; i < 5; ++i) {
    tbItemBars_[i] = MakeToolStrip(frameItems_, QString("tbItem_%1").arg(i),
                                   TwipsRect(3750, kItemBarTops[i], 375, 405).translated(0, extra));
    tbItem_[i] = MakeToolButton(kItemButtons[i], tbItemBars_[i]);
    tbItemBars_[i]->layout()->addWidget(tbItem_[i]);
    const std::string key = kItemButtons[i].key;
    connect(tbItem_[i], &QToolButton::clicked, this,
            [this, i, key] { tbItem_ButtonClick(i, key); });
  }
}

void FrmMain::BuildDetailsFrame(int extra) {
  picDetails_ = new DetailsPane(frameDetails_);
  picDetails_->setObjectName("picDetails");
  picDetails_->setAccessibleName(AccessibleCaption(frameDetails_));
  picDetails_->setGeometry(TwipsRect(90, 240, 3360, 2145).translated(0, extra));
}

void FrmMain::BuildButtons(QWidget* client, int below) {
  btnExec_ = new QPushButton("Execute &Tavrin", client);
  btnExec_->setObjectName("btnExec");
  btnExec_->setGeometry(TwipsRect(60, 3300, 3015, 405).translated(0, below));
  btnExec_->setFont(WindowFont(12, true));
  btnExec_->setToolTip("Run all items in current collection. (Shift-Click to prevent exiting)");
  btnExec_->setDefault(true);
  btnExec_->setEnabled(false);
  connect(btnExec_, &QPushButton::clicked, this, [this] { btnExec_Click(); });

  btnExit_ = new QPushButton("E&xit", client);
  btnExit_->setObjectName("btnExit");
  btnExit_->setGeometry(TwipsRect(4770, 3300, 3015, 405).translated(0, below));
  btnExit_->setFont(WindowFont(12, true));
  btnExit_->setToolTip("Exit Tavrin");
  connect(btnExit_, &QPushButton::clicked, this, [this] { btnExit_Click(); });
}

void FrmMain::Form_Load() {
  // The file association is put back if it is missing; a failure is passed over.
  EnsureRegistered(ctx_.platform);
  GetTavrinFiles();
  // Nothing is selected yet: the item buttons wait for a selection.
  EnableItemButtons(false);
  if (!commandLine_.empty()) {
    AddItemsToList();
    SetBoxText(BaseName(commandLine_));
  }
  MakeFlatToolBars();
  mnuPopItem1_->menuAction()->setVisible(false);
  mnuPopItem2_->menuAction()->setVisible(false);
}

void FrmMain::MakeFlatToolBars() {
  // Buttons without a raised frame, except while the mouse pointer is over them.
  QWidget* bars[] = {tbColl_,        tbItemBars_[0], tbItemBars_[1],
                     tbItemBars_[2], tbItemBars_[3], tbItemBars_[4]};
  for (QWidget* bar : bars) {
    for (QToolButton* button : bar->findChildren<QToolButton*>()) button->setAutoRaise(true);
    bar->update();
  }
}

QToolButton* FrmMain::collButton(const std::string& key) const {
  return tbColl_->findChild<QToolButton*>(QString::fromStdString(key));
}

void FrmMain::SetCollButtonEnabled(const std::string& key, bool enabled) {
  if (QToolButton* b = collButton(key)) b->setEnabled(enabled);
}

bool FrmMain::CollButtonEnabled(const std::string& key) const {
  const QToolButton* b = collButton(key);
  return b && b->isEnabled();
}

QString FrmMain::BoxText() const { return cboColl_->currentText(); }

void FrmMain::SetBoxText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  const bool changed = BoxText() != shown;
  {
    // The entry the box shows is its current one, so that the arrow keys go on from
    // there; a text that is no entry ("<Current Collection>") leaves none current.
    QSignalBlocker block(cboColl_);
    cboColl_->setCurrentIndex(CollEntryOf(text));
    if (BoxText() != shown) cboColl_->setEditText(shown);
  }
  if (changed) cboColl_Change();
}

int FrmMain::CollEntryOf(const std::string& text) const {
  return cboColl_->findText(QString::fromStdString(text),
                            Qt::MatchExactly | Qt::MatchCaseSensitive);
}

std::string FrmMain::CollectionPath(const std::string& name) {
  return ctx_.platform.system.CollectionFolder() + kNativeSeparator + name + ".tavrin";
}

void FrmMain::GetTavrinFiles() {
  {
    // Refilling the list does not pick an entry.
    QSignalBlocker block(cboColl_);
    cboColl_->clear();
  }
  cboColl_->addItem(kNone);
  const std::string folder = ctx_.platform.system.CollectionFolder();
  std::vector<std::string> names;
  for (const std::string& file : ctx_.platform.files.ListFiles(folder, ".tavrin")) {
    names.push_back(BaseName(file));
  }
  // In name order, whatever order the system lists the folder in.
  std::sort(names.begin(), names.end(), NameLess);
  for (const std::string& name : names) cboColl_->addItem(QString::fromStdString(name));
  SetBoxText(kNone);
  cboColl_Change();
}

void FrmMain::cboColl_Change() {
  const QString text = BoxText();
  btnExec_->setEnabled(text != kNone && text != kNewCollection);
}

void FrmMain::cboColl_Click(int index) {
  CollChanged(false);
  ClearItems();
  if (index > 0) {
    const std::string entry = cboColl_->itemText(index).toStdString();
    const std::string path = CollectionPath(entry);
    const LoadResult result = ReadCollectionFile(ctx_.state, path, ctx_.platform.files);
    if (result != LoadOk && !ReportLoadResult(result, path, ctx_.state, ctx_.platform)) return;
    AddItemsToList();
    ctx_.state.CurrentCollFile = CollectionPath(BoxText().toStdString());
    SetCollButtonEnabled("Delete", true);
    SetCollButtonEnabled("Save", true);
  }
  const QString text = BoxText();
  if (text == kNone || text == kNewCollection) {
    ctx_.state.CurrentCollFile.clear();
    btnExec_->setEnabled(false);
    SetCollButtonEnabled("Delete", false);
    SetCollButtonEnabled("Save", false);
    EnableItemButtons(false);
  } else {
    btnExec_->setEnabled(true);
  }
}

void FrmMain::SelectCollEntry(int index) {
  {
    QSignalBlocker block(cboColl_);
    cboColl_->setCurrentIndex(index);
  }
  cboColl_Change();
  cboColl_Click(index);
}

void FrmMain::CollChanged(bool Changed) {
  if (Changed) {
    SetCollButtonEnabled("Delete", false);
    SetCollButtonEnabled("Save", true);
    SetBoxText(kCurrentCollection);
  } else {
    SetCollButtonEnabled("Delete", false);
    SetCollButtonEnabled("Save", false);
  }
}

void FrmMain::ClearItems() {
  picDetails_->Clear();
  {
    QSignalBlocker block(lstItems_);
    lstItems_->clear();
    lstItems_->setCurrentRow(-1);
  }
  EnableItemButtons(false);
  ctx_.state.HasItems = false;
}

void FrmMain::EnableItemButtons(bool flag) {
  for (QToolButton* button : tbItem_) button->setEnabled(flag);
}

void FrmMain::AddItemsToList() {
  ClearItems();
  QStringList names;
  names.reserve(static_cast<int>(ctx_.state.Items.size()));
  for (const CollItem& item : ctx_.state.Items) names << QString::fromStdString(item.ItemName);
  {
    QSignalBlocker block(lstItems_);
    lstItems_->addItems(names);
    lstItems_->setCurrentRow(-1);
  }
  ctx_.state.HasItems = true;
}

void FrmMain::DisplayDetails(int ItemIndex) {
  if (ItemIndex < 0 || ItemIndex >= static_cast<int>(ctx_.state.Items.size())) return;
  const CollItem& item = ctx_.state.Items[static_cast<std::size_t>(ItemIndex)];
  const std::string type = ctx_.platform.system.FileTypeDescription(item.File);
  picDetails_->DrawText(DetailsText(item, ItemIndex, type));
}

std::string FrmMain::DetailsShown() const { return picDetails_->text(); }

int FrmMain::SelectedIndex() const {
  const auto selected = lstItems_->selectedItems();
  return selected.isEmpty() ? -1 : lstItems_->row(selected.first());
}

void FrmMain::SelectListEntry(int index) {
  {
    QSignalBlocker block(lstItems_);
    lstItems_->setCurrentRow(index);
  }
  if (SelectedIndex() >= 0) lstItems_Click();
}

void FrmMain::lstItems_Click() {
  const int index = SelectedIndex();
  if (index < 0) return;
  DisplayDetails(index);
  EnableItemButtons(true);
}

void FrmMain::tbColl_ButtonClick(const std::string& key) {
  if (key == "Other") {
    if (!ShowOpenDialog(OpenFileDlg, 1, ctx_.dialogs)) return;
    const std::string path = CutAtNull(OpenFileDlg.lpstrFile);
    // A load that stops leaves the collection shown before: list and items agree.
    const std::vector<CollItem> previous = ctx_.state.Items;
    const LoadResult result = ReadCollectionFile(ctx_.state, path, ctx_.platform.files);
    if (result != LoadOk &&
        !ReportLoadResult(result, FilePart(path), ctx_.state, ctx_.platform, path)) {
      ctx_.state.Items = previous;
      return;
    }
    AddItemsToList();
    SetBoxText(BaseName(path));
    ctx_.state.CurrentCollFile = path;
    SetCollButtonEnabled("Delete", true);
    SetCollButtonEnabled("Save", true);
  } else if (key == "Save") {
    SaveFileDlg.lpstrInitialDir = ctx_.platform.system.CollectionFolder();
    const std::string text = BoxText().toStdString();
    const std::string proposal = text == kCurrentCollection ? ctx_.state.CurrentCollFile : text;
    const std::size_t used = text.size();
    SaveFileDlg.lpstrFile = proposal + std::string(used < 1024 ? 1024 - used : 0, ' ');
    if (!ShowSaveDialog(SaveFileDlg, ctx_.dialogs)) return;
    const std::string chosen = CutAtNull(SaveFileDlg.lpstrFile);
    if (SaveCollectionFile(ctx_.state, chosen, ctx_.platform.files)) {
      // Named by the box's list entry; by the chosen file when the box shows none.
      const int entry = CollEntryOf(BoxText().toStdString());
      const std::string name = entry > 0 ? cboColl_->itemText(entry).toStdString() + ".tavrin"
                                         : FilePart(ForceCollExt(chosen));
      ctx_.platform.toolkit.MsgBox(name + "\n\nThe Tavrin was unable to save this file!!",
                                   kStyleCriticalOk, kErrorCaption);
      return;
    }
    GetTavrinFiles();
    SetBoxText(BaseName(chosen));
    ctx_.state.CurrentCollFile = ForceCollExt(chosen);
    SetCollButtonEnabled("Delete", true);
  } else if (key == "Delete") {
    SubDeleteFile();
  } else if (key == "New") {
    ctx_.state.ResetItems();
    ClearItems();
    SetCollButtonEnabled("Save", false);
    SetCollButtonEnabled("Delete", false);
    EnableItemButtons(false);
    SetBoxText(kNewCollection);
    ctx_.state.CurrentCollFile.clear();
  }
}

void FrmMain::SubDeleteFile() {
  const std::string& file = ctx_.state.CurrentCollFile;
  if (file.empty()) return;  // nothing to delete
  const int error = ctx_.platform.files.DeleteFile(file);
  if (error != 0) {
    const std::string shown = kPathsIgnoreCase ? LowerAscii(file) : file;
    ctx_.platform.toolkit.MsgBox(shown + "\n\nError " + std::to_string(error), kStyleCriticalOk,
                                 kErrorCaption);
    return;
  }
  ClearItems();
  SetCollButtonEnabled("Delete", false);
  GetTavrinFiles();
}

void FrmMain::btnExec_Click() {
  const bool KeepWindow = shiftPressed_;
  hide();
  // What runs is what the list shows: nothing while it is empty (no collection, or a
  // pick that could not be loaded), even when records of an earlier one remain.
  if (ctx_.state.HasItems) RunAllItems(ctx_.state, ctx_.platform);
  if (KeepWindow) {
    show();
    activateWindow();
  } else {
    close();
  }
}

void FrmMain::btnExit_Click() { close(); }

void FrmMain::mnuFile_Click(int Index) {
  if (Index == 0) close();
}

void FrmMain::mnuOption_Click(int Index) {
  ::tavrin::mnuOption_Click(static_cast<int16_t>(Index), ctx_.platform);
}

void FrmMain::mnuHelp_Click(int) {
  FrmAbout about(ctx_, this);
  RunModal(ctx_, about);
}

void FrmMain::Form_KeyDown(int, int Shift) {
  if (Shift != 0) shiftPressed_ = true;
}

void FrmMain::Form_KeyUp(int, int) { shiftPressed_ = false; }

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  // The wheel over the closed box would step through the entries and pick them.
  if (watched == cboColl_ && type == QEvent::Wheel) return true;
  // The right button over the item list opens a popup menu and leaves the selection.
  if (watched == lstItems_->viewport() &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
       type == QEvent::MouseButtonDblClick) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    if (type == QEvent::MouseButtonRelease) lstItems_MouseUp(2);
    return true;
  }
  if (type == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
    if (watched == frameColl_ || watched == frameItems_) {
      FrameAccessKey(static_cast<QGroupBox*>(watched));
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
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const int code = KeyCodeOf(key);
  if (type == QEvent::KeyRelease) {
    Form_KeyUp(code, ModifierMask(key));
    return false;
  }
  Form_KeyDown(code, ModifierMask(key));
  if (watched == lstItems_ && lstItems_KeyDown(code, ModifierMask(key))) return true;
  // The window's own keys, ahead of the control that has the focus (a control that
  // claims a key, as a text box claims Ctrl+X, would keep it from the menu).
  if (key->key() == Qt::Key_X && key->modifiers() == Qt::ControlModifier) {
    mnuFile_Click(0);
    return true;
  }
  if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
    mnuHelp_Click(0);
    return true;
  }
  if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
    btnExit_->click();
    return true;
  }
  // Enter presses the focused button, otherwise Execute. With Shift (or Ctrl) held it
  // does the same, and the window stays open after a run, as after a Shift-click.
  if (code == kKeyReturn && (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier |
                                                  Qt::ControlModifier)) == Qt::NoModifier) {
    if (QAbstractButton* button = ButtonForEnter(QApplication::focusWidget(), btnExec_)) {
      button->click();
    }
    return true;
  }
  return false;
}

void FrmMain::closeEvent(QCloseEvent* event) {
  // Closing the window by any way ends the program at once; nothing is asked.
  event->accept();
  if (!unloading_) {
    unloading_ = true;
    QCoreApplication::quit();
  }
}

void FrmMain::OpenItemEditor(int ItemIndex, int Position) {
  CollectionState& st = ctx_.state;
  EditExchange& ex = ctx_.edit;
  const bool adding = ItemIndex == -1;
  // Calls outside what the list shows are refused without a change.
  if (adding) {
    const int count = st.HasItems ? static_cast<int>(st.Items.size()) : 0;
    if (Position < 0 || Position > count) return;
    ex.EditItem.File.clear();
    ex.EditItem.Params.clear();
    ex.EditItem.ItemName = "New Item";
    ex.EditItem.WinStyle = kStyleNormal;
    // Wait keeps the setting of the item last shown in the editor.
  } else {
    if (!st.HasItems || ItemIndex < 0 || ItemIndex > st.UpperBound()) return;
    ex.EditItem = st.Items[static_cast<std::size_t>(ItemIndex)];
  }
  {
    FrmItemEdit editor(ctx_, this);
    RunModal(ctx_, editor);
  }
  if (!ex.EditCancelled) {
    if (adding) {
      if (st.HasItems) {
        st.Items.insert(st.Items.begin() + Position, ex.EditItem);
      } else {
        st.Items.assign(1, ex.EditItem);
        Position = 0;
      }
      lstItems_->insertItem(Position, QString::fromStdString(ex.EditItem.ItemName));
      st.HasItems = true;
    } else {
      st.Items[static_cast<std::size_t>(ItemIndex)] = ex.EditItem;
      QSignalBlocker block(lstItems_);
      delete lstItems_->takeItem(ItemIndex);
      lstItems_->insertItem(ItemIndex, QString::fromStdString(ex.EditItem.ItemName));
    }
    CollChanged(true);
  }
  ex.EditCancelled = false;
}

void FrmMain::DeleteItem(int index) {
  CollectionState& st = ctx_.state;
  if (st.UpperBound() == 0) {
    st.ResetItems();
    st.HasItems = false;
    return;
  }
  if (index < 0 || index > st.UpperBound()) return;
  st.Items.erase(st.Items.begin() + index);
}

void FrmMain::SwapItems(int i, int j) {
  // The entries are rewritten in place, so the list's selected index stays.
  QListWidgetItem* a = lstItems_->item(i);
  QListWidgetItem* b = lstItems_->item(j);
  const QString kept = b->text();
  b->setText(a->text());
  a->setText(kept);
  std::swap(ctx_.state.Items[static_cast<std::size_t>(i)],
            ctx_.state.Items[static_cast<std::size_t>(j)]);
}

void FrmMain::MoveDown(int ItemIndex) { SwapItems(ItemIndex, ItemIndex + 1); }

void FrmMain::MoveUp(int ItemIndex) { SwapItems(ItemIndex, ItemIndex - 1); }

void FrmMain::RemoveSelectedItem() {
  const int count = lstItems_->count();
  if (count == 0) return;
  if (count == 1) {
    // Removing the only item leaves no collection.
    SelectCollEntry(0);
    return;
  }
  const int i = SelectedIndex();
  if (i < 0 || i > ctx_.state.UpperBound()) return;
  DeleteItem(i);
  {
    QSignalBlocker block(lstItems_);
    delete lstItems_->takeItem(i);
  }
  picDetails_->Clear();
  CollChanged(true);
  lstItems_->setFocus();
  SelectListEntry(lstItems_->count() == i ? i - 1 : i);
}

void FrmMain::OpenSelectedItem(bool allowWait) {
  const int i = SelectedIndex();
  if (i < 0 || i > ctx_.state.UpperBound()) return;
  const CollItem item = ctx_.state.Items[static_cast<std::size_t>(i)];
  const bool waited = allowWait && item.Wait != 0;
  if (waited) {
    setWindowTitle("The Tavrin - Waiting for program to finish...");
    setEnabled(false);
  }
  if (allowWait) setCursor(Qt::WaitCursor);
  // Shows the waiting state before the launcher's thread blocks.
  ctx_.platform.toolkit.DoEvents();
  const int32_t result =
      LaunchItem(item.File, item.Params, item.WinStyle, waited ? item.Wait : kFalse,
                 ItemBaseFolder(ctx_.state, ctx_.platform.system), ctx_.platform.shell);
  ctx_.platform.toolkit.DoEvents();
  if (allowWait) unsetCursor();
  if (waited) {
    setWindowTitle("The Tavrin");
    setEnabled(true);
    activateWindow();
  }
  if (LaunchFailed(result, waited)) {
    ShowLaunchFailure(item.File, LaunchErrorText(result, waited, ctx_.platform.shell),
                      ctx_.platform.toolkit);
  }
  ctx_.platform.toolkit.DoEvents();
}

void FrmMain::tbItem_ButtonClick(int Index, const std::string& key) {
  if (Index < 0 || Index > 4 || key != kItemButtons[Index].key) return;
  const int sel = SelectedIndex();
  switch (Index) {
    case 0:  // Up
      if (sel <= 0) return;
      MoveUp(sel);
      CollChanged(true);
      lstItems_->setFocus();
      SelectListEntry(sel - 1);
      break;
    case 4:  // Down
      if (sel < 0 || sel >= lstItems_->count() - 1) return;
      MoveDown(sel);
      CollChanged(true);
      lstItems_->setFocus();
      SelectListEntry(sel + 1);
      break;
    case 1:  // Edit
      lstItems_DblClick();
      break;
    case 2:  // Remove
      RemoveSelectedItem();
      break;
    case 3:  // Open
      OpenSelectedItem(true);
      break;
    default:
      break;
  }
}

void FrmMain::mnuPItem1_Click() { OpenItemEditor(-1, lstItems_->count()); }

void FrmMain::mnuPitem2_Click(int Index) {
  switch (Index) {
    case 0: {
      const int sel = SelectedIndex();
      if (sel >= 0) OpenItemEditor(-1, sel + 1);
      break;
    }
    case 1:
      lstItems_DblClick();
      break;
    case 2:
      RemoveSelectedItem();
      break;
    case 4:
      OpenSelectedItem(false);
      break;
    default:
      break;
  }
}

void FrmMain::lstItems_DblClick() {
  const int i = SelectedIndex();
  if (i < 0) return;
  OpenItemEditor(i, i);
  DisplayDetails(i);
  lstItems_->setFocus();
  SelectListEntry(i);
}

bool FrmMain::lstItems_KeyDown(int KeyCode, int Shift) {
  if (KeyCode == kKeyDelete) {
    RemoveSelectedItem();
    return true;
  }
  // The keyboard's way to the popup of the right button: the Menu key or Shift+F10,
  // at the selected entry.
  if (KeyCode == kKeyApps || (KeyCode == kKeyF10 && Shift == 1)) {
    const int i = SelectedIndex();
    const QPoint at =
        i >= 0 ? lstItems_->visualItemRect(lstItems_->item(i)).bottomLeft() : QPoint(0, 0);
    ShowItemPopup(lstItems_->viewport()->mapToGlobal(at));
    return true;
  }
  return false;
}

void FrmMain::lstItems_MouseUp(int Button) {
  if (Button == 2) ShowItemPopup(QCursor::pos());
}

void FrmMain::FrameAccessKey(const QGroupBox* frame) {
  // The focus goes to the frame's first control.
  QWidget* first = frame == frameColl_ ? static_cast<QWidget*>(cboColl_) : lstItems_;
  first->setFocus(Qt::ShortcutFocusReason);
}

void FrmMain::ShowItemPopup(const QPoint& at) {
  QMenu* menu = SelectedIndex() < 0 ? mnuPopItem1_ : mnuPopItem2_;
  menu->popup(at);
}

}  // namespace tavrin
