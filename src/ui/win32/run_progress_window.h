#pragma once

#include <memory>
#include <string>

#include "forms/frm_run_progress.h"
#include "ui/win32/dialog.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {

// The window that shows a run's progress while it waits, in Win32: a dialog of its own
// (no owner), shown without a message loop of its own, since the run goes on while it
// shows and lets the window's messages run now and then. Cancel, Enter, Esc and the
// close box all reach the form's Cancel; the window goes only when the form unloads it.
class RunProgressWindow : public ModalDialog, public RunProgressView {
 public:
  // The labels' identifiers (Cancel is the system's IDCANCEL, which Esc finds).
  enum : int { kIdControl = 5000 };  // + the form's name for the control

  explicit RunProgressWindow(FrmRunProgress& form);
  ~RunProgressWindow() override;

  Hwnd Control(ProgressControl control) const;

  // RunProgressView.
  void SetText(ProgressControl label, const std::string& text) override;
  void SetBar(ProgressControl bar, int value, int maximum) override;
  void Show() override;
  void Unload() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int notification) override;
  void OnCloseBox() override;

 private:
  // Stops taking the thread's keys.
  void StopKeys();

  FrmRunProgress& form_;
  MadeControls made_;
  std::unique_ptr<ToolTips> tips_;
  // The hook through which the window's keys (Tab, Enter, Esc) reach it from whichever
  // loop takes the thread's messages.
  void* keys_ = nullptr;
};

// The progress window of a run, or null when it cannot be made (no desktop).
std::unique_ptr<RunProgressView> MakeRunProgressWindow(FrmRunProgress& form);

}  // namespace tavrin::win32
