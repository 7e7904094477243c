#pragma once

#include <QDialog>

#include "ui/ui_context.h"

class QLabel;
class QPushButton;

namespace tavrin {

// The About box: the program's name, version, legal notice and feedback address.
class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  // The feedback address shown, and mailed to when clicked.
  static constexpr const char* kFeedbackAddress = "feedback@tavrin.example";

  FrmAbout(UiContext context, QWidget* owner);

  void lblMail_Click();
  void btnOK_Click();

  QLabel* lblVer() const { return lblVer_; }
  QLabel* lblMail() const { return lblMail_; }
  QPushButton* btnOK() const { return btnOK_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();

  UiContext ctx_;
  QWidget* owner_;
  QLabel* lblVer_ = nullptr;
  QLabel* lblMail_ = nullptr;
  QPushButton* btnOK_ = nullptr;
};

}  // namespace tavrin
