#include "ui/win32/run_options_dialog.h"

#include <windows.h>

namespace tavrin::win32 {
namespace {

using C = OptionsControl;

int ControlCommand(OptionsControl control) {
  if (control == C::btnOk) return IDOK;
  if (control == C::btnCancel) return IDCANCEL;
  return RunOptionsDialog::kIdControl + static_cast<int>(control);
}

// A multi-line box of Windows ends its lines with CR LF; the form's lines end with LF.
std::string WithLineEnds(const std::string& text, const char* end) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += end;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

RunOptionsDialog::RunOptionsDialog(FrmRunOptions& form, Hwnd owner)
    : ModalDialog(owner, RunOptionsDialogLayout().caption, RunOptionsDialogLayout().width,
                  RunOptionsDialogLayout().height),
      form_(form) {
  Create();
}

void RunOptionsDialog::OnInit() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  made_ = MakeControls(hwnd_, RunOptionsDialogLayout(), *tips_, ControlCommand);
  SendMessageA(hwnd_, DM_SETDEFID, IDOK, 0);
  form_.Form_Load(*this);
}

Hwnd RunOptionsDialog::Control(OptionsControl control) const {
  return made_.Control(static_cast<int>(control));
}

// --- What the form shows ------------------------------------------------------------

void RunOptionsDialog::SetReadyEntries(const std::vector<std::string>& entries) {
  showing_ = true;
  Hwnd box = Control(C::cboReady);
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) {
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  showing_ = false;
}

void RunOptionsDialog::SetReadyIndex(int index) {
  showing_ = true;
  SendMessageA(Control(C::cboReady), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  showing_ = false;
}

void RunOptionsDialog::SetText(OptionsControl box, const std::string& text) {
  showing_ = true;
  if (Hwnd edit = Control(box))
    SetTextOf(edit, box == C::txtEnv ? WithLineEnds(text, "\r\n") : text);
  showing_ = false;
}

void RunOptionsDialog::SetChecked(OptionsControl box, bool checked) {
  showing_ = true;
  SendMessageA(Control(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  showing_ = false;
}

void RunOptionsDialog::SelectWholeText(OptionsControl box) {
  Hwnd edit = Control(box);
  if (edit == nullptr) return;
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(GetWindowTextLengthA(edit)), 0);
  ::SetFocus(edit);
}

void RunOptionsDialog::Unload() { Close(); }

// --- What the user does ---------------------------------------------------------------

void RunOptionsDialog::OnCommand(int id, int notification) {
  if (showing_) return;
  const auto control = static_cast<OptionsControl>(id - kIdControl);
  switch (id == IDOK ? C::btnOk : id == IDCANCEL ? C::btnCancel : control) {
    case C::txtDelay:
    case C::txtReady:
    case C::txtTimeout:
    case C::txtWorkDir:
    case C::txtPlace:
    case C::txtDesktop:
      if (notification == EN_CHANGE) form_.txt_Change(control, TextOf(Control(control)));
      break;
    case C::txtEnv:
      if (notification == EN_CHANGE) {
        form_.txt_Change(control, WithLineEnds(TextOf(Control(control)), "\n"));
      }
      break;
    case C::cboReady:
      if (notification == CBN_SELCHANGE) {
        form_.cboReady_Click(static_cast<int>(SendMessageA(Control(control), CB_GETCURSEL, 0, 0)));
      }
      break;
    case C::cSkip:
    case C::cStop:
      if (notification == BN_CLICKED) {
        form_.c_Click(control, SendMessageA(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED);
      }
      break;
    case C::btnBrowse:
      form_.btnBrowse_Click();
      break;
    case C::btnOk:
      form_.btnOK_Click();
      break;
    case C::btnCancel:  // the button, or Esc
      form_.btnCancel_Click();
      break;
    default:
      break;
  }
}

void RunOptionsDialog::OnCloseBox() {
  // The close box never refuses.
  form_.Form_QueryUnload(kUnloadCloseBox);
  Close();
}

bool RunOptionsDialog::OnKeyDown(int key, int mask, Hwnd focus) {
  // An open readiness list keeps its keys (Enter closes it).
  Hwnd list = Control(C::cboReady);
  if (IsWithin(focus, list) && SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0) != 0) return false;
  return form_.Form_KeyDown(key, mask, static_cast<OptionsControl>(made_.IdAt(focus)));
}

}  // namespace tavrin::win32
