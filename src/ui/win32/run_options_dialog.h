#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/frm_run_options.h"
#include "ui/win32/dialog.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {

// The run options dialog in Win32: builds the controls, forwards what the user does to
// the form, and shows what the form tells it.
class RunOptionsDialog : public ModalDialog, public RunOptionsView {
 public:
  // The controls' identifiers in the dialog (OK and Cancel are the system's IDOK and
  // IDCANCEL, so that Enter and Esc find them).
  enum : int { kIdControl = 4000 };  // + the form's name for the control

  // Creates the dialog over `owner` and loads the form into it; Run shows it.
  RunOptionsDialog(FrmRunOptions& form, Hwnd owner);

  Hwnd Control(OptionsControl control) const;

  // RunOptionsView.
  void SetReadyEntries(const std::vector<std::string>& entries) override;
  void SetReadyIndex(int index) override;
  void SetText(OptionsControl box, const std::string& text) override;
  void SetChecked(OptionsControl box, bool checked) override;
  void SelectWholeText(OptionsControl box) override;
  void Unload() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int notification) override;
  void OnCloseBox() override;
  bool OnKeyDown(int key, int mask, Hwnd focus) override;

 private:
  FrmRunOptions& form_;
  MadeControls made_;
  // Set while the window shows what the form says: the controls' notifications of it
  // are not the user's.
  bool showing_ = false;
  std::unique_ptr<ToolTips> tips_;
};

}  // namespace tavrin::win32
