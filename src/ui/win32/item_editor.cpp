#include "ui/win32/item_editor.h"

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/keys.h"

namespace tavrin::win32 {
namespace {

// OK and Cancel are the system's IDOK and IDCANCEL, so that Enter and Esc find them.
int ControlCommand(EditControl control) {
  if (control == EditControl::btnOk) return IDOK;
  if (control == EditControl::btnCancel) return IDCANCEL;
  return ItemEditor::kIdControl + static_cast<int>(control);
}

}  // namespace

ItemEditor::ItemEditor(FrmItemEdit& form, Hwnd owner)
    : ModalDialog(owner, ItemEditorLayout().caption, ItemEditorLayout().width,
                  ItemEditorLayout().height),
      form_(form) {
  Create();
}

void ItemEditor::OnInit() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  // In tab order: each label before the box its access key leads to.
  made_ = MakeControls(hwnd_, ItemEditorLayout(), *tips_, ControlCommand);
  txtItem_ = Control(EditControl::txtItem);
  txtFile_ = Control(EditControl::txtFile);
  txtParams_ = Control(EditControl::txtParams);
  cboStyle_ = Control(EditControl::cboStyle);
  cWait_ = Control(EditControl::cWait);
  btnOk_ = Control(EditControl::btnOk);
  tbOpen_ = Control(EditControl::tbOpenOpen);
  SendMessageA(hwnd_, DM_SETDEFID, IDOK, 0);

  form_.Form_Load(*this);
  // The toolbar is flat, as the main window's are.
  MakeFlat(tbOpen_);
}

Hwnd ItemEditor::Control(EditControl control) const {
  return made_.Control(static_cast<int>(control));
}

int ItemEditor::CommandOf(EditControl button) {
  if (button == EditControl::tbOpenOpen || button == EditControl::tbOpenFind) {
    return ControlCommand(button);
  }
  return 0;
}

EditControl ItemEditor::ControlOf(Hwnd focus) const {
  return static_cast<EditControl>(made_.IdAt(focus));
}

// --- What the form shows ------------------------------------------------------------

void ItemEditor::SetStyleEntries(const std::vector<std::string>& entries) {
  showing_ = true;
  SendMessageA(cboStyle_, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) {
    SendMessageA(cboStyle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  SendMessageA(cboStyle_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  showing_ = false;
}

void ItemEditor::SetText(EditControl box, const std::string& text) {
  showing_ = true;
  if (Hwnd edit = Control(box)) SetTextOf(edit, text);
  showing_ = false;
}

void ItemEditor::SetStyleIndex(int index) {
  showing_ = true;
  SendMessageA(cboStyle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  showing_ = false;
}

void ItemEditor::SetWaitChecked(bool checked) {
  showing_ = true;
  SendMessageA(cWait_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  showing_ = false;
}

void ItemEditor::SetEnabled(EditControl control, bool enabled) {
  if (const int id = CommandOf(control)) {
    EnableToolButton(tbOpen_, id, enabled);
  } else if (Hwnd window = Control(control)) {
    EnableWindow(window, enabled ? TRUE : FALSE);
  }
}

void ItemEditor::SelectWholeText(EditControl box) {
  Hwnd edit = Control(box);
  if (edit == nullptr) return;
  // Selected from its end back to its start: the cursor stands at the start, so that a
  // long text shows its beginning.
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(GetWindowTextLengthA(edit)), 0);
  ::SetFocus(edit);
}

void ItemEditor::Unload() { Close(); }

// --- What the user does ---------------------------------------------------------------

void ItemEditor::OnCommand(int id, int notification) {
  if (showing_) return;
  switch (id) {
    case kIdItem:
      if (notification == EN_CHANGE) form_.txtItem_Change(TextOf(txtItem_));
      break;
    case kIdFile:
      if (notification == EN_CHANGE) form_.txtFile_Change(TextOf(txtFile_));
      break;
    case kIdParams:
      if (notification == EN_CHANGE) form_.txtParams_Change(TextOf(txtParams_));
      break;
    case kIdStyle:
      if (notification == CBN_SELCHANGE) {
        form_.cboStyle_Click(static_cast<int>(SendMessageA(cboStyle_, CB_GETCURSEL, 0, 0)));
      }
      break;
    case kIdWait:
      if (notification == BN_CLICKED) {
        form_.cWait_Click(SendMessageA(cWait_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      }
      break;
    case IDOK:
      // A disabled OK cannot be pressed, whatever sends its command.
      if (IsWindowEnabled(btnOk_)) form_.btnOK_Click();
      break;
    case IDCANCEL:  // the button, or Esc
      form_.btnCancel_Click();
      break;
    case kIdOpen:
      form_.tbOpen_ButtonClick(EditControl::tbOpenOpen);
      break;
    case kIdFind:
      form_.tbOpen_ButtonClick(EditControl::tbOpenFind);
      break;
    default:
      break;
  }
}

void ItemEditor::OnCloseBox() {
  // The close box never refuses.
  form_.Form_QueryUnload(kUnloadCloseBox);
  Close();
}

bool ItemEditor::OnKeyDown(int key, int mask, Hwnd focus) {
  // An open style list keeps its keys (Enter closes it).
  if (IsWithin(focus, cboStyle_) && SendMessageA(cboStyle_, CB_GETDROPPEDSTATE, 0, 0) != 0) {
    return false;
  }
  return form_.Form_KeyDown(key, mask, ControlOf(focus));
}

}  // namespace tavrin::win32
