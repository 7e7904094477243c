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
#include "ui/qt/window_builder.h"

namespace tavrin::qt {

ItemEditor::ItemEditor(FrmItemEdit& form, QWidget* owner) : QDialog(owner), form_(form) {
  const ItemEditLayout& layout = ItemEditorLayout();
  setWindowTitle(layout.caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(layout.width), Twips(layout.height));
  setModal(true);
  setFont(WindowFont(9.75));
  BuildControls();
  form_.Form_Load(*this);
}

void ItemEditor::BuildControls() {
  made_ = MakeControls(this, ItemEditorLayout());
  txtItem_ = static_cast<QLineEdit*>(Control(EditControl::txtItem));
  txtFile_ = static_cast<QLineEdit*>(Control(EditControl::txtFile));
  txtParams_ = static_cast<QLineEdit*>(Control(EditControl::txtParams));
  cboStyle_ = static_cast<QComboBox*>(Control(EditControl::cboStyle));
  cWait_ = static_cast<QCheckBox*>(Control(EditControl::cWait));
  btnOk_ = static_cast<QPushButton*>(Control(EditControl::btnOk));
  btnCancel_ = static_cast<QPushButton*>(Control(EditControl::btnCancel));
  // The browse buttons are flat until the pointer is over them, and Tab stops at them
  // (a click leaves the focus where it was).
  for (EditControl control : {EditControl::tbOpenOpen, EditControl::tbOpenFind}) {
    auto* button = static_cast<QToolButton*>(Control(control));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QToolButton::clicked, this,
            [this, control] { form_.tbOpen_ButtonClick(control); });
  }
  ConnectControls();
}

void ItemEditor::ConnectControls() {
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
  return findChild<QToolButton*>(QString::fromStdString(key));
}

QWidget* ItemEditor::Control(EditControl control) const {
  return made_.Control(static_cast<int>(control));
}

EditControl ItemEditor::FocusedControl() const {
  return static_cast<EditControl>(made_.IdOf(focusWidget()));
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

void ItemEditor::SelectWholeText(EditControl box) { qt::SelectWholeText(Control(box)); }

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
