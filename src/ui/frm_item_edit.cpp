#include "ui/frm_item_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "collection/paths.h"
#include "collection/text.h"
#include "ui/details.h"
#include "ui/enter_key.h"
#include "ui/fonts.h"
#include "ui/twips.h"

namespace tavrin {
namespace {

QLabel* MakeLabel(const char* text, QWidget* parent, QRect rect, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(rect);
  label->setBuddy(buddy);
  return label;
}

QLineEdit* MakeBox(const char* name, const char* tip, QWidget* parent, QRect rect) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setToolTip(tip);
  box->setGeometry(rect);
  return box;
}

}  // namespace

void InitUiResources();

FrmItemEdit::FrmItemEdit(UiContext context, QWidget* owner) : QDialog(owner), ctx_(context) {
  InitUiResources();
  setWindowTitle("Item Editor");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(5475), Twips(2145));
  setModal(true);
  setFont(WindowFont(9.75));
  BuildControls();
  Form_Load();
}

void FrmItemEdit::BuildControls() {
  txtItem_ = MakeBox("txtItem", "Item name", this, TwipsRect(1440, 60, 3960, 330));
  txtFile_ =
      MakeBox("txtFile", "This item's executable file", this, TwipsRect(1440, 450, 3225, 315));
  txtParams_ =
      MakeBox("txtParams", "Parameters to the executable", this, TwipsRect(1440, 840, 3960, 330));
  cboStyle_ = new QComboBox(this);
  cboStyle_->setObjectName("cboStyle");
  cboStyle_->setToolTip("How this item's program will be shown");
  cboStyle_->setGeometry(TwipsRect(1440, 1260, 3960, 345));
  cWait_ = new QCheckBox("&Wait until finished", this);
  cWait_->setObjectName("cWait");
  cWait_->setToolTip("Wait for this program to finish before running the next item");
  cWait_->setGeometry(TwipsRect(1440, 1710, 2625, 255));
  btnOk_ = new QPushButton("&OK", this);
  btnOk_->setObjectName("btnOk");
  btnOk_->setToolTip("Accept changes");
  btnOk_->setGeometry(TwipsRect(60, 1710, 1215, 375));
  btnOk_->setFont(WindowFont(9.75, true));
  btnOk_->setDefault(true);
  btnOk_->setEnabled(false);
  btnCancel_ = new QPushButton("&Cancel", this);
  btnCancel_->setObjectName("btnCancel");
  btnCancel_->setToolTip("Discard changes");
  btnCancel_->setGeometry(TwipsRect(4200, 1710, 1215, 375));
  btnCancel_->setFont(WindowFont(9.75, true));

  MakeLabel("Item &Name:", this, TwipsRect(60, 120, 1245, 255), txtItem_);
  MakeLabel("&File:", this, TwipsRect(60, 510, 1245, 255), txtFile_);
  MakeLabel("&Parameters:", this, TwipsRect(60, 900, 1245, 255), txtParams_);
  MakeLabel("Window&style:", this, TwipsRect(60, 1320, 1245, 255), cboStyle_);

  tbOpen_ = new QWidget(this);
  tbOpen_->setObjectName("tbOpen");
  tbOpen_->setGeometry(TwipsRect(4680, 450, 735, 390));
  auto* layout = new QHBoxLayout(tbOpen_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  struct ToolEntry {
    const char* key;
    const char* tip;
  };
  for (const ToolEntry& entry :
       {ToolEntry{"Open", "Browse for an executable"}, ToolEntry{"Find", "Find target"}}) {
    auto* button = new QToolButton(tbOpen_);
    button->setObjectName(entry.key);
    button->setToolTip(entry.tip);
    button->setAccessibleName(entry.tip);  // it shows no text of its own
    QIcon icon;
    icon.addFile(QString(":/icons/%1-16.png").arg(entry.key), QSize(16, 16));
    icon.addFile(QString(":/icons/%1.png").arg(entry.key), QSize(32, 32));
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);  // flat until the pointer is over it
    button->setFocusPolicy(Qt::TabFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(button);
    const std::string key = entry.key;
    connect(button, &QToolButton::clicked, this, [this, key] { tbOpen_ButtonClick(key); });
  }
  tbOpenButton("Find")->setEnabled(false);

  setTabOrder(txtItem_, txtFile_);
  setTabOrder(txtFile_, txtParams_);
  setTabOrder(txtParams_, cboStyle_);
  setTabOrder(cboStyle_, cWait_);
  setTabOrder(cWait_, btnOk_);
  setTabOrder(btnOk_, btnCancel_);
  setTabOrder(btnCancel_, tbOpenButton("Open"));
  setTabOrder(tbOpenButton("Open"), tbOpenButton("Find"));

  connect(txtItem_, &QLineEdit::textChanged, this, [this] { OtherChange(); });
  connect(txtParams_, &QLineEdit::textChanged, this, [this] { OtherChange(); });
  connect(txtFile_, &QLineEdit::textChanged, this, [this] { txtFile_Change(); });
  connect(cboStyle_, &QComboBox::currentIndexChanged, this, [this] { OtherChange(); });
  connect(cWait_, &QCheckBox::toggled, this, [this] { OtherChange(); });
  connect(btnOk_, &QPushButton::clicked, this, [this] { btnOK_Click(); });
  connect(btnCancel_, &QPushButton::clicked, this, [this] { btnCancel_Click(); });
}

QToolButton* FrmItemEdit::tbOpenButton(const std::string& key) const {
  return tbOpen_->findChild<QToolButton*>(QString::fromStdString(key));
}

void FrmItemEdit::Form_Load() {
  Loading = true;
  cboStyle_->addItems(
      {"Hidden", "Normal", "Minimized", "Maximized", "Normal no focus", "Minimized no focus"});
  cboStyle_->setCurrentIndex(-1);
  const CollItem& item = ctx_.edit.EditItem;
  txtItem_->setText(QString::fromStdString(item.ItemName));
  txtFile_->setText(QString::fromStdString(item.File));
  txtParams_->setText(QString::fromStdString(item.Params));
  // A code without an entry shows no style and is kept unless the user picks one.
  cboStyle_->setCurrentIndex(item.WinStyle >= 0 && item.WinStyle <= 5 ? item.WinStyle : -1);
  cWait_->setChecked(item.Wait != 0);
  // The whole name is selected, so that typing replaces it; the cursor stands at its
  // start, so that a long name shows its beginning.
  txtItem_->setSelection(static_cast<int>(txtItem_->text().size()),
                         -static_cast<int>(txtItem_->text().size()));
  Loading = false;
}

void FrmItemEdit::OtherChange() {
  if (!Loading) CheckChange();
}

void FrmItemEdit::CheckChange() {
  const CollItem& item = ctx_.edit.EditItem;
  const int style = cboStyle_->currentIndex();
  const bool differs = txtItem_->text().toStdString() != item.ItemName ||
                       txtFile_->text().toStdString() != item.File ||
                       txtParams_->text().toStdString() != item.Params ||
                       (style >= 0 && style != item.WinStyle) ||
                       cWait_->isChecked() != (item.Wait != 0);
  // Once something has differed, OK stays available.
  if (differs) btnOk_->setEnabled(true);
}

void FrmItemEdit::txtFile_Change() {
  const std::string text = txtFile_->text().toStdString();
  tbOpenButton("Find")->setEnabled(!text.empty());
  if (!Loading) CheckChange();
  if (CountsAsProgram(text, ctx_.platform.system.IsProgramFile(text))) {
    cWait_->setEnabled(true);
  } else {
    cWait_->setChecked(false);
    cWait_->setEnabled(false);
  }
}

void FrmItemEdit::tbOpen_ButtonClick(const std::string& key) {
  if (key == "Open") {
    if (!ShowOpenDialog(OpenFileDlg, 2, ctx_.dialogs)) return;
    std::string path = CutAtNull(OpenFileDlg.lpstrFile);
    if (kPathsIgnoreCase) path = LowerAscii(path);
    txtFile_->setText(QString::fromStdString(path));
  } else if (key == "Find") {
    ShellRequest request;
    request.verb = "Open";
    request.file = FolderPart(txtFile_->text().toStdString());
    request.show = kSwShowNormal;
    ctx_.platform.shell.ShellExecute(request);
  }
}

void FrmItemEdit::btnOK_Click() {
  CollItem& item = ctx_.edit.EditItem;
  item.File = txtFile_->text().toStdString();
  item.Params = txtParams_->text().toStdString();
  item.ItemName = txtItem_->text().toStdString();
  if (cboStyle_->currentIndex() >= 0)
    item.WinStyle = static_cast<int16_t>(cboStyle_->currentIndex());
  item.Wait = cWait_->isChecked() ? kTrue : kFalse;
  accept();
}

void FrmItemEdit::btnCancel_Click() { reject(); }

void FrmItemEdit::keyPressEvent(QKeyEvent* event) {
  // Enter presses the focused button (Cancel too), otherwise OK while it is enabled.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == Qt::NoModifier) {
    if (QAbstractButton* button = ButtonForEnter(focusWidget(), btnOk_)) button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmItemEdit::reject() {
  ctx_.edit.EditCancelled = true;
  QDialog::reject();
}

}  // namespace tavrin
