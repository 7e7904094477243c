#pragma once

#include <memory>
#include <vector>

#include "forms/frm_item_edit.h"
#include "ui/win32/dialog.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {

// The item editor in Win32: the name, file and parameter boxes, the style list, the
// wait box, OK and Cancel, and the toolbar that browses for a file and opens its
// folder. It builds the controls, forwards what the user does to the form, and shows
// what the form tells it.
class ItemEditor : public ModalDialog, public ItemEditView {
 public:
  // The controls' identifiers in the dialog (OK and Cancel are the system's IDOK and
  // IDCANCEL, so that Enter and Esc find them).
  enum : int {
    kIdControl = 2000,  // + the form's name for the control
    kIdItem = kIdControl + static_cast<int>(EditControl::txtItem),
    kIdFile = kIdControl + static_cast<int>(EditControl::txtFile),
    kIdParams = kIdControl + static_cast<int>(EditControl::txtParams),
    kIdStyle = kIdControl + static_cast<int>(EditControl::cboStyle),
    kIdWait = kIdControl + static_cast<int>(EditControl::cWait),
    kIdOpen = kIdControl + static_cast<int>(EditControl::tbOpenOpen),
    kIdFind = kIdControl + static_cast<int>(EditControl::tbOpenFind),
  };

  // Creates the dialog over `owner` and loads the form into it; Run shows it.
  ItemEditor(FrmItemEdit& form, Hwnd owner);

  // The controls as the form names them (the toolbar control for its two buttons).
  Hwnd Control(EditControl control) const;
  // The command identifier of a toolbar button ("Open" or "Find").
  static int CommandOf(EditControl button);

  // ItemEditView.
  void SetStyleEntries(const std::vector<std::string>& entries) override;
  void SetText(EditControl box, const std::string& text) override;
  void SetStyleIndex(int index) override;
  void SetWaitChecked(bool checked) override;
  void SetEnabled(EditControl control, bool enabled) override;
  void SelectWholeText(EditControl box) override;
  void Unload() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int notification) override;
  void OnCloseBox() override;
  bool OnKeyDown(int key, int mask, Hwnd focus) override;

 private:
  EditControl ControlOf(Hwnd focus) const;

  FrmItemEdit& form_;
  MadeControls made_;
  // Set while the window shows what the form says: the controls' notifications of it
  // are not the user's.
  bool showing_ = false;
  std::unique_ptr<ToolTips> tips_;
  Hwnd txtItem_ = nullptr;
  Hwnd txtFile_ = nullptr;
  Hwnd txtParams_ = nullptr;
  Hwnd cboStyle_ = nullptr;
  Hwnd cWait_ = nullptr;
  Hwnd btnOk_ = nullptr;
  Hwnd tbOpen_ = nullptr;
};

}  // namespace tavrin::win32
