#include "ui/win32/about_box.h"

#include <windows.h>

#include "ui/win32/window_builder.h"

namespace tavrin::win32 {
namespace {

constexpr int kIdControl = 3000;  // + the form's name for the control
constexpr int kIdMail = kIdControl + static_cast<int>(AboutControl::lblMail);

// OK is the system's IDOK, so that Enter finds it.
int ControlCommand(AboutControl control) {
  return control == AboutControl::btnOK ? IDOK : kIdControl + static_cast<int>(control);
}

// The link's colour.
constexpr COLORREF kLinkColour = RGB(0x1a, 0x4f, 0xb5);

}  // namespace

AboutBox::AboutBox(FrmAbout& form, Hwnd owner)
    : ModalDialog(owner, AboutBoxLayout().caption, AboutBoxLayout().width, AboutBoxLayout().height),
      form_(form) {
  Create();
}

void AboutBox::OnInit() {
  ToolTips tips(hwnd_);
  made_ = MakeControls(hwnd_, AboutBoxLayout(), tips, ControlCommand);
  lblVer_ = made_.Control(static_cast<int>(AboutControl::lblVer));
  lblMail_ = made_.Control(static_cast<int>(AboutControl::lblMail));
  Hwnd ok = made_.Control(static_cast<int>(AboutControl::btnOK));
  SendMessageA(hwnd_, DM_SETDEFID, IDOK, 0);
  form_.Form_Load(*this);
  SetFocus(ok);
}

void AboutBox::ShowVersion(const std::string& text) { SetTextOf(lblVer_, text); }

void AboutBox::ShowMailAddress(const std::string& address) { SetTextOf(lblMail_, address); }

void AboutBox::Unload() { Close(); }

void AboutBox::OnCommand(int id, int notification) {
  switch (id) {
    case IDOK:
    case IDCANCEL:  // Enter and Esc
      form_.btnOK_Click();
      break;
    case kIdMail:
      if (notification == STN_CLICKED) form_.lblMail_Click();
      break;
    default:
      break;
  }
}

void AboutBox::OnCloseBox() { form_.btnOK_Click(); }

std::intptr_t AboutBox::OnColorStatic(void* dc, Hwnd control) {
  if (control != lblMail_) return 0;
  // The address reads as a link: blue and underlined (its font).
  auto* context = static_cast<HDC>(dc);
  SetTextColor(context, kLinkColour);
  SetBkMode(context, TRANSPARENT);
  return reinterpret_cast<std::intptr_t>(GetSysColorBrush(COLOR_BTNFACE));
}

bool AboutBox::OnKeyDown(int key, int, Hwnd target) {
  if (target != lblMail_ || (key != VK_RETURN && key != VK_SPACE)) return false;
  form_.lblMail_Click();
  return true;
}

bool AboutBox::OnSetCursor(Hwnd control) {
  if (control != lblMail_) return false;
  SetCursor(LoadCursorA(nullptr, IDC_HAND));
  return true;
}

}  // namespace tavrin::win32
