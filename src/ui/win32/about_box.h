#pragma once

#include "forms/frm_about.h"
#include "ui/win32/dialog.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {

// The About box in Win32: the program's icon, name, version and legal notice, the
// feedback address as a link, and OK (which Enter and Esc press too).
class AboutBox : public ModalDialog, public AboutView {
 public:
  // Creates the box over `owner` and loads the form into it; Run shows it.
  AboutBox(FrmAbout& form, Hwnd owner);

  Hwnd lblVer() const { return lblVer_; }
  Hwnd lblMail() const { return lblMail_; }

  // AboutView.
  void ShowVersion(const std::string& text) override;
  void ShowMailAddress(const std::string& address) override;
  void Unload() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int notification) override;
  void OnCloseBox() override;
  std::intptr_t OnColorStatic(void* dc, Hwnd control) override;
  bool OnSetCursor(Hwnd control) override;
  // Enter and Space on the address (a Tab stop) start the mail, as a click does.
  bool OnKeyDown(int key, int shift, Hwnd target) override;

 private:
  FrmAbout& form_;
  MadeControls made_;
  Hwnd lblVer_ = nullptr;
  Hwnd lblMail_ = nullptr;
};

}  // namespace tavrin::win32
