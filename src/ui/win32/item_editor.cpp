#include "ui/win32/item_editor.h"

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/keys.h"

namespace tavrin::win32 {
namespace {

const std::vector<ToolButton> kOpenButtons = {
    {ItemEditor::kIdOpen, "Open", "Open", "Browse for an executable"},
    {ItemEditor::kIdFind, "Find", "Find", "Find target"},
};

}  // namespace

ItemEditor::ItemEditor(FrmItemEdit& form, Hwnd owner)
    : ModalDialog(owner, "Item Editor", 5475, 2145), form_(form) {
  Create();
}

void ItemEditor::OnInit() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  Hfont font = WindowFont(9.75);
  Hfont bold = WindowFont(9.75, true);
  // In tab order: each label before the box its access key leads to.
  MakeControl(hwnd_, "Static", "Item &Name:", SS_LEFT, {60, 120, 1245, 255}, kIdLabel, font);
  txtItem_ = MakeControl(hwnd_, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, {1440, 60, 3960, 330},
                         kIdItem, font, WS_EX_CLIENTEDGE);
  MakeControl(hwnd_, "Static", "&File:", SS_LEFT, {60, 510, 1245, 255}, kIdLabel + 1, font);
  txtFile_ = MakeControl(hwnd_, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, {1440, 450, 3225, 315},
                         kIdFile, font, WS_EX_CLIENTEDGE);
  MakeControl(hwnd_, "Static", "&Parameters:", SS_LEFT, {60, 900, 1245, 255}, kIdLabel + 2, font);
  txtParams_ = MakeControl(hwnd_, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, {1440, 840, 3960, 330},
                           kIdParams, font, WS_EX_CLIENTEDGE);
  MakeControl(hwnd_, "Static", "Window&style:", SS_LEFT, {60, 1320, 1245, 255}, kIdLabel + 3, font);
  // The height of a drop-down list is that of its open list.
  cboStyle_ = MakeControl(hwnd_, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                          {1440, 1260, 3960, 2000}, kIdStyle, font);
  cWait_ = MakeControl(hwnd_, "Button", "&Wait until finished", BS_AUTOCHECKBOX | WS_TABSTOP,
                       {1440, 1710, 2625, 255}, kIdWait, font);
  btnOk_ = MakeControl(hwnd_, "Button", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                       {60, 1710, 1215, 375}, IDOK, bold);
  btnCancel_ = MakeControl(hwnd_, "Button", "&Cancel", BS_PUSHBUTTON | WS_TABSTOP,
                           {4200, 1710, 1215, 375}, IDCANCEL, bold);
  tbOpen_ = MakeToolbar(hwnd_, {4680, 450, 735, 390}, kOpenButtons);
  SendMessageA(hwnd_, DM_SETDEFID, IDOK, 0);

  tips_->Add(txtItem_, "Item name");
  tips_->Add(txtFile_, "This item's executable file");
  tips_->Add(txtParams_, "Parameters to the executable");
  tips_->Add(cboStyle_, "How this item's program will be shown");
  tips_->Add(cWait_, "Wait for this program to finish before running the next item");
  tips_->Add(btnOk_, "Accept changes");
  tips_->Add(btnCancel_, "Discard changes");

  form_.Form_Load(*this);
  // The toolbar is flat, as the main window's are.
  MakeFlat(tbOpen_);
}

Hwnd ItemEditor::Control(EditControl control) const {
  switch (control) {
    case EditControl::txtItem:
      return txtItem_;
    case EditControl::txtFile:
      return txtFile_;
    case EditControl::txtParams:
      return txtParams_;
    case EditControl::cboStyle:
      return cboStyle_;
    case EditControl::cWait:
      return cWait_;
    case EditControl::btnOk:
      return btnOk_;
    case EditControl::btnCancel:
      return btnCancel_;
    case EditControl::tbOpenOpen:
    case EditControl::tbOpenFind:
      return tbOpen_;
    default:
      return nullptr;
  }
}

int ItemEditor::CommandOf(EditControl button) {
  if (button == EditControl::tbOpenOpen) return kIdOpen;
  if (button == EditControl::tbOpenFind) return kIdFind;
  return 0;
}

EditControl ItemEditor::ControlOf(Hwnd focus) const {
  for (EditControl control :
       {EditControl::txtItem, EditControl::txtFile, EditControl::txtParams, EditControl::cboStyle,
        EditControl::cWait, EditControl::btnOk, EditControl::btnCancel}) {
    if (IsWithin(focus, Control(control))) return control;
  }
  if (IsWithin(focus, tbOpen_)) {
    // The toolbar's highlighted button is the one the keyboard is on.
    const auto hot = SendMessageA(InnerToolbar(tbOpen_), TB_GETHOTITEM, 0, 0);
    if (hot == 0) return EditControl::tbOpenOpen;
    if (hot == 1) return EditControl::tbOpenFind;
  }
  return EditControl::None;
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
