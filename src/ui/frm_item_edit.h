#pragma once

#include <QDialog>

#include "dialogs/common_dialog.h"
#include "ui/ui_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tavrin {

// The item editor: edits the item in the context's EditItem. OK writes the five values
// back; Cancel, Esc and the close box set EditCancelled and change nothing.
class FrmItemEdit : public QDialog {
  Q_OBJECT

 public:
  FrmItemEdit(UiContext context, QWidget* owner);

  void CheckChange();
  void txtFile_Change();
  void tbOpen_ButtonClick(const std::string& key);
  void btnOK_Click();
  void btnCancel_Click();

  QLineEdit* txtItem() const { return txtItem_; }
  QLineEdit* txtFile() const { return txtFile_; }
  QLineEdit* txtParams() const { return txtParams_; }
  QComboBox* cboStyle() const { return cboStyle_; }
  QCheckBox* cWait() const { return cWait_; }
  QPushButton* btnOk() const { return btnOk_; }
  QPushButton* btnCancel() const { return btnCancel_; }
  QToolButton* tbOpenButton(const std::string& key) const;

 public slots:
  // Esc and the close box cancel the edit.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void Form_Load();
  void OtherChange();

  UiContext ctx_;
  bool Loading = false;
  OpenFileName OpenFileDlg;

  QLineEdit* txtItem_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
  QLineEdit* txtParams_ = nullptr;
  QComboBox* cboStyle_ = nullptr;
  QCheckBox* cWait_ = nullptr;
  QPushButton* btnOk_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QWidget* tbOpen_ = nullptr;
};

}  // namespace tavrin
