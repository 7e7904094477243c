#pragma once

#include <QDialog>

#include "forms/frm_item_edit.h"
#include "ui/qt/window_builder.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tavrin::qt {

// The item editor in Qt Widgets: builds the dialog's controls, forwards what the user
// does to the form, and shows what the form tells it.
class ItemEditor : public QDialog, public ItemEditView {
  Q_OBJECT

 public:
  // Builds the dialog over `owner` and loads the form into it.
  ItemEditor(FrmItemEdit& form, QWidget* owner);

  // ItemEditView.
  void SetStyleEntries(const std::vector<std::string>& entries) override;
  void SetText(EditControl box, const std::string& text) override;
  void SetStyleIndex(int index) override;
  void SetWaitChecked(bool checked) override;
  void SetEnabled(EditControl control, bool enabled) override;
  void SelectWholeText(EditControl box) override;
  void Unload() override;

  // The controls, for the tests.
  QLineEdit* txtItem() const { return txtItem_; }
  QLineEdit* txtFile() const { return txtFile_; }
  QLineEdit* txtParams() const { return txtParams_; }
  QComboBox* cboStyle() const { return cboStyle_; }
  QCheckBox* cWait() const { return cWait_; }
  QPushButton* btnOk() const { return btnOk_; }
  QPushButton* btnCancel() const { return btnCancel_; }
  QToolButton* tbOpenButton(const std::string& key) const;
  // The control of the dialog that `control` is; null for none.
  QWidget* Control(EditControl control) const;

 public slots:
  // Esc and the close box: the form hears of the unload, which cancels the edit.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  EditControl FocusedControl() const;

  FrmItemEdit& form_;
  MadeControls made_;
  QLineEdit* txtItem_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
  QLineEdit* txtParams_ = nullptr;
  QComboBox* cboStyle_ = nullptr;
  QCheckBox* cWait_ = nullptr;
  QPushButton* btnOk_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
};

}  // namespace tavrin::qt
