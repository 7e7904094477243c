#include "ui/win32/dialog.h"

#include <windows.h>

namespace tavrin::win32 {
namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  return self->OnMessage(window, message, wParam, lParam);
}

// An empty dialog template: the controls are made in OnInit.
struct alignas(4) EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD windowClass = 0;
  WORD title = 0;
};

}  // namespace

ModalDialog::ModalDialog(Hwnd owner, const char* caption, int width, int height)
    : owner_(owner), caption_(caption), width_(width), height_(height) {}

ModalDialog::~ModalDialog() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void ModalDialog::Create() {
  EmptyTemplate dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
  dialog.header.dwExtendedStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, owner_, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void ModalDialog::Close() {
  done_ = true;
  WakeMessages();
}

void ModalDialog::Run() {
  if (hwnd_ == nullptr) return;
  if (owner_) EnableWindow(owner_, FALSE);
  ShowKeyboardCues(hwnd_);
  ::ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  RunMessages([this] { return done_; }, [this](MSG& message) { return PreTranslate(message); });
  // The owner takes input again before the dialog goes, so that it becomes the active
  // window and not another program's.
  if (owner_) {
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
  }
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

bool ModalDialog::PreTranslate(MSG& message) {
  if (done_ || !IsWithin(message.hwnd, hwnd_)) return false;
  if (IsKeyDown(message) &&
      OnKeyDown(static_cast<int>(message.wParam), ModifierMask(message), message.hwnd)) {
    return true;
  }
  if (MoveKeyboardButton(message)) return true;
  HWND before = GetFocus();
  if (IsDialogMessageA(hwnd_, &message) == 0) return false;
  FollowKeyboardFocus(before, GetFocus());
  return true;
}

std::intptr_t ModalDialog::OnMessage(Hwnd window, unsigned message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      // The handle is known before CreateDialog returns: OnInit builds on it.
      hwnd_ = window;
      SetTextOf(hwnd_, caption_);
      FitInnerArea(hwnd_, width_, height_);
      Centre(hwnd_, owner_);
      OnInit();
      return FALSE;  // the focus is where OnInit put it
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      OnCloseBox();
      return TRUE;
    case WM_CHANGEUISTATE:
      // The focus stays visible after a click too (ShowKeyboardCues).
      return HidesKeyboardCues(wParam) ? TRUE : FALSE;
    case WM_DPICHANGED:
      // Moved to a screen of another DPI.
      FollowDpiChange(hwnd_, wParam, lParam, width_, height_);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnColorStatic(reinterpret_cast<void*>(wParam), reinterpret_cast<Hwnd>(lParam));
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<Hwnd>(wParam))) {
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace tavrin::win32
