#include "ui/qt/item_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "ui/qt/fonts.h"
#include "ui/qt/key_codes.h"
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/ui_resources.h"

namespace tavrin::qt {
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

struct ToolEntry {
  const char* key;
  const char* tip;
  EditControl control;
};

}  // namespace

ItemEditor::ItemEditor(FrmItemEdit& form, QWidget* owner) : QDialog(owner), form_(form) {
  setWindowTitle("Item Editor");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(5475), Twips(2145));
  setModal(true);
  setFont(WindowFont(9.75));
  BuildControls();
  form_.Form_Load(*this);
}

void ItemEditor::BuildControls() {
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
  for (const ToolEntry& entry :
       {ToolEntry{"Open", "Browse for an executable", EditControl::tbOpenOpen},
        ToolEntry{"Find", "Find target", EditControl::tbOpenFind}}) {
    auto* button = new QToolButton(tbOpen_);
    button->setObjectName(entry.key);
    button->setToolTip(entry.tip);
    button->setAccessibleName(entry.tip);  // it shows no text of its own
    button->setIcon(BundledIcon(entry.key));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);  // flat until the pointer is over it
    button->setFocusPolicy(Qt::TabFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(button);
    const EditControl control = entry.control;
    connect(button, &QToolButton::clicked, this,
            [this, control] { form_.tbOpen_ButtonClick(control); });
  }

  setTabOrder(txtItem_, txtFile_);
  setTabOrder(txtFile_, txtParams_);
  setTabOrder(txtParams_, cboStyle_);
  setTabOrder(cboStyle_, cWait_);
  setTabOrder(cWait_, btnOk_);
  setTabOrder(btnOk_, btnCancel_);
  setTabOrder(btnCancel_, tbOpenButton("Open"));
  setTabOrder(tbOpenButton("Open"), tbOpenButton("Find"));

  // What the user changes reaches the form; what the form sets does not come back.
  connect(txtItem_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.txtItem_Change(Typed(text)); });
  connect(txtFile_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.txtFile_Change(Typed(text)); });
  connect(txtParams_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.txtParams_Change(Typed(text)); });
  connect(cboStyle_, &QComboBox::activated, this,
          [this](int index) { form_.cboStyle_Click(index); });
  connect(cWait_, &QCheckBox::clicked, this, [this](bool checked) { form_.cWait_Click(checked); });
  connect(btnOk_, &QPushButton::clicked, this, [this] { form_.btnOK_Click(); });
  connect(btnCancel_, &QPushButton::clicked, this, [this] { form_.btnCancel_Click(); });
}

QToolButton* ItemEditor::tbOpenButton(const std::string& key) const {
  return tbOpen_->findChild<QToolButton*>(QString::fromStdString(key));
}

QWidget* ItemEditor::Control(EditControl control) const {
  switch (control) {
    case EditControl::txtItem:
      return txtItem_;
    case EditControl::txtFile:
      return txtFile_;
    case EditControl::txtParams:
      return txtParams_;
    case EditControl::cboStyle:
      return cboStyle_;
    case EditControl::cWait:
      return cWait_;
    case EditControl::btnOk:
      return btnOk_;
    case EditControl::btnCancel:
      return btnCancel_;
    case EditControl::tbOpenOpen:
      return tbOpenButton("Open");
    case EditControl::tbOpenFind:
      return tbOpenButton("Find");
    default:
      return nullptr;
  }
}

EditControl ItemEditor::FocusedControl() const {
  const QWidget* focus = focusWidget();
  for (EditControl control :
       {EditControl::txtItem, EditControl::txtFile, EditControl::txtParams, EditControl::cboStyle,
        EditControl::cWait, EditControl::btnOk, EditControl::btnCancel, EditControl::tbOpenOpen,
        EditControl::tbOpenFind}) {
    if (focus != nullptr && Control(control) == focus) return control;
  }
  return EditControl::None;
}

void ItemEditor::SetStyleEntries(const std::vector<std::string>& entries) {
  QSignalBlocker block(cboStyle_);
  cboStyle_->clear();
  for (const std::string& entry : entries) cboStyle_->addItem(QString::fromStdString(entry));
  cboStyle_->setCurrentIndex(-1);
}

void ItemEditor::SetText(EditControl box, const std::string& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(box))) {
    edit->setText(Shown(text));
    // A text longer than the box shows its beginning, as a user reads it.
    edit->setCursorPosition(0);
  }
}

void ItemEditor::SetStyleIndex(int index) {
  QSignalBlocker block(cboStyle_);
  cboStyle_->setCurrentIndex(index);
}

void ItemEditor::SetWaitChecked(bool checked) {
  QSignalBlocker block(cWait_);
  cWait_->setChecked(checked);
}

void ItemEditor::SetEnabled(EditControl control, bool enabled) {
  if (QWidget* widget = Control(control)) widget->setEnabled(enabled);
}

void ItemEditor::SelectWholeText(EditControl box) {
  auto* edit = qobject_cast<QLineEdit*>(Control(box));
  if (edit == nullptr) return;
  // Selected from its end back to its start: the cursor stands at the start, so that a
  // long text shows its beginning.
  const int length = static_cast<int>(edit->text().size());
  edit->setSelection(length, -length);
  edit->setFocus();
}

void ItemEditor::Unload() { done(QDialog::Accepted); }

void ItemEditor::reject() {
  form_.Form_QueryUnload(kUnloadCloseBox);
  QDialog::reject();
}

void ItemEditor::keyPressEvent(QKeyEvent* event) {
  if (form_.Form_KeyDown(KeyCodeOf(event), ModifierMask(event), FocusedControl())) return;
  QDialog::keyPressEvent(event);
}

}  // namespace tavrin::qt
