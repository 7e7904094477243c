#pragma once

#include <cstdint>

#include "ui/win32/controls.h"

namespace tavrin::win32 {

// A dialog window (the system's dialog class) with a fixed dialog border, shown
// modally over its owner: the owner takes no input until it is closed. A dialog of the
// program builds its controls in OnInit and closes with Close().
class ModalDialog {
 public:
  virtual ~ModalDialog();
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  Hwnd hwnd() const { return hwnd_; }
  // Shows the dialog and runs its messages until it is closed.
  void Run();
  // Offers a message of the thread to the dialog first: its keys, then the keyboard of
  // a dialog (Tab, access keys, Esc). True when it was taken.
  bool PreTranslate(tagMSG& message);

  // The dialog procedure's way back to the dialog.
  std::intptr_t OnMessage(Hwnd window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);

 protected:
  // A dialog captioned `caption` whose inner area is `width` by `height` twips.
  ModalDialog(Hwnd owner, const char* caption, int width, int height);
  // Creates the window; OnInit runs meanwhile.
  void Create();
  // Closes the dialog: Run returns.
  void Close();

  // Builds the controls and fills them.
  virtual void OnInit() = 0;
  // A command of a control (its identifier and notification).
  virtual void OnCommand(int id, int notification) = 0;
  // The close box or the system menu's Close.
  virtual void OnCloseBox() = 0;
  // A key going down in `focus`; true when the dialog took it.
  virtual bool OnKeyDown(int, int, Hwnd) { return false; }
  // The brush and colours of a static control (the system's WM_CTLCOLORSTATIC); 0 for
  // the usual ones.
  virtual std::intptr_t OnColorStatic(void*, Hwnd) { return 0; }
  // The pointer over `control`; false for the usual one.
  virtual bool OnSetCursor(Hwnd) { return false; }

  Hwnd owner_;
  Hwnd hwnd_ = nullptr;

 private:
  const char* caption_;
  int width_;
  int height_;
  bool done_ = false;
};

}  // namespace tavrin::win32
