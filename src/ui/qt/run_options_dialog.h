#pragma once

#include <QDialog>

#include "forms/frm_run_options.h"
#include "ui/qt/window_builder.h"

namespace tavrin::qt {

// The run options dialog in Qt Widgets: builds the dialog's controls, forwards what the
// user does to the form, and shows what the form tells it.
class RunOptionsDialog : public QDialog, public RunOptionsView {
  Q_OBJECT

 public:
  // Builds the dialog over `owner` and loads the form into it.
  RunOptionsDialog(FrmRunOptions& form, QWidget* owner);

  // RunOptionsView.
  void SetReadyEntries(const std::vector<std::string>& entries) override;
  void SetReadyIndex(int index) override;
  void SetText(OptionsControl box, const std::string& text) override;
  void SetChecked(OptionsControl box, bool checked) override;
  void SelectWholeText(OptionsControl box) override;
  void Unload() override;

  // The control of the dialog that `control` is; null for none.
  QWidget* Control(OptionsControl control) const;

 public slots:
  // Esc and the close box: the form hears of the unload, which cancels the dialog.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ConnectControls();
  OptionsControl FocusedControl() const;

  FrmRunOptions& form_;
  MadeControls made_;
};

}  // namespace tavrin::qt
