#include "ui/win32/run_progress_window.h"

#include <windows.h>

#include <commctrl.h>

namespace tavrin::win32 {
namespace {

int ControlCommand(ProgressControl control) {
  if (control == ProgressControl::btnCancel) return IDCANCEL;
  return RunProgressWindow::kIdControl + static_cast<int>(control);
}

// The window that shows on this thread; its keys go through the hook below.
thread_local RunProgressWindow* shown = nullptr;

// Every message the thread takes passes here first, from the run's passes over the
// messages as from any loop: the window's keys work it as a dialog's keys do.
LRESULT CALLBACK KeysOfTheWindow(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && shown != nullptr &&
      message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
      shown->PreTranslate(*message)) {
    // Taken: what the loop gets is a message that does nothing.
    message->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

RunProgressWindow::RunProgressWindow(FrmRunProgress& form)
    : ModalDialog(nullptr, RunProgressWindowLayout().caption, RunProgressWindowLayout().width,
                  RunProgressWindowLayout().height),
      form_(form) {
  Create();
}

RunProgressWindow::~RunProgressWindow() { StopKeys(); }

void RunProgressWindow::OnInit() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  made_ = MakeControls(hwnd_, RunProgressWindowLayout(), *tips_, ControlCommand);
  // One line each, cut with an ellipsis where it does not fit; the wait's line in its
  // middle, so that how long it has waited stays in view.
  for (ProgressControl label :
       {ProgressControl::lblColl, ProgressControl::lblItem, ProgressControl::lblWait}) {
    const HWND control = Control(label);
    const LONG_PTR cut = label == ProgressControl::lblWait ? SS_PATHELLIPSIS : SS_ENDELLIPSIS;
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | cut);
  }
  SendMessageA(hwnd_, DM_SETDEFID, IDCANCEL, 0);
}

Hwnd RunProgressWindow::Control(ProgressControl control) const {
  return made_.Control(static_cast<int>(control));
}

void RunProgressWindow::SetText(ProgressControl label, const std::string& text) {
  if (Hwnd shownLabel = Control(label)) SetTextOf(shownLabel, text);
}

void RunProgressWindow::SetBar(ProgressControl bar, int value, int maximum) {
  const HWND shownBar = Control(bar);
  if (shownBar == nullptr) return;
  SendMessageA(shownBar, PBM_SETRANGE32, 0, maximum > 0 ? maximum : 1);
  SendMessageA(shownBar, PBM_SETPOS, static_cast<WPARAM>(value < 0 ? 0 : value), 0);
}

void RunProgressWindow::Show() {
  ShowKeyboardCues(hwnd_);
  ::ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  ::SetFocus(Control(ProgressControl::btnCancel));
  if (keys_ == nullptr) {
    shown = this;
    keys_ = SetWindowsHookExA(WH_GETMESSAGE, KeysOfTheWindow, nullptr, GetCurrentThreadId());
  }
}

void RunProgressWindow::Unload() {
  StopKeys();
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void RunProgressWindow::StopKeys() {
  if (keys_ != nullptr) UnhookWindowsHookEx(static_cast<HHOOK>(keys_));
  keys_ = nullptr;
  if (shown == this) shown = nullptr;
}

void RunProgressWindow::OnCommand(int id, int notification) {
  // The button (clicked, or Enter or Space on it) and Esc.
  if (id == IDCANCEL && notification == BN_CLICKED) form_.btnCancel_Click();
}

// The close box: Cancel. The window stays until the run has stopped.
void RunProgressWindow::OnCloseBox() { form_.btnCancel_Click(); }

std::unique_ptr<RunProgressView> MakeRunProgressWindow(FrmRunProgress& form) {
  auto window = std::make_unique<RunProgressWindow>(form);
  if (window->hwnd() == nullptr) return nullptr;
  return window;
}

}  // namespace tavrin::win32
