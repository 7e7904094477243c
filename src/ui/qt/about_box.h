#pragma once

#include <QDialog>

#include "forms/frm_about.h"
#include "ui/qt/window_builder.h"

class QLabel;
class QPushButton;

namespace tavrin::qt {

// The About box in Qt Widgets: the program's name, version, legal notice and feedback
// address, a link that a click, or Enter or Space once Tab has reached it, hands to the
// form.
class AboutBox : public QDialog, public AboutView {
  Q_OBJECT

 public:
  // Builds the dialog over `owner` and loads the form into it.
  AboutBox(FrmAbout& form, QWidget* owner);

  // AboutView.
  void ShowVersion(const std::string& text) override;
  void ShowMailAddress(const std::string& address) override;
  void Unload() override;

  QLabel* lblVer() const { return lblVer_; }
  QLabel* lblMail() const { return lblMail_; }
  QPushButton* btnOK() const { return btnOK_; }

 public slots:
  // Enter and Esc both press OK.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FrmAbout& form_;
  MadeControls made_;
  QLabel* lblVer_ = nullptr;
  QLabel* lblMail_ = nullptr;
  QPushButton* btnOK_ = nullptr;
};

}  // namespace tavrin::qt
