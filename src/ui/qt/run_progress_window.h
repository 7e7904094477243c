#pragma once

#include <QDialog>

#include "forms/frm_run_progress.h"
#include "ui/qt/window_builder.h"

namespace tavrin::qt {

// The window that shows a run's progress while it waits, in Qt Widgets: not modal, on
// its own. Cancel, Enter, Esc and the close box all reach the form's Cancel; the window
// closes only when the form unloads it.
class RunProgressWindow : public QDialog, public RunProgressView {
  Q_OBJECT

 public:
  explicit RunProgressWindow(FrmRunProgress& form);

  // RunProgressView.
  void SetText(ProgressControl label, const std::string& text) override;
  void SetBar(ProgressControl bar, int value, int maximum) override;
  void Show() override;
  void Unload() override;

  QWidget* Control(ProgressControl control) const;

 public slots:
  void reject() override;

 private:
  FrmRunProgress& form_;
  MadeControls made_;
};

}  // namespace tavrin::qt
